#include "core/Snapshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Clock.h"
#include "platform/JpegCodec.h"

namespace {

namespace fs = std::filesystem;

const ormidon::LocalTime kTaken{2008, 7, 17, 10, 30, 15, 0, 4};

TEST(Snapshot, NameAndPath) {
    EXPECT_EQ(SnapshotFileName(kTaken), "080717T103015.jpg");
    EXPECT_EQ(SnapshotFileName({2103, 1, 2, 3, 4, 5, 0, 0}), "030102T030405.jpg");
    EXPECT_EQ(SnapshotPath("/shots", kTaken), "/shots/080717T103015.jpg");
    EXPECT_EQ(SnapshotPath("/shots/", kTaken), "/shots/080717T103015.jpg");
    EXPECT_EQ(SnapshotPath("", kTaken), "/080717T103015.jpg");
}

// A picture with a diagonal gradient, bottom-up BGR, width not a multiple of 4.
TEST(Snapshot, SavedFileDecodesBackToThePictureAtAnOddWidth) {
    const int width = 642;
    const int height = 240;
    std::vector<uint8_t> picture(ormidon::BgrPictureBytes(width, height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / width);
            p[1] = static_cast<uint8_t>(y * 255 / height);
            p[2] = 128;
        }
    }
    const fs::path folder =
        fs::temp_directory_path() / ("ormidon-snapshot-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ormidon::TestClock clock;
    clock.SetLocalTime(kTaken);
    ormidon::ScopedClockOverride useClock(clock);

    ASSERT_EQ(SaveSnapshot(folder.string(), picture, width, height), 1);
    const fs::path file = folder / "080717T103015.jpg";
    ASSERT_TRUE(fs::exists(file));
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(in)), {});
    ormidon::JpegCodec codec;
    std::vector<uint8_t> decoded(picture.size());
    int w = 0;
    int h = 0;
    ASSERT_EQ(codec.Decode(jpeg, decoded, w, h), ormidon::JpegDecodeStatus::Decoded);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    double error = 0;
    for (size_t i = 0; i < picture.size(); ++i) error += std::abs(picture[i] - decoded[i]);
    EXPECT_LT(error / picture.size(), 3.0);

    // Too few bytes for the size, and a folder that does not exist, both fail.
    EXPECT_EQ(
        SaveSnapshot(folder.string(), std::span(picture).first(picture.size() - 1), width, height),
        0);
    EXPECT_EQ(SaveSnapshot((folder / "missing").string(), picture, width, height), 0);
    fs::remove_all(folder);
}

// Snapshots within one second keep each other: the later ones get "_1", "_2" before ".jpg".
TEST(Snapshot, SnapshotsInTheSameSecondAreAllKept) {
    const fs::path folder =
        fs::temp_directory_path() / ("ormidon-snapshots-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ormidon::TestClock clock;
    clock.SetLocalTime(kTaken);
    ormidon::ScopedClockOverride useClock(clock);
    // Three pictures told apart by their widths.
    for (int width : {16, 24, 32}) {
        const std::vector<uint8_t> picture(ormidon::BgrPictureBytes(width, 8), 90);
        ASSERT_EQ(SaveSnapshot(folder.string(), picture, width, 8), 1);
    }
    int width = 16;
    for (const char* name : {"080717T103015.jpg", "080717T103015_1.jpg", "080717T103015_2.jpg"}) {
        std::ifstream in(folder / name, std::ios::binary);
        const std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(in)), {});
        std::vector<uint8_t> decoded(ormidon::BgrPictureBytes(32, 8));
        int w = 0;
        int h = 0;
        ASSERT_EQ(ormidon::JpegCodec().Decode(jpeg, decoded, w, h),
                  ormidon::JpegDecodeStatus::Decoded)
            << name;
        EXPECT_EQ(w, width) << name;
        width += 8;
    }
    // Only the three files: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    fs::remove_all(folder);
}

}  // namespace
