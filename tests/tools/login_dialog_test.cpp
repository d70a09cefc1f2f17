// The login window offscreen against the simulated recorder: what it shows when it
// opens, the port edit's clamp, Connect by button and by Enter, a refused login's text,
// a second Connect, leaving, a missing skin, and the player button.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
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
#include "platform/Paths.h"
#include "platform/window/ControlId.h"
#include "platform/window/WindowMessageTarget.h"
#include "platform/window/testing/WindowTesting.h"
#include "sim/SimulatedRecorder.h"
#include "skin/SkinTable.h"
#include "tools/LoginDialog.h"
#include "tools/LoginMessages.h"
#include "widgets/CVtxButton.h"

namespace {

namespace fs = std::filesystem;
using namespace ormidon;
using ormidon::testing::GrabWindow;
using ormidon::testing::ProcessEventsFor;
using ormidon::testing::ProcessEventsUntil;

class LoginDialogTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        previousFolder_ = fs::current_path();
        fs::current_path(ORMIDON_TEST_SKIN_DIR);  // "BMP\LOGIN\..." in test colours
        SetWindowMessageRouter(&router_);
        ASSERT_TRUE(test::StartOnTypablePort(device));
        g_strLocalIPAddress.Set("127.0.0.1");
        dialog = std::make_unique<LoginDialog>();
        dialog->m_strServerAddress = "127.0.0.1";
        dialog->m_strUserName = "admin";
        dialog->m_strPortText = std::to_string(device.Port());
        QObject::connect(dialog.get(), &QDialog::finished, [this](int r) { result = r; });
    }
    void TearDown() override {
        dialog.reset();
        SetProgramFolderForTesting({});
        device.Stop();
        SetWindowMessageRouter(nullptr);
        ClearSessionCookie();
        fs::current_path(previousFolder_);
    }

    void Open() {
        dialog->open();
        ASSERT_TRUE(ProcessEventsUntil([&] { return dialog->isVisible(); }));
    }
    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(dialog.get(), id); }
    void Click(int id) {
        auto* button = FindControl<QAbstractButton>(dialog.get(), id);
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    void Press(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    // The colour shown at a point of the window.
    uint32_t ColourAt(int x, int y) { return GrabWindow(dialog.get()).pixel(x, y) & 0xFFFFFF; }
    bool Ended() {
        return ProcessEventsUntil([&] { return result.has_value(); });
    }
    bool Failed() {
        return ProcessEventsUntil([&] { return dialog->m_fLoginFailed; });
    }

    test::RecordingMessageBoxes boxes;
    sim::SimulatedRecorder device;
    test::AppRecordScope scope;
    std::unique_ptr<LoginDialog> dialog;
    std::optional<int> result;

  private:
    QtWindowMessageRouter router_;
    fs::path previousFolder_;
};

uint32_t Colour(const char* file) { return *skin::TestColourOf(file); }

TEST_F(LoginDialogTest, OpensSkinnedWithTheTextsItWasGiven) {
    Open();
    EXPECT_EQ(dialog->size(), QSize(304, 341));
    EXPECT_EQ(Edit(1040)->text(), "admin");
    EXPECT_EQ(Edit(1043)->text(), "");
    EXPECT_EQ(Edit(1043)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit(1042)->text(), "127.0.0.1");
    EXPECT_EQ(Edit(1044)->text().toStdString(), std::to_string(device.Port()));
    EXPECT_EQ(Edit(1042)->geometry(), QRect(93, 172, 180, 28));

    EXPECT_EQ(ColourAt(150, 240), Colour("BMP/LOGIN/spacer.bmp"));
    EXPECT_EQ(ColourAt(10, 20), Colour("BMP/LOGIN/left_top.bmp"));
    EXPECT_EQ(ColourAt(150, 5), Colour("BMP/LOGIN/top_middle1.bmp"));
    EXPECT_EQ(ColourAt(150, 330), Colour("BMP/LOGIN/down_middle.bmp"));
    // The version "1.0.6.9" in digit bitmaps from x = 182, ten pixels apiece.
    EXPECT_EQ(ColourAt(186, 20), Colour("BMP/LOGIN/login_1.bmp"));
    EXPECT_EQ(ColourAt(196, 20), Colour("BMP/LOGIN/login_point.bmp"));
    EXPECT_EQ(ColourAt(216, 20), Colour("BMP/LOGIN/login_point.bmp"));
    EXPECT_EQ(ColourAt(226, 20), Colour("BMP/LOGIN/login_6.bmp"));

    struct Button {
        int id;
        QRect place;
        const char* tip;
        const char* picture;
    };
    const Button buttons[] = {
        {8440, {30, 50, 34, 34}, "Address", "BMP/LOGIN/address.bmp"},
        {8441, {80, 50, 34, 34}, "Search", "BMP/LOGIN/search.bmp"},
        {8442, {130, 50, 34, 34}, "Player", "BMP/LOGIN/player.bmp"},
        {8443, {180, 50, 34, 34}, "Copy", "BMP/LOGIN/copy.bmp"},
        {8527, {230, 50, 34, 34}, "Upgrade Firmware", "BMP/LOGIN/download.BMP"},
        {8444, {50, 275, 32, 32}, "Connect", "BMP/LOGIN/enter.bmp"},
        {8445, {215, 275, 32, 32}, "Cancel", "BMP/LOGIN/cancel.bmp"},
        {8528, {30, 100, 28, 28}, "User Name", "BMP/LOGIN/name.BMP"},
        {8529, {30, 136, 28, 28}, "Password", "BMP/LOGIN/password.BMP"},
        {8530, {30, 172, 28, 28}, "IP", "BMP/LOGIN/ip.BMP"},
        {8531, {30, 208, 28, 28}, "Port", "BMP/LOGIN/port.BMP"},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.id);
        auto* button = FindControl<CVtxButton>(dialog.get(), b.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), b.place);
        EXPECT_EQ(button->toolTip().toStdString(), b.tip);
        EXPECT_EQ(ColourAt(b.place.x() + 5, b.place.y() + 5), Colour(b.picture));
    }
    EXPECT_EQ(dialog->toolTip(), "LOGIN");
    ormidon::testing::SaveScreenshot(dialog.get(), "login-window");
}

TEST_F(LoginDialogTest, PortEditClampsWhatIsTyped) {
    Open();
    struct Case {
        const char* typed;
        const char* shown;
        int32_t port;
    };
    const Case cases[] = {
        {"12345", "9999", 9999},
        {"00", "0", 0},
        {"0", "0", 0},
        {"-5", "5", 5},
        {"8a0", "80", 80},
        {"080", "80", 80},
        {"", "", 80},
        {"abc", "80", 80},
        {"99999999999999999999", "9999", 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Edit(1044)->setText(c.typed);
        EXPECT_EQ(Edit(1044)->text().toStdString(), c.shown);
        EXPECT_EQ(dialog->m_nPort, c.port);
        EXPECT_EQ(Edit(1044)->cursorPosition(), Edit(1044)->text().size());
    }
}

// The window opens with the focus in the first empty edit, so the user types what is
// missing and presses Enter.
TEST_F(LoginDialogTest, FocusStartsInTheFirstEmptyEdit) {
    struct Case {
        const char* user;
        const char* password;
        int focused;
    };
    for (const Case c : {Case{"admin", "", 1043}, Case{"", "", 1040}, Case{"admin", "x", 1043}}) {
        dialog = std::make_unique<LoginDialog>();
        dialog->m_strServerAddress = "127.0.0.1";
        dialog->m_strPortText = std::to_string(device.Port());
        dialog->m_strUserName = c.user;
        dialog->m_strUserPassword = c.password;
        Open();
        EXPECT_EQ(dialog->focusWidget(), Edit(c.focused)) << c.user << "/" << c.password;
    }
}

TEST_F(LoginDialogTest, EnterInThePasswordEditLogsInAndEndsWithOne) {
    Open();
    Edit(1043)->setText("admin");
    Edit(1043)->setFocus();
    Press(Edit(1043), Qt::Key_Return);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_lpApp->w_LoginResult, kLoginSucceeded);
    ASSERT_EQ(device.Sessions().size(), 1u);
    EXPECT_EQ(GetSessionCookie(), device.Sessions()[0]);
    EXPECT_EQ(g_lpApp->CSettingINI.m_strPassword, "admin");
    EXPECT_TRUE(boxes.Ids().empty());
}

TEST_F(LoginDialogTest, ARefusedLoginShowsItsReasonAndTheWindowStays) {
    struct Case {
        const char* name;
        const char* password;
        std::optional<sim::Fault> fault;
        const char* text;
    };
    const Case cases[] = {
        {"wrong password", "wrong", std::nullopt, "Login procedure failed"},
        {"too many users", "admin", sim::Fault::Status(202), "Too many user"},
        {"unknown product", "admin", sim::Fault::ReplaceBody("Session-ID=x;Product-ID=Q77Q;"),
         "No support this device"},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fault) device.Server().AddFault(*c.fault);
        Edit(1043)->setText(c.password);
        Click(LoginDialog::kIdConnect);
        ASSERT_TRUE(Failed());
        EXPECT_EQ(dialog->m_strFailText, c.text);
        EXPECT_FALSE(dialog->m_fAnimating);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(result.has_value());
        // The password is selected for typing it again.
        EXPECT_EQ(dialog->focusWidget(), Edit(1043));
        EXPECT_EQ(Edit(1043)->selectedText().toStdString(), c.password);
        // The text is drawn in its blue where the bar was.
        const QImage shown = GrabWindow(dialog.get());
        bool blue = false;
        for (int x = 74; x < 200 && !blue; ++x) {
            for (int y = 245; y < 262 && !blue; ++y)
                blue = (shown.pixel(x, y) & 0xFFFFFF) == 0x0014FF;
        }
        EXPECT_TRUE(blue);
    }
    ormidon::testing::SaveScreenshot(dialog.get(), "login-window-failed");

    // A progress step that arrives after the failure leaves the text alone.
    PostWindowMessage(dialog->GetSafeHwnd(), WM_LOGINANIMATE);
    ProcessEventsFor(20);
    EXPECT_FALSE(dialog->m_fAnimating);
    EXPECT_TRUE(dialog->m_fLoginFailed);
}

TEST_F(LoginDialogTest, AnEmptyAccountIsRefusedBeforeAnythingIsSent) {
    Open();
    Click(LoginDialog::kIdConnect);  // no password
    Edit(1040)->setText("");
    Edit(1043)->setText("admin");
    Press(Edit(1043), Qt::Key_Enter);
    ProcessEventsFor(20);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4081, 4081}));
    EXPECT_EQ(device.Server().LogSize(), 0u);
    EXPECT_FALSE(dialog->m_fAnimating);
}

TEST_F(LoginDialogTest, ASecondConnectStopsTheFirstAndStartsAnew) {
    device.Server().AddFault(sim::Fault::Stall("/Login.cgi"));
    Open();
    Edit(1043)->setText("admin");
    Click(LoginDialog::kIdConnect);
    ASSERT_TRUE(ProcessEventsUntil([&] { return dialog->m_byAnimateStep >= 2; }));
    ASSERT_EQ(device.Server().LogSize(), 1u);

    Click(LoginDialog::kIdConnect);
    EXPECT_EQ(dialog->m_byAnimateStep, 0);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(result, 1);
    EXPECT_EQ(device.Server().LogSize(), 2u);
    EXPECT_EQ(ThreadSlot::OverrunCount(), 0u);
    device.Server().EndStalls();
}

TEST_F(LoginDialogTest, CancelEscapeAndCloseLeaveWithTwo) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        result.reset();
        Open();
        if (way == 0) Click(LoginDialog::kIdCancel);
        if (way == 1) Press(Edit(1040), Qt::Key_Escape);
        if (way == 2) dialog->close();
        ASSERT_TRUE(Ended());
        EXPECT_EQ(result, 2);
    }
    EXPECT_EQ(device.Server().LogSize(), 0u);
}

TEST_F(LoginDialogTest, WithoutItsSkinTheWindowStillOpensAndLogsIn) {
    test::TempFolder empty;
    fs::current_path(empty.path());
    SetProgramFolderForTesting(empty.path());
    Open();
    EXPECT_EQ(FindControl(dialog.get(), LoginDialog::kIdConnect), nullptr);
    GrabWindow(dialog.get());  // paints without the bitmaps
    Edit(1043)->setText("admin");
    Press(Edit(1043), Qt::Key_Return);
    ASSERT_TRUE(ProcessEventsUntil([&] { return dialog->m_fAnimating || result.has_value(); }));
    GrabWindow(dialog.get());
    ASSERT_TRUE(Ended());
    EXPECT_EQ(result, 1);
}

// The record folder and a stand-in player that notes its arguments.
class PlayerTest : public LoginDialogTest {
  protected:
    void SetUp() override {
        LoginDialogTest::SetUp();
        g_lpApp->CSettingINI.m_strRecordPath = records.path().string();  // no "/" at the end
        SetProgramFolderForTesting(programFolder.path());
        const fs::path player = programFolder / "Tamburo";
        test::WriteFile(player, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$0.args\"\n");
        fs::permissions(player, fs::perms::owner_all);
    }

    // Writes a record file with the given age in seconds.
    void Record(const char* name, int secondsOld) {
        test::WriteFile(records / name, "x");
        fs::last_write_time(records / name, now_ - std::chrono::seconds(secondsOld));
    }
    // What the player was started with, once it ran.
    std::string PlayerArguments() {
        const fs::path noted = programFolder / "Tamburo.args";
        if (!test::WaitUntil([&] { return fs::exists(noted) && fs::file_size(noted) > 0; })) {
            return "not started";
        }
        return test::ReadFile(noted);
    }

    test::TempFolder records;
    test::TempFolder programFolder;

  private:
    const fs::file_time_type now_ = fs::file_time_type::clock::now();
};

TEST_F(PlayerTest, NewestRecordFileIsTheLastWrittenAndTiesGoByName) {
    EXPECT_EQ(LoginDialog::FindNewestRecordFile(), "");
    Record("old.vse", 300);
    Record("cam1.VSE", 100);
    Record("Cam2.vse", 100);  // as new as cam1, and first by name
    Record("newer.txt", 10);
    fs::create_directory(records / "newest.vse");
    EXPECT_EQ(LoginDialog::FindNewestRecordFile(), (records / "Cam2.vse").string());

    g_lpApp->CSettingINI.m_strRecordPath = records.path().string() + "/";
    EXPECT_EQ(LoginDialog::FindNewestRecordFile(), (records / "Cam2.vse").string());
    g_lpApp->CSettingINI.m_strRecordPath = (records / "missing").string();
    EXPECT_EQ(LoginDialog::FindNewestRecordFile(), "");
}

TEST_F(PlayerTest, PlayerButtonPlaysTheNewestRecordingAsItsOwnArgument) {
    Record("with space.vse", 5);
    Open();
    Click(LoginDialog::kIdPlayer);
    EXPECT_EQ(PlayerArguments(), "1|" + (records / "with space.vse").string() + "|");
    EXPECT_TRUE(boxes.Ids().empty());
}

// Without a recording the player's Open... starts where Network Backup downloads to; with
// no download folder set the player starts without argument.
TEST_F(PlayerTest, WithoutRecordingsThePlayerOpensInTheDownloadFolder) {
    const std::string downloads = records.path().string() + "/downloads/";
    const struct {
        std::string folder;
        std::string arguments;
    } cases[] = {{downloads, "2|--open-folder|" + downloads + "|"}, {"", "0|"}};
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        fs::remove(programFolder / "Tamburo.args");
        g_lpApp->CSettingINI.m_strNetworkFileDirectory = c.folder;
        Click(LoginDialog::kIdPlayer);
        EXPECT_EQ(PlayerArguments(), c.arguments);
    }
}

TEST_F(PlayerTest, APlayerThatCannotStartIsReported) {
    fs::remove(programFolder / "Tamburo");
    Open();
    Click(LoginDialog::kIdPlayer);
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{4098});
}

}  // namespace
