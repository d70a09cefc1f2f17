#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/WindowMessage.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

class WindowMessageTest : public testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetWindowMessageRouter(&router_);
    }
    void TearDown() override { SetWindowMessageRouter(nullptr); }

    QtWindowMessageRouter router_;
};

struct Received {
    uint32_t message;
    WParam wParam;
    LParam lParam;
    bool onUiThread;
};

TEST_F(WindowMessageTest, PostsFromAWorkerArriveInOrderOnTheUiThread) {
    std::vector<Received> received;
    WindowMessageTarget target([&](uint32_t message, WParam wParam, LParam lParam) {
        received.push_back({message, wParam, lParam, QThread::currentThread() == qApp->thread()});
    });
    const WindowHandle window = target.Handle();
    ASSERT_NE(window, 0u);

    std::thread worker([window] {
        for (uint32_t i = 0; i < 50; ++i) {
            EXPECT_TRUE(PostWindowMessage(window, 0x402 + (i % 42), i, -static_cast<LParam>(i)));
        }
    });
    worker.join();
    EXPECT_TRUE(received.empty());  // nothing is delivered before the UI thread runs
    ASSERT_TRUE(testing::ProcessEventsUntil([&] { return received.size() == 50; }));

    for (uint32_t i = 0; i < 50; ++i) {
        EXPECT_EQ(received[i].message, 0x402 + (i % 42));
        EXPECT_EQ(received[i].wParam, i);
        EXPECT_EQ(received[i].lParam, -static_cast<LParam>(i));
        EXPECT_TRUE(received[i].onUiThread);
    }
}

TEST_F(WindowMessageTest, PostsToADestroyedWindowAreDroppedAndItsHandleStaysDead) {
    int delivered = 0;
    auto target =
        std::make_unique<WindowMessageTarget>([&](uint32_t, WParam, LParam) { ++delivered; });
    const WindowHandle window = target->Handle();

    EXPECT_TRUE(PostWindowMessage(window, kWmUser + 0x0C));  // queued, not yet delivered
    target.reset();
    EXPECT_FALSE(PostWindowMessage(window, kWmUser + 0x0C));
    testing::ProcessEventsFor(20);
    EXPECT_EQ(delivered, 0);

    WindowMessageTarget next([](uint32_t, WParam, LParam) {});
    EXPECT_NE(next.Handle(), window);
    EXPECT_FALSE(PostWindowMessage(window, kWmUser + 0x0C));
    EXPECT_FALSE(PostWindowMessage(0, kWmUser + 0x0C));
}

// A worker keeps posting while the UI thread closes and opens windows under it: every
// post either reaches a live window or is refused, never a window that is gone.
TEST_F(WindowMessageTest, WindowsCloseSafelyWhileAWorkerPosts) {
    std::atomic<WindowHandle> current{0};
    std::atomic<bool> stop{false};
    std::atomic<int> attempts{0};
    std::thread worker([&] {
        while (!stop.load()) {
            PostWindowMessage(current.load(), kWmUser + 0x1B, 1, 2);
            ++attempts;
        }
    });

    int delivered = 0;
    for (int round = 0; round < 200 || attempts.load() < 5000; ++round) {
        auto target = std::make_unique<WindowMessageTarget>(
            [&](uint32_t message, WParam, LParam) { delivered += message == kWmUser + 0x1B; });
        current.store(target->Handle());
        testing::ProcessEventsFor(0);
        target.reset();
        if (round > 100000) break;  // the worker never ran: reported below
    }
    stop.store(true);
    worker.join();
    testing::ProcessEventsFor(5);
    EXPECT_GE(attempts.load(), 5000);
}

}  // namespace
}  // namespace ormidon
