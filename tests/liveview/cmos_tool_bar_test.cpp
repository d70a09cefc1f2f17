#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>
#include <string>
#include <vector>

#include "DeviceWindowFixture.h"
#include "core/AppMessages.h"
#include "liveview/CCmosToolBarDlg.h"
#include "platform/window/WindowMessageTarget.h"
#include "sim/Fault.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr uint32_t kStrSendCommandTimeout = 4064;

class CmosToolBarTest : public ormidon::test::DeviceWindowTest {
  protected:
    void SetUp() override {
        DeviceWindowTest::SetUp();
        LogIn("T18D", "0003", 0);
        bar = std::make_unique<CCmosToolBarDlg>();
        ASSERT_EQ(bar->OnInitDialog(), 1);
        bar->show();
    }

    // The device reports its sensor state in a frame header.
    void Report(uint8_t status) {
        ormidon::WindowMessageTarget::PostTo(bar->Handle(), WM_CMOSSTATUS, status, 0);
        ormidon::testing::ProcessEventsFor(1);
    }

    // The skin file that button `id` shows, "" for none.
    std::string Shows(int id) {
        const QImage picture = bar->Button(id)->ShownPicture();
        if (picture.isNull()) return "";
        return ormidon::test::SkinFileOfColour(picture.pixel(5, 5) & 0xFFFFFF).value_or("?");
    }
    // Which mode buttons show their "_DOWN" picture.
    std::vector<int> DownModes() {
        std::vector<int> down;
        for (int i = 0; i < CCmosToolBarDlg::kModeCount; ++i) {
            if (Shows(CCmosToolBarDlg::kIdFullFrame + i).find("_DOWN") != std::string::npos)
                down.push_back(i);
        }
        return down;
    }

    void Mouse(QEvent::Type type, int id) {
        CVtxButton* button = bar->Button(id);
        const QPointF at(5, 5);
        QMouseEvent event(type, at, button->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }

    std::unique_ptr<CCmosToolBarDlg> bar;
};

TEST_F(CmosToolBarTest, ShowsTheReportedModeAndMirroring) {
    EXPECT_EQ(DownModes(), std::vector<int>{0});
    Report(0x83);
    EXPECT_EQ(bar->Mode(), 3);
    EXPECT_TRUE(bar->HorizontalFlag());
    EXPECT_FALSE(bar->VerticalFlag());
    EXPECT_EQ(DownModes(), std::vector<int>{3});
    EXPECT_EQ(Shows(8603), "BMP/CMOS/QFrame_LB_DOWN.bmp");
    EXPECT_EQ(Shows(8600), "BMP/CMOS/FullFrame_UP.bmp");
    Report(0x83);
    EXPECT_EQ(DownModes(), std::vector<int>{3});
    Report(0x45);
    EXPECT_EQ(DownModes(), std::vector<int>{5});
    EXPECT_FALSE(bar->HorizontalFlag());
    EXPECT_TRUE(bar->VerticalFlag());
}

TEST_F(CmosToolBarTest, ModeClickAsksAndWaitsForTheReport) {
    Mouse(QEvent::MouseButtonPress, 8602);
    EXPECT_EQ(DownModes(), (std::vector<int>{0, 2}));  // the pressed button steps on at once
    Mouse(QEvent::MouseButtonRelease, 8602);
    EXPECT_EQ(DownModes(), std::vector<int>{0});  // back to the mode the device reports
    EXPECT_EQ(Requests("/OV9653Zoom.cgi"),
              std::vector<std::string>{"/OV9653Zoom.cgi?Cookie=" + GetSessionCookie() + "&MODE=2"});
    Report(device.Controls().SensorStatus().value_or(0));
    EXPECT_EQ(DownModes(), std::vector<int>{2});
}

TEST_F(CmosToolBarTest, MirrorButtonsAskForTheOtherState) {
    Report(0x80);
    bar->Button(CCmosToolBarDlg::kIdHorizontalRotate)->click();
    bar->Button(CCmosToolBarDlg::kIdVerticalRotate)->click();
    const std::string cookie = "?Cookie=" + GetSessionCookie();
    EXPECT_EQ(Requests("/OV9653Rotate.cgi"),
              (std::vector<std::string>{"/OV9653Rotate.cgi" + cookie + "&HR=0&VR=0",
                                        "/OV9653Rotate.cgi" + cookie + "&VR=1&HR=1"}));
    // Only the device's report changes the flags.
    EXPECT_TRUE(bar->HorizontalFlag());
    EXPECT_EQ(device.Controls().SensorStatus(), 0xC0);
}

TEST_F(CmosToolBarTest, FailedRequestIsReportedAndKeyboardDoesNotClose) {
    device.Server().AddFault(ormidon::sim::Fault::Status(404, "/OV9653Zoom.cgi"));
    bar->Button(8601)->click();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandTimeout});
    EXPECT_EQ(DownModes(), std::vector<int>{0});

    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(bar.get(), &press);
    }
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(CmosToolBarTest, PaintsItsBackground) {
    const QImage shown = ormidon::testing::GrabWindow(bar.get());
    EXPECT_EQ(shown.size(), QSize(45, 300));
    EXPECT_EQ(shown.pixel(2, 150) & 0xFFFFFF,
              ormidon::skin::TestColourOf("BMP/CMOS/ToolBarBG.bmp"));
    EXPECT_EQ(shown.pixel(20, 25) & 0xFFFFFF,
              ormidon::skin::TestColourOf("BMP/CMOS/FullFrame_DOWN.bmp"));
}

}  // namespace
