// The player's reading of a record file from disk: while the writer adds frame after frame,
// every look finds what the whole-file reading finds, reads only the few fixed bytes of the
// new blocks (not the file again), and a frame's JPEG bytes come from the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "record/RecordFile.h"
#include "record/RecordFileIndex.h"
#include "record/RecordFileValidator.h"

namespace {

RecordFilePlayback WholeFileReading(const std::string& path) {
    const std::string bytes = ormidon::test::ReadFile(path);
    return ReadRecordFileForPlayback(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

TEST(RecordFileIndexTest, FollowsAGrowingFileReadingOnlyWhatWasAdded) {
    ormidon::test::TempFolder folder;
    RecordFile file;
    ASSERT_TRUE(file.Create(folder.path().string() + "/", "CH01", {}));
    ASSERT_TRUE(file.WriteHeader());
    RecordFileReader reader;
    ASSERT_TRUE(reader.Open(file.Path()));
    ASSERT_TRUE(reader.Refresh());
    // The header alone is too short to tell.
    EXPECT_FALSE(reader.Playback().check.valid);

    const int frames = 40;
    for (int i = 0; i < frames; ++i) {
        const std::vector<uint8_t> jpeg(2000 + i, static_cast<uint8_t>(i));
        PreRecordFrame_Struct frame;
        frame.timeStamp = 40u * static_cast<uint32_t>(i + 1);
        frame.videoLoss = i % 7 == 6 ? 1 : 0;
        frame.length = static_cast<uint32_t>(jpeg.size());
        ASSERT_TRUE(file.WriteFrame(frame, jpeg));
        ASSERT_TRUE(reader.Refresh());
        const RecordFilePlayback whole = WholeFileReading(file.Path());
        ASSERT_TRUE(reader.Playback().check.valid);
        ASSERT_EQ(reader.Frames().size(), whole.check.frames.size());
        EXPECT_EQ(reader.Frames().back().blockOffset, whole.check.frames.back().blockOffset);
        EXPECT_FALSE(reader.Playback().indexed);
        EXPECT_EQ(reader.Playback().damage, "");
    }
    ASSERT_TRUE(file.Finish());
    ASSERT_TRUE(reader.Refresh());
    EXPECT_TRUE(reader.Playback().indexed);
    EXPECT_EQ(reader.Playback().check.firstTimeStamp, 40u);
    EXPECT_EQ(reader.Playback().check.lastTimeStamp, 40u * frames);
    ASSERT_EQ(reader.Frames().size(), static_cast<std::size_t>(frames));

    // Forty looks at a file of some 80 KB read a few kilobytes, not the file forty times.
    const uint64_t size = std::filesystem::file_size(file.Path());
    EXPECT_LT(reader.Index().BytesRead(), size / 8);

    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(reader.ReadJpeg(reader.Frames()[12], jpeg));
    EXPECT_EQ(jpeg, std::vector<uint8_t>(2012, 12));

    // A file put in the place of the one read is another file.
    const std::string path = file.Path();
    const std::filesystem::path copy = folder / "copy.vse";
    std::filesystem::copy_file(path, copy);
    std::filesystem::remove(path);
    ormidon::test::WriteFile(path, "");
    EXPECT_FALSE(reader.IsOpenOn(path));

    // A file that became shorter is read anew: here one whole frame and a cut one.
    RecordFileReader shrinking;
    ASSERT_TRUE(shrinking.Open(copy));
    ASSERT_TRUE(shrinking.Refresh());
    EXPECT_TRUE(shrinking.IsOpenOn(copy));
    EXPECT_EQ(shrinking.Frames().size(), static_cast<std::size_t>(frames));
    std::filesystem::resize_file(copy, 90 + 31 + 2000 + 31 + 100);
    ASSERT_TRUE(shrinking.Refresh());
    EXPECT_EQ(shrinking.Frames().size(), 1u);
    EXPECT_FALSE(shrinking.Playback().indexed);
    EXPECT_TRUE(shrinking.Playback().damage.empty());
}

}  // namespace
