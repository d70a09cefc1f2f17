#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/KernelMailbox.h"
#include "core/PlaybackProgram.h"
#include "platform/Paths.h"

namespace {

using ormidon::test::AppRecordScope;
using ormidon::test::FakeLiveView;
using ormidon::test::RecordingMessageBoxes;
using ormidon::test::WaitUntil;

class KernelMailboxTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitProcessResource()); }

    FakeLiveView view;
    AppRecordScope scope{&view};
    CAppObject& app = scope.App();
};

TEST_F(KernelMailboxTest, DrawsEveryPostedFrameOnTheKernelThread) {
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(PostKernelMessage(kKernelDrawFrame));
        // The drawing hands the picture back; the show thread waits for that.
        ASSERT_TRUE(app.h_FinishShowImageJobEvent.Wait(10000));
    }
    EXPECT_EQ(view.Count("DrawFrame"), 3u);
}

TEST_F(KernelMailboxTest, AnUnknownCodeFreesTheSlotAndChangesNothing) {
    ASSERT_TRUE(PostKernelMessage(42, 1, 2));
    ASSERT_TRUE(PostKernelMessage(kKernelDrawFrame));
    ASSERT_TRUE(app.h_FinishShowImageJobEvent.Wait(10000));
    EXPECT_EQ(view.Calls(), std::vector<std::string>{"DrawFrame"});
}

// Code 6 ends the thread with the slot taken; later posters give up at once instead of
// waiting for ever.
TEST_F(KernelMailboxTest, AfterTheEndCodePostersDoNotWait) {
    ASSERT_TRUE(PostKernelMessage(kKernelEndThread));
    ASSERT_TRUE(WaitUntil([&] { return !app.h_Process_KernelMessageThread.IsRunning(); }));
    EXPECT_FALSE(PostKernelMessage(kKernelDrawFrame));
    EXPECT_FALSE(PostPlayBackupFile("/tmp/CH01_0001.dvr"));
    EXPECT_TRUE(ExitProcessResource());
}

TEST(KernelMailboxWithoutThreadTest, PostingBeforeTheThreadExistsFails) {
    EXPECT_FALSE(PostKernelMessage(kKernelDrawFrame));  // no record at all
    AppRecordScope scope;
    EXPECT_FALSE(PostKernelMessage(kKernelDrawFrame));
}

TEST_F(KernelMailboxTest, StartsThePlaybackProgramWithTheFileAsItsOwnArgument) {
    ormidon::test::TempFolder folder;
    ormidon::SetProgramFolderForTesting(folder.path());
    const auto argumentsFile = folder / "arguments.txt";
    const auto player = folder / kPlaybackProgramName;
    ormidon::test::WriteFile(
        player, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                    argumentsFile.string() +
                    ".part\"\n"
                    "mv \"" +
                    argumentsFile.string() + ".part\" \"" + argumentsFile.string() + "\"\n");
    ::chmod(player.c_str(), 0755);
    RecordingMessageBoxes boxes;

    // A path with blanks and shell characters reaches the program as one argument.
    const std::string path = "/tmp/my downloads/CH01_0001;$(x).dvr";
    ASSERT_TRUE(PostPlayBackupFile(path));
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(argumentsFile); }));
    EXPECT_EQ(ormidon::test::ReadFile(argumentsFile), path + "\nCONVERT=0\n");
    EXPECT_TRUE(boxes.Ids().empty());

    // Without the program: message 4108, and the slot is free for the next code.
    std::filesystem::remove(player);
    ASSERT_TRUE(PostPlayBackupFile(path));
    ASSERT_TRUE(PostKernelMessage(kKernelDrawFrame));
    ASSERT_TRUE(app.h_FinishShowImageJobEvent.Wait(10000));
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4108});
    ormidon::SetProgramFolderForTesting({});
}

}  // namespace
