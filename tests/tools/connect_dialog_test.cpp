// The "Connect ..." window and the login window's firmware button against the simulated
// recorder: the worker's answer ends the window, the dots move, Escape stops the worker,
// and the checks on level, family and firmware that follow a successful connect.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "../support/TypablePort.h"
#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "net/LoginWorker.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/WindowTimers.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"
#include "tools/CConnectDialog.h"
#include "tools/CUpgradeFWDlg.h"
#include "tools/LoginDialog.h"

namespace {

using namespace ormidon;
using ormidon::testing::ProcessEventsUntil;

class ConnectDialogTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetWindowMessageRouter(&router_);
        ASSERT_TRUE(test::StartOnTypablePort(device));
        g_strLocalIPAddress.Set("127.0.0.1");
        login = std::make_unique<LoginDialog>();
        login->m_strServerAddress = "127.0.0.1";
        login->m_strUserName = "admin";
        login->m_strUserPassword = "admin";
        login->m_strPortText = std::to_string(device.Port());
    }
    void TearDown() override {
        if (g_lpLogin) g_lpLogin->StopThread();
        login.reset();
        device.Stop();
        SetWindowMessageRouter(nullptr);
        ClearSessionCookie();
    }

    // Opens the window without a modal loop; its result once it ends.
    void Open(CConnectDialog& window) {
        QObject::connect(&window, &QDialog::finished, [this](int r) { result = r; });
        window.OnInitDialog();
        window.open();
    }
    QString Shown(CConnectDialog& window) {
        return FindControl<QLabel>(&window, CConnectDialog::kIdText)->text();
    }

    test::RecordingMessageBoxes boxes;
    sim::SimulatedRecorder device;
    test::AppRecordScope scope;
    std::unique_ptr<LoginDialog> login;
    std::optional<int> result;

  private:
    QtWindowMessageRouter router_;
};

TEST_F(ConnectDialogTest, EndsWithTheWorkersAnswer) {
    struct Case {
        const char* password;
        int result;
        std::vector<uint32_t> boxes;
    };
    const Case cases[] = {{"admin", 1, {}}, {"wrong", -1, {4040}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        login->m_strUserPassword = c.password;
        result.reset();
        CConnectDialog window(nullptr, login.get());
        window.m_strConnectText = "Connect 127.0.0.1";
        Open(window);
        EXPECT_EQ(Shown(window), "Connect 127.0.0.1");
        ASSERT_TRUE(ProcessEventsUntil([&] { return result.has_value(); }));
        EXPECT_EQ(result, c.result);
        EXPECT_FALSE(window.Timers().IsRunning(CConnectDialog::kDotTimer));
        EXPECT_TRUE(ProcessEventsUntil([&] { return boxes.Ids() == c.boxes; }));
    }
    EXPECT_EQ(g_lpApp->w_UserLevel, 30);  // the device information was read
}

TEST_F(ConnectDialogTest, AWorkerThatCannotStartIsAFailedLogin) {
    CConnectDialog window(nullptr, login.get());
    FailThreadStartsForTesting(1);
    const int answer = window.DoModal();
    FailThreadStartsForTesting(0);
    EXPECT_EQ(answer, -1);
    EXPECT_FALSE(window.Timers().IsRunning(CConnectDialog::kDotTimer));
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4040});
    EXPECT_EQ(device.Server().Log().size(), 0u);
}

TEST_F(ConnectDialogTest, TheDotsCycleWhileTheDeviceIsSilentUntilTheTimeOut) {
    TestClock clock;
    ScopedClockOverride useClock(clock);
    device.Server().AddFault(sim::Fault::Stall("/Login.cgi"));
    CConnectDialog window(nullptr, login.get());
    window.m_strConnectText = "Connect 127.0.0.1";
    Open(window);
    for (const char* dots : {".", "..", "...", "....", "."}) {
        ASSERT_TRUE(window.Timers().Elapse(CConnectDialog::kDotTimer));
        EXPECT_EQ(Shown(window).toStdString(), std::string("Connect 127.0.0.1 ") + dots);
    }
    ormidon::testing::SaveScreenshot(&window, "connect-window");
    ASSERT_TRUE(device.Server().WaitForLogSize(1, std::chrono::seconds(5)));
    // The login's 15 s receive time-out passes on the test clock.
    ASSERT_TRUE(ProcessEventsUntil([&] {
        clock.Advance(1000);
        return result.has_value();
    }));
    EXPECT_EQ(result, -1);
    device.Server().EndStalls();
}

TEST_F(ConnectDialogTest, EscapeStopsTheWorkerAndNothingLateArrives) {
    device.Server().AddFault(sim::Fault::Stall("/Login.cgi"));
    auto window = std::make_unique<CConnectDialog>(nullptr, login.get());
    Open(*window);
    ASSERT_TRUE(device.Server().WaitForLogSize(1, std::chrono::seconds(5)));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_FALSE(result.has_value());  // no button to press
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(window->Timers().IsRunning(CConnectDialog::kDotTimer));
    window.reset();
    device.Server().EndStalls();
    ormidon::testing::ProcessEventsFor(30);
    EXPECT_TRUE(boxes.Ids().empty());  // the stopped worker says nothing
}

// The firmware button: the connect window runs modally, then the checks.
class UpgradeButtonTest : public ConnectDialogTest {
  protected:
    void SetUp() override {
        ConnectDialogTest::SetUp();
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(ORMIDON_TEST_SKIN_DIR);  // the login window's buttons
    }
    void TearDown() override {
        std::filesystem::current_path(previousFolder_);
        ConnectDialogTest::TearDown();
    }

    // Presses the button and cancels the upgrade window; true when that window opened.
    bool PressUpgrade() {
        login->open();
        EXPECT_TRUE(ProcessEventsUntil([&] { return login->isVisible(); }));
        FindControl<QLineEdit>(login.get(), LoginDialog::kIdPassword)->setText("admin");
        bool reached = false;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            if (auto* upgrade = qobject_cast<CUpgradeFWDlg*>(QApplication::activeModalWidget())) {
                reached = true;
                upgrade->reject();
            }
        });
        answerer.start(5);
        auto* button = FindControl<QAbstractButton>(login.get(), LoginDialog::kIdUpgradeFirmware);
        EXPECT_NE(button, nullptr);
        if (button == nullptr) return false;
        button->click();
        return reached;
    }

  private:
    std::filesystem::path previousFolder_;
};

TEST_F(UpgradeButtonTest, OnlyAnUpgradableAdministratorGetsThrough) {
    struct Case {
        const char* name;
        const char* product;
        const char* firmware;
        int level;
        bool reached;
        const char* text;
    };
    const Case cases[] = {
        {"administrator", "P51K", "1031", 30, true, nullptr},
        {"camera family", "N25V", "0001", 30, true, nullptr},
        {"short version passes", "P53K", "103", 30, true, nullptr},
        {"normal user", "P51K", "1060", 10, false,
         "Only administrator could use upgrade firmware function"},
        {"old firmware", "P55K", "1030", 30, false, "Device doesn't support network upgrade FW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::DeviceIdentity identity;
        identity.productId = c.product;
        identity.firmwareVersion = c.firmware;
        device.SetIdentity(identity);
        device.SetAccounts({{"admin", "admin", c.level}});
        const size_t before = boxes.Texts().size();
        EXPECT_EQ(PressUpgrade(), c.reached);
        const std::vector<std::string> texts = boxes.Texts();
        if (c.text) {
            ASSERT_EQ(texts.size(), before + 1);
            EXPECT_EQ(texts.back(), c.text);
        } else {
            EXPECT_EQ(texts.size(), before);
        }
        EXPECT_TRUE(login->isVisible());
        EXPECT_EQ(g_lpApp->w_LoginResult, 0);
    }
}

TEST_F(UpgradeButtonTest, EachFamilyUpgradesFromTheLoginWindow) {
    struct Case {
        const char* product;
        const char* firmware;
        bool folder;
    };
    const Case cases[] = {
        {"P62K", "1013", false}, {"N25V", "0001", false}, {"T18D", "0001", false},
        {"P51K", "1069", true},  {"P55K", "1070", true},
    };
    test::TempFolder files;
    const std::string kernel(2500, 'k');
    {
        std::string package = {0x41, static_cast<char>(0x9C), 0, 0};
        test::WriteFile(files / "package.bin", package + kernel);  // one kernel record
    }
    test::WriteFile(files / "KERNEL16.BIN", kernel);
    test::WriteFile(files / "KERNEL4.BIN", kernel);
    g_lpApp->CSettingINI.m_strProgramPath = (files.path() / "").string();
    TestClock clock;
    ScopedClockOverride useClock(clock);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        sim::DeviceIdentity identity;
        identity.productId = c.product;
        identity.firmwareVersion = c.firmware;
        device.SetIdentity(identity);
        device.Firmware().ClearParts();
        login->open();
        ASSERT_TRUE(ProcessEventsUntil([&] { return login->isVisible(); }));
        FindControl<QLineEdit>(login.get(), LoginDialog::kIdPassword)->setText("admin");
        // The upgrade window, once open: its file or folder, Upgrade, and the clock run on
        // through the transfer's pauses until the window closes itself.
        bool started = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* upgrade = qobject_cast<CUpgradeFWDlg*>(QApplication::activeModalWidget());
            if (upgrade == nullptr) return;
            if (!started) {
                started = true;
                upgrade->m_strFirmwarePath =
                    c.folder ? files.path().string() : (files / "package.bin").string();
                upgrade->OnUpgradeButton();
            } else if (clock.WaitForWaiters(1, 1)) {
                clock.Advance(500);
            }
        });
        driver.start(2);
        FindControl<QAbstractButton>(login.get(), LoginDialog::kIdUpgradeFirmware)->click();
        EXPECT_TRUE(started);
        const auto parts = device.Firmware().Parts();
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_TRUE(parts[0].complete);
        EXPECT_EQ(parts[0].bytes, kernel);
        EXPECT_EQ(boxes.Ids().back(), 4048u);
        EXPECT_TRUE(login->isVisible());
    }
}

TEST_F(UpgradeButtonTest, AFailedConnectStopsThereWithTheWorkersMessage) {
    login->m_strPortText = "1";
    login->UpdateData(false);
    EXPECT_FALSE(PressUpgrade());
    EXPECT_TRUE(ProcessEventsUntil([&] { return boxes.Ids() == std::vector<uint32_t>{4040}; }));
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
