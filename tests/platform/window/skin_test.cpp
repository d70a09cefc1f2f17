#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/Paths.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/testing/WindowTesting.h"
#include "skin/SkinTable.h"

namespace ormidon {
namespace {

namespace fs = std::filesystem;
using skin::kSkinBitmapCount;
using skin::kSkinBitmaps;

// Loads the skins through the program folder, the way the windows find them.
class SkinTest : public testing::WindowTest {
  protected:
    void UseProgramFolder(const fs::path& folder) {
        previous_ = fs::current_path();
        fs::current_path(fs::temp_directory_path());  // no BMP folder here
        SetProgramFolderForTesting(folder);
    }
    void TearDown() override {
        if (!previous_.empty()) fs::current_path(previous_);
        SetProgramFolderForTesting({});
    }
    static fs::path ProgramDir() {
        const char* dir = std::getenv("ORMIDON_PROGRAM_DIR");
        return dir != nullptr ? fs::path(dir) : fs::path();
    }

    fs::path previous_;
};

// The windows name their files with "\" ("BMP\LOGIN\spacer.bmp").
std::string WindowsName(std::string_view file) {
    std::string name(file);
    for (char& c : name) c = c == '/' ? '\\' : c;
    return name;
}

uint16_t BitsPerPixel(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[30] = {};
    in.read(header, sizeof header);
    if (!in || header[0] != 'B' || header[1] != 'M') return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(header[28]) |
                                 (static_cast<uint8_t>(header[29]) << 8));
}

TEST_F(SkinTest, TheProgramFolderHoldsEveryBitmapAt24BitsAndItsSize) {
    ASSERT_FALSE(ProgramDir().empty());
    UseProgramFolder(ProgramDir());
    for (const skin::SkinBitmap& bitmap : kSkinBitmaps) {
        const std::string name = WindowsName(bitmap.file);
        const std::optional<fs::path> file = FindBitmapFile(name);
        ASSERT_TRUE(file.has_value()) << name;
        EXPECT_EQ(BitsPerPixel(*file), 24) << name;
        const QImage picture = LoadBitmapFile(name);
        ASSERT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(picture.size(), QSize(bitmap.width, bitmap.height)) << name;
    }
}

// The sizes that the window layouts give for the rectangles these bitmaps are painted
// into 1:1 (or, for frames and backgrounds, stretched over).
// The bounding box of the light ink (text, symbols) on a dark key or tool button, away
// from the rounded corners where the light body around the key shows.
QRect InkBox(const QImage& picture) {
    QRect box;
    for (int y = 1; y < picture.height() - 1; ++y) {
        for (int x = 3; x < picture.width() - 3; ++x) {
            if (qGray(picture.pixel(x, y)) > 140) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Every word and number on a key or tool button is set at 8 pixels or more: its capitals
// and digits stand at least 6 pixels high.
TEST_F(SkinTest, LabelsAreLegibleAndTheJoystickArrowsOneSize) {
    ASSERT_FALSE(ProgramDir().empty());
    UseProgramFolder(ProgramDir());
    int labels = 0;
    for (const skin::SkinBitmap& bitmap : kSkinBitmaps) {
        const bool labelled =
            bitmap.look == skin::Look::Key || bitmap.look == skin::Look::ToolButton;
        if (!labelled || bitmap.mood != skin::Mood::Normal || bitmap.label.empty() ||
            bitmap.label.front() == '@' || bitmap.label == "-" || bitmap.label == "+") {
            continue;
        }
        ++labels;
        const std::string name = WindowsName(bitmap.file);
        const QRect ink = InkBox(LoadBitmapFile(name));
        EXPECT_GE(ink.height(), 6) << name << " \"" << bitmap.label << "\"";
    }
    EXPECT_GT(labels, 20);

    for (const char* family : {"N_VGA", "N_QVGA", "P_VGA", "P_QVGA"}) {
        const std::string prefix = std::string("BMP\\") + family + "_";
        const QRect up = InkBox(LoadBitmapFile(prefix + "UP.bmp"));
        const QRect down = InkBox(LoadBitmapFile(prefix + "DOWN.bmp"));
        const QRect left = InkBox(LoadBitmapFile(prefix + "LEFT.bmp"));
        const QRect right = InkBox(LoadBitmapFile(prefix + "RIGHT.bmp"));
        ASSERT_FALSE(up.isEmpty()) << family;
        for (const QRect& across : {down, left.transposed(), right.transposed()}) {
            EXPECT_NEAR(across.width(), up.width(), 1) << family;
            EXPECT_NEAR(across.height(), up.height(), 1) << family;
        }
    }
}

TEST_F(SkinTest, SizesMatchTheRectanglesOfTheLayouts) {
    struct Expect {
        const char* file;
        int width;
        int height;
    };
    const Expect layout[] = {
        {"BMP\\N_VGA_BG.bmp", 722, 608},  // window rectangles with the panel closed and open
        {"BMP\\N_VGA_BG_EX.bmp", 722, 680},
        {"BMP\\P_VGA_BG.bmp", 722, 705},
        {"BMP\\P_VGA_BG_EX.bmp", 722, 776},
        {"BMP\\N_QVGA_BG.bmp", 370, 366},
        {"BMP\\N_QVGA_BG_EX.bmp", 370, 461},
        {"BMP\\P_QVGA_BG.bmp", 370, 414},
        {"BMP\\P_QVGA_BG_EX.bmp", 370, 509},
        {"BMP\\VGA_Status_Bar.bmp", 708, 20},  // status rectangle 6, 63, 714, 83
        {"BMP\\StatusBar.bmp", 356, 20},
        {"BMP\\alarm.bmp", 13, 16},  // status icon rectangle
        {"BMP\\Title_Bar_Close_a.bmp", 13, 13},
        {"BMP\\power_down.bmp", 26, 26},
        {"BMP\\P_QVGA_PANELDOWN_OVER.bmp", 32, 32},
        {"BMP\\system_setting_n.bmp", 26, 26},  // function buttons 688, 34, 714, 60
        {"BMP\\Channel_dvr_Enable.bmp", 40, 28},
        {"BMP\\Channel_16_Disable_over.bmp", 35, 28},
        {"BMP\\Channel_Right_Down.bmp", 9, 16},
        {"BMP\\ch16_a.bmp", 18, 18},                  // keys of kind 11: (8, 568, 26, 586) ...
        {"BMP\\Second_Col_auto.bmp", 32, 18},         // (312, 568, 344, 586)
        {"BMP\\2Col_focus_turbo_out_a.bmp", 18, 18},  // (345, 568, 363, 586) stepping 19
        {"BMP\\control_panel_enter.bmp", 14, 14},     // (578, 578, 592, 592)
        {"BMP\\N_VGA_LEFT_TURBO.bmp", 21, 23},        // (580, 600, 601, 623)
        {"BMP\\P_VGA_UP.bmp", 21, 18},                // (610, 577, 631, 595)
        {"BMP\\N_QVGA_MENU_OVER.bmp", 21, 23},        // (292, 379, 313, 402)
        {"BMP\\N_VGA_DOWN.bmp", 21, 18},              // (610, 627, 631, 645)
        {"BMP\\N_VGA_RIGHT.bmp", 18, 23},             // (639, 600, 657, 623)
        {"BMP\\N_QVGA_RIGHT_TURBO.bmp", 17, 23},      // (321, 379, 338, 402)
        {"BMP\\P_QVGA_RIGHT.bmp", 18, 21},            // (321, 427, 339, 448)
        {"BMP\\tubro_over.bmp", 14, 14},              // (649, 578, 663, 592)
        {"BMP\\ptz_on.bmp", 14, 14},                  // (578, 629, 592, 643)
        {"BMP\\zoom_out_max_a.bmp", 19, 18},          // (441, 568, 460, 586)
        {"BMP\\TilteBar_ess.bmp", 284, 32},           // colour window pieces
        {"BMP\\RightSide_ess.bmp", 10, 151},
        {"BMP\\BottomLeft.bmp", 10, 13},
        {"BMP\\Player_Logo.bmp", 21, 15},
        {"BMP\\Dialog_apply_over.bmp", 88, 25},  // 125, 160, 213, 185
        {"BMP\\Dialog_ok.bmp", 44, 25},          // 216, 160, 260, 185
        {"BMP\\Dialog_default.bmp", 88, 25},     // 34, 160, 122, 185
        {"BMP\\Dialog_Hue.bmp", 20, 20},         // (15, y) to (35, y + 20)
        {"BMP\\CMOS\\ToolBarBG.bmp", 45, 300},
        {"BMP\\CMOS\\QFrame_CN_DOWN.bmp", 30, 30},
        {"BMP\\CMOS\\CMOS_VR_UP.bmp", 30, 30},
        {"BMP\\LOGIN\\spacer.bmp", 304, 341},  // login window pieces
        {"BMP\\LOGIN\\left_top.bmp", 21, 34},
        {"BMP\\LOGIN\\right_top.bmp", 26, 34},
        {"BMP\\LOGIN\\left_down.bmp", 25, 22},
        {"BMP\\LOGIN\\right_down.bmp", 24, 22},
        {"BMP\\LOGIN\\top_middle1.bmp", 257, 12},
        {"BMP\\LOGIN\\top_middle2.bmp", 257, 22},
        {"BMP\\LOGIN\\left_middle.bmp", 21, 285},
        {"BMP\\LOGIN\\right_middle.bmp", 26, 285},
        {"BMP\\LOGIN\\down_middle.bmp", 255, 22},
        {"BMP\\LOGIN\\login_point.bmp", 10, 20},  // digit cells 10 x 20
        {"BMP\\LOGIN\\download.BMP", 34, 34},     // 230, 50, 264, 84
        {"BMP\\LOGIN\\enter_down.bmp", 32, 32},   // 50, 275, 82, 307
        {"BMP\\LOGIN\\port.BMP", 28, 28},         // (30, y) to (58, y + 28)
    };
    for (const Expect& e : layout) {
        const std::optional<size_t> index = skin::FindSkinBitmap(e.file);
        ASSERT_TRUE(index.has_value()) << e.file;
        EXPECT_EQ(kSkinBitmaps[*index].width, e.width) << e.file;
        EXPECT_EQ(kSkinBitmaps[*index].height, e.height) << e.file;
    }
}

TEST_F(SkinTest, TheTestSkinGivesEveryBitmapItsOwnSolidColour) {
    UseProgramFolder(ORMIDON_TEST_SKIN_DIR);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < kSkinBitmapCount; ++i) {
        const std::string name = WindowsName(kSkinBitmaps[i].file);
        const QImage picture = LoadBitmapFile(name);
        ASSERT_FALSE(picture.isNull()) << name;
        const uint32_t colour = skin::TestColourAt(i);
        EXPECT_TRUE(colours.insert(colour).second) << name;
        EXPECT_EQ(skin::TestColourOf(name), colour) << name;
        for (QPoint at : {QPoint(0, 0), QPoint(picture.width() - 1, picture.height() - 1),
                          QPoint(picture.width() / 2, picture.height() / 2)}) {
            EXPECT_EQ(picture.pixel(at) & 0xFFFFFF, colour) << name;
        }
    }
}

TEST(SkinTable, NamesAreUniqueWithoutRegardToCase) {
    for (size_t i = 0; i < kSkinBitmapCount; ++i) {
        EXPECT_EQ(skin::FindSkinBitmap(kSkinBitmaps[i].file), i) << kSkinBitmaps[i].file;
    }
    EXPECT_EQ(skin::FindSkinBitmap("BMP\\LOGIN\\SPACER.BMP"),
              skin::FindSkinBitmap("BMP/LOGIN/spacer.bmp"));
    EXPECT_FALSE(skin::FindSkinBitmap("BMP\\zoom_n_vga.bmp").has_value());
}

}  // namespace
}  // namespace ormidon
