#include "tools/LoginDialog.h"

#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/PlaybackProgram.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/window/BitmapFile.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "platform/window/WindowMessageTarget.h"
#include "tools/CAddressBookDialog.h"
#include "tools/CConnectDialog.h"
#include "tools/CCopyProgramDialog.h"
#include "tools/CDeviceSearchDialog.h"
#include "tools/CUpgradeFWDlg.h"
#include "tools/LoginMessages.h"
#include "widgets/CDlgGetPath.h"
#include "widgets/CVtxButton.h"

namespace {

using ormidon::LParam;
using ormidon::WParam;

constexpr uint32_t kStringWrongAccount = 4081;  // "Username or password is not correct"
constexpr uint32_t kStringPlayerFailed = 4098;  // "Execuate player program is failed"
constexpr uint16_t kAdministratorLevel = 30;
// The oldest firmware of the P5xK family that takes a network upgrade.
constexpr std::string_view kP5xKUpgradeFirmware = "1031";

// A worker that does not end within this after its stop request is a defect.
constexpr uint32_t kWorkerStopMs = 30;
constexpr int kMaxPort = 9999;
constexpr int kCornerEllipse = 15;

// Rectangles as left, top, right, bottom.
constexpr QRect Span(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

struct SkinFile {
    const char* file;
    QRect target;  // where the bitmap is stretched to; empty for the progress block
};

// In loading order (LoginDialog::SkinPiece).
constexpr SkinFile kSkinFiles[] = {
    {"BMP\\LOGIN\\spacer.bmp", Span(0, 0, 304, 341)},
    {"BMP\\LOGIN\\left_top.bmp", Span(0, 0, 21, 34)},
    {"BMP\\LOGIN\\right_top.bmp", Span(278, 0, 304, 34)},
    {"BMP\\LOGIN\\top_middle1.bmp", Span(21, 0, 278, 12)},
    {"BMP\\LOGIN\\top_middle2.bmp", Span(21, 12, 278, 34)},
    {"BMP\\LOGIN\\left_middle.bmp", Span(0, 34, 21, 319)},
    {"BMP\\LOGIN\\right_middle.bmp", Span(278, 34, 304, 319)},
    {"BMP\\LOGIN\\left_down.bmp", Span(0, 319, 25, 341)},
    {"BMP\\LOGIN\\right_down.bmp", Span(280, 319, 304, 341)},
    {"BMP\\LOGIN\\down_middle.bmp", Span(25, 319, 280, 341)},
    {"BMP\\LOGIN\\running.bmp", QRect()},
};

// The version digits: "0" to "9", then the point that stands for any other character.
constexpr const char* kDigitFiles[] = {
    "BMP\\LOGIN\\login_0.bmp", "BMP\\LOGIN\\login_1.bmp",     "BMP\\LOGIN\\login_2.bmp",
    "BMP\\LOGIN\\login_3.bmp", "BMP\\LOGIN\\login_4.bmp",     "BMP\\LOGIN\\login_5.bmp",
    "BMP\\LOGIN\\login_6.bmp", "BMP\\LOGIN\\login_7.bmp",     "BMP\\LOGIN\\login_8.bmp",
    "BMP\\LOGIN\\login_9.bmp", "BMP\\LOGIN\\login_point.bmp",
};
constexpr QRect kFirstDigit = Span(182, 13, 192, 33);

struct MainButton {
    int id;
    QRect rect;
    const char* flat;
    const char* focus;
    const char* selected;
    void (LoginDialog::*handler)();
};

struct LabelIcon {
    int id;  // also the string of its tool tip
    int top;
    const char* file;
};

constexpr LabelIcon kLabelIcons[] = {
    {8528, 100, "BMP\\LOGIN\\name.BMP"},
    {8529, 136, "BMP\\LOGIN\\password.BMP"},
    {8530, 172, "BMP\\LOGIN\\ip.BMP"},
    {8531, 208, "BMP\\LOGIN\\port.BMP"},
};
constexpr int kLabelLeft = 30;
constexpr int kLabelSide = 28;

QString ResourceText(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string TextOf(const QLineEdit* edit) { return edit->text().toStdString(); }

// The value of the leading digits of `text`, saturated above `limit`; nothing when the
// text does not begin with a digit.
std::optional<int32_t> LeadingNumber(std::string_view text, int32_t limit) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + (c - '0'), limit + 1);
    }
    return value;
}

}  // namespace

LoginDialog::LoginDialog(QWidget* parent)
    : SkinnedDialog(parent), m_hStopEvent(std::make_shared<ormidon::Event>()) {
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QStringLiteral("Login"));
    m_pWindowTarget = new ormidon::WindowMessageTarget(
        [this](uint32_t message, WParam wParam, LParam lParam) {
            OnWindowMessage(message, wParam, lParam);
        },
        this);

    // The edits, in the order the Tab key visits them.
    const auto makeEdit = [this](int id, QRect place) {
        auto* edit = new QLineEdit(this);
        ormidon::SetControlId(edit, id);
        edit->setGeometry(place);
        return edit;
    };
    m_pUserNameEdit = makeEdit(kIdUserName, QRect(93, 100, 180, 28));
    m_pPasswordEdit = makeEdit(kIdPassword, QRect(93, 136, 180, 28));
    m_pPasswordEdit->setEchoMode(QLineEdit::Password);
    m_pServerAddressEdit = makeEdit(kIdServerAddress, QRect(93, 172, 180, 28));
    m_pPortEdit = makeEdit(kIdPort, QRect(93, 208, 100, 28));
    m_pBitRateEdit = makeEdit(kIdBitRate, QRect());
    m_pBitRateEdit->setEnabled(false);
    m_pBitRateEdit->hide();
    connect(m_pPortEdit, &QLineEdit::textChanged, this, [this] { OnChangePort(); });
}

LoginDialog::~LoginDialog() { StopWorkers(); }

int LoginDialog::DoModal() { return exec(); }

ormidon::WindowHandle LoginDialog::GetSafeHwnd() const { return m_pWindowTarget->Handle(); }

void LoginDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strUserName = TextOf(m_pUserNameEdit);
        m_strUserPassword = TextOf(m_pPasswordEdit);
        m_strServerAddress = TextOf(m_pServerAddressEdit);
        m_strPortText = TextOf(m_pPortEdit);
        m_strBitRate = TextOf(m_pBitRateEdit);
        return;
    }
    // The port's change handler reads every edit back, so it runs once all are written.
    m_fChangingPort = true;
    m_pUserNameEdit->setText(QString::fromStdString(m_strUserName));
    m_pPasswordEdit->setText(QString::fromStdString(m_strUserPassword));
    m_pServerAddressEdit->setText(QString::fromStdString(m_strServerAddress));
    m_pPortEdit->setText(QString::fromStdString(m_strPortText));
    m_pBitRateEdit->setText(QString::fromStdString(m_strBitRate));
    m_fChangingPort = false;
    OnChangePort();
}

void LoginDialog::showEvent(QShowEvent* event) {
    if (!m_fInitialised) {
        m_fInitialised = true;
        OnInitDialog();
    }
    SkinnedDialog::showEvent(event);
}

void LoginDialog::OnInitDialog() {
    UpdateData(false);
    FocusFirstEmptyEdit();
    ormidon::SetRoundRectRegion(this, rect(), kCornerEllipse, kCornerEllipse);
    if (parentWidget() == nullptr && screen() != nullptr) {
        move(screen()->availableGeometry().center() - rect().center());
    }
    // Without its skin the window still opens, with the edits alone.
    if (!LoadSkin()) return;
    setToolTip(QStringLiteral("LOGIN"));
    CreateButtons();
}

void LoginDialog::FocusFirstEmptyEdit() {
    for (QLineEdit* edit : {m_pUserNameEdit, m_pPasswordEdit, m_pServerAddressEdit, m_pPortEdit}) {
        if (edit->text().isEmpty()) {
            edit->setFocus();
            return;
        }
    }
    m_pPasswordEdit->setFocus();
}

bool LoginDialog::LoadSkin() {
    for (int i = 0; i < kSkinPieceCount; ++i) {
        m_SkinBitmaps[i] = ormidon::LoadBitmapFile(kSkinFiles[i].file);
        if (m_SkinBitmaps[i].isNull()) return false;
    }
    for (int i = 0; i < kDigitCount; ++i) {
        m_DigitBitmaps[i] = ormidon::LoadBitmapFile(kDigitFiles[i]);
        if (m_DigitBitmaps[i].isNull()) return false;
    }
    return true;
}

void LoginDialog::CreateButtons() {
    const MainButton buttons[] = {
        {kIdAddressBook, Span(30, 50, 64, 84), "BMP\\LOGIN\\address.bmp",
         "BMP\\LOGIN\\address_over.bmp", "BMP\\LOGIN\\address_down.bmp",
         &LoginDialog::OnAddressBookButton},
        {kIdSearch, Span(80, 50, 114, 84), "BMP\\LOGIN\\search.bmp", "BMP\\LOGIN\\search_over.bmp",
         "BMP\\LOGIN\\search_down.bmp", &LoginDialog::OnSearchButton},
        {kIdPlayer, Span(130, 50, 164, 84), "BMP\\LOGIN\\player.bmp", "BMP\\LOGIN\\player_over.bmp",
         "BMP\\LOGIN\\player_down.bmp", &LoginDialog::OnPlayerButton},
        {kIdUpgradeFirmware, Span(230, 50, 264, 84), "BMP\\LOGIN\\download.BMP",
         "BMP\\LOGIN\\download_over.bmp", "BMP\\LOGIN\\download_down.bmp",
         &LoginDialog::OnUpgradeFirmwareButton},
        {kIdCopyProgram, Span(180, 50, 214, 84), "BMP\\LOGIN\\copy.bmp",
         "BMP\\LOGIN\\copy_over.bmp", "BMP\\LOGIN\\copy_down.bmp",
         &LoginDialog::OnCopyProgramButton},
        {kIdConnect, Span(50, 275, 82, 307), "BMP\\LOGIN\\enter.bmp", "BMP\\LOGIN\\enter_over.bmp",
         "BMP\\LOGIN\\enter_down.bmp", &LoginDialog::OnConnectButton},
        {kIdCancel, Span(215, 275, 247, 307), "BMP\\LOGIN\\cancel.bmp",
         "BMP\\LOGIN\\cancel_over.bmp", "BMP\\LOGIN\\cancel_down.bmp", &LoginDialog::OnCancel},
    };
    for (const MainButton& b : buttons) {
        auto* button = new CVtxButton(this);
        ormidon::SetControlId(button, b.id);
        button->setGeometry(b.rect);
        button->setFocusPolicy(Qt::TabFocus);
        button->setToolTip(ResourceText(b.id));
        button->LoadButtonBitmap(b.flat, b.focus, b.selected, CVtxButton::kStylePushHover);
        connect(button, &QAbstractButton::clicked, this, [this, h = b.handler] { (this->*h)(); });
        button->show();
    }
    for (const LabelIcon& icon : kLabelIcons) {
        auto* label = new CVtxButton(this);
        ormidon::SetControlId(label, icon.id);
        label->setGeometry(kLabelLeft, icon.top, kLabelSide, kLabelSide);
        label->setFocusPolicy(Qt::NoFocus);
        label->setToolTip(ResourceText(icon.id));
        label->LoadButtonBitmap(icon.file, CVtxButton::kStyleSingle);
        label->show();
    }
}

QRect LoginDialog::ProgressRect() const {
    // The filled bar, and the running block at its last step, which reaches past it.
    const QImage& running = m_SkinBitmaps[kRunning];
    const int step = running.width() / 2;
    return QRect(kProgressLeft, kProgressTop, (kAnimateSteps - 1) * step + running.width(),
                 running.height());
}

void LoginDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (SkinPiece piece : {kSpacer, kLeftTop, kRightTop, kLeftDown, kRightDown, kTopMiddle1,
                            kTopMiddle2, kLeftMiddle, kRightMiddle, kDownMiddle}) {
        ormidon::DrawStretched(painter, m_SkinBitmaps[piece], kSkinFiles[piece].target);
    }

    const std::string version = g_lpApp != nullptr ? g_lpApp->str_APVersion.Get() : std::string();
    for (size_t i = 0; i < version.size(); ++i) {
        const char c = version[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : kDigitCount - 1;
        ormidon::DrawStretched(
            painter, m_DigitBitmaps[digit],
            kFirstDigit.translated(static_cast<int>(i) * kFirstDigit.width(), 0));
    }

    if (m_fAnimating) {
        const QImage& running = m_SkinBitmaps[kRunning];
        const int step = running.width() / 2;
        const QColor barColour(157, 216, 244);
        painter.fillRect(QRect(kProgressLeft, kProgressTop, kAnimateSteps * step, running.height()),
                         barColour);
        if (!running.isNull()) {
            painter.drawImage(QPoint(kProgressLeft + m_byAnimateStep * step, kProgressTop),
                              running);
        }
    }
    if (m_fLoginFailed) {
        painter.setPen(QColor(0, 20, 255));
        painter.drawText(QRect(kProgressLeft, kProgressTop, width() - kProgressLeft, height()),
                         Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(m_strFailText));
    }
}

void LoginDialog::OnOK() { ormidon::PostWindowMessage(GetSafeHwnd(), WM_LOGINCONNECT); }

void LoginDialog::OnWindowMessage(uint32_t message, WParam wParam, LParam) {
    switch (message) {
        case WM_LOGINFAILED:
            OnLoginFailed(wParam);
            break;
        case WM_LOGINANIMATE:
            OnLoginAnimate();
            break;
        case WM_LOGINCONNECT:
            OnConnectButton();
            break;
        case WM_LOGINSUCCESS:
            done(kResultOk);
            break;
        default:
            break;
    }
}

void LoginDialog::OnConnectButton() {
    UpdateData(true);
    if (m_strUserName.empty() || m_strUserPassword.empty()) {
        ormidon::ShowMessage(kStringWrongAccount);
        FocusFirstEmptyEdit();
        return;
    }
    m_fLoginFailed = false;
    m_fAnimating = false;
    m_byAnimateStep = 0;

    StopWorkers();
    m_hStopEvent = std::make_shared<ormidon::Event>();
    m_pRunTarget = std::make_unique<ormidon::WindowMessageTarget>(
        [this](uint32_t message, WParam wParam, LParam lParam) {
            OnWindowMessage(message, wParam, lParam);
        });
    const LoginThreadParam param{m_pRunTarget->Handle(), m_strServerAddress, m_strUserName,
                                 m_strUserPassword,      m_strPortText,      m_hStopEvent};
    if (!m_hLoginThread.Start([param](std::stop_token stop) { Login_Thread(param, stop); })) {
        return;
    }
    if (!m_hAnimateThread.Start([param](std::stop_token stop) { Animate_Thread(param, stop); })) {
        return;
    }
    update();
}

void LoginDialog::StopWorkers() {
    m_hStopEvent->Set();
    m_hLoginThread.Stop(kWorkerStopMs);
    m_hAnimateThread.Stop(kWorkerStopMs);
    // Whatever the stopped run posted and the window has not seen yet goes with it.
    m_pRunTarget.reset();
}

void LoginDialog::OnLoginAnimate() {
    // A step posted just before a failure must not draw over the failure's text.
    if (m_fLoginFailed) return;
    m_fAnimating = true;
    m_byAnimateStep = m_byAnimateStep + 1 >= kAnimateSteps ? 0 : m_byAnimateStep + 1;
    update(ProgressRect());
}

void LoginDialog::OnLoginFailed(WParam code) {
    m_fAnimating = false;
    switch (code) {
        case kLoginFailProcedure:
            m_strFailText = "Login procedure failed";
            m_fLoginFailed = true;
            break;
        case kLoginFailTooManyUsers:
            m_strFailText = "Too many user";
            m_fLoginFailed = true;
            break;
        case kLoginFailUnsupportedDevice:
            m_strFailText = "No support this device";
            m_fLoginFailed = true;
            break;
        default:
            break;
    }
    // Most often the password was wrong: it is selected, so typing replaces it.
    m_pPasswordEdit->setFocus();
    m_pPasswordEdit->selectAll();
    update();
}

void LoginDialog::OnChangePort() {
    if (m_fChangingPort) return;
    UpdateData(true);
    if (m_strPortText.empty()) return;

    std::string digits = m_strPortText;
    FilterNumericString(digits, kFilterDigitsOnly);
    if (const std::optional<int32_t> number = LeadingNumber(digits, kMaxPort)) m_nPort = *number;
    m_nPort = std::clamp(m_nPort, 0, kMaxPort);
    m_strPortText = std::to_string(m_nPort);

    const QString text = QString::fromStdString(m_strPortText);
    if (m_pPortEdit->text() != text) {
        m_fChangingPort = true;
        m_pPortEdit->setText(text);
        m_fChangingPort = false;
    }
    m_pPortEdit->setCursorPosition(static_cast<int>(text.size()));
}

void LoginDialog::OnPlayerButton() {
    std::vector<std::string> arguments;
    if (std::string newest = FindNewestRecordFile(); !newest.empty()) {
        arguments.push_back(std::move(newest));
    } else if (g_lpApp != nullptr && !g_lpApp->CSettingINI.m_strNetworkFileDirectory.empty()) {
        // No recording to play: the player's Open... starts where Network Backup downloads.
        arguments = {"--open-folder", g_lpApp->CSettingINI.m_strNetworkFileDirectory};
    }
    if (!StartPlaybackProgram(arguments)) ormidon::ShowMessage(kStringPlayerFailed);
}

void LoginDialog::OnAddressBookButton() {
    CAddressBookDialog book;
    if (book.DoModal() != CAddressBookDialog::kResultSelected) return;
    UpdateData(true);  // what was typed meanwhile stays
    m_strUserName = book.m_strUser;
    m_strServerAddress = book.m_strAddress;
    m_strPortText = std::to_string(book.m_iMajorPort);
    UpdateData(false);
}

void LoginDialog::OnSearchButton() {
    CDeviceSearchDialog search(this);
    search.DoModal();
    if (search.m_fSelected) {
        m_strPortText = std::to_string(search.m_nWebPort);
        CSettingINI& settings = g_lpApp->CSettingINI;
        settings.m_wWebPort = static_cast<uint16_t>(search.m_nWebPort);
        // An address that was never set would empty the login's.
        if (!search.m_strSelectedIP.empty()) {
            settings.m_strServerName = search.m_strSelectedIP;
            m_strServerAddress = search.m_strSelectedIP;
        }
    }
    UpdateData(false);
}

void LoginDialog::OnCopyProgramButton() {
    CDlgGetPath picker(this);
    picker.SetPath(ormidon::HomeFolder().string());
    if (picker.DoModal() != CDlgGetPath::kIdOk) return;
    const std::string folder = picker.GetPath();
    // An existing folder is no error.
    std::error_code ignored;
    std::filesystem::create_directory(std::filesystem::path(folder) / "BMP", ignored);
    const std::string& program = g_lpApp->CSettingINI.m_strProgramPath;
    CCopyProgramDialog copier(this, program.empty() ? ormidon::ProgramFolder().string() : program,
                              folder);
    copier.DoModal();
}

void LoginDialog::OnUpgradeFirmwareButton() {
    UpdateData(true);
    if (m_strUserName.empty() || m_strUserPassword.empty()) {
        ormidon::ShowMessage(kStringWrongAccount);
        return;
    }
    // Logs in and reads the device information; the worker reports its own failures.
    CConnectDialog connectDialog(nullptr, this);
    connectDialog.m_strConnectText = "Connect " + m_strServerAddress;
    if (connectDialog.DoModal() != 1) return;

    if (g_lpApp->w_UserLevel != kAdministratorLevel) {
        ormidon::ShowMessageText("Only administrator could use upgrade firmware function");
        return;
    }
    const bool p5xk = IsP5xKModel() != 0;
    const bool upgradable = p5xk || IsP62KModel() || IsN2xVModel() || IsT18DModel();
    // A version text that is not four characters long passes.
    if (!upgradable ||
        (p5xk && CompareVersion(kP5xKUpgradeFirmware, g_lpApp->str_FWVersion.Get()) == 2)) {
        ormidon::ShowMessageText("Device doesn't support network upgrade FW");
        return;
    }
    RunFirmwareUpgrade();
}

void LoginDialog::RunFirmwareUpgrade() {
    // Without an owner; its result is not used.
    CUpgradeFWDlg upgrade(nullptr);
    upgrade.DoModal();
}
