// The playback program's side of a Dynamic Download against this program's end of the link:
// HELLO, the mutex name and path it is given, its ACK, the bytes announced and the end, and
// the message that a download is not a record file.
#include <gtest/gtest.h>
#include <unistd.h>

#include "HandOffWindow.h"
#include "platform/PlayerLink.h"
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
}

}  // namespace
