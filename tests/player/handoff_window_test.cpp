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
#include "record/RecordFile.h"
#include "platform/window/testing/WindowTesting.h"

namespace {

class HandOffWindowTest : public ormidon::testing::WindowTest {};

TEST_F(HandOffWindowTest, FollowsADownloadItCannotShow) {
    ormidon::PlayerLink link;
    link.ExpectPlayer(::getpid());
    HandOffWindow window("/tmp/CH01_0001.dvr.part");
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
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 7000));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADEND, 0, 0));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return window.Ended(); }));
    EXPECT_EQ(window.BytesReceived(), 12000u);
    EXPECT_EQ(window.BytesText(), "12000 bytes received   Download complete.");
    EXPECT_TRUE(window.MessageText().contains("shows record files only"));
    EXPECT_EQ(window.windowTitle(), "Tamburo - Dynamic Download - CH01_0001.dvr.part");
    ormidon::testing::SaveScreenshot(&window, "player-dynamic-download");

    // The next download's path; the count starts again at its START.
    ASSERT_TRUE(
        link.Send(ormidon::kLinkCopyData, 1, ormidon::COPYDATA_BACKUP_PATH,
                  ormidon::PaddedText("/tmp/CH01_0002.dvr.part", ormidon::kBackupPathBytes)));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTART, 0, 1234));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADSTOP, 0, ormidon::kStopNetworkFailure));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return window.BytesText().contains("failed"); }));
    EXPECT_EQ(window.File(), "/tmp/CH01_0002.dvr.part");
    EXPECT_EQ(window.BytesReceived(), 0u);

    // The client goes: the window stays, without a link.
    link.DropPlayer();
    EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !window.LinkOpen(); }));
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
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
        [&] { return window.Player()->FrameCount() == 3; }));
    EXPECT_EQ(window.Player()->CurrentFrame(), 2);
    EXPECT_GE(window.Player()->Picture().pixelColor(5, 5).red(), 190);
    EXPECT_TRUE(window.MessageText().contains("as it arrives"));

    write(4);
    ASSERT_TRUE(file.Finish());
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADDATA, 0, 4000));
    ASSERT_TRUE(link.Send(ormidon::WM_DOWNLOADEND, 0, 0));
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return window.Ended(); }));
    EXPECT_EQ(window.Player()->FrameCount(), 7);
    EXPECT_EQ(window.Player()->CurrentFrame(), 6);
    EXPECT_TRUE(window.MessageText().contains("whole"));
    ormidon::testing::SaveScreenshot(&window, "player-dynamic-download-pictures");
}

}  // namespace
