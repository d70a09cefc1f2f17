#include <gtest/gtest.h>

#include <vector>

#include "platform/MessageBox.h"
#include "platform/WindowMessage.h"

namespace ormidon {
namespace {

struct RecordingRouter : WindowMessageRouter {
    std::vector<uint32_t> messages;
    bool Post(WindowHandle window, uint32_t message, WParam, LParam) override {
        if (window != 7) return false;
        messages.push_back(message);
        return true;
    }
};

TEST(WindowMessage, PostsGoThroughTheRouterAndAreDroppedWithoutOne) {
    EXPECT_FALSE(PostWindowMessage(7, kWmUser + 2));
    RecordingRouter router;
    SetWindowMessageRouter(&router);
    EXPECT_TRUE(PostWindowMessage(7, kWmUser + 2));
    EXPECT_FALSE(PostWindowMessage(8, kWmUser + 3));
    EXPECT_FALSE(PostWindowMessage(0, kWmUser + 4));
    SetWindowMessageRouter(nullptr);
    EXPECT_EQ(router.messages, std::vector<uint32_t>{kWmUser + 2});
}

struct RecordingBoxes : MessageBoxSink {
    std::vector<uint32_t> ids;
    int Show(uint32_t id, uint32_t, std::stop_token) override {
        ids.push_back(id);
        return kIdCancel;
    }
};

TEST(MessageBox, ShownThroughTheSinkOrAnsweredOkWithoutOne) {
    EXPECT_EQ(ShowMessage(4094), kIdOk);
    RecordingBoxes boxes;
    SetMessageBoxSink(&boxes);
    EXPECT_EQ(ShowMessage(4051, kMbOkCancel), kIdCancel);
    SetMessageBoxSink(nullptr);
    EXPECT_EQ(boxes.ids, std::vector<uint32_t>{4051});
}

}  // namespace
}  // namespace ormidon
