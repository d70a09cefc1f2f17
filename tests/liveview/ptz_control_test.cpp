#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceWindowFixture.h"
#include "core/DeviceKindTable.h"
#include "liveview/PtzControl.h"
#include "sim/Fault.h"

namespace {

using Bodies = std::vector<std::string>;

constexpr uint32_t kStrSendCommandFailed = 4065;

std::string Body(std::initializer_list<int> bytes) {
    std::string body;
    for (int byte : bytes) body.push_back(static_cast<char>(byte));
    return body;
}

// The main window as PTZ control sees it: a picker that answers as scripted, and the PTZ
// control key's state and tooltip.
class FakePtzView final : public PtzControlView {
  public:
    int RunDevicePicker(int& number) override {
        ++pickerRuns;
        number = pickedNumber;
        return pickerResult;
    }
    int PtzKeyState() const override { return keyState; }
    void SetPtzKeyState(int state) override { keyState = state; }
    std::string PtzKeyTooltip() const override { return tooltip; }
    void SetPtzKeyTooltip(std::string_view text) override { tooltip = text; }
    void RefreshRemotePanel() override { ++refreshes; }

    int pickerResult = 1;
    int pickedNumber = 1;
    int pickerRuns = 0;
    int keyState = 0;
    std::string tooltip = "PTZ_CONTROL_ON";
    int refreshes = 0;
};

class PtzControlTest : public ormidon::test::DeviceWindowTest {
  protected:
    // The device itself (a "4CH DVR (FULL)") and PTZ cameras of `kinds` behind it.
    void Cameras(std::initializer_list<uint8_t> kinds) {
        Devices().Clear();
        Devices().AddDevice(0, 0, 2, kRoleMaster);
        uint8_t address = 1;
        for (uint8_t kind : kinds) Devices().AddDevice(2400, address++, kind, kRoleSlave);
    }
    C_ControlD& Devices() { return app.C_ControlD; }
    Bodies Sent() { return device.Controls().Rs485Bodies(); }
    std::string Cookie() { return "&Cookie=" + GetSessionCookie(); }
    std::vector<std::string> Rs485Targets() { return Requests("/RS485Cmd.cgi"); }

    FakePtzView view;
};

TEST_F(PtzControlTest, SlaveReportRebuildsTheListOfAMultiChannelDvr) {
    LogIn("P51K", "1060", 1);
    Cameras({kDeviceKindPtzSlave});
    device.Controls().SetPtzSlaves({{3, 1, 1}, {4, 11, 0}});
    EXPECT_EQ(QueryPtzSlaveList(), 1);
    ASSERT_EQ(Devices().GetCount(), 3);
    const ControlDItem_Struct items[] = {Devices().GetItem(0), Devices().GetItem(1),
                                         Devices().GetItem(2)};
    EXPECT_EQ(items[0].dwBaudRate, 0u);
    EXPECT_EQ(items[0].byAddress, 0);
    EXPECT_EQ(items[0].byKind, 2);
    EXPECT_EQ(items[1].dwBaudRate, 2400u);
    EXPECT_EQ(items[1].byAddress, 3);
    EXPECT_EQ(items[1].byKind, kDeviceKindPtzPelco);
    EXPECT_EQ(items[2].byAddress, 4);
    EXPECT_EQ(items[2].byKind, kDeviceKindPtzSlave);
    for (const ControlDItem_Struct& item : items) EXPECT_TRUE(item.wFlags & kRoleMaster);
}

TEST_F(PtzControlTest, SlaveQueryOnlyOnMultiChannelDvrsAndFailureKeepsTheList) {
    LogIn("P53K", "1060", 0);
    Cameras({kDeviceKindPtzSlave});
    EXPECT_EQ(QueryPtzSlaveList(), 1);
    LogIn("P62K", "1060", 1);
    EXPECT_EQ(QueryPtzSlaveList(), 1);
    EXPECT_TRUE(Requests("/PTZReset.cgi").empty());

    LogIn("P55K", "1060", 1);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/PTZReset.cgi"));
    EXPECT_EQ(QueryPtzSlaveList(), 0);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandFailed});
    EXPECT_EQ(Devices().GetCount(), 2);
    EXPECT_EQ(Devices().GetSlaveKind(0), kDeviceKindPtzSlave);
}

TEST_F(PtzControlTest, FromTheDeviceToACamera) {
    LogIn("P62K");
    Cameras({0, 0, 0, 0, 0, 0, 0, 0, kDeviceKindPtzSlave, kDeviceKindPtzSlave});
    view.pickedNumber = 9;
    RunPtzControl(view);
    EXPECT_EQ(Sent(), Bodies{Body({2, 5, 14, 1, 50})});
    EXPECT_EQ(Rs485Targets(),
              std::vector<std::string>{"/RS485Cmd.cgi?Control=P51K&MASTER=1" + Cookie()});
    EXPECT_EQ(Devices().IsCurrentMaster(), 0);
    EXPECT_EQ(Devices().GetCurrentIndexInKind(), 8);
    EXPECT_EQ(view.keyState, 1);
    EXPECT_EQ(view.tooltip, "PTZ_CONTROL_OFF");
    EXPECT_EQ(app.by_HotPointMode, kHotPointOn);
    EXPECT_EQ(view.refreshes, 1);

    // Camera 10 is the next one: 6, 5.
    view.pickedNumber = 10;
    RunPtzControl(view);
    EXPECT_EQ(Sent().back(), Body({2, 6, 5, 1, 50}));
    EXPECT_EQ(Devices().GetCurrentIndexInKind(), 9);
}

TEST_F(PtzControlTest, NumbersWithoutACameraAreRefused) {
    LogIn("P62K");
    Cameras({kDeviceKindPtzSlave, kDeviceKindPtzSlave});
    for (int number : {0, 17, 3, -1}) {
        SCOPED_TRACE(number);
        view.pickedNumber = number;
        RunPtzControl(view);
    }
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>(4, kStrPtzNumberInvalid));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Devices().IsCurrentMaster(), 1);
    EXPECT_EQ(view.keyState, 0);
}

TEST_F(PtzControlTest, EscHandsTheBusBackToTheDevice) {
    LogIn("P62K");
    Cameras({kDeviceKindPtzSlave, kDeviceKindPtzSlave});
    Devices().MakeCurrent(kRoleSlave, 1);
    app.by_HotPointMode = kHotPointOn;
    view.keyState = 1;
    view.tooltip = "PTZ_CONTROL_OFF";
    view.pickerResult = 20;
    RunPtzControl(view);
    EXPECT_EQ(Sent(), Bodies{Body({1, 0x10, 1, 50})});
    EXPECT_EQ(Devices().IsCurrentMaster(), 1);
    EXPECT_EQ(Devices().GetCurrentIndexInKind(), 0);
    EXPECT_EQ(view.keyState, 0);
    EXPECT_EQ(view.tooltip, "PTZ_CONTROL_ON");
    EXPECT_EQ(app.by_HotPointMode, kHotPointOff);
    EXPECT_EQ(view.refreshes, 1);
}

TEST_F(PtzControlTest, CancelOnlyRestoresTheKey) {
    LogIn("P53K", "1060", 0);
    Cameras({kDeviceKindPtzSlave, kDeviceKindPtzSlave});
    Devices().MakeCurrent(kRoleSlave, 1);
    device.Controls().SetPtzSlaves({{7, 1, 1}});
    view.keyState = 0;  // the click stepped the key's picture
    view.pickerResult = 2;
    RunPtzControl(view);
    EXPECT_EQ(view.keyState, 1);
    EXPECT_EQ(Devices().GetCurrentIndexInKind(), 1);
    EXPECT_TRUE(Sent().empty());
    // The DVR's report gave the first camera its address and kind; the reset went out twice.
    EXPECT_EQ(Devices().GetSlaveKind(0), kDeviceKindPtzPelco);
    EXPECT_EQ(Devices().GetItem(1).byAddress, 7);
    EXPECT_EQ(Requests("/PTZReset.cgi").size(), 2u);
    EXPECT_EQ(view.refreshes, 0);
}

TEST_F(PtzControlTest, GuestsOfADvrDoNotSteerCameras) {
    LogIn("P51K", "1060", 0);
    Cameras({kDeviceKindPtzSlave});
    app.by_UserClass = 2;
    RunPtzControl(view);
    EXPECT_EQ(view.pickerRuns, 0);
    EXPECT_TRUE(device.Server().Log().empty());
}

TEST_F(PtzControlTest, RefusedSwitchIsTakenBack) {
    LogIn("P62K");
    Cameras({kDeviceKindPtzSlave, kDeviceKindPtzPelco});
    app.by_HotPointMode = kHotPointOff;
    view.pickedNumber = 2;
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/RS485Cmd.cgi"));
    RunPtzControl(view);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandFailed});
    EXPECT_EQ(Devices().IsCurrentMaster(), 1);
    EXPECT_EQ(view.keyState, 0);
    EXPECT_EQ(view.tooltip, "PTZ_CONTROL_ON");
    EXPECT_EQ(app.by_HotPointMode, kHotPointOff);
    EXPECT_EQ(app.w_HotPointMarkFrames, 2);
    EXPECT_EQ(view.refreshes, 0);
}

class HotPointClickTest : public PtzControlTest {
  protected:
    // The video rectangle of the windowed view: 640 x 456 from (42, 96).
    static constexpr LayoutRect kVideo{42, 96, 682, 552};

    int Click(int x, int y) {
        app.w_HotPointMouseX = static_cast<uint16_t>(x);
        app.w_HotPointMouseY = static_cast<uint16_t>(y);
        return SendHotPointClick(kVideo, kVideo, false);
    }
};

TEST_F(HotPointClickTest, SendsTheCellToTheSteeredCamera) {
    LogIn("P62K");
    Cameras({kDeviceKindPtzSlave, kDeviceKindPtzPelco});
    Devices().MakeCurrent(kRoleSlave, 0);
    app.by_UserClass = 0;  // SUPERVISOR: rank 60
    EXPECT_EQ(Click(43, 97), 0);
    EXPECT_EQ(Click(681, 551), 0);
    EXPECT_EQ(Sent(), (Bodies{Body({0x07, 0xD0, 0x01, 0x3C, 0x52, 0x00, 0x00, 0x5F, 0x01, 0x32}),
                              Body({0x07, 0xD0, 0x01, 0x3C, 0x52, 0xBF, 0x00, 0x1E, 0x01, 0x32})}));
    EXPECT_EQ(Rs485Targets().front(), "/RS485Cmd.cgi?Control=P51K&CH=0&MASTER=0" + Cookie());
    EXPECT_EQ(app.w_HotPointMarkX, 639);
    EXPECT_EQ(app.w_HotPointMarkY, 455);
    EXPECT_EQ(app.w_HotPointMarkFrames, 4);

    // A Pelco camera is named as such.
    Devices().MakeCurrent(kRoleSlave, 1);
    Click(100, 100);
    EXPECT_EQ(Rs485Targets().back(),
              "/RS485Cmd.cgi?Control=P51K&CH=1&MASTER=0&PELOCO=1&PROTOCOL=PELCO" + Cookie());
}

TEST_F(HotPointClickTest, ShortFormForPtzAndNothingOutsideThePicture) {
    LogIn("T18D", "0003", 0);
    Devices().Clear();
    Devices().AddDevice(0, 2, kDeviceKindPtz, kRoleMaster);
    EXPECT_EQ(Click(41, 300), 0);
    EXPECT_EQ(Click(300, 552), 0);
    EXPECT_TRUE(Sent().empty());
    Click(42 + 40 * 3 + 5, 96 + 38 * 2 + 5);
    EXPECT_EQ(Sent(), Bodies{Body({0x05, 0xD0, 0x02, 0x52, 0x23, 0x00, 0x01, 0x32})});
    EXPECT_EQ(Rs485Targets(),
              std::vector<std::string>{"/RS485Cmd.cgi?Control=P51K&CH=0&MASTER=1" + Cookie()});
}

TEST_F(HotPointClickTest, FailedClickShowsNoMarker) {
    LogIn("P62K");
    Cameras({kDeviceKindPtzSlave});
    Devices().MakeCurrent(kRoleSlave, 0);
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/RS485Cmd.cgi"));
    Click(100, 100);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStrSendCommandFailed});
    EXPECT_EQ(app.w_HotPointMarkFrames, 0);
}

}  // namespace
