#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>
#include <memory>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "DeviceWindowFixture.h"
#include "liveview/CColorAdjustDlg.h"
#include "platform/Paths.h"
#include "platform/window/ControlId.h"
#include "sim/Fault.h"
#include "widgets/CVtxButton.h"

namespace {

using ormidon::FindControl;

constexpr uint32_t kStrSendCommandTimeout = 4064;

struct Shown {
    int brightness, contrast, hue;
    bool operator==(const Shown&) const = default;
};

class ColourAdjustTest : public ormidon::test::DeviceWindowTest {
  protected:
    // Opens the window as the colour command does, with the device's values.
    void Open(int brightness, int contrast, int hue) {
        dialog = std::make_unique<CColorAdjustDlg>();
        dialog->m_nBrightness = brightness;
        dialog->m_nContrast = contrast;
        dialog->m_nHue = hue;
        initResult = dialog->OnInitDialog();
        dialog->show();
    }

    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(dialog.get(), id); }
    QSlider* Slider(int id) { return FindControl<QSlider>(dialog.get(), id); }
    CVtxButton* Button(int id) { return FindControl<CVtxButton>(dialog.get(), id); }

    // What the three rows show, checked to agree between number field and slider.
    Shown Rows() {
        const int ids[3][2] = {
            {CColorAdjustDlg::kIdEditBrightness, CColorAdjustDlg::kIdSliderBrightness},
            {CColorAdjustDlg::kIdEditContrast, CColorAdjustDlg::kIdSliderContrast},
            {CColorAdjustDlg::kIdEditHue, CColorAdjustDlg::kIdSliderHue}};
        int values[3];
        for (int i = 0; i < 3; ++i) {
            values[i] = Edit(ids[i][0])->text().toInt();
            EXPECT_EQ(Slider(ids[i][1])->value(), values[i]) << "row " << i;
        }
        return {values[0], values[1], values[2]};
    }

    std::vector<std::string> ColourRequests() { return Requests("/SetColor.cgi"); }
    std::string Cookie() { return "?Cookie=" + GetSessionCookie(); }

    std::unique_ptr<CColorAdjustDlg> dialog;
    int initResult = -1;
};

TEST_F(ColourAdjustTest, MiddleCountingFamilyShowsShiftedBrightnessAndHue) {
    LogIn("P62K");
    Open(0, 128, 200);
    EXPECT_EQ(initResult, 1);
    EXPECT_EQ(Rows(), (Shown{128, 128, 72}));

    Button(CColorAdjustDlg::kIdApply)->click();
    EXPECT_EQ(ColourRequests(),
              std::vector<std::string>{"/SetColor.cgi" + Cookie() + "&CON=128&BRI=0&HUE=200"});
    EXPECT_EQ(device.Controls().Colour().hue, 200);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->m_nHue, 200);
}

TEST_F(ColourAdjustTest, DefaultThenApplyByFamily) {
    const struct {
        const char* product;
        uint8_t multiChannel;
        const char* query;
    } cases[] = {
        {"T18D", 0, "&CON=150&BRI=47&HUE=2"},
        {"N25V", 0, "&CON=150&BRI=47&HUE=2"},
        {"P51K", 1, "&CON=128&BRI=128&HUE=128"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product);
        device.Server().ClearLog();
        LogIn(c.product, "1060", c.multiChannel);
        Open(10, 20, 30);
        Button(CColorAdjustDlg::kIdDefault)->click();
        EXPECT_TRUE(ColourRequests().empty());  // Default sends nothing
        Button(CColorAdjustDlg::kIdApply)->click();
        EXPECT_EQ(ColourRequests(), std::vector<std::string>{"/SetColor.cgi" + Cookie() + c.query});
    }
}

TEST_F(ColourAdjustTest, NumberFieldsAreFilteredAndClamped) {
    LogIn("P51K");
    Open(100, 100, 100);
    const struct {
        const char* typed;
        int shown;
    } cases[] = {
        {"300", 255}, {"1a2", 12}, {"", 12}, {"abc", 12}, {"99999999999999999999999", 255},
        {"007", 7},   {"-5", 5},
    };
    QLineEdit* edit = Edit(CColorAdjustDlg::kIdEditContrast);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        edit->setText(c.typed);
        EXPECT_EQ(edit->text().toStdString(), std::to_string(c.shown));
        EXPECT_EQ(Slider(CColorAdjustDlg::kIdSliderContrast)->value(), c.shown);
    }
    EXPECT_EQ(Rows(), (Shown{100, 5, 100}));
}

TEST_F(ColourAdjustTest, SliderStepsMoveTheNumberWithinTheRange) {
    LogIn("P51K");
    Open(250, 5, 100);
    QSlider* brightness = Slider(CColorAdjustDlg::kIdSliderBrightness);
    brightness->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QSlider* contrast = Slider(CColorAdjustDlg::kIdSliderContrast);
    contrast->triggerAction(QAbstractSlider::SliderPageStepSub);
    Slider(CColorAdjustDlg::kIdSliderHue)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Rows(), (Shown{255, 0, 101}));
}

TEST_F(ColourAdjustTest, ClosingSendsNothingAndEnterApplies) {
    LogIn("P51K");
    const auto key = [&](int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(Edit(CColorAdjustDlg::kIdEditHue), &press);
    };
    Open(1, 2, 3);
    key(Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ColourRequests().size(), 1u);

    Button(CColorAdjustDlg::kIdOK)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 2);

    Open(1, 2, 3);
    Button(CColorAdjustDlg::kIdClose)->click();
    EXPECT_FALSE(dialog->isVisible());

    Open(1, 2, 3);
    key(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ColourRequests().size(), 1u);
}

TEST_F(ColourAdjustTest, FailedApplyKeepsWindowAndValues) {
    LogIn("P51K");
    Open(40, 50, 60);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetColor.cgi"));
    Button(CColorAdjustDlg::kIdApply)->click();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandTimeout});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Rows(), (Shown{40, 50, 60}));
    EXPECT_EQ(device.Controls().Colour().contrast, 128);  // the device kept its own
}

TEST_F(ColourAdjustTest, WithoutItsSkinTheWindowRefusesApply) {
    LogIn("P51K");
    ormidon::test::TempFolder empty;
    std::filesystem::current_path(empty.path());
    ormidon::SetProgramFolderForTesting(empty.path());
    Open(40, 50, 60);
    ormidon::SetProgramFolderForTesting({});
    EXPECT_EQ(initResult, 0);
    // The rows never got the device's values: Apply would overwrite them with zeros.
    Button(CColorAdjustDlg::kIdApply)->click();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.get(), &enter);
    EXPECT_TRUE(ColourRequests().empty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ColourAdjustTest, PaintsItsFrameAndLabels) {
    LogIn("P51K");
    Open(0, 0, 0);
    const QImage shown = ormidon::testing::GrabWindow(dialog.get());
    const auto colourAt = [&](int x, int y) { return shown.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(colourAt(150, 10), ormidon::skin::TestColourOf("BMP/TilteBar_ess.bmp"));
    EXPECT_EQ(colourAt(5, 100), ormidon::skin::TestColourOf("BMP/LeftSide_ess.bmp"));
    EXPECT_EQ(colourAt(150, 190), ormidon::skin::TestColourOf("BMP/Bottom_ess.bmp"));
    EXPECT_EQ(colourAt(20, 12), ormidon::skin::TestColourOf("BMP/Player_Logo.bmp"));
    EXPECT_EQ(colourAt(25, 95), ormidon::skin::TestColourOf("BMP/Dialog_Contrast.bmp"));
    EXPECT_EQ(colourAt(150, 150), 0xDDDDDDu);
    ormidon::testing::SaveScreenshot(dialog.get(), "colour-adjust");
}

}  // namespace
