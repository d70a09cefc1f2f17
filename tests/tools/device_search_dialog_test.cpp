// The search window against the simulated responder on loopback: the list and its rows,
// the states while and after a search, APPLY and RESET DEFAULT with their checks and every
// outcome's message, closing in the middle of a search, and the login window's button.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/LoopbackSearch.h"
#include "core/AppObject.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowTimers.h"
#include "platform/window/testing/WindowTesting.h"
#include "tools/CConfirmAuthorityDialog.h"
#include "tools/CDeviceSearchDialog.h"
#include "tools/LoginDialog.h"

namespace {

using namespace ormidon;
using ormidon::test::MakeDevice;
using ormidon::testing::ProcessEventsUntil;
using Dialog = CDeviceSearchDialog;

class DeviceSearchDialogTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(search.Start());
        SetDeviceSearchSetup(search.setup);
        CConfirmAuthorityDialog::SetModalAnswer([this](CConfirmAuthorityDialog& confirm) {
            ++confirmations;
            if (!account) return int(CConfirmAuthorityDialog::kIdCancel);
            FindControl<QLineEdit>(&confirm, CConfirmAuthorityDialog::kIdUser)
                ->setText(QString::fromStdString(account->first));
            FindControl<QLineEdit>(&confirm, CConfirmAuthorityDialog::kIdPassword)
                ->setText(QString::fromStdString(account->second));
            if (!screenshotTaken)
                screenshotTaken =
                    !ormidon::testing::SaveScreenshot(&confirm, "confirm_authority").empty();
            return int(CConfirmAuthorityDialog::kIdOk);
        });
    }
    void TearDown() override {
        dialog.reset();
        CConfirmAuthorityDialog::SetModalAnswer({});
        SetDeviceSearchSetup({});
    }

    // Opens the window and waits for its first search to end.
    void Open() {
        dialog = std::make_unique<Dialog>();
        dialog->OnInitDialog();
        dialog->show();
        ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog->IsSearching(); }));
    }
    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(dialog.get(), id); }
    QAbstractButton* Button(int id) { return FindControl<QAbstractButton>(dialog.get(), id); }
    QTreeWidget* List() { return dialog->DeviceList(); }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int r = 0; r < List()->topLevelItemCount(); ++r) {
            std::string row;
            for (int c = 0; c < 5; ++c)
                row += (c ? "|" : "") + List()->topLevelItem(r)->text(c).toStdString();
            rows.push_back(row);
        }
        return rows;
    }
    void Select(int row) { List()->setCurrentItem(List()->topLevelItem(row)); }
    // What each button and the edits allow, as "LSARO" with '-' for disabled, then "E"
    // when the edits are enabled.
    std::string Enabled() {
        std::string state;
        const int ids[] = {Dialog::kIdDeviceList, Dialog::kIdSearchAgain, Dialog::kIdApply,
                           Dialog::kIdResetDefault, Dialog::kIdOk};
        const char letters[] = "LSARO";
        for (int i = 0; i < 5; ++i)
            state += FindControl(dialog.get(), ids[i])->isEnabled() ? letters[i] : '-';
        return state + (Edit(Dialog::kIdIPAddress)->isEnabled() ? "E" : "-");
    }
    // The requests the responder received, in order.
    std::vector<std::vector<uint8_t>> Requests() {
        std::vector<std::vector<uint8_t>> requests;
        for (const auto& entry : search.responder.Log())
            if (entry.received) requests.push_back(entry.bytes);
        return requests;
    }

    test::RecordingMessageBoxes boxes;
    test::AppRecordScope scope;
    test::LoopbackSearch search;
    std::unique_ptr<Dialog> dialog;
    std::optional<std::pair<std::string, std::string>> account = {{"admin", "admin"}};
    int confirmations = 0;
    bool screenshotTaken = false;
};

TEST_F(DeviceSearchDialogTest, ListsEveryAnswerNewestOnTop) {
    auto first = MakeDevice(0x01, 'S', 11, 80);
    auto second = MakeDevice(0x02, 'q', 12, 8080);
    second.delay = std::chrono::milliseconds(40);
    second.answerTwice = true;
    auto third = MakeDevice(0x03, 0x7A, 13, 81);
    third.delay = std::chrono::milliseconds(80);
    for (const auto& device : {first, second, third}) search.responder.AddDevice(device);
    search.responder.AddSearchExtra(std::vector<uint8_t>(75, 1));
    search.responder.AddSearchExtra(std::vector<uint8_t>(77, 2));
    g_lpApp->CSettingINI.m_wLastConnectionMAC1 = 0x4E;
    g_lpApp->CSettingINI.m_wLastConnectionMAC2 = 0x02;

    dialog = std::make_unique<Dialog>();
    dialog->OnInitDialog();
    dialog->show();
    // Searching: everything but the caption is still.
    EXPECT_EQ(Enabled(), "------");
    dialog->Timers().Elapse(Dialog::kAnimateTimer);
    EXPECT_EQ(dialog->windowTitle(), " Search .");
    dialog->Timers().Elapse(Dialog::kAnimateTimer);
    EXPECT_EQ(dialog->windowTitle(), " Search ..");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog->IsSearching(); }));

    EXPECT_EQ(dialog->windowTitle(), "Stop_Search");
    EXPECT_FALSE(dialog->Timers().IsRunning(Dialog::kAnimateTimer));
    EXPECT_EQ(Enabled(), "LSARO-");
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "192.168.1.13|00:1b:2c:3d:4e:03|81|Video Server|",
                          "192.168.1.12|00:1b:2c:3d:4e:02|8080|4CH NETWORK DVR|PREVIOUS",
                          "192.168.1.12|00:1b:2c:3d:4e:02|8080|4CH NETWORK DVR|PREVIOUS",
                          "192.168.1.11|00:1b:2c:3d:4e:01|80|4CH MPEG4 DVR|",
                      }));
    // Every text is shown whole: no column is narrower than its longest text.
    const QFontMetrics metrics(List()->font());
    for (int c = 0; c < List()->columnCount(); ++c) {
        for (int r = 0; r < List()->topLevelItemCount(); ++r) {
            EXPECT_LE(metrics.horizontalAdvance(List()->topLevelItem(r)->text(c)) + 6,
                      List()->columnWidth(c))
                << List()->topLevelItem(r)->text(c).toStdString();
        }
    }
    // The detail edits show the last answer until a row is chosen.
    EXPECT_EQ(Edit(Dialog::kIdIPAddress)->text(), "192.168.1.13");

    Select(3);
    EXPECT_EQ(dialog->m_iSelectedIndex, 0);
    EXPECT_EQ(dialog->m_strIPAddress, "192.168.1.11");
    EXPECT_EQ(dialog->m_strMAC, "00:1b:2c:3d:4e:01");
    EXPECT_EQ(dialog->m_nWebPort, 80);
    EXPECT_EQ(Enabled(), "LSAROE");
    EXPECT_TRUE(Edit(Dialog::kIdMAC)->isReadOnly());
    ormidon::testing::SaveScreenshot(dialog.get(), "device_search");

    // Clearing the selection keeps the previous one in force.
    List()->clearSelection();
    EXPECT_EQ(dialog->m_iSelectedIndex, 0);
    Select(0);
    EXPECT_EQ(dialog->m_iSelectedIndex, 3);
    EXPECT_EQ(dialog->FindDevice(3)->byDeviceType, '2');

    // SEARCH AGAIN empties the list but leaves the texts.
    Button(Dialog::kIdSearchAgain)->click();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(dialog->m_iSelectedIndex, -1);
    EXPECT_EQ(Enabled(), "------");
    EXPECT_EQ(Edit(Dialog::kIdIPAddress)->text(), "192.168.1.13");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog->IsSearching(); }));
    EXPECT_EQ(List()->topLevelItemCount(), 4);
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(DeviceSearchDialogTest, ASearchWithoutAnswersLeavesEverythingButTheEditsEnabled) {
    Open();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(Enabled(), "LSARO-");
    // Escape does not leave the window; OK does, handing nothing back.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_TRUE(dialog->isVisible());
    Button(Dialog::kIdOk)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->m_fSelected);
}

TEST_F(DeviceSearchDialogTest, AHeldAnswerPortInterruptsTheSearch) {
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(search.setup.answerPort);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 80));
    Open();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4006});
    EXPECT_EQ(Enabled(), "----O-");
    EXPECT_EQ(dialog->windowTitle(), "Stop_Search");
    EXPECT_TRUE(Requests().empty());
    close(holder);
}

TEST_F(DeviceSearchDialogTest, ClosingMidSearchJoinsItAndTheNextSearchBinds) {
    search.setup.searchQuietMs = 60000;
    SetDeviceSearchSetup(search.setup);
    dialog = std::make_unique<Dialog>();
    dialog->OnInitDialog();
    ASSERT_TRUE(search.responder.WaitForReceived(1, std::chrono::seconds(5)));
    const auto start = std::chrono::steady_clock::now();
    dialog.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(ThreadSlot::OverrunCount(), 0u);

    search.setup.searchQuietMs = 300;
    SetDeviceSearchSetup(search.setup);
    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 80));
    Open();
    EXPECT_EQ(List()->topLevelItemCount(), 1);
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(DeviceSearchDialogTest, ApplyChecksInOrderBeforeAnythingIsSent) {
    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 80));
    search.responder.AddDevice(MakeDevice(0x02, 'w', 12, 80));
    Open();
    const size_t searchRequests = Requests().size();

    Button(Dialog::kIdApply)->click();  // nothing selected
    Button(Dialog::kIdResetDefault)->click();
    Select(0);  // the refused 'w'
    Button(Dialog::kIdApply)->click();
    Button(Dialog::kIdResetDefault)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4044, 4044, 4036, 4036}));
    EXPECT_EQ(confirmations, 0);

    Select(1);
    account = {"", "admin"};
    Button(Dialog::kIdApply)->click();
    account = {"admin", ""};
    Button(Dialog::kIdResetDefault)->click();
    account.reset();  // CANCEL: no message
    Button(Dialog::kIdApply)->click();
    account = {"admin", "admin"};
    Button(Dialog::kIdApply)->click();  // nothing changed
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4044, 4044, 4036, 4036, 4080, 4049, 4067}));
    EXPECT_EQ(confirmations, 4);
    EXPECT_TRUE(screenshotTaken);

    // An address that is not four numbers 0-255 is refused before the account is asked.
    Edit(Dialog::kIdNetMask)->setText("255.255.300.0");
    Button(Dialog::kIdApply)->click();
    EXPECT_EQ(boxes.Texts().back(),
              "Net Mask \"255.255.300.0\" is not an address of four numbers from 0 to 255.");
    // A port beyond the field's range stops APPLY with the range message.
    Edit(Dialog::kIdNetMask)->setText("255.255.255.0");
    Edit(Dialog::kIdWebPort)->setText("10000");
    Button(Dialog::kIdApply)->click();
    EXPECT_EQ(boxes.Texts().back(), "Please enter an integer between 0 and 9999.");
    EXPECT_EQ(confirmations, 4);
    EXPECT_FALSE(dialog->m_fSelected);
    EXPECT_EQ(Requests().size(), searchRequests);
}

TEST_F(DeviceSearchDialogTest, EveryOutcomeHasItsMessage) {
    struct Case {
        const char* what;
        std::optional<uint8_t> forced;
        bool staticAddress = true;
        bool silent = false;
        bool holdPort = false;
        uint32_t apply, reset;
    };
    const Case cases[] = {
        {"done", 1, true, false, false, 4005, 4062},
        {"refused", 0, true, false, false, 4081, 4081},
        {"not static", std::nullopt, false, false, false, 4102, 4102},
        {"failed", 9, true, false, false, 4004, 4061},
        {"silent", std::nullopt, true, true, false, 4064, 4064},
        {"port held", 1, true, false, true, 4014, 4014},
    };
    search.setup.setWaitMs = 200;
    search.setup.resetWaitMs = 200;
    SetDeviceSearchSetup(search.setup);
    // A foreign answer comes first to every request and is passed over.
    search.responder.SetForeignAnswerFirst(true);
    uint8_t mac = 0;
    for (const Case& c : cases) {
        ++mac;
        auto device = MakeDevice(mac, 'U', mac, 80);
        device.forcedResult = c.forced;
        device.staticAddress = c.staticAddress;
        device.silentOnSetting = c.silent;
        search.responder.AddDevice(device);
    }
    Open();
    ASSERT_EQ(List()->topLevelItemCount(), 6);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        Select(static_cast<int>(5 - i));
        int holder = -1;
        if (c.holdPort) {
            holder = socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(search.setup.answerPort);
            bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        const size_t shown = boxes.Ids().size();
        Edit(Dialog::kIdWebPort)->setText("8081");
        Button(Dialog::kIdApply)->click();
        Button(Dialog::kIdResetDefault)->click();
        const std::vector<uint32_t> ids = boxes.Ids();
        EXPECT_EQ(
            std::vector<uint32_t>(ids.begin() + static_cast<std::ptrdiff_t>(shown), ids.end()),
            (std::vector<uint32_t>{c.apply, c.reset}));
        if (holder >= 0) close(holder);
        EXPECT_TRUE(dialog->m_fSelected);
        EXPECT_EQ(dialog->m_strSelectedIP, "192.168.1." + std::to_string(i + 1));
    }
}

TEST_F(DeviceSearchDialogTest, ResetSendsTheValuesReadLastAndApplyShowsAtTheNextSearch) {
    search.responder.AddDevice(MakeDevice(0x01, 'W', 11, 80));
    Open();
    Select(0);
    Edit(Dialog::kIdIPAddress)->setText("10.9.9.9");  // typed, not applied
    Button(Dialog::kIdResetDefault)->click();
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4062});
    const std::vector<uint8_t> reset = Requests().back();
    ASSERT_EQ(reset.size(), 76u);
    EXPECT_EQ(std::string(reset.begin(), reset.begin() + 8), "KX_RESET");
    EXPECT_EQ(std::vector<uint8_t>(reset.begin() + 56, reset.begin() + 60),
              (std::vector<uint8_t>{192, 168, 1, 11}));
    EXPECT_EQ(dialog->m_strSelectedIP, "");  // an answer gives no address back

    Edit(Dialog::kIdIPAddress)->setText("10.1.1.50");
    Edit(Dialog::kIdWebPort)->setText("8081");
    Button(Dialog::kIdApply)->click();
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4062, 4005}));
    EXPECT_EQ(dialog->m_strSelectedIP, "10.1.1.50");
    // The list keeps the old values until the next search shows the new ones.
    EXPECT_EQ(List()->topLevelItem(0)->text(0), "192.168.1.11");
    Button(Dialog::kIdSearchAgain)->click();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dialog->IsSearching(); }));
    EXPECT_EQ(Rows(), std::vector<std::string>{"10.1.1.50|00:1b:2c:3d:4e:01|8081|16CH MPEG4 DVR|"});
}

TEST_F(DeviceSearchDialogTest, OkHandsTheSelectedDeviceBack) {
    auto device = MakeDevice(0x01, '2', 11, 65535);
    search.responder.AddDevice(device);
    Open();
    Select(0);  // a port beyond the field's range
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please enter an integer between 0 and 9999."});
    Button(Dialog::kIdOk)->click();  // the check keeps the window open, the choice is made
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->m_fSelected);
    Edit(Dialog::kIdWebPort)->setText("8080");
    Button(Dialog::kIdOk)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->m_strSelectedIP, "192.168.1.11");
    EXPECT_EQ(dialog->m_nWebPort, 8080);
}

TEST_F(DeviceSearchDialogTest, TheLoginWindowTakesTheChosenDevice) {
    search.responder.AddDevice(MakeDevice(0x01, '2', 11, 8080));
    const struct {
        bool choose;
        const char* address;
        const char* port;
    } cases[] = {
        {true, "192.168.1.11", "8080"},
        {false, "127.0.0.1", "81"},  // chosen without an address: only the port goes back
    };
    // The login window's buttons need its skin.
    const std::filesystem::path previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(ORMIDON_TEST_SKIN_DIR);
    for (const auto& c : cases) {
        LoginDialog login;
        login.m_strServerAddress = "127.0.0.1";
        login.m_strPortText = "80";
        login.open();
        ASSERT_TRUE(ProcessEventsUntil([&] { return login.isVisible(); }));
        auto* button = FindControl<QAbstractButton>(&login, LoginDialog::kIdSearch);
        ASSERT_NE(button, nullptr);
        Dialog::SetModalAnswer([&](Dialog& window) {
            EXPECT_TRUE(ProcessEventsUntil([&] { return !window.IsSearching(); }));
            if (c.choose) {
                window.DeviceList()->setCurrentItem(window.DeviceList()->topLevelItem(0));
                window.OnOK();
            } else {
                window.m_fSelected = true;
                window.m_nWebPort = 81;
            }
            return int(Dialog::kIdOk);
        });
        button->click();
        Dialog::SetModalAnswer({});
        EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdServerAddress)->text(), c.address);
        EXPECT_EQ(FindControl<QLineEdit>(&login, LoginDialog::kIdPort)->text(), c.port);
        EXPECT_EQ(g_lpApp->CSettingINI.m_wWebPort, std::stoi(c.port));
        if (c.choose) {
            EXPECT_EQ(g_lpApp->CSettingINI.m_strServerName, c.address);
        }
        login.done(2);
    }
    std::filesystem::current_path(previousFolder);
}

}  // namespace
