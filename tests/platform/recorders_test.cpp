#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/MessageBox.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/RecordingWindowMessageRouter.h"
#include "platform/WindowMessage.h"

namespace ormidon {
namespace {

TEST(RecordingMessageBoxSink, RecordsBoxesFromWorkersAndAnswersAsSet) {
    RecordingMessageBoxSink boxes;
    boxes.SetAnswer(kIdCancel);
    SetMessageBoxSink(&boxes);
    std::thread worker([] { EXPECT_EQ(ShowMessage(4065, kMbOkCancel), kIdCancel); });
    EXPECT_TRUE(boxes.WaitForCount(1, std::chrono::seconds(5)));
    worker.join();
    SetMessageBoxSink(nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].stringId, 4065u);
    EXPECT_EQ(boxes.Boxes()[0].flags, static_cast<uint32_t>(kMbOkCancel));
    EXPECT_FALSE(boxes.WaitForCount(2, std::chrono::milliseconds(0)));
}

TEST(RecordingWindowMessageRouter, RecordsPostsAndDropsThoseToClosedWindows) {
    RecordingWindowMessageRouter router;
    SetWindowMessageRouter(&router);
    std::thread worker([] {
        EXPECT_TRUE(PostWindowMessage(5, 0x41B, 3, 7));
        EXPECT_TRUE(PostWindowMessage(6, 0x402));
    });
    EXPECT_TRUE(router.WaitForCount(2, std::chrono::seconds(5)));
    worker.join();
    router.CloseWindow(5);
    EXPECT_FALSE(PostWindowMessage(5, 0x40C));
    EXPECT_FALSE(PostWindowMessage(0, 0x40C));
    SetWindowMessageRouter(nullptr);

    EXPECT_EQ(router.MessagesTo(5), std::vector<uint32_t>{0x41B});
    ASSERT_EQ(router.Messages().size(), 2u);
    EXPECT_EQ(router.Messages()[0].wParam, 3u);
    EXPECT_EQ(router.Messages()[0].lParam, 7);
}

}  // namespace
}  // namespace ormidon
