#pragma once
// The main window against the simulated recorder: an application record logged in to a
// recorder on 127.0.0.1 with the accounts admin (level 30) and guest (level 0), the Qt
// window-message router and a message-box recorder installed, and a program folder of
// its own whose skin is the built one (Setting.ini lands there, not in the build).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/RecorderRequests.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/AppResources.h"
#include "core/ControlFile.h"
#include "core/DeviceKindTable.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "liveview/CQuorrelDlg.h"
#include "platform/Paths.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

struct DeviceSetup {
    std::string product = "P51K";
    std::string firmware = "1060";
    int videoMode = 0;   // the device's "VIDEOMODE"
    int resolution = 0;  // the settings' resolution
    std::string user = "admin";
    std::string linkDevice = "14";  // the device kind it reports; empty for none
};

class MainWindowTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        const char* built = std::getenv("ORMIDON_PROGRAM_DIR");
        ASSERT_NE(built, nullptr);
        std::filesystem::create_directory_symlink(std::filesystem::path(built) / "BMP",
                                                  programFolder / "BMP");
        std::filesystem::create_symlink(std::filesystem::path(built) / "CtrlFile.ini",
                                        programFolder / "CtrlFile.ini");
        SetProgramFolderForTesting(programFolder.path());
        ASSERT_EQ(LoadControlFile(), 1);
        BindControlDevices();
        SetWindowMessageRouter(&router);
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        app.CSettingINI.m_wWebPort = device.Port();
        g_strLocalIPAddress.Set("127.0.0.1");
        ASSERT_TRUE(AllocateSystemBuffer());
    }
    void TearDown() override {
        window.reset();
        // The window's initialisation changes the table for the life of the process.
        DeviceKindTable = BuildDeviceKindTable();
        ClearSessionCookie();
        SetWindowMessageRouter(nullptr);
        SetProgramFolderForTesting({});
    }

    // Logs in as the setup says (as the login window would have) and builds the window.
    // Returns what its initialisation answered.
    int OpenWindow(const DeviceSetup& setup = {}) {
        LogIn(setup);
        return BuildWindow();
    }

    void LogIn(const DeviceSetup& setup) {
        sim::DeviceIdentity identity;
        identity.productId = setup.product;
        identity.firmwareVersion = setup.firmware;
        device.SetIdentity(identity);
        device.SetDeviceInfo("VIDEOMODE", std::to_string(setup.videoMode));
        if (setup.linkDevice.empty()) {
            device.RemoveDeviceInfo("LINKDEVICE");
        } else {
            device.SetDeviceInfo("LINKDEVICE", setup.linkDevice);
        }
        SetSessionCookie(device.OpenSession(setup.user));
        app.str_ProductID.Set(setup.product);
        app.str_FWVersion.Set(setup.firmware);
        app.CSettingINI.m_strUsername = setup.user;
        app.CSettingINI.m_strPassword = setup.user;
        app.CSettingINI.m_dwImageResolution = setup.resolution;
        // As after start-up: no control devices yet.
        app.C_ControlD.Clear();
    }

    int BuildWindow() {
        window = std::make_unique<CQuorrelDlg>();
        const int built = window->OnInitDialog();
        if (built) window->show();
        ormidon::testing::ProcessEventsFor(20);
        return built;
    }

    // Runs the UI thread's events until the window has taken its posted work.
    void Settle(int milliseconds = 30) { ormidon::testing::ProcessEventsFor(milliseconds); }

    // The targets of the requests for `path` since the last ClearLog.
    std::vector<std::string> Requests(const std::string& path) {
        return RequestTargets(device.Server(), path);
    }

    TempFolder programFolder;
    QtWindowMessageRouter router;
    RecordingMessageBoxes boxes;
    sim::SimulatedRecorder device{
        sim::RecorderSetup{{}, {{"admin", "admin", 30}, {"guest", "guest", 0}, {"odd", "odd", 5}}}};
    AppRecordScope scope;
    CAppObject& app = scope.App();
    // Goes before the record: the window lets go of it when it is destroyed.
    std::unique_ptr<CQuorrelDlg> window;
};

}  // namespace ormidon::test
