#pragma once
// Window tests against the simulated recorder: the Qt application, a fresh application
// record logged in to a recorder on 127.0.0.1 (account admin/admin), recorded message boxes
// and main-window calls, a plain window to put controls on, and the test-colour skin in the
// current folder so a button's colour tells which picture it shows.
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/RecorderRequests.h"
#include "../support/SkinFileOfColour.h"
#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

class DeviceWindowTest : public testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(ORMIDON_TEST_SKIN_DIR);
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        app.CSettingINI.m_wWebPort = device.Port();
        app.CSettingINI.m_strUsername = "admin";
        g_strLocalIPAddress.Set("127.0.0.1");
        window = std::make_unique<QWidget>();
        window->resize(730, 100);
    }
    void TearDown() override {
        window.reset();
        ClearSessionCookie();
        std::filesystem::current_path(previousFolder);
    }

    // Gives the recorder `productId` and the record the identity a login would have stored,
    // with a session of the recorder as the cookie.
    void LogIn(const std::string& productId, const std::string& firmware = "1060",
               uint8_t multiChannel = 1) {
        device.SetIdentity({productId, firmware, "00A0B1C2D3E4", "sim", 0});
        app.str_ProductID.Set(productId);
        app.str_FWVersion.Set(firmware);
        app.by_MultiChannel = multiChannel;
        SetSessionCookie(device.OpenSession("admin"));
    }

    // The targets of the requests the recorder received for `path`, in order.
    std::vector<std::string> Requests(const std::string& path) {
        return RequestTargets(device.Server(), path);
    }

    // The skin file whose test colour `widget` shows at (x, y) of the window, "" for none.
    std::string ShownFile(const QWidget* widget, int x = 5, int y = 5) {
        const QPoint at = widget->mapTo(window.get(), QPoint(x, y));
        const QRgb colour = testing::GrabWindow(window.get()).pixel(at) & 0xFFFFFF;
        return SkinFileOfColour(colour).value_or("");
    }

    std::filesystem::path previousFolder;
    RecordingMessageBoxes boxes;
    FakeLiveView view;
    sim::SimulatedRecorder device;
    AppRecordScope scope{&view};
    CAppObject& app = scope.App();
    std::unique_ptr<QWidget> window;
};

}  // namespace ormidon::test
