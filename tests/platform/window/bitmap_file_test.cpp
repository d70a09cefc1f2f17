#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Paths.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/testing/WindowTesting.h"

namespace ormidon {
namespace {

namespace fs = std::filesystem;

// A current folder and a program folder, each with its own skin files.
class BitmapFileTest : public testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "ormidon-bitmaps-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "current" / "BMP" / "LOGIN");
        fs::create_directories(root_ / "program" / "bmp" / "login");
        previous_ = fs::current_path();
        fs::current_path(root_ / "current");
        SetProgramFolderForTesting(root_ / "program");
    }
    void TearDown() override {
        fs::current_path(previous_);
        SetProgramFolderForTesting({});
        fs::remove_all(root_);
    }

    void WritePicture(const fs::path& file, QColor colour, int width = 4, int height = 3) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP"));
    }
    void WriteBytes(const fs::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    fs::path root_;
    fs::path previous_;
};

TEST_F(BitmapFileTest, NamesAreFoundWithoutRegardToCaseInTheCurrentFolderFirst) {
    WritePicture(root_ / "current" / "BMP" / "LOGIN" / "Spacer.BMP", QColor(0, 200, 0), 304, 341);
    WritePicture(root_ / "program" / "bmp" / "login" / "spacer.bmp", QColor(200, 0, 0));
    WritePicture(root_ / "program" / "bmp" / "power_over.bmp", QColor(0, 0, 200));

    const QImage spacer = LoadBitmapFile("BMP\\LOGIN\\spacer.bmp");
    ASSERT_FALSE(spacer.isNull());
    EXPECT_EQ(spacer.size(), QSize(304, 341));
    EXPECT_EQ(QColor(spacer.pixel(0, 0)), QColor(0, 200, 0));

    const QImage power = LoadBitmapFile("BMP\\power_over.bmp");  // only in the program folder
    ASSERT_FALSE(power.isNull());
    EXPECT_EQ(QColor(power.pixel(3, 2)), QColor(0, 0, 200));
    EXPECT_EQ(power.format(), QImage::Format_RGB32);
}

TEST_F(BitmapFileTest, MissingDamagedOrOversizedFilesGiveNoPicture) {
    WriteBytes(root_ / "current" / "BMP" / "text.bmp", "not a picture at all");
    WriteBytes(root_ / "current" / "BMP" / "empty.bmp", "");
    // A header that claims 5000 x 1 pixels of 24 bits, with no pixels behind it.
    std::string huge = "BM";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) huge.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&](uint16_t v) {
        huge.push_back(static_cast<char>(v & 0xFF));
        huge.push_back(static_cast<char>(v >> 8));
    };
    put32(54 + 15000);
    put32(0);
    put32(54);
    put32(40);
    put32(kMaxBitmapSide + 904);
    put32(1);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i) put32(0);
    WriteBytes(root_ / "current" / "BMP" / "huge.bmp", huge);

    for (const char* name : {"BMP\\missing.bmp", "BMP\\text.bmp", "BMP\\empty.bmp", "BMP\\huge.bmp",
                             "BMP", "", "BMP\\LOGIN"}) {
        EXPECT_TRUE(LoadBitmapFile(name).isNull()) << name;
    }
}

}  // namespace
}  // namespace ormidon
