// The main window's commands against the simulated recorder: the function bar's buttons
// pressed as an operator would, with the recorder answering or failing, and the live
// stream taken down and brought back by DISCONNECT and CONNECT.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "MainWindowFixture.h"
#include "core/AppResources.h"
#include "core/LivePipeline.h"
#include "liveview/CColorAdjustDlg.h"
#include "liveview/CVtxButton.h"
#include "net/LiveStreamPipeline.h"
#include "net/SysConfig.h"
#include "platform/Clock.h"
#include "platform/window/ControlId.h"
#include "record/AppRecording.h"
#include "record/RecordFileValidator.h"
#include "settings/MySystemDialog.h"

namespace {

using namespace ormidon::test;
using namespace std::chrono_literals;
using ormidon::testing::ProcessEventsUntil;
using Targets = std::vector<std::string>;

class MainWindowCommandsTest : public MainWindowTest {
  protected:
    void TearDown() override {
        // The threads go before the window they draw into.
        ExitLoginResource();
        ExitProcessResource();
        SetLiveRecording(nullptr);
        SetLivePipeline(nullptr);
        MainWindowTest::TearDown();
    }

    CVtxButton* Button(int id) { return window->FunctionBar().ButtonById(id); }

    std::string Cookie() { return "Cookie=" + GetSessionCookie(); }
};

TEST_F(MainWindowCommandsTest, ResolutionThatTheDeviceRefusesIsRestored) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    device.Server().ClearLog();
    ASSERT_EQ(Button(1007)->GetState(), 0);

    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/Setresolution.cgi"));
    Button(1007)->click();
    EXPECT_EQ(app.CSettingINI.m_dwImageResolution, 0);
    EXPECT_EQ(Button(1007)->GetState(), 0);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4066}));

    Button(1007)->click();
    EXPECT_EQ(app.CSettingINI.m_dwImageResolution, 1);
    EXPECT_EQ(Button(1007)->GetState(), 1);
    EXPECT_EQ(device.SessionState(GetSessionCookie())->resolution, 1);
    EXPECT_EQ(Requests("/Setresolution.cgi"),
              (Targets{"/Setresolution.cgi?" + Cookie() + "&RES=1",
                       "/Setresolution.cgi?" + Cookie() + "&RES=1"}));
}

TEST_F(MainWindowCommandsTest, QualityPressedThreeTimesComesBack) {
    app.CSettingINI.m_dwAlarmTriggerQuality = 1;
    ASSERT_EQ(OpenWindow({.product = "P62K"}), 1);
    device.Server().ClearLog();
    ASSERT_EQ(Button(1008)->GetState(), 1);
    std::vector<int> states;
    for (int press = 0; press < 3; ++press) {
        Button(1008)->click();
        states.push_back(Button(1008)->GetState());
    }
    EXPECT_EQ(states, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(app.CSettingINI.m_dwAlarmTriggerQuality, 1);
    EXPECT_EQ(device.SessionState(GetSessionCookie())->quality, 1);
    EXPECT_EQ(Requests("/Setquality.cgi"), (Targets{"/Setquality.cgi?" + Cookie() + "&QUA=2",
                                                    "/Setquality.cgi?" + Cookie() + "&QUA=0",
                                                    "/Setquality.cgi?" + Cookie() + "&QUA=1"}));

    device.Server().AddFault(ormidon::sim::Fault::CloseWithoutReply("/Setquality.cgi"));
    Button(1008)->click();
    EXPECT_EQ(app.CSettingINI.m_dwAlarmTriggerQuality, 1);
    EXPECT_EQ(Button(1008)->GetState(), 1);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4011}));
}

TEST_F(MainWindowCommandsTest, CommandsWaitForTheFirstFrame) {
    ASSERT_EQ(OpenWindow({.product = "P62K"}), 1);
    device.Server().ClearLog();
    const std::string status = window->StatusText();
    for (int id : {1005, 1004, 1006, 999}) Button(id)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4085, 4085, 4085, 4085}));
    EXPECT_FALSE(app.m_UserRecord.IsRecording());
    EXPECT_EQ(app.f_SnapshotRequest, 0);
    EXPECT_TRUE(device.Server().Log().empty());
    EXPECT_EQ(window->StatusText(), status);
}

TEST_F(MainWindowCommandsTest, SnapshotSavesTheNextDrawnFrameNamedByTheClock) {
    ASSERT_EQ(OpenWindow({.product = "P51K"}), 1);
    TempFolder snapshots;
    app.CSettingINI.m_strSnapshotPath = snapshots.path().string();
    ormidon::TestClock clock;
    clock.SetLocalTime({2008, 7, 17, 10, 30, 15});
    ormidon::ScopedClockOverride useClock(clock);
    std::vector<uint8_t> picture(size_t(640) * 228 * 3, 0x80);
    app.lp_CurrentImage = picture.data();
    app.w_ImageWidth = 640;
    app.w_ImageHeight = 228;
    app.f_VideoServerConnected = 1;

    Button(1004)->click();
    EXPECT_EQ(app.f_SnapshotRequest, 1);
    for (int frame = 0; frame < 2; ++frame) {
        std::thread([this] { window->DrawFrame(); }).join();
    }
    Settle();
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(snapshots.path())) {
        files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, (std::vector<std::string>{"080717T103015.jpg"}));
    EXPECT_TRUE(boxes.Ids().empty());
}

// Newer firmware reads every section at once; older firmware section by section.
TEST_F(MainWindowCommandsTest, SectionRequestsFollowTheFirmware) {
    const Targets camera = {"IP",    "ONLINE", "ALARM", "SECURE", "SMTP", "FTP",
                            "RS485", "PERI",   "SNTP",  "PPPOE",  "DNS"};
    const Targets dvr = {"IP",    "ONLINE",  "ALARM",  "SECURE", "SMTP", "FTP",
                         "RS485", "DVRLIVE", "DVRREC", "PPPOE",  "DNS"};
    struct Case {
        const char* product;
        const char* firmware;
        Targets options;
    };
    const Case cases[] = {
        {"P62K", "0002", camera},  {"P62K", "0003", {"ALL"}},  {"P62K", "02", {"ALL"}},
        {"T18D", "0002", camera},  {"N25V", "0010", {"ALL"}},  {"P51K", "1023", dvr},
        {"P55K", "1024", {"ALL"}}, {"P53K", "10230", {"ALL"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        ASSERT_EQ(OpenWindow({.product = c.product, .firmware = c.firmware}), 1);
        device.Server().ClearLog();
        app.m_Cfg_PPPOE_Old.fill(0);
        EXPECT_EQ(window->ReadConfigSections(), 1);
        Targets options;
        for (const ormidon::sim::HttpRequest& request : device.Server().Log()) {
            if (const std::string* option = request.Param("Option")) options.push_back(*option);
        }
        EXPECT_EQ(options, c.options);
        if (c.options.size() > 1) {
            const std::string pppoe = *device.Section("PPPOE");
            EXPECT_EQ(std::string(app.m_Cfg_PPPOE_Old.begin(), app.m_Cfg_PPPOE_Old.end()), pppoe);
        }
        window.reset();
        DeviceKindTable = BuildDeviceKindTable();
    }
}

TEST_F(MainWindowCommandsTest, SystemConfigOpensAndClosesTheSheetOnlyWhenTheSectionsAreRead) {
    ASSERT_EQ(OpenWindow({.product = "P51K", .firmware = "1060"}), 1);
    app.f_VideoServerConnected = 1;
    const std::string status = window->StatusText();
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/GetSysCfg.cgi"));
    Button(1006)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4029}));
    EXPECT_EQ(window->StatusText(), status);

    EXPECT_EQ(window->SystemDialog(), nullptr);

    // Read: the sheet opens; a second press closes it, a third opens a fresh one.
    Button(1006)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4029}));
    ASSERT_NE(window->SystemDialog(), nullptr);
    EXPECT_TRUE(window->SystemDialog()->isVisible());
    EXPECT_EQ(app.f_SystemDialogOpen.load(), 1);
    Button(1006)->click();
    EXPECT_EQ(window->SystemDialog(), nullptr);
    EXPECT_EQ(app.f_SystemDialogOpen.load(), 0);
    Button(1006)->click();
    ASSERT_NE(window->SystemDialog(), nullptr);
    EXPECT_EQ(app.f_SystemDialogOpen.load(), 1);
}

// Every section record the client holds, the older PPPOE layout last.
std::vector<std::vector<uint8_t>> SectionRecords(CAppObject& app) {
    std::vector<std::vector<uint8_t>> records;
    for (uint8_t option = 0; option < CFG_ALL; ++option) {
        const std::span<const uint8_t> block = ConfigBlockOf(app, option);
        records.emplace_back(block.begin(), block.end());
    }
    const std::span<const uint8_t> old = ConfigBlockOf(app, CFG_PPPOE, true);
    records.emplace_back(old.begin(), old.end());
    return records;
}

TEST_F(MainWindowCommandsTest, ABadSectionReplyOpensNoSheetAndKeepsTheRecords) {
    ASSERT_EQ(OpenWindow({.product = "P51K", .firmware = "1060"}), 1);
    app.f_VideoServerConnected = 1;
    const auto before = SectionRecords(app);
    // The recorder's sections change, so a record taken from the bad reply would differ.
    for (const char* name : {"DNS", "SMTP", "FTP", "PPPOE", "ALARM", "RS485", "DVRREC"}) {
        std::string bytes = *device.Section(name);
        for (char& byte : bytes) byte = static_cast<char>(byte ^ 0x5A);
        ASSERT_TRUE(device.SetSection(name, bytes)) << name;
    }
    const std::vector<std::pair<const char*, ormidon::sim::Fault>> faults = {
        {"closed", ormidon::sim::Fault::CloseWithoutReply("/GetSysCfg.cgi")},
        {"short", ormidon::sim::Fault::ShortBody(10, "/GetSysCfg.cgi")},
        {"garbage", ormidon::sim::Fault::ReplaceBody("garbage", "/GetSysCfg.cgi")},
    };
    std::vector<uint32_t> shown;
    for (const auto& [name, fault] : faults) {
        SCOPED_TRACE(name);
        device.Server().AddFault(fault);
        Button(1006)->click();
        shown.push_back(4029);
        EXPECT_EQ(boxes.Ids(), shown);
        EXPECT_EQ(window->SystemDialog(), nullptr);
        EXPECT_EQ(SectionRecords(app), before);
    }
    // A good reply then brings the changed sections.
    Button(1006)->click();
    EXPECT_EQ(boxes.Ids(), shown);
    ASSERT_NE(window->SystemDialog(), nullptr);
    const auto after = SectionRecords(app);
    for (const ConfigOption option :
         {CFG_DNS, CFG_SMTP, CFG_FTP, CFG_ALARM, CFG_RS485, CFG_DVRREC}) {
        SCOPED_TRACE(static_cast<int>(option));
        EXPECT_NE(after[option], before[option]);
    }
}

TEST_F(MainWindowCommandsTest, ColourValuesComeFromTheDevice) {
    ASSERT_EQ(OpenWindow({.product = "P62K"}), 1);
    app.f_VideoServerConnected = 1;
    device.SetColourReply("BRI=12;HUE=-3;");
    // The colour window opens with the values as it shows them, and is closed with OK.
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* colour = qobject_cast<CColorAdjustDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(colour, nullptr);
        for (int id : {1040, 1041, 1042}) {
            shown += ormidon::FindControl<QLineEdit>(colour, id)->text() + " ";
        }
        ormidon::FindControl<CVtxButton>(colour, CColorAdjustDlg::kIdOK)->click();
    });
    Button(999)->click();
    EXPECT_EQ(shown, "140 128 125 ");  // brightness and hue from the middle of the range
    EXPECT_TRUE(Requests("/SetColor.cgi").empty());
    EXPECT_EQ(window->LastColourValues().brightness, 12);
    EXPECT_EQ(window->LastColourValues().contrast, 128);
    EXPECT_EQ(window->LastColourValues().hue, -3);
    EXPECT_EQ(Requests("/GetColor.cgi").back(), "/GetColor.cgi?" + Cookie());

    // A reply larger than the room for it is refused, not cut.
    device.SetColourReply("BRI=1;" + std::string(300, 'x'));
    Button(999)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4064}));
    EXPECT_EQ(window->LastColourValues().brightness, 12);
}

TEST_F(MainWindowCommandsTest, ChannelButtonsAskTheDevice) {
    device.SetDeviceInfo("MULTICH", "1");
    ASSERT_EQ(OpenWindow({.product = "P53K"}), 1);
    device.Server().ClearLog();
    CChannelBar& bar = window->ChannelBar();
    ASSERT_TRUE(bar.IsEnabled());
    EXPECT_FALSE(bar.Button(3)->isHidden());
    bar.Button(3)->click();
    // The DVR's cameras are asked for first, so the channel's camera takes the panel.
    EXPECT_EQ(Requests("/PTZReset.cgi"), (Targets{"/PTZReset.cgi?" + Cookie()}));
    EXPECT_EQ(Requests("/SetChannel.cgi"), (Targets{"/SetChannel.cgi?" + Cookie() + "&CH=3"}));
    EXPECT_EQ(device.SessionState(GetSessionCookie())->channel, 3);

    // The stream reports the channel from its compose thread.
    std::thread([this] { static_cast<LiveView*>(window.get())->SelectChannel(3); }).join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return bar.CurrentChannel() == 3; }));
    EXPECT_EQ(bar.Button(3)->GetState(), 0);
    EXPECT_EQ(bar.Button(0)->GetState(), 1);
}

// The window with the engine's threads and the live stream running. The engine's pauses
// run on a test clock, which a test moves on while it waits for them; the clock outlives
// the threads.
class LiveStreamCommandsTest : public MainWindowCommandsTest {
  protected:
    void OpenLiveWindow(const DeviceSetup& setup) {
        device.Video().SetSetup({.framesPerSecond = 30});
        SetLivePipeline(&LiveStreamPipelineInstance());
        SetLiveRecording(&AppLiveRecordingInstance());
        ASSERT_TRUE(InitialSemaphore());
        ASSERT_TRUE(InitProcessResource());
        ASSERT_TRUE(InitLoginResource());
        ASSERT_EQ(OpenWindow(setup), 1);
        ASSERT_TRUE(device.Video().WaitForActiveStreams(1, 10s));
        ASSERT_TRUE(ProcessEventsUntil([&] { return app.f_VideoServerConnected == 1; }, 10000));
    }
    bool AdvanceUntil(const std::function<bool()>& done) {
        for (int step = 0; step < 1000 && !done(); ++step) {
            ormidon::testing::ProcessEventsFor(1);
            clock.Advance(20);
        }
        return done();
    }

    ormidon::TestClock clock;
    ormidon::ScopedClockOverride useClock{clock};
};

TEST_F(LiveStreamCommandsTest, DisconnectAndConnectAgainGiveOneLiveStream) {
    OpenLiveWindow({.product = "P51K"});
    CVtxButton* connect = Button(1002);
    EXPECT_EQ(connect->GetState(), 0);

    connect->click();  // DISCONNECT
    EXPECT_EQ(window->StatusText(), "DISCONNECT!!");
    EXPECT_EQ(app.f_Connected, 0);
    EXPECT_EQ(connect->GetState(), 1);
    EXPECT_TRUE(device.Video().WaitForActiveStreams(0, 10s));
    device.Server().ClearLog();

    connect->click();  // CONNECT
    EXPECT_EQ(connect->GetState(), 0);
    ASSERT_TRUE(AdvanceUntil([&] { return device.Video().ActiveStreams() == 1; }));
    ASSERT_TRUE(ProcessEventsUntil([&] { return app.f_GetImageRunning == 1; }, 10000));
    const uint64_t frames = device.Video().FramesSent();
    ASSERT_TRUE(device.Video().WaitForFrames(frames + 5, 10s));
    ormidon::testing::ProcessEventsFor(100);
    EXPECT_EQ(device.Video().ActiveStreams(), 1);
    EXPECT_EQ(Requests("/Getvideo.cgi").size(), 1u);
    EXPECT_EQ(app.f_Connected, 1);
}

TEST_F(LiveStreamCommandsTest, RecordStartsAndStopsAUserRecording) {
    TempFolder records;
    app.CSettingINI.m_strRecordPath = (records / "missing").string();
    OpenLiveWindow({.product = "P51K"});
    CVtxButton* record = Button(1005);
    record->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4018}));
    EXPECT_EQ(record->GetState(), 0);
    EXPECT_FALSE(app.m_UserRecord.IsRecording());

    app.CSettingINI.m_strRecordPath = records.path().string();
    record->click();
    EXPECT_EQ(record->GetState(), 1);
    EXPECT_EQ(record->toolTip().toStdString(), "RECORDING");
    const uint32_t shown = app.dw_ShownFrames;
    ASSERT_TRUE(ProcessEventsUntil([&] { return app.dw_ShownFrames >= shown + 10; }, 10000));
    record->click();
    EXPECT_EQ(record->GetState(), 0);
    EXPECT_EQ(record->toolTip().toStdString(), "RECORD");
    EXPECT_FALSE(app.m_UserRecord.IsRecording());

    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(records.path())) {
        files.push_back(entry.path());
    }
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("USER_MJPEG_", 0), 0u);
    EXPECT_EQ(files[0].extension(), ".vse");
    const RecordFileCheck check = ValidateRecordFile(files[0]);
    ASSERT_TRUE(check.valid) << check.error;
    EXPECT_GE(check.frames.size(), 5u);
    EXPECT_EQ(check.frames.front().width, 640);
    EXPECT_EQ(boxes.Ids().size(), 1u);
}

// A multi-channel DVR restarted on its last channel: the requests of start-up in their
// order, and the bar, the request and the picture all on that channel.
TEST_F(LiveStreamCommandsTest, StartUpAsksInOrderAndStartsOnTheSavedChannel) {
    device.SetDeviceInfo("MULTICH", "1");
    std::vector<ormidon::sim::PtzSlaveEntry> cameras(16);
    for (int i = 0; i < 16; ++i) cameras[static_cast<size_t>(i)].address = 101 + i;
    device.Controls().SetPtzSlaves(cameras);
    app.CSettingINI.m_bySelectedChannel = 16;
    OpenLiveWindow({.product = "P51K"});
    // The panel steers the channel's camera.
    EXPECT_EQ(app.C_ControlD.GetCurrentKind(), kDeviceKindPtzSlave);
    EXPECT_EQ(app.C_ControlD.GetCurrentAddress(), 116);
    // Each request by its path, and the section of a section read.
    std::vector<std::string> paths;
    for (const auto& request : device.Server().Log()) {
        if (request.path == "/Getvideo.cgi") continue;
        const std::string* section = request.Param("Option");
        paths.push_back(request.path + (section ? " " + *section : ""));
    }
    const std::vector<std::string> expected = {
        "/GetSysCfg.cgi INF",    "/Getdeviceinfo.cgi", "/RS485Cmd.cgi", "/PTZReset.cgi",
        "/GetSysCfg.cgi SYSTEM", "/GetSysCfg.cgi INF", "/PTZReset.cgi", "/GetSysCfg.cgi ALL"};
    EXPECT_EQ(paths, expected);
    EXPECT_NE(Requests("/Getdeviceinfo.cgi").front().find("&CH=16"), std::string::npos);

    CChannelBar& bar = window->ChannelBar();
    ASSERT_TRUE(ProcessEventsUntil([&] { return app.dw_ShownFrames >= 3; }, 10000));
    EXPECT_EQ(app.m_RTPH_Struct.LastFrameInfo().byLiveChannel, 16);
    EXPECT_EQ(bar.CurrentChannel(), 16);
    EXPECT_FALSE(bar.Button(16)->isHidden());
    EXPECT_EQ(bar.Button(16)->GetState(), 0);
    EXPECT_EQ(bar.Button(0)->GetState(), 1);
}

}  // namespace
