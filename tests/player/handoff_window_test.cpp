// The playback program's side of a Dynamic Download against this program's end of the link:
// HELLO, the mutex name and path it is given, its ACK, the bytes announced and the end, the
// growing record file's pictures as they arrive, and the message that a download is not a
// record file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTest>
#include <fstream>

#include "../support/TempFolder.h"
#include "HandOffWindow.h"
#include "PlayerWindow.h"
#include "platform/JpegCodec.h"
#include "platform/PlayerLink.h"
#include "platform/window/testing/WindowTesting.h"
#include "record/RecordFile.h"

namespace {

class HandOffWindowTest : public ormidon::testing::WindowTest {};

TEST_F(HandOffWindowTest, FollowsADownloadItCannotShow) {
    ormidon::test::TempFolder folder;
    const std::string first = (folder / "CH01_0001.dvr").string();
    ormidon::test::WriteFile(first, std::string(12000, 'x'));
    ormidon::PlayerLink link;
    link.ExpectPlayer(::getpid());
    HandOffWindow window(first);
    ASSERT_TRUE(window.Connect(link.LinkPath()));
    window.show();
    ASSERT_EQ(link.WaitHello(5000), static_cast<uint64_t>(::getpid()));

    ASSERT_TRUE(link.Send(ormidon::kLinkCopyData, 1, ormidon::COPYDATA_BACKUP_MUTEX,
                          ormidon::PaddedText("NETWORKBK_42", ormidon::kBackupMutexBytes)));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1234));
    ASSERT_TRUE(
        ormidon::testing::ProcessEventsUntil([&] { return link.f_BackupPlayerAck.load() == 1; }));
    EXPECT_EQ(link.dw_BackupPlayerBufferSize.load(), ormidon::PlayerLink::kDefaultBufferBytes);
    EXPECT_EQ(window.MutexName(), "NETWORKBK_42");

    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 5000));
    ASSERT_TRUE(
        ormidon::testing::ProcessEventsUntil([&] { return window.BytesReceived() == 5000; }));
    EXPECT_EQ(window.BytesText(), "5000 bytes received");
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 7000));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADEND, 0, 0));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return window.Ended(); }));
    EXPECT_EQ(window.BytesReceived(), 12000u);
    // The end says how it ended and what the file holds.
    EXPECT_EQ(window.BytesText(), "Download complete: 12000 bytes");
    EXPECT_TRUE(window.MessageText().contains("shows record files only"));
    EXPECT_EQ(window.windowTitle(), "Tamburo - Dynamic Download - CH01_0001.dvr");
    ormidon::testing::SaveScreenshot(&window, "player-dynamic-download");

    // The next download's path; the count starts again at its START. It fails after 3000
    // bytes.
    const std::string second = (folder / "CH01_0002.dvr").string();
    ormidon::test::WriteFile(second, std::string(3000, 'y'));
    ASSERT_TRUE(link.Send(ormidon::kLinkCopyData, 1, ormidon::COPYDATA_BACKUP_PATH,
                          ormidon::PaddedText(second, ormidon::kBackupPathBytes)));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1234));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 3000));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopNetworkFailure));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return window.BytesReceived() == 3000 && window.Ended(); }));
    EXPECT_EQ(window.File(), second);
    EXPECT_EQ(window.BytesReceived(), 3000u);
    EXPECT_EQ(window.BytesText(), "Download ended early: 3000 bytes kept");
    EXPECT_FALSE(window.MessageText().contains("whole"));

    // The client goes during a third download: the window stays and says so in words.
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1234));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !window.Ended(); }));
    link.DropPlayer();
    EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !window.LinkOpen(); }));
    const QString texts = window.MessageText() + "\n" + window.BytesText();
    EXPECT_FALSE(texts.contains("(no link)")) << texts.toStdString();
    EXPECT_TRUE(texts.contains("not connected")) << texts.toStdString();
    EXPECT_FALSE(texts.contains("until it ends")) << texts.toStdString();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// A download that is a record file shows its newest picture while it grows, and all its
// frames once it ended.
TEST_F(HandOffWindowTest, ShowsTheGrowingRecordFilesPictures) {
    ormidon::test::TempFolder folder;
    RecordFile file;
    ASSERT_TRUE(file.Create(folder.path().string() + "/", "CH02_0001", {}));
    ASSERT_TRUE(file.WriteHeader());
    const int width = 64, height = 48;
    std::vector<uint8_t> bgr(ormidon::BgrPictureBytes(width, height), 200);
    std::vector<uint8_t> jpeg;
    ormidon::JpegCodec codec;
    ASSERT_TRUE(codec.Encode(bgr, width, height, 90, jpeg));
    auto write = [&](int count) {
        for (int i = 0; i < count; ++i) {
            PreRecordFrame_Struct frame;
            frame.timeStamp = 40 * (file.FrameCount() + 1);
            frame.width = width, frame.height = height;
            frame.length = static_cast<uint32_t>(jpeg.size());
            ASSERT_TRUE(file.WriteFrame(frame, jpeg));
        }
    };
    write(3);

    ormidon::PlayerLink link;
    link.ExpectPlayer(::getpid());
    HandOffWindow window(file.Path());
    ASSERT_TRUE(window.Connect(link.LinkPath()));
    window.show();
    ASSERT_EQ(link.WaitHello(5000), static_cast<uint64_t>(::getpid()));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 3000));
    ASSERT_TRUE(
        ormidon::testing::ProcessEventsUntil([&] { return window.Player()->FrameCount() == 3; }));
    EXPECT_EQ(window.Player()->CurrentFrame(), 2);
    EXPECT_GE(window.Player()->Picture().pixelColor(5, 5).red(), 190);
    EXPECT_TRUE(window.MessageText().contains("as it arrives"));

    // While it grows its newest frame is no early end.
    EXPECT_TRUE(window.Player()->StatusText().isEmpty());

    write(4);
    ASSERT_TRUE(file.Finish());
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 4000));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADEND, 0, 0));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return window.Ended(); }));
    EXPECT_EQ(window.Player()->FrameCount(), 7);
    EXPECT_EQ(window.Player()->CurrentFrame(), 6);
    EXPECT_TRUE(window.MessageText().contains("whole"));
    const auto size = std::filesystem::file_size(file.Path());
    EXPECT_EQ(window.BytesText(), QString("Download complete: %1 bytes").arg(size));
    EXPECT_TRUE(window.Player()->StatusText().isEmpty());
    ormidon::testing::SaveScreenshot(&window, "player-dynamic-download-pictures");

    // A download cancelled after 2 frames and a half: it ended early, and its last whole
    // frame says so.
    RecordFile cut;
    ASSERT_TRUE(cut.Create(folder.path().string() + "/", "CH02_0002", {}));
    ASSERT_TRUE(cut.WriteHeader());
    for (int i = 0; i < 3; ++i) {
        PreRecordFrame_Struct frame;
        frame.timeStamp = 40 * (cut.FrameCount() + 1);
        frame.width = width, frame.height = height;
        frame.length = static_cast<uint32_t>(jpeg.size());
        ASSERT_TRUE(cut.WriteFrame(frame, jpeg));
    }
    std::filesystem::resize_file(cut.Path(), std::filesystem::file_size(cut.Path()) - 100);
    const auto cutSize = std::filesystem::file_size(cut.Path());
    ASSERT_TRUE(link.Send(ormidon::kLinkCopyData, 1, ormidon::COPYDATA_BACKUP_PATH,
                          ormidon::PaddedText(cut.Path(), ormidon::kBackupPathBytes)));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, cutSize));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADEND, 1, 0));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return window.Ended() && window.Player()->FrameCount() == 2; }));
    EXPECT_EQ(window.BytesText(), QString("Download ended early: %1 bytes kept").arg(cutSize));
    EXPECT_FALSE(window.MessageText().contains("whole"));
    EXPECT_EQ(window.Player()->CurrentFrame(), 1);
    EXPECT_EQ(window.Player()->StatusText(),
              "The file ends early: frame 2 is the last whole frame.");
}

}  // namespace
