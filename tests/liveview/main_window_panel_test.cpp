// The main window's remote-control panel, PTZ control and camera-sensor tool bar against
// the simulated recorder: which keys each device kind shows to each user class, opening
// and closing the panel, the keys' RS-485 bodies, R.E.T.R., ACTION/PRESET, Power, PTZ
// control through the picker and the hot point.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <thread>
#include <vector>

#include "MainWindowFixture.h"
#include "backup/CPlaybackSearchDlg.h"
#include "core/AppMessages.h"
#include "core/DisplayMode.h"
#include "liveview/CCmosToolBarDlg.h"
#include "liveview/CSelectPTZDeviceDlg.h"
#include "liveview/HotPoint.h"
#include "platform/window/ControlId.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"
#include "widgets/CVtxButton.h"

namespace {

using namespace ormidon::test;

constexpr uint32_t kStrCouldNotConnect = 4034;
constexpr uint32_t kStrSendCommandFailed = 4065;

// Keys by key code.
constexpr int kKeyCh1 = 0;
constexpr int kKeyPip = 16;
constexpr int kKeyZoomIn = 30;
constexpr int kKeyLock = 44;
constexpr int kKeyEnter = 46;
constexpr int kKeyLeft = 54;
constexpr int kKeyMenu = 56;
constexpr int kKeyPtz = 60;
constexpr int kKeyRetr = 61;
constexpr int kKeyActionPreset = 67;

class MainWindowPanelTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        device.SetAccounts({{"admin", "admin", 30},
                            {"high", "high", 20},
                            {"normal", "normal", 10},
                            {"guest", "guest", 0}});
    }

    // Opens the window of `product` whose RS-485 device is of `kind`, for `user`.
    void Open(const std::string& product, int kind, const std::string& user = "admin",
              int multiChannel = 0) {
        window.reset();
        device.SetDeviceInfo("MULTICH", std::to_string(multiChannel));
        ASSERT_EQ(OpenWindow({.product = product,
                              .firmware = "1060",
                              .user = user,
                              .linkDevice = std::to_string(kind)}),
                  1);
        device.Controls().ClearRs485Bodies();
    }

    // The panel's device becomes one of `kind`, as after a channel change.
    void SteerKind(uint8_t kind) {
        app.C_ControlD.Clear();
        app.C_ControlD.AddDevice(0, 0, kind, kRoleMaster);
        window->RefreshRemotePanel();
    }

    CVtxButton* Key(int key) { return window->RemoteButton(key); }
    std::vector<std::string> Bodies() { return device.Controls().Rs485Bodies(); }
    QRect KeyRectOf(int kind, int key) {
        const KeyRect& rc = DeviceKindTable[static_cast<size_t>(kind)]
                                .Buttons[key]
                                .rcFamily[BitmapFamilyOfMode(app.w_DisplayMode)];
        return QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    }
};

TEST_F(MainWindowPanelTest, KeysShownByKindAndUserClass) {
    const struct {
        int kind;
        const char* user;
        int key;
        bool shown;
        bool enabled;
    } cases[] = {
        // LOCK (flag 0x40) needs a class of rank 30; R.E.T.R. (0x20) user level 30.
        {15, "normal", kKeyLock, false, true}, {15, "normal", kKeyRetr, false, true},
        {15, "high", kKeyLock, true, true},    {15, "high", kKeyRetr, false, true},
        {15, "admin", kKeyLock, true, true},   {15, "admin", kKeyRetr, true, true},
        {15, "normal", kKeyCh1, true, true},   {15, "normal", kKeyPip, false, true},
        {8, "normal", kKeyZoomIn, true, true}, {8, "normal", kKeyCh1, true, true},
        {2, "admin", kKeyZoomIn, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " " + c.user + " key " +
                     std::to_string(c.key));
        Open("P62K", c.kind, c.user);
        window->OnCommand(CQuorrelDlg::kIdPanelOpen);
        EXPECT_EQ(Key(c.key)->isVisible(), c.shown);
        if (c.shown) {
            EXPECT_EQ(Key(c.key)->isEnabled(), c.enabled);
            EXPECT_EQ(Key(c.key)->geometry(), KeyRectOf(c.kind, c.key));
        }
    }
}

TEST_F(MainWindowPanelTest, OpenAndCloseSetThePanelState) {
    Open("P62K", 15);
    const LayoutMode_Struct& row = LayoutOfMode(app.w_DisplayMode);
    for (int i = 0; i < 2; ++i) window->OnCommand(CQuorrelDlg::kIdPanelOpen);
    EXPECT_TRUE(window->IsPanelOpen());
    EXPECT_EQ(window->size(), QSize(row.rcWindowPanel.Width(), row.rcWindowPanel.Height()));
    EXPECT_TRUE(window->PanelCloseButton()->isVisible());
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());
    EXPECT_TRUE(Key(kKeyCh1)->isVisible());
    ormidon::testing::SaveScreenshot(window.get(), "main-window-panel");

    for (int i = 0; i < 2; ++i) window->OnCommand(CQuorrelDlg::kIdPanelClose);
    EXPECT_FALSE(window->IsPanelOpen());
    EXPECT_EQ(window->size(), QSize(row.rcWindow.Width(), row.rcWindow.Height()));
    EXPECT_TRUE(window->PanelOpenButton()->isVisible());
    EXPECT_FALSE(window->PanelCloseButton()->isVisible());
    EXPECT_FALSE(Key(kKeyCh1)->isVisible());
}

TEST_F(MainWindowPanelTest, CameraKindHasNoPanel) {
    Open("P62K", 15);
    window->OnCommand(CQuorrelDlg::kIdPanelOpen);
    SteerKind(kDeviceKindCamera);
    const LayoutMode_Struct& row = LayoutOfMode(app.w_DisplayMode);
    EXPECT_FALSE(window->IsPanelOpen());
    EXPECT_EQ(window->size(), QSize(row.rcWindow.Width(), row.rcWindow.Height()));
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());
    EXPECT_FALSE(window->PanelCloseButton()->isVisible());
    EXPECT_FALSE(Key(kKeyCh1)->isVisible());
    // Refreshed with the panel closed, the close button shows to a class that has it.
    window->RefreshRemotePanel();
    EXPECT_TRUE(window->PanelCloseButton()->isVisible());
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());

    Open("P62K", kDeviceKindCamera, "guest");
    EXPECT_FALSE(window->PanelCloseButton()->isVisible());
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());
}

TEST_F(MainWindowPanelTest, PtzKeyStaysHiddenWhereItDoesNotBelong) {
    // A multi-channel DVR hides it after every refresh and opening.
    Open("P51K", 16, "admin", 1);
    window->OnCommand(CQuorrelDlg::kIdPanelOpen);
    EXPECT_FALSE(Key(kKeyPtz)->isVisible());
    window->RefreshRemotePanel();
    EXPECT_FALSE(Key(kKeyPtz)->isVisible());
    EXPECT_TRUE(Key(kKeyCh1)->isVisible());

    // With the panel open, a kind that has the key moves it but leaves it hidden.
    Open("P62K", 2);
    window->OnCommand(CQuorrelDlg::kIdPanelOpen);
    EXPECT_FALSE(Key(kKeyPtz)->isVisible());
    SteerKind(16);
    EXPECT_EQ(Key(kKeyPtz)->geometry(), KeyRectOf(16, kKeyPtz));
    EXPECT_FALSE(Key(kKeyPtz)->isVisible());
}

TEST_F(MainWindowPanelTest, TurboRepeatsOnlyTheJoystickZoomAndFocusKeys) {
    Open("P62K", 2);
    app.f_TurboMode = 1;
    app.by_TurboRepeatStep = 5;
    for (int key : {kKeyLeft, kKeyMenu, kKeyEnter}) Key(key)->click();
    // 05 FF C0 address code 7F, then the repeat count and the interval.
    const std::vector<std::string> bodies = Bodies();
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[0], std::string("\x05\xFF\xC0\x00\x67\x7F\x05\x32", 8));
    EXPECT_EQ(bodies[1][6], 1);
    EXPECT_EQ(bodies[2][6], 1);
    app.f_TurboMode = 0;
    Key(kKeyLeft)->click();
    EXPECT_EQ(Bodies().back()[6], 1);
}

TEST_F(MainWindowPanelTest, DvrMenuOnlyForTheSupervisor) {
    const struct {
        const char* product;
        const char* user;
        bool sent;
    } cases[] = {
        {"P53K", "normal", false}, {"P53K", "high", false}, {"P53K", "admin", true},
        {"P62K", "normal", true},  {"P62K", "guest", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.user);
        Open(c.product, 2, c.user);
        window->OnCommand(8242);
        EXPECT_EQ(Bodies().size(), c.sent ? 1u : 0u);
    }
}

TEST_F(MainWindowPanelTest, RetrAsksForTheOtherStateAndWaitsForTheReport) {
    Open("P62K", 19);
    app.C_ControlD.SetRetrState(1);
    const int shown = Key(kKeyRetr)->GetState();
    window->OnCommand(CQuorrelDlg::kIdRetr);
    EXPECT_EQ(Requests("/SetRetr.cgi"),
              std::vector<std::string>{"/SetRetr.cgi?Cookie=" + GetSessionCookie() + "&SET=0"});
    EXPECT_EQ(device.Controls().RetrState(), 0);
    EXPECT_EQ(Key(kKeyRetr)->GetState(), shown);

    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetRetr.cgi"));
    window->OnCommand(CQuorrelDlg::kIdRetr);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandFailed});
}

TEST_F(MainWindowPanelTest, RetrKeyShowsTheReportedState) {
    Open("P62K", 19);
    // The frame headers report on the fetch thread.
    std::thread([&] { app.C_ControlD.SetRetrState(1); }).join();
    Settle();
    EXPECT_EQ(Key(kKeyRetr)->GetState(), 1);
    EXPECT_EQ(Key(kKeyRetr)->toolTip(), "R.E.T.R.(Enable)");
    std::thread([&] { app.C_ControlD.SetRetrState(0); }).join();
    Settle();
    EXPECT_EQ(Key(kKeyRetr)->GetState(), 0);
    EXPECT_EQ(Key(kKeyRetr)->toolTip(), "R.E.T.R.(Disable)");
    // A report after the window went reaches nothing.
    window.reset();
    app.C_ControlD.SetRetrState(1);
}

TEST_F(MainWindowPanelTest, PtzKeyStateFromTheReLoginThreadIsSetOnTheWindowThread) {
    Open("P62K", kDeviceKindPtzPelco);
    window->SetPtzControlButtonState(1);
    ASSERT_EQ(Key(kKeyPtz)->GetState(), 1);
    // The re-login thread leaves the key to the window's thread: nothing changes until
    // that thread runs.
    std::thread([&] { static_cast<LiveView*>(window.get())->SetPtzControlButtonState(0); }).join();
    EXPECT_EQ(Key(kKeyPtz)->GetState(), 1);
    Settle();
    EXPECT_EQ(Key(kKeyPtz)->GetState(), 0);
}

TEST_F(MainWindowPanelTest, ActionPresetTogglesLocally) {
    Open("P62K", kDeviceKindPtzPelco);
    window->OnCommand(CQuorrelDlg::kIdActionPreset);
    EXPECT_EQ(app.f_PresetMode, 1);
    EXPECT_EQ(Key(kKeyActionPreset)->GetState(), 1);
    EXPECT_EQ(Key(kKeyActionPreset)->toolTip(), "PRESET");
    window->OnCommand(CQuorrelDlg::kIdActionPreset);
    EXPECT_EQ(app.f_PresetMode, 0);
    EXPECT_EQ(Key(kKeyActionPreset)->GetState(), 0);
    EXPECT_EQ(Key(kKeyActionPreset)->toolTip(), "ACTION");
    EXPECT_TRUE(Bodies().empty());
}

TEST_F(MainWindowPanelTest, PowerNeedsAConnection) {
    Open("P62K", 2);
    app.f_Connected = 0;
    window->OnCommand(CQuorrelDlg::kIdPower);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrCouldNotConnect});
    app.f_Connected = 1;
    window->OnCommand(CQuorrelDlg::kIdPower);
    EXPECT_EQ(Bodies(),
              std::vector<std::string>{std::string("\x05\xFF\xC0\x00\x30\x7F\x01\x32", 8)});
}

TEST_F(MainWindowPanelTest, PtzControlThroughThePickerAndTheHotPoint) {
    device.SetDeviceInfo("SLAVENUM", "1");
    device.SetDeviceInfo("SID", "5");
    device.SetDeviceInfo("STYPE", "1");
    device.SetDeviceInfo("SPROTOCOL", "0");
    Open("P62K", 2);
    EXPECT_EQ(app.by_HotPointMode, kHotPointOff);
    // The picker opens with the device itself; camera 1 is chosen.
    QString shownNumber;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<CSelectPTZDeviceDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        auto* number = ormidon::FindControl<QLineEdit>(picker, CSelectPTZDeviceDlg::kIdNumber);
        shownNumber = number->text();
        number->setText("1");
        ormidon::FindControl<QPushButton>(picker, CSelectPTZDeviceDlg::kIdOk)->click();
    });
    window->OnCommand(CQuorrelDlg::kIdPtzControl);
    EXPECT_EQ(shownNumber, "1");
    EXPECT_EQ(Bodies(), std::vector<std::string>{std::string("\x02\x05\x06\x01\x32", 5)});
    EXPECT_EQ(app.C_ControlD.GetCurrentKind(), kDeviceKindPtzSlave);
    EXPECT_EQ(Key(kKeyPtz)->toolTip(), "PTZ_CONTROL_ON");  // the refresh shows PTZ control on
    EXPECT_EQ(app.by_HotPointMode, kHotPointOn);

    // A click on the picture's first cell aims the camera at address 5.
    app.f_VideoServerConnected = 1;
    const LayoutRect& video = LayoutOfMode(app.w_DisplayMode).rcVideo;
    app.w_HotPointMouseX = static_cast<uint16_t>(video.left + 1);
    app.w_HotPointMouseY = static_cast<uint16_t>(video.top + 1);
    ormidon::PostWindowMessage(window->Handle(), WM_PTZHOTPOINT);
    Settle();
    ASSERT_EQ(Bodies().size(), 2u);
    EXPECT_EQ(Bodies()[1], std::string("\x07\xD0\x05\x3C\x52\x00\x00\x63\x01\x32", 10));
    EXPECT_EQ(app.w_HotPointMarkFrames, 4);
}

TEST_F(MainWindowPanelTest, SensorToolBarBesideTheT18D) {
    Open("P62K", 2);
    EXPECT_EQ(window->CmosToolBar(), nullptr);
    Open("T18D", 0);
    CCmosToolBarDlg* bar = window->CmosToolBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->size(), QSize(45, 300));
    // Left of the window, two pixels over its edge: at start 43 left of the centred window.
    const QRect work = window->WorkAreaRect();
    const int width = window->width();
    EXPECT_EQ(bar->pos(), QPoint(work.left() + (work.width() - width) / 2 - 43,
                                 work.top() + (work.height() - window->height()) / 2));
    // Clipped to 45 x 300 with corners cut by 10 x 10 ellipses.
    EXPECT_EQ(bar->mask().boundingRect(), QRect(0, 0, 45, 300));
    EXPECT_FALSE(bar->mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(bar->mask().contains(QPoint(44, 299)));
    EXPECT_TRUE(bar->mask().contains(QPoint(5, 5)));
    window->move(window->pos() + QPoint(30, 20));
    Settle();
    EXPECT_EQ(bar->pos(), window->pos() + QPoint(-45 + 2, 0));
    ormidon::PostWindowMessage(app.h_CmosToolBarHandle, WM_CMOSSTATUS, 0x83);
    Settle();
    EXPECT_EQ(bar->Mode(), 3);
    window.reset();
    EXPECT_EQ(app.h_CmosToolBarHandle, 0u);
}

TEST_F(MainWindowPanelTest, PlaybackSearchKeyOpensItsWindow) {
    Open("P51K", 14);
    QString title;
    sheet::SetChildDialogResponder([&title](QDialog& dialog) {
        if (dynamic_cast<CPlaybackSearchDlg*>(&dialog) != nullptr) title = dialog.windowTitle();
        return 0;
    });
    window->OnCommand(CQuorrelDlg::kIdPlaybackSearch);
    sheet::SetChildDialogResponder(nullptr);
    EXPECT_EQ(title, "Playback Search");
}

}  // namespace
