// The main window's skin by the test-colour skin: which file each background and button
// shows per bitmap family, and the TURBO pictures.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "MainWindowFixture.h"
#include "skin/SkinTable.h"
#include "widgets/CVtxButton.h"

namespace {

using namespace ormidon::test;

class MainWindowSkinTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        previousFolder = std::filesystem::current_path();
        // "BMP\..." is found in the current folder first: the test-colour skin.
        std::filesystem::current_path(ORMIDON_TEST_SKIN_DIR);
    }
    void TearDown() override {
        std::filesystem::current_path(previousFolder);
        MainWindowTest::TearDown();
    }

    static uint32_t Colour(const QImage& picture) {
        return picture.isNull() ? 0 : picture.pixel(0, 0) & 0xFFFFFF;
    }
    static uint32_t ColourOf(const char* file) {
        return ormidon::skin::TestColourOf(file).value_or(0xFFFFFFFF);
    }
    uint32_t KeyColour(int key) const { return Colour(window->RemoteButton(key)->ShownPicture()); }
    // What key `key` shows while held down.
    uint32_t PressedKeyColour(int key) {
        CVtxButton* button = window->RemoteButton(key);
        const QPointF inside(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, inside, button->mapToGlobal(inside),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &press);
        const uint32_t colour = Colour(button->ShownPicture());
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-50, -50),
                            button->mapToGlobal(QPointF(-50, -50)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(button, &release);
        return colour;
    }

    std::filesystem::path previousFolder;
};

TEST_F(MainWindowSkinTest, BackgroundAndButtonsOfTheFamily) {
    ASSERT_EQ(OpenWindow({.product = "P51K", .videoMode = 1, .resolution = 1}), 1);
    ASSERT_EQ(app.w_DisplayMode, 3);
    const QImage shown = ormidon::testing::GrabWindow(window.get());
    EXPECT_EQ(shown.pixel(2, 300) & 0xFFFFFF, ColourOf("BMP/P_QVGA_BG.bmp"));
    EXPECT_EQ(shown.pixel(200, 70) & 0xFFFFFF, ColourOf("BMP/StatusBar.bmp"));
    EXPECT_EQ(Colour(window->TitleButton(2)->ShownPicture()), ColourOf("BMP/Title_Bar_Close.bmp"));
    EXPECT_EQ(Colour(window->PanelOpenButton()->ShownPicture()),
              ColourOf("BMP/P_QVGA_PANELUP.bmp"));
    EXPECT_EQ(Colour(window->PanelCloseButton()->ShownPicture()),
              ColourOf("BMP/P_QVGA_PANELDOWN.bmp"));
    EXPECT_EQ(KeyColour(54), ColourOf("BMP/P_QVGA_LEFT.bmp"));
}

// The joystick keys follow every family change; a key whose pictures are the same in
// every family keeps the ones it got first.
TEST_F(MainWindowSkinTest, FamilySwitchReloadsThePerFamilyKeys) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    EXPECT_EQ(KeyColour(55), ColourOf("BMP/N_VGA_UP.bmp"));
    EXPECT_EQ(KeyColour(0), ColourOf("BMP/ch1.bmp"));
    window->SetPVGAMode();
    EXPECT_EQ(KeyColour(55), ColourOf("BMP/P_VGA_UP.bmp"));
    EXPECT_EQ(Colour(window->PanelOpenButton()->ShownPicture()), ColourOf("BMP/P_VGA_PANELUP.bmp"));
    EXPECT_EQ(KeyColour(0), ColourOf("BMP/ch1.bmp"));
}

// With TURBO on, a P_QVGA window's arrows wear the P_QVGA turbo pictures, the same files
// after the command and after a family load; pressed, they show the turbo hover picture
// after the command and the plain turbo picture after a family load.
TEST_F(MainWindowSkinTest, TurboPicturesByCommandAndByFamilyLoad) {
    ASSERT_EQ(OpenWindow({.product = "P51K", .videoMode = 1, .resolution = 1}), 1);
    window->OnTurbo();
    EXPECT_EQ(app.f_TurboMode, 1);
    EXPECT_EQ(KeyColour(54), ColourOf("BMP/P_QVGA_LEFT_TURBO.bmp"));
    EXPECT_EQ(KeyColour(30), ColourOf("BMP/2Col_zoom_turbo_in.bmp"));
    EXPECT_EQ(PressedKeyColour(54), ColourOf("BMP/P_QVGA_LEFT_TURBO_OVER.bmp"));
    EXPECT_EQ(window->RemoteButton(59)->GetState(), 1);

    window->SetPQVGAMode();
    EXPECT_EQ(KeyColour(54), ColourOf("BMP/P_QVGA_LEFT_TURBO.bmp"));
    EXPECT_EQ(PressedKeyColour(54), ColourOf("BMP/P_QVGA_LEFT_TURBO.bmp"));
    EXPECT_EQ(PressedKeyColour(31), ColourOf("BMP/2Col_zoom_turbo_out_a.bmp"));

    window->OnTurbo();
    EXPECT_EQ(app.f_TurboMode, 0);
    EXPECT_EQ(KeyColour(54), ColourOf("BMP/P_QVGA_LEFT.bmp"));
    EXPECT_EQ(KeyColour(30), ColourOf("BMP/2Col_zoom_in.bmp"));
    EXPECT_EQ(window->RemoteButton(59)->GetState(), 0);
}

}  // namespace
