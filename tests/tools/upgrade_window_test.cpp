// The "Upgrade Firware" window against the simulated recorder on the test clock: the version
// and the protocol per family, a package chosen with Find... and a parts folder with the
// folder picker sent byte for byte, Cancel with its command to the device, Enter ignored
// while a transfer runs, and the failures that leave the window open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"
#include "tools/CDlgGetPath.h"
#include "tools/CUpgradeFWDlg.h"

namespace {

using namespace ormidon;
using ormidon::testing::ProcessEventsUntil;

std::string Bytes(std::size_t size, int seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + seed + i / 253);
    return bytes;
}

std::string Record(uint8_t type, const std::string& data) {
    const uint32_t header = static_cast<uint32_t>(data.size()) << 4 | type;
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(header >> (8 * i)));
    return out + data;
}

class UpgradeWindowTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetWindowMessageRouter(&router_);
        ASSERT_TRUE(device.Start());
        g_strLocalIPAddress.Set("127.0.0.1");
        scope.App().CSettingINI.m_strServerName = "127.0.0.1";
        scope.App().CSettingINI.m_wWebPort = device.Port();
        scope.App().CSettingINI.m_strUpgradeFWPath = (folder.path() / "").string();
        scope.App().CSettingINI.m_strUpgradeDVRFWPath = folder.path().string();
        // An upgrade's start saves the settings: into the test's folder.
        scope.App().CSettingINI.m_strProgramPath = (folder.path() / "").string();
    }
    void TearDown() override {
        window.reset();
        CUpgradeFWDlg::SetFileAnswer({});
        CDlgGetPath::SetModalAnswer({});
        CDlgGetPath::SetVolumeSource({});
        device.Server().EndStalls();
        device.Stop();
        SetWindowMessageRouter(nullptr);
        ClearSessionCookie();
    }

    // The device and the client's record as a login to it leaves them.
    void LogIn(const char* product, const char* firmware) {
        sim::DeviceIdentity identity;
        identity.productId = product;
        identity.firmwareVersion = firmware;
        device.SetIdentity(identity);
        device.EndSessions();
        scope.App().str_ProductID.Set(product);
        scope.App().str_FWVersion.Set(firmware);
        SetSessionCookie(device.OpenSession("admin"));
    }

    void Open() {
        window = std::make_unique<CUpgradeFWDlg>();
        result.reset();
        QObject::connect(window.get(), &QDialog::finished, [this](int r) { result = r; });
        window->OnInitDialog();
        window->open();
    }
    QAbstractButton* Button(int id) { return FindControl<QAbstractButton>(window.get(), id); }
    QString Text(int id) {
        if (auto* label = FindControl<QLabel>(window.get(), id)) return label->text();
        return FindControl<QLineEdit>(window.get(), id)->text();
    }
    // Runs the window's events and the test clock (whenever the worker pauses) until `done`.
    bool RunUntil(const std::function<bool()>& done) {
        return ProcessEventsUntil(
            [&] {
                if (done()) return true;
                if (clock.WaitForWaiters(1, 1)) clock.Advance(500);
                return false;
            },
            20000);
    }
    std::vector<std::string> Targets(const std::string& path) {
        std::vector<std::string> targets;
        for (const auto& request : device.Server().Log()) {
            if (request.path == path) targets.push_back(request.target);
        }
        return targets;
    }

    TestClock clock;
    ScopedClockOverride useClock{clock};
    test::RecordingMessageBoxes boxes;
    test::AppRecordScope scope;
    test::TempFolder folder;
    sim::SimulatedRecorder device;
    std::unique_ptr<CUpgradeFWDlg> window;
    std::optional<int> result;

  private:
    QtWindowMessageRouter router_;
};

TEST_F(UpgradeWindowTest, EachFamilyGetsItsProtocol) {
    struct Case {
        const char* product;
        const char* firmware;
        CUpgradeFWDlg::Family family;
        FirmwareProtocol protocol;
    };
    using F = CUpgradeFWDlg::Family;
    const Case cases[] = {
        {"P62K", "1012", F::kPackage, FirmwareProtocol::kCommand},
        {"P62K", "1013", F::kPackage, FirmwareProtocol::kRaw},
        {"N25V", "9999", F::kPackage, FirmwareProtocol::kCommand},
        {"T18D", "9999", F::kPackage, FirmwareProtocol::kCommand},
        {"P51K", "1069", F::kParts, FirmwareProtocol::kCommand},
        {"P55K", "1070", F::kParts, FirmwareProtocol::kRaw},
        // A version of five characters is older than no threshold.
        {"P53K", "10000", F::kParts, FirmwareProtocol::kRaw},
        {"X99Z", "1070", F::kNone, FirmwareProtocol::kCommand},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        scope.App().str_ProductID.Set(c.product);
        scope.App().str_FWVersion.Set(c.firmware);
        EXPECT_EQ(CUpgradeFWDlg::DeviceFamily(), c.family);
        EXPECT_EQ(CUpgradeFWDlg::DeviceProtocol(), c.protocol);
    }
}

TEST_F(UpgradeWindowTest, APackageChosenWithFindArrivesAndTheWindowCloses) {
    LogIn("P62K", "1013");
    const std::string kernel = Bytes(3000, 1), html = Bytes(2000, 2);
    test::WriteFile(folder / "new.bin", Record(1, kernel) + Record(4, html));
    Open();
    EXPECT_EQ(Text(CUpgradeFWDlg::kIdVersion), "1.0.1.3");
    EXPECT_EQ(Text(CUpgradeFWDlg::kIdPath).toStdString(), (folder / "KERNEL.BIN").string());
    std::string startedIn;
    CUpgradeFWDlg::SetFileAnswer([&](const std::string& start) {
        startedIn = start;
        return (folder / "new.bin").string();
    });
    Button(CUpgradeFWDlg::kIdFind)->click();
    EXPECT_EQ(startedIn, (folder.path() / "").string());
    EXPECT_EQ(Text(CUpgradeFWDlg::kIdPath).toStdString(), (folder / "new.bin").string());

    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    EXPECT_TRUE(window->Progress()->isVisible());
    // Mid-transfer: the second part's head pause, the bar part way and Upgrade disabled.
    ASSERT_TRUE(RunUntil([&] { return window->Progress()->value() > 0; }));
    EXPECT_LT(window->Progress()->value(), 100);
    EXPECT_FALSE(Button(CUpgradeFWDlg::kIdUpgrade)->isEnabled());
    ormidon::testing::SaveScreenshot(window.get(), "upgrade-firmware-window");
    // Enter does not end a window whose transfer runs.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    window->setFocus();
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_FALSE(result.has_value());

    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4048});
    const auto parts = device.Firmware().Parts();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].bytes, kernel);
    EXPECT_EQ(parts[0].type, "0");
    EXPECT_EQ(parts[1].bytes, html);
    EXPECT_EQ(parts[1].type, "2");
    EXPECT_TRUE(parts[1].reboot);
    window.reset();  // joins the worker in its last pause
    EXPECT_FALSE(scope.App().h_UpgradeFirmwareThread.IsOccupied());
}

TEST_F(UpgradeWindowTest, APartsFolderChosenWithThePickerArrivesEvenWithoutTheVersion) {
    LogIn("P51K", "1069");
    // The version query fails: the table still comes from the product id.
    device.Server().AddFault(sim::Fault::Status(404, "/GetVersion.cgi"));
    const std::filesystem::path parts = folder / "parts";
    std::filesystem::create_directories(parts);
    const std::string kernel = Bytes(1000, 3), player = Bytes(900, 4);
    test::WriteFile(parts / "kernel16.bin", kernel);
    test::WriteFile(parts / "Player.Bin", player);
    test::WriteFile(parts / "MCU.BIN", "");
    CDlgGetPath::SetVolumeSource([&] {
        return std::vector<Volume>{{"temp", folder.path(), Volume::Kind::Home}};
    });
    CDlgGetPath::SetModalAnswer([&](CDlgGetPath& picker) {
        EXPECT_TRUE(picker.SelectPath(parts.string()));
        return int(CDlgGetPath::kIdOk);
    });
    Open();
    EXPECT_EQ(Text(CUpgradeFWDlg::kIdVersion), "");
    Button(CUpgradeFWDlg::kIdFind)->click();
    EXPECT_EQ(window->m_strFirmwarePath, parts.string());
    EXPECT_EQ(scope.App().CSettingINI.m_strUpgradeDVRFWPath, parts.string());
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result, 0);
    const std::string c = "&Cookie=" + GetSessionCookie();
    EXPECT_EQ(Targets("/UpgradeFW.cgi"),
              (std::vector<std::string>{"/UpgradeFW.cgi?Upgrade=Start&FileSize=1000&Type=0" + c,
                                        "/UpgradeFW.cgi?Upgrade=Finished&Type=0" + c,
                                        "/UpgradeFW.cgi?Upgrade=Start&FileSize=900&Type=17" + c}));
    const auto received = device.Firmware().Parts();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes, kernel);
    EXPECT_EQ(received[1].bytes, player);
}

TEST_F(UpgradeWindowTest, CancelTellsTheDeviceAndEndsTheWindow) {
    struct Case {
        const char* product;
        const char* firmware;
        const char* command;
    };
    const Case cases[] = {
        {"P62K", "1013", "/CancelUPFW.cgi?Cookie="},
        {"P62K", "1012", "/UpgradeFW.cgi?Upgrade=Cancel&Cookie="},
        {"P53K", "1070", "/CancelUPFW.cgi?Cookie="},
        {"P53K", "1069", "/UpgradeFW.cgi?Upgrade=Cancel&Cookie="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        LogIn(c.product, c.firmware);
        device.Server().ClearLog();
        const int cancels = device.Firmware().Cancels();
        // Right after opening: nothing was sent, the command goes all the same.
        Open();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &escape);
        EXPECT_EQ(result, 0);
        const auto log = device.Server().Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().target, c.command + GetSessionCookie());
        EXPECT_EQ(device.Firmware().Cancels(), cancels + 1);
    }
}

TEST_F(UpgradeWindowTest, CancelMidTransferStopsTheWorkerQuietly) {
    LogIn("P51K", "1070");
    const std::filesystem::path parts = folder / "parts";
    std::filesystem::create_directories(parts);
    test::WriteFile(parts / "BOOT.BIN", Bytes(5000, 5));
    device.Firmware().SetScript({.stallRawReply = true});
    scope.App().CSettingINI.m_strUpgradeDVRFWPath = parts.string();
    Open();
    EXPECT_EQ(Text(CUpgradeFWDlg::kIdVersion), "1.0.7.0");
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    ASSERT_TRUE(RunUntil([&] { return !device.Firmware().Parts().empty(); }));
    EXPECT_TRUE(window->TransferRunning());
    Button(CUpgradeFWDlg::kIdCancel)->click();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(window->TransferRunning());
    EXPECT_EQ(Targets("/CancelUPFW.cgi").size(), 1u);
    ormidon::testing::ProcessEventsFor(20);
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(UpgradeWindowTest, AWorkerThatCannotStartLeavesTheWindowReady) {
    LogIn("P62K", "1013");
    test::WriteFile(folder / "good.bin", Record(1, "abc"));
    Open();
    window->m_strFirmwarePath = (folder / "good.bin").string();
    window->Progress()->setValue(40);
    FailThreadStartsForTesting(1);
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    FailThreadStartsForTesting(0);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStringUpgradeError});
    EXPECT_EQ(window->Progress()->value(), 0);
    EXPECT_FALSE(window->Progress()->isVisible());
    EXPECT_TRUE(Button(CUpgradeFWDlg::kIdUpgrade)->isEnabled());
    EXPECT_FALSE(result.has_value());
    EXPECT_FALSE(window->TransferRunning());
    ormidon::testing::ProcessEventsFor(20);
    EXPECT_TRUE(Targets("/Getvideo.cgi").empty());
}

TEST_F(UpgradeWindowTest, RefusalsLeaveTheWindowOpen) {
    LogIn("P62K", "1013");
    // Before a file was chosen the remembered folder is unknown.
    scope.App().CSettingINI.m_strUpgradeFWPath = "UnKnown/";
    Open();
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4047});

    // A package with a stray byte is refused before connecting.
    test::WriteFile(folder / "bad.bin", Record(1, "abc") + "x");
    window->m_strFirmwarePath = (folder / "bad.bin").string();
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4047, 4057}));

    // A refused keep-alive: the error, the bar hidden, Upgrade enabled, the window open.
    test::WriteFile(folder / "good.bin", Record(1, "abc"));
    window->m_strFirmwarePath = (folder / "good.bin").string();
    device.Firmware().SetScript({.refuseKeepAlive = true});
    Button(CUpgradeFWDlg::kIdUpgrade)->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return device.Firmware().KeepAlivesRefused() == 1; }));
    ASSERT_TRUE(RunUntil([&] { return boxes.Ids().size() == 3; }));
    EXPECT_EQ(boxes.Ids().back(), 4077u);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !window->Progress()->isVisible(); }));
    EXPECT_TRUE(Button(CUpgradeFWDlg::kIdUpgrade)->isEnabled());
    EXPECT_FALSE(result.has_value());
    EXPECT_TRUE(Targets("/UpgradeFW2.cgi").empty());

    // Enter ends an idle window like OK.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !window->TransferRunning(); }));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    window->setFocus();
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_EQ(result, 1);
}

}  // namespace
