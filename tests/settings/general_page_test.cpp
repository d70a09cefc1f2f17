// The General page against the simulated recorder: what it shows per family and firmware,
// the turbo step and the log limit, the applier's SYSTEM and RS485, and "Server Log" from
// the fetch to the family's log window, cancelled or not.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "../support/SettingsSheetHarness.h"
#include "backup/CDVRServerLogDlg.h"
#include "backup/CServerLogDlg.h"
#include "core/ConfigRecords.h"
#include "core/ThreadSlot.h"
#include "platform/Thread.h"
#include "platform/window/WindowMessageTarget.h"
#include "settings/ToolBoxPropertyPage.h"
#include "sheet/PageToolkit.h"
#include "sim/Fault.h"

namespace {

using ormidon::test::SettingsSheetTest;
using ormidon::test::SheetSetup;
using TP = ToolBoxPropertyPage;

class GeneralPageTest : public SettingsSheetTest {
  protected:
    void SetUp() override {
        SettingsSheetTest::SetUp();
        app.sz_MACAddress.Set("00A0B1C2D3E4");
        // The fetch reports to the page as the program's router delivers it.
        ormidon::SetWindowMessageRouter(&router);
    }
    void TearDown() override {
        sheet::SetChildDialogResponder({});
        device.Server().EndStalls();
        SettingsSheetTest::TearDown();
        ormidon::SetWindowMessageRouter(nullptr);
    }
    void Open(const SheetSetup& setup = {}) {
        OpenSheet(setup);
        ASSERT_TRUE(ShowPage("General"));
    }
    TP* General() { return static_cast<TP*>(Page("General")); }
    bool Hidden(int id) { return Control(id)->isHidden(); }
    std::vector<std::string> SentOptions() {
        std::vector<std::string> options;
        for (const auto& write : Writes("/SetSysCfg.cgi"))
            options.push_back(write.query.substr(write.query.find("Option=") + 7, 6));
        return options;
    }
    // Answers the log window: notes its class and rows, keeps a picture, closes it.
    void CatchLogWindow() {
        sheet::SetChildDialogResponder([this](QDialog& dialog) {
            auto* window = dynamic_cast<ServerLogDialog*>(&dialog);
            windowKind = dynamic_cast<CDVRServerLogDlg*>(&dialog) != nullptr ? "DVR" : "server";
            windowRows = window != nullptr ? window->RowCount() : -1;
            ormidon::testing::SaveScreenshot(&dialog, "general-server-log-" + windowKind);
            return 0;
        });
    }
    bool WaitIdle() {
        return ormidon::testing::ProcessEventsUntil(
            [this] { return General()->State() == TP::FetchState::Idle; }, 10000);
    }

    ormidon::QtWindowMessageRouter router;
    std::string windowKind;
    int windowRows = -1;
};

TEST_F(GeneralPageTest, ShowsTheDeviceAndGatesItsControlsByFamilyAndFirmware) {
    Open();
    EXPECT_EQ(Control<QLabel>(TP::kIdFirmware)->text(), "1.0.6.0");
    EXPECT_EQ(Control<QLabel>(TP::kIdMac)->text(), "00:A0:B1:C2:D3:E4");
    EXPECT_EQ(Control<QLineEdit>(TP::kIdTitle)->text(), "SIM-DVR");
    EXPECT_EQ(Control<QLineEdit>(TP::kIdLogLimit)->text(), "300");
    EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Server Log");
    EXPECT_FALSE(ormidon::testing::SaveScreenshot(sheet.get(), "settings-general").empty());
    EXPECT_EQ(TP::FirmwareText("10"), "1.0");
    EXPECT_EQ(TP::MacText("00A0B"), "00:A0:B");

    struct Case {
        const char* product;
        const char* firmware;
        bool serverLog;
        bool title;
        bool names;
    };
    for (const Case& c :
         {Case{"P62K", "1006", false, true, false}, Case{"P62K", "1007", true, true, false},
          Case{"P62K", "1009", true, true, false}, Case{"P62K", "1010", true, true, true},
          Case{"T18D", "1010", true, false, false}, Case{"N27V", "1010", false, false, false}}) {
        SCOPED_TRACE(std::string(c.product) + " " + c.firmware);
        sheet.reset();
        Open({.product = c.product, .firmware = c.firmware});
        EXPECT_EQ(!Hidden(TP::kIdServerLog), c.serverLog);
        EXPECT_EQ(!Hidden(TP::kIdLogLimit), c.serverLog);
        EXPECT_EQ(!Hidden(TP::kIdLogLimitLabel), c.serverLog);
        EXPECT_EQ(!Hidden(TP::kIdTitle), c.title);
        EXPECT_EQ(!Hidden(TP::kIdCh1Name), c.names);
        EXPECT_EQ(!Hidden(TP::kIdCh2Label), c.names);
        if (c.names) {
            EXPECT_EQ(Control<QLineEdit>(TP::kIdCh2Name)->text(), "CH2");
        }
    }
}

TEST_F(GeneralPageTest, TheLogLimitAndTheTurboStepKeepTheirBounds) {
    Open();
    auto* limit = Control<QLineEdit>(TP::kIdLogLimit);
    limit->clear();
    QTest::keyClicks(limit, "5000");
    EXPECT_EQ(limit->text(), "2048");
    EXPECT_EQ(General()->LogOwner().nLogLimit.load(), 2048);

    for (uint8_t stored : {uint8_t{0}, uint8_t{31}}) {
        SCOPED_TRACE(stored);
        sheet.reset();
        app.by_TurboRepeatStep = stored;
        Open();
        EXPECT_EQ(sheet::ComboIndex(Control<QComboBox>(TP::kIdTurboStep)), -1);
        PressApply();
        EXPECT_EQ(app.by_TurboRepeatStep.load(), stored);
    }
    sheet.reset();
    app.by_TurboRepeatStep = 7;
    Open();
    EXPECT_EQ(sheet::ComboIndex(Control<QComboBox>(TP::kIdTurboStep)), 6);
    sheet::SetComboIndex(Control<QComboBox>(TP::kIdTurboStep), 11);
    PressApply();
    EXPECT_EQ(app.by_TurboRepeatStep.load(), 12);
    EXPECT_TRUE(Writes("/SetSysCfg.cgi").empty());
}

TEST_F(GeneralPageTest, TheApplierSendsTheTitleAndNamesAndReportsARefusal) {
    app.str_SystemName.Set("SIM-DVR");
    Open();
    Control<QLineEdit>(TP::kIdTitle)->setText("HALL");
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetSysCfg.cgi"));
    PressApply();
    EXPECT_EQ(SentOptions(), std::vector<std::string>{"SYSTEM"});
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{TP::kMsgChangeFailed});
    EXPECT_EQ(app.str_SystemName.Get(), "SIM-DVR");

    sheet.reset();
    Open();
    Control<QLineEdit>(TP::kIdTitle)->setText("HALL");
    PressApply();
    EXPECT_EQ(app.str_SystemName.Get(), "HALL");
    EXPECT_EQ(device.Section("SYSTEM")->substr(0x14, 5), std::string("HALL\0", 5));

    sheet.reset();
    Open({.product = "P62K", .firmware = "1010"});
    Control<QLineEdit>(TP::kIdCh1Name)->setText("GAT");
    PressApply();
    EXPECT_EQ(SentOptions().back(), "RS485&");
    EXPECT_EQ(device.Section("RS485")->substr(0x2C, 16),
              std::string("GAT\0\0\0\0\0CH2\0\0\0\0\0", 16));
}

TEST_F(GeneralPageTest, ServerLogOpensTheFamilysWindowOnTheFetchedRecords) {
    struct Case {
        const char* product;
        const char* firmware;
        const char* kind;
    };
    for (const Case& c : {Case{"P51K", "1060", "DVR"}, Case{"P62K", "1010", "server"}}) {
        SCOPED_TRACE(c.product);
        sheet.reset();
        windowKind.clear();
        Open({.product = c.product, .firmware = c.firmware});
        device.Events().Generate(c.kind == std::string("DVR"), 70);
        CatchLogWindow();
        Button(TP::kIdServerLog)->click();
        EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Cancel");
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(windowKind, c.kind);
        EXPECT_GT(windowRows, 0);
        EXPECT_EQ(General()->LogOwner().nRecordCount.load(), 70);
        EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Server Log");
        EXPECT_FALSE(General()->FetchRunning());
    }

    // A failed COUNT opens nothing and leaves the page idle.
    windowKind.clear();
    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/Getlog.cgi"));
    Button(TP::kIdServerLog)->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(windowKind.empty());
    EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Server Log");
}

TEST_F(GeneralPageTest, AFetchWhoseWorkerCannotStartLeavesThePageAsItWas) {
    Open();
    device.Events().Generate(true, 70);
    CatchLogWindow();
    Button(TP::kIdServerLog)->click();
    ASSERT_TRUE(WaitIdle());
    const std::vector<uint8_t> fetched = General()->LogOwner().recordBuffer;
    device.Server().ClearLog();

    ormidon::FailThreadStartsForTesting(1);
    Button(TP::kIdServerLog)->click();
    ormidon::FailThreadStartsForTesting(0);
    EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Server Log");
    EXPECT_EQ(General()->State(), TP::FetchState::Idle);
    EXPECT_FALSE(General()->FetchRunning());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{TP::kServerLogNotStarted});
    EXPECT_TRUE(device.Server().Log().empty());
    // The log fetched before is kept.
    EXPECT_EQ(General()->LogOwner().nRecordCount.load(), 70);
    EXPECT_TRUE(General()->LogOwner().recordBuffer == fetched);
}

TEST_F(GeneralPageTest, CancelOrClosingTheSheetEndsAStalledFetchInItsBound) {
    Open();
    CatchLogWindow();
    const uint32_t overruns = ThreadSlot::OverrunCount();
    for (bool closeSheet : {false, true}) {
        SCOPED_TRACE(closeSheet ? "sheet closed" : "pressed twice");
        device.Events().FailPage(0, 0);
        device.Server().ClearLog();
        Button(TP::kIdServerLog)->click();
        ASSERT_TRUE(device.Server().WaitForLogSize(2, std::chrono::seconds(10)));
        EXPECT_TRUE(General()->FetchRunning());
        if (closeSheet) {
            Button(MySystemDialog::kIdExit)->click();
        } else {
            Button(TP::kIdServerLog)->click();
        }
        EXPECT_EQ(General()->State(), TP::FetchState::Idle);
        EXPECT_FALSE(General()->FetchRunning());
        EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Server Log");
        ormidon::testing::ProcessEventsFor(20);
        EXPECT_FALSE(sheet->ProgressShown());
        EXPECT_TRUE(windowKind.empty());
        device.Server().EndStalls();
    }
    EXPECT_EQ(ThreadSlot::OverrunCount(), overruns);
}

TEST_F(GeneralPageTest, MinimisingTheSheetLeavesTheFetchRunning) {
    Open();
    CatchLogWindow();
    device.Events().FailPage(0, 0);
    Button(TP::kIdServerLog)->click();
    ASSERT_TRUE(device.Server().WaitForLogSize(2, std::chrono::seconds(10)));
    // A minimised window is hidden from the application's view.
    sheet->showMinimized();
    QHideEvent hide;
    QCoreApplication::sendEvent(sheet.get(), &hide);
    ormidon::testing::ProcessEventsFor(20);
    EXPECT_EQ(General()->State(), TP::FetchState::Fetching);
    EXPECT_TRUE(General()->FetchRunning());
    EXPECT_EQ(Button(TP::kIdServerLog)->text(), "Cancel");
    sheet->showNormal();
    Button(TP::kIdServerLog)->click();
    EXPECT_EQ(General()->State(), TP::FetchState::Idle);
    EXPECT_FALSE(General()->FetchRunning());
}

}  // namespace
