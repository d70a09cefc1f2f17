#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/MessageBox.h"
#include "platform/window/QtMessageBoxSink.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

std::string TextOf(uint32_t id) {
    return id == 4064 ? "Send command timeout" : id == 4117 ? "Clear server log ?" : "";
}

// Watches for message boxes on the UI thread and answers each with `press`, noting
// what it saw.
struct BoxAnswerer {
    explicit BoxAnswerer(QMessageBox::StandardButton press) : press(press) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            texts.push_back(box->text().toStdString());
            shownOnUiThread = shownOnUiThread && QThread::currentThread() == qApp->thread();
            box->button(this->press)->click();
        });
        timer.start();
    }
    QMessageBox::StandardButton press;
    QTimer timer;
    std::vector<std::string> texts;
    bool shownOnUiThread = true;
};

class MessageBoxTest : public testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        sink_ = std::make_unique<QtMessageBoxSink>(TextOf);
        SetMessageBoxSink(sink_.get());
    }
    void TearDown() override { SetMessageBoxSink(nullptr); }

    // Raises the box on a worker thread and runs the UI thread until it is answered.
    int ShowFromWorker(uint32_t id, uint32_t flags) {
        std::atomic<int> answer{-100};
        std::thread worker([&] { answer = ShowMessage(id, flags); });
        EXPECT_TRUE(testing::ProcessEventsUntil([&] { return answer.load() != -100; }));
        worker.join();
        return answer.load();
    }

    std::unique_ptr<QtMessageBoxSink> sink_;
};

TEST_F(MessageBoxTest, AWorkersBoxIsShownOnTheUiThreadAndItsAnswerReturned) {
    struct Case {
        uint32_t flags;
        QMessageBox::StandardButton press;
        int answer;
    };
    const Case cases[] = {
        {kMbOk, QMessageBox::Ok, kIdOk},
        {kMbOkCancel, QMessageBox::Ok, kIdOk},
        {kMbOkCancel, QMessageBox::Cancel, kIdCancel},
        {kMbYesNo, QMessageBox::Yes, kIdYes},
        {kMbYesNo, QMessageBox::No, kIdNo},
    };
    for (const Case& c : cases) {
        BoxAnswerer answerer(c.press);
        EXPECT_EQ(ShowFromWorker(4064, c.flags), c.answer) << c.flags;
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_EQ(answerer.texts[0], "Send command timeout");
        EXPECT_TRUE(answerer.shownOnUiThread);
    }
}

TEST_F(MessageBoxTest, ABoxOnTheUiThreadRunsItsOwnModalLoop) {
    BoxAnswerer answerer(QMessageBox::Yes);
    EXPECT_EQ(ShowMessage(4117, kMbYesNo), kIdYes);
    ASSERT_EQ(answerer.texts.size(), 1u);
    EXPECT_EQ(answerer.texts[0], "Clear server log ?");
}

TEST_F(MessageBoxTest, ATextOfItsOwnIsShownAsItStands) {
    BoxAnswerer answerer(QMessageBox::Ok);
    std::atomic<int> answer{-100};
    std::thread worker([&] { answer = ShowMessageText("IPRecord.dat: record 2 is damaged"); });
    EXPECT_TRUE(testing::ProcessEventsUntil([&] { return answer.load() != -100; }));
    worker.join();
    EXPECT_EQ(answer.load(), kIdOk);
    EXPECT_EQ(answerer.texts, std::vector<std::string>{"IPRecord.dat: record 2 is damaged"});
}

TEST_F(MessageBoxTest, CloseAnswersAWaitingWorkerAndRefusesLaterBoxes) {
    std::atomic<int> answer{-100};
    std::thread worker([&] { answer = ShowMessage(4117, kMbYesNo); });
    // The box is queued for the UI thread, which does not run it before Close.
    while (answer.load() == -100) {
        sink_->Close();
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(answer.load(), kIdNo);
    EXPECT_EQ(ShowMessage(4064, kMbOkCancel), kIdCancel);
    EXPECT_EQ(ShowMessage(4064, kMbOk), kIdOk);
    testing::ProcessEventsFor(10);  // the dropped box never appears
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MessageBoxTest, AStopRequestEndsAWorkersWaitWithTheRefusingAnswer) {
    // The UI thread does not run the queued box: it may be the very thread that stops and
    // joins the worker.
    std::stop_source stop;
    std::atomic<int> answer{-100};
    std::thread worker([&] { answer = ShowMessage(4117, kMbYesNo, stop.get_token()); });
    stop.request_stop();
    worker.join();
    EXPECT_EQ(answer.load(), kIdNo);
    testing::ProcessEventsFor(10);  // the dropped box never appears
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace ormidon
