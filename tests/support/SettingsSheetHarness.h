#pragma once
// The settings sheet against the simulated recorder, for the tests of the sheet and its
// pages: a recorder of a chosen identity, logged in, its sections read into the
// application record, the sheet open offscreen beside a stand-in main window; pages by
// caption, controls by id, APPLY, and what the recorder was sent since the sheet opened.
//
//   class MailPageTest : public ormidon::test::SettingsSheetTest {};
//   TEST_F(MailPageTest, ...) {
//       OpenSheet({.product = "P62K", .firmware = "1010"});
//       ShowPage("Mail");
//       Control<QLineEdit>(1040)->setText("...");   // or type with QTest
//       PressApply();
//       EXPECT_EQ(Writes("/SetSysCfg.cgi").at(0).query, "/SetSysCfg.cgi?Option=SMTP&...");
//   }
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.h"
#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "net/SysConfig.h"
#include "platform/Clock.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "settings/MySystemDialog.h"
#include "sheet/PropertyPage.h"
#include "sheet/SheetHost.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

// The main window as the sheet sees it: a plain window, a work area, and a record of the
// calls the sheet makes.
class FakeSheetHost final : public SheetHost {
  public:
    // Made on first use: the test's application exists by then.
    QWidget* HostWindow() override {
        if (!window) {
            window = std::make_unique<QWidget>();
            window->setGeometry(100, 100, 370, 300);
        }
        return window.get();
    }
    QRect WorkArea() const override { return workArea; }
    void RefreshRemotePanel() override { calls.push_back("RefreshRemotePanel"); }
    void ResetPtzControlKey() override { calls.push_back("ResetPtzControlKey"); }
    void SendRemoteKey(int withTarget, int keyCode) override {
        calls.push_back("SendRemoteKey:" + std::to_string(withTarget) + "," +
                        std::to_string(keyCode));
    }
    uint8_t CurrentChannel() override { return currentChannel; }
    int SetChannel(uint8_t channel) override {
        calls.push_back("SetChannel:" + std::to_string(channel));
        currentChannel = channel;
        return 1;
    }
    int ChannelCount() override { return channelCount; }

    std::unique_ptr<QWidget> window;
    QRect workArea{0, 0, 1920, 1080};
    std::vector<std::string> calls;
    uint8_t currentChannel = 0;
    int channelCount = 16;
};

struct SheetSetup {
    std::string product = "P51K";
    std::string firmware = "1060";
    uint32_t capability = 0;
};

// One request the recorder received: its path, its whole target (path and query) and body.
struct RecorderWrite {
    std::string path;
    std::string query;
    std::string body;
};

class SettingsSheetTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        app.CSettingINI.m_wWebPort = device.Port();
        g_strLocalIPAddress.Set("127.0.0.1");
    }
    void TearDown() override {
        sheet.reset();
        ClearSessionCookie();
    }

    // Gives the recorder the identity, logs in as the login would have, reads every section
    // as the main window does before it opens the sheet.
    void LogIn(const SheetSetup& setup = {}) {
        sim::DeviceIdentity identity;
        identity.productId = setup.product;
        identity.firmwareVersion = setup.firmware;
        identity.capability = setup.capability;
        device.SetIdentity(identity);
        ASSERT_TRUE(SetSessionCookie(device.OpenSession("admin")));
        app.str_ProductID.Set(setup.product);
        app.str_FWVersion.Set(setup.firmware);
        app.dw_Capability = setup.capability;
        app.f_VideoServerConnected = 1;
        ASSERT_EQ(GetSysCfg(CFG_ALL, nullptr, 0), 1);
    }

    // Logs in, opens the sheet and forgets what the recorder was asked so far.
    void OpenSheet(const SheetSetup& setup = {}) {
        LogIn(setup);
        sheet = std::make_unique<MySystemDialog>("System setting", &host, 0);
        sheet->Create();
        app.f_SystemDialogOpen = 1;
        ormidon::testing::ProcessEventsFor(10);
        device.Server().ClearLog();
    }

    CPropertyPage* Page(const std::string& caption) const {
        return sheet->PageByCaption(QString::fromStdString(caption));
    }
    // Selects the page's tree item, as a click would; true when the page is shown after.
    bool ShowPage(const std::string& caption) {
        CPropertyPage* page = Page(caption);
        if (page == nullptr) return false;
        QTreeWidgetItemIterator it(sheet->PageTree());
        for (; *it != nullptr; ++it) {
            if ((*it)->text(0) == QString::fromStdString(caption)) {
                sheet->PageTree()->setCurrentItem(*it);
                break;
            }
        }
        ormidon::testing::ProcessEventsFor(5);
        return sheet->GetActivePage() == page;
    }
    // The control with this id on the shown page, else elsewhere in the sheet (pages share
    // ids, as their dialogs did).
    template <typename T = QWidget>
    T* Control(int id) const {
        if (const QWidget* page = sheet->GetActivePage(); page != nullptr)
            if (T* control = ormidon::FindControl<T>(page, id); control != nullptr) return control;
        return ormidon::FindControl<T>(sheet.get(), id);
    }
    QPushButton* Button(int id) const { return Control<QPushButton>(id); }

    // Presses APPLY. The pause after a changed address passes on the test clock.
    void PressApply() {
        std::atomic<bool> done{false};
        // The progress thread's wait is one waiter; a second is APPLY's pause.
        std::thread advancer([this, &done] {
            while (!done) {
                if (clock.WaitForWaiters(2, 5)) clock.Advance(MySystemDialog::kApplyNetworkPause);
            }
        });
        Button(MySystemDialog::kIdApply)->click();
        done = true;
        advancer.join();
        ormidon::testing::ProcessEventsFor(5);
    }

    // What the recorder received since the sheet opened, in order; only `path` when given.
    std::vector<RecorderWrite> Writes(const std::string& path = {}) {
        std::vector<RecorderWrite> writes;
        for (const sim::HttpRequest& request : device.Server().Log()) {
            if (!path.empty() && request.path != path) continue;
            writes.push_back({request.path, request.target, request.body});
        }
        return writes;
    }

    // Declared so that the sheet goes first, then the record, then the recorder, the
    // message-box recorder and the clock.
    TestClock clock;
    ScopedClockOverride useClock{clock};
    RecordingMessageBoxes boxes;
    sim::SimulatedRecorder device{
        sim::RecorderSetup{{}, {{"admin", "admin", 30}, {"guest", "guest", 0}}}};
    AppRecordScope scope;
    CAppObject& app = scope.App();
    FakeSheetHost host;
    std::unique_ptr<MySystemDialog> sheet;
};

}  // namespace ormidon::test
