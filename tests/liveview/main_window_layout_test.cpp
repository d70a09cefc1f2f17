// The main window's initialisation and layout against the simulated recorder: the
// display mode, window size and visible controls per product and picture size, the
// stream-size choice, and an initialisation that fails.
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "core/UserClassTable.h"
#include "platform/window/ControlId.h"
#include "widgets/CVtxButton.h"

namespace {

using namespace ormidon::test;

bool AnyRemoteKeyVisible(const CQuorrelDlg& window) {
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        if (window.RemoteButton(key)->isVisible()) return true;
    }
    return false;
}

TEST_F(MainWindowTest, ModeWindowAndControlsPerProductAndPictureSize) {
    const struct {
        DeviceSetup setup;
        uint16_t mode;
        uint8_t index;
        QSize windowSize;
        bool camera;  // a camera has no panel: only its close button shows
    } cases[] = {
        {{"P51K", "1060", 0, 0, "admin", "14"}, 0, 0, {722, 608}, false},
        {{"P53K", "1060", 1, 1, "admin", "20"}, 3, 3, {370, 414}, false},
        {{"P55K", "1060", 1, 2, "admin", "21"}, 3, 5, {370, 414}, false},
        {{"P62K", "1010", 0, 2, "admin", "11"}, 7, 4, {370, 366}, false},
        {{"N25V", "1010", 1, 0, "admin", "0"}, 8, 2, {722, 705}, true},
        {{"T18D", "1010", 1, 1, "admin", ""}, 13, 1, {370, 366}, true},
        {{"T18D", "1010", 0, 0, "admin", "0"}, 12, 0, {722, 608}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup.product + " video mode " + std::to_string(c.setup.videoMode) +
                     " resolution " + std::to_string(c.setup.resolution));
        ASSERT_EQ(OpenWindow(c.setup), 1);
        EXPECT_EQ(app.w_DisplayMode, c.mode);
        EXPECT_EQ(app.by_ImageSizeIndex, c.index);
        EXPECT_EQ(window->size(), c.windowSize);
        for (int i = 0; i < CQuorrelDlg::kTitleButtonCount; ++i) {
            EXPECT_TRUE(window->TitleButton(i)->isVisible());
            EXPECT_EQ(window->TitleButton(i)->geometry(), LayoutOfMode(c.mode).TitleButtonRect(i));
        }
        EXPECT_FALSE(window->PowerButton()->isVisible());
        EXPECT_EQ(window->PanelOpenButton()->isVisible(), !c.camera);
        EXPECT_EQ(window->PanelCloseButton()->isVisible(), c.camera);
        EXPECT_EQ(window->PanelOpenButton()->geometry(),
                  LayoutOfMode(c.mode).btnPanelOpen.ToQRect());
        EXPECT_FALSE(AnyRemoteKeyVisible(*window));
        EXPECT_EQ(window->StatusText(), "Start to get image!!");
        EXPECT_TRUE(app.h_StartToGetJpegImageEvent.Wait(0));
        window.reset();
    }
}

TEST_F(MainWindowTest, UserLevelChoosesTheUserClass) {
    ASSERT_EQ(OpenWindow({.user = "guest"}), 1);
    EXPECT_EQ(app.by_UserClass, 2);
    // A GUEST may not open the panel: its button is disabled and hidden.
    EXPECT_FALSE(window->PanelOpenButton()->isEnabled());
    EXPECT_FALSE(window->PanelOpenButton()->isVisible());
    window.reset();
    ASSERT_EQ(OpenWindow({.user = "odd"}), 1);
    EXPECT_EQ(app.by_UserClass, 3);  // an unknown level counts as NORMAL USER
    window.reset();
    ASSERT_EQ(OpenWindow({.user = "admin"}), 1);
    EXPECT_EQ(app.by_UserClass, 0);
}

TEST_F(MainWindowTest, DeviceInfoRequestCarriesTheClampedChannel) {
    app.CSettingINI.m_bySelectedChannel = 17;
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    EXPECT_EQ(app.CSettingINI.m_bySelectedChannel, 0);
    bool asked = false;
    for (const auto& request : device.Server().Log()) {
        if (request.path == "/Getdeviceinfo.cgi") {
            asked = true;
            ASSERT_NE(request.Param("CH"), nullptr);
            EXPECT_EQ(*request.Param("CH"), "0");
        }
    }
    EXPECT_TRUE(asked);
}

TEST_F(MainWindowTest, DeviceInfoFillsTheControlList) {
    // "LINKDEVICE" wins over "MASTERNUM".
    device.SetDeviceInfo("MASTERNUM", "2");
    device.SetDeviceInfo("MID", "1;MTYPE=1;MID=2;MTYPE=3");
    ASSERT_EQ(OpenWindow({.product = "P51K", .linkDevice = "14"}), 1);
    EXPECT_EQ(app.C_ControlD.GetCount(), 1);
    EXPECT_EQ(app.C_ControlD.GetCurrentKind(), 14);
    window.reset();
    // A type 1 master is the PTZ kind for the DVRs only.
    ASSERT_EQ(OpenWindow({.product = "P51K", .linkDevice = ""}), 1);
    EXPECT_EQ(app.C_ControlD.GetMasterKind(0), 11);
    window.reset();
    ASSERT_EQ(OpenWindow({.product = "P62K", .firmware = "1010", .linkDevice = ""}), 1);
    EXPECT_EQ(app.C_ControlD.GetMasterKind(0), 1);
}

// "RETR" makes the DVR itself the device of the panel; from firmware 1035 on only when
// the device's capability word says it has R.E.T.R.
TEST_F(MainWindowTest, RetrAnswerByFirmwareAndCapability) {
    device.SetDeviceInfo("RETR", "1");
    ASSERT_EQ(OpenWindow({.product = "P51K", .firmware = "1030"}), 1);
    EXPECT_EQ(app.C_ControlD.GetCurrentKind(), 19);
    EXPECT_EQ(app.C_ControlD.GetRetrState(), 1);
    window.reset();
    ASSERT_EQ(OpenWindow({.product = "P51K", .firmware = "1060"}), 1);
    EXPECT_EQ(app.C_ControlD.GetCurrentKind(), 14);
}

// The accounts of "SECURE" are searched within the section, whatever count it claims.
TEST_F(MainWindowTest, AccountSearchStaysWithinTheSection) {
    std::string secure(196, '\0');
    secure[2] = char(255);
    secure[3] = char(0xFF);
    LogIn({});
    ASSERT_TRUE(device.SetSection("SECURE", secure));
    ASSERT_EQ(BuildWindow(), 1);
    EXPECT_EQ(app.m_Cfg_SECURE[2], 255);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{});
}

// A P5xK whose stream changes from 228-line to 288-line fields switches to the PAL layout
// once; the same size again, or a size the family does not stream, changes nothing.
TEST_F(MainWindowTest, StreamSizeChangesTheLayoutOnce) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    window->SetImageSize(640, 228);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 0);
    EXPECT_EQ(window->size(), QSize(722, 608));
    window->SetImageSize(640, 288);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 2);
    EXPECT_EQ(app.by_PrevImageSizeIndex, 2);
    EXPECT_EQ(window->size(), QSize(722, 705));
    window->SetImageSize(704, 576);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 2);
    window->SetImageSize(320, 228);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 1);
    EXPECT_EQ(window->size(), QSize(370, 366));
}

// A mode that grows the window where it stands pulls it back inside the work area.
TEST_F(MainWindowTest, AGrowingWindowStaysInsideTheWorkArea) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    window->SetImageSize(320, 228);
    Settle();
    ASSERT_EQ(window->size(), QSize(370, 366));
    const QRect work = window->WorkAreaRect();
    window->move(work.right() + 1 - 370, work.bottom() + 1 - 366);
    Settle();
    for (const QSize picture : {QSize(640, 228), QSize(640, 288)}) {
        window->SetImageSize(static_cast<uint16_t>(picture.width()),
                             static_cast<uint16_t>(picture.height()));
        Settle();
        const QRect placed = window->geometry();
        ASSERT_GT(placed.width(), 370);
        // Inside, or at the work area's left or top where it is the larger.
        EXPECT_TRUE(placed.right() <= work.right() || placed.left() == work.left()) << placed.x();
        EXPECT_TRUE(placed.bottom() <= work.bottom() || placed.top() == work.top()) << placed.y();
        EXPECT_GE(placed.left(), work.left());
        EXPECT_GE(placed.top(), work.top());
    }
}

TEST_F(MainWindowTest, SmallestT18DPictureKeepsTheSmallLayout) {
    ASSERT_EQ(OpenWindow({.product = "T18D", .resolution = 2}), 1);
    EXPECT_EQ(app.w_DisplayMode, 13);
    EXPECT_EQ(app.by_ImageSizeIndex, 4);
    window->SetImageSize(160, 120);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 13);
    window->SetImageSize(640, 480);
    Settle();
    EXPECT_EQ(app.w_DisplayMode, 12);
    EXPECT_EQ(window->size(), QSize(722, 608));
}

TEST_F(MainWindowTest, FailedDeviceInfoLeavesNoWindowAndClosesInOrder) {
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/Getdeviceinfo.cgi"));
    EXPECT_EQ(OpenWindow(), 0);
    EXPECT_EQ(window->TitleButton(0), nullptr);
    EXPECT_FALSE(app.h_StartToGetJpegImageEvent.Wait(0));
    // The program reports the failure and closes through the orderly path.
    EXPECT_EQ(window->DestroyWindow(), 1);
    EXPECT_TRUE(std::filesystem::exists(programFolder / "Setting.ini"));
}

}  // namespace
