#include "settings/AccountPropertyPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/StringTable.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "settings/MySystemDialog.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kMsgAccountMemory = 4001;
constexpr uint32_t kMsgAddFailed = 4002;
constexpr uint32_t kMsgEditFailed = 4022;
constexpr uint32_t kMsgMaxUsersEmpty = 4042;
constexpr uint32_t kMsgMaxUsersRange = 4043;
constexpr uint32_t kMsgNothingToDelete = 4045;
constexpr uint32_t kMsgNothingToEdit = 4046;
constexpr uint32_t kMsgOwnAccount = 4069;
constexpr uint32_t kMsgSelectToDelete = 4086;
constexpr uint32_t kMsgSelectToEdit = 4087;
constexpr uint32_t kMsgNameExists = 4118;

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint32_t kLifeTimes[] = {1, 5, 10, 60, 1440, kInfinite};
constexpr uint16_t kLevels[] = {30, 20, 10, 0};

QString Text(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStd(const QString& text) { return text.toStdString(); }

CAppObject& App() { return *g_lpApp; }
AccountTable& Entries() { return App().m_AccountEntry; }
std::span<uint8_t> Secure() { return App().m_Cfg_SECURE; }

}  // namespace

AccountPropertyPage::AccountPropertyPage(PageSheet& sheet)
    : CPropertyPage(sheet, PageKind::Account) {}

uint32_t AccountPropertyPage::LifeTimeOfIndex(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kLifeTimes))) return 1;
    return kLifeTimes[index];
}

int AccountPropertyPage::IndexOfLifeTime(uint32_t minutes) {
    for (int i = 0; i < static_cast<int>(std::size(kLifeTimes)); ++i)
        if (kLifeTimes[i] == minutes) return i;
    return 5;
}

uint16_t AccountPropertyPage::LevelOfIndex(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kLevels))) return 0;
    return kLevels[index];
}

int AccountPropertyPage::IndexOfLevel(uint16_t level) {
    for (int i = 0; i < static_cast<int>(std::size(kLevels)); ++i)
        if (kLevels[i] == level) return i;
    return 3;
}

QString AccountPropertyPage::StoredLifeTimeText(uint32_t minutes) {
    if (minutes == kInfinite) return Text(3018);
    if (minutes == 1440) return Text(3019);
    if (minutes == 60) return Text(3020);
    return QString("%1 %2").arg(minutes).arg(Text(3021));
}

QString AccountPropertyPage::StoredLevelText(uint16_t level) {
    switch (level) {
        case 20:
            return Text(8332);
        case 10:
            return Text(3012);
        case 0:
            return Text(3013);
        default:
            return Text(3011);
    }
}

QString AccountPropertyPage::LifeTimeTextOfIndex(int index) {
    switch (index) {
        case 0:
            return QString("1  %1").arg(Text(3021));
        case 1:
            return QString("5  %1").arg(Text(3021));
        case 2:
            return QString("10 %1").arg(Text(3021));
        case 3:
            return Text(3020);
        case 4:
            return Text(3019);
        default:
            return Text(3018);
    }
}

QString AccountPropertyPage::LevelTextOfIndex(int index) {
    switch (index) {
        case 1:
            return Text(8332);
        case 2:
            return Text(3012);
        case 3:
            return Text(3013);
        default:
            return Text(3011);
    }
}

void AccountPropertyPage::OnInitDialog() {
    using namespace sheet;
    m_list = new ReportList(this, kIdList,
                            {{Text(3015), Scaled(70)},
                             {Text(3016), Scaled(95)},
                             {Text(3017), Scaled(70)},
                             {Text(3030), Scaled(100)}},
                            Scaled(QRect(10, 10, 345, 130)));
    MakeLabel(this, 0, "Max User(s) :", Scaled(QRect(10, 152, 80, 20)));
    m_editMaxUsers = MakeTextEdit(this, kIdMaxUsers, 3, Scaled(QRect(95, 150, 40, 22)));
    m_btnAdd = MakeButton(this, kIdAdd, "ADD", Scaled(QRect(150, 150, 65, 24)));
    m_btnDelete = MakeButton(this, kIdDelete, "DELETE", Scaled(QRect(220, 150, 65, 24)));
    m_btnEdit = MakeButton(this, kIdEdit, "EDIT", Scaled(QRect(290, 150, 65, 24)));

    m_panel = {
        MakeLabel(this, 1289, "Username :", Scaled(QRect(10, 187, 80, 20))),
        MakeLabel(this, 1290, "Password :", Scaled(QRect(10, 214, 80, 20))),
        MakeLabel(this, 1292, "Life time :", Scaled(QRect(190, 187, 88, 20))),
        MakeLabel(this, 1293, "User level :", Scaled(QRect(190, 214, 88, 20))),
        MakeLabel(this, 1528, "Login record :", Scaled(QRect(190, 241, 88, 20))),
    };
    m_editUserName = MakeTextEdit(this, kIdUserName, kMaxTextChars, Scaled(QRect(90, 185, 95, 22)));
    m_editPassword = MakeTextEdit(this, kIdPassword, kMaxTextChars, Scaled(QRect(90, 212, 95, 22)));
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_comboLifeTime = MakeCombo(
        this, kIdLifeTime, {"1    Min", "5    Min", "10  Min", "1    Hour", "1    Day", "INFINITY"},
        Scaled(QRect(280, 185, 120, 22)));
    m_comboLevel =
        MakeCombo(this, kIdLevel, {"SUPERVISOR", "HIGH         USER", "NORMAL   USER", "GUEST"},
                  Scaled(QRect(280, 212, 120, 22)));
    m_comboLoginRecord =
        MakeCombo(this, kIdLoginRecord, {"OFF", "ON"}, Scaled(QRect(280, 239, 120, 22)));
    m_btnOk = MakeButton(this, kIdOk, "OK", Scaled(QRect(90, 250, 45, 24)));
    m_btnExit = MakeButton(this, kIdExit, "EXIT", Scaled(QRect(140, 250, 45, 24)));
    m_panel.append({m_editUserName, m_editPassword, m_comboLifeTime, m_comboLevel,
                    m_comboLoginRecord, m_btnOk, m_btnExit});
    ShowPanel(false);

    connect(m_btnAdd, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_btnDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_btnEdit, &QPushButton::clicked, this, [this] { OnEdit(); });
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(m_btnExit, &QPushButton::clicked, this, [this] { OnExit(); });
    connect(m_editUserName, &QLineEdit::textEdited, this, [this] { OnNameEdited(m_editUserName); });
    connect(m_editPassword, &QLineEdit::textEdited, this, [this] { OnNameEdited(m_editPassword); });
    connect(m_editMaxUsers, &QLineEdit::textEdited, this, [this] { OnMaxUsersEdited(); });

    const std::span<const uint8_t> secure = Secure();
    m_byMaxUser = static_cast<uint8_t>(ReadUInt(secure, SecureRecord::byMaxUser));
    const uint32_t loginBits = ReadUInt(secure, SecureRecord::byLoginRecord);
    AccountTable& entries = Entries();
    entries = {};
    m_wRowCount = 0;
    for (std::size_t slot = 0; slot < SecureRecord::kSlots; ++slot) {
        std::string name = ReadText(secure, SecureRecord::szUserName, slot);
        if (name.empty()) continue;
        AccountEntry& entry = entries[m_wRowCount];
        entry.bUsed = 1;
        entry.strUserName = std::move(name);
        entry.strPassword = ReadText(secure, SecureRecord::szPassword, slot);
        entry.wLevel = static_cast<uint16_t>(ReadUInt(secure, SecureRecord::byUserLevel, slot));
        entry.dwLifeTime = ReadUInt(secure, SecureRecord::dwLifeTime, slot);
        entry.bLoginRecord = (loginBits >> slot) & 1U;
        const int row = m_list->AddRow({QString::fromStdString(entry.strUserName)});
        SetRowTexts(row, StoredLevelText(entry.wLevel), StoredLifeTimeText(entry.dwLifeTime),
                    entry.bLoginRecord);
        ++m_wRowCount;
    }
    UpdateData(false);
}

void AccountPropertyPage::SetRowTexts(int row, const QString& level, const QString& lifeTime,
                                      int loginRecord) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (item == nullptr) return;
    item->setText(1, level);
    item->setText(2, lifeTime);
    item->setText(3, Text(loginRecord != 0 ? 3031 : 3032));
}

void AccountPropertyPage::UpdateData(bool save) {
    if (m_editMaxUsers == nullptr) return;
    if (!save) {
        m_editMaxUsers->setText(QString::number(m_byMaxUser));
        return;
    }
    // An empty edit keeps the last value; leaving the page refuses it.
    if (const std::optional<uint32_t> value = sheet::ParseDigits(m_editMaxUsers->text()))
        m_byMaxUser = static_cast<uint8_t>(std::min<uint32_t>(*value, 255));
}

void AccountPropertyPage::ShowPanel(bool show) {
    for (QWidget* widget : m_panel) {
        widget->setVisible(show);
        widget->setEnabled(show);
    }
    m_btnAdd->setEnabled(!show);
    m_btnDelete->setEnabled(!show);
    m_btnEdit->setEnabled(!show);
    m_bPanelOpen = show;
}

void AccountPropertyPage::ClearPanel() {
    m_editUserName->clear();
    m_editPassword->clear();
    sheet::SetComboIndex(m_comboLifeTime, -1);
    sheet::SetComboIndex(m_comboLevel, -1);
    sheet::SetComboIndex(m_comboLoginRecord, -1);
}

const std::string& AccountPropertyPage::OwnUserName() const {
    return m_pendingUserName ? *m_pendingUserName : App().CSettingINI.m_strUsername;
}

void AccountPropertyPage::OnAdd() {
    UpdateData(true);
    if (m_wRowCount >= m_byMaxUser) {
        ormidon::ShowMessage(kMsgAddFailed);
        return;
    }
    ShowPanel(true);
    ClearPanel();
    m_nMode = 0;
    Sheet().DisableButtons();
}

void AccountPropertyPage::OnEdit() {
    if (m_wRowCount == 0) {
        ormidon::ShowMessage(kMsgNothingToEdit);
        return;
    }
    const int row = m_list->SelectedRow();
    if (row < 0 || row >= m_wRowCount) {
        ormidon::ShowMessage(kMsgSelectToEdit);
        return;
    }
    const AccountEntry& entry = Entries()[static_cast<std::size_t>(row)];
    // Decided anew at each edit: an earlier edit of the own account says nothing of this one.
    m_bOwnAccount = entry.strUserName == OwnUserName();
    ShowPanel(true);
    m_editUserName->setText(QString::fromStdString(entry.strUserName));
    m_editPassword->setText(QString::fromStdString(entry.strPassword));
    sheet::SetComboIndex(m_comboLifeTime, IndexOfLifeTime(entry.dwLifeTime));
    sheet::SetComboIndex(m_comboLevel, IndexOfLevel(entry.wLevel));
    sheet::SetComboIndex(m_comboLoginRecord, entry.bLoginRecord != 0 ? 1 : 0);
    m_nMode = 1;
    m_list->setEnabled(false);
    Sheet().DisableButtons();
}

void AccountPropertyPage::OnDelete() {
    if (m_wRowCount == 0) {
        ormidon::ShowMessage(kMsgNothingToDelete);
        return;
    }
    const int row = m_list->SelectedRow();
    if (row < 0 || row >= m_wRowCount) {
        ormidon::ShowMessage(kMsgSelectToDelete);
        return;
    }
    AccountTable& entries = Entries();
    if (entries[static_cast<std::size_t>(row)].strUserName == OwnUserName()) {
        ormidon::ShowMessage(kMsgOwnAccount);
        return;
    }
    delete m_list->takeTopLevelItem(row);
    for (std::size_t i = static_cast<std::size_t>(row); i + 1 < entries.size(); ++i)
        entries[i] = entries[i + 1];
    entries.back() = {};
    --m_wRowCount;
    m_bChanged = true;
}

void AccountPropertyPage::ClosePanel() {
    ShowPanel(false);
    m_list->setEnabled(true);
    Sheet().EnableButtons();
}

void AccountPropertyPage::OnOk() {
    ClosePanel();
    UpdateData(true);
    const std::string name = ToStd(m_editUserName->text());
    const std::string password = ToStd(m_editPassword->text());
    const int lifeIndex = sheet::ComboIndex(m_comboLifeTime);
    int levelIndex = sheet::ComboIndex(m_comboLevel);
    const int loginIndex = sheet::ComboIndex(m_comboLoginRecord);
    AccountTable& entries = Entries();

    if (m_nMode == 1) {
        const int row = m_list->SelectedRow();
        if (row < 0 || row >= m_wRowCount || name.empty() || password.empty() || lifeIndex < 0 ||
            levelIndex < 0) {
            ormidon::ShowMessage(kMsgEditFailed);
            return;
        }
        for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
            if (i != row && entries[static_cast<std::size_t>(i)].bUsed != 0 &&
                entries[static_cast<std::size_t>(i)].strUserName == name) {
                ormidon::ShowMessage(kMsgNameExists);
                return;
            }
        }
        AccountEntry& entry = entries[static_cast<std::size_t>(row)];
        if (m_bOwnAccount) {
            levelIndex = 0;  // the own level is not changed; the row shows "SUPERVISOR"
            m_pendingUserName = name;
            m_pendingPassword = password;
        } else {
            entry.wLevel = LevelOfIndex(levelIndex);
        }
        entry.dwLifeTime = LifeTimeOfIndex(lifeIndex);
        entry.bLoginRecord = loginIndex == 1 ? 1 : 0;
        entry.strUserName = name;
        entry.strPassword = password;
        m_list->topLevelItem(row)->setText(0, QString::fromStdString(name));
        SetRowTexts(row, LevelTextOfIndex(levelIndex), LifeTimeTextOfIndex(lifeIndex),
                    entry.bLoginRecord);
        m_bChanged = true;
        return;
    }

    if (name.empty() || password.empty() || lifeIndex < 0 || levelIndex < 0 || loginIndex < 0) {
        ormidon::ShowMessage(kMsgAddFailed);
        return;
    }
    for (const AccountEntry& entry : entries) {
        if (entry.bUsed != 0 && entry.strUserName == name) {
            ormidon::ShowMessage(kMsgNameExists);
            return;
        }
    }
    if (m_wRowCount >= kAccountEntries) {
        ormidon::ShowMessage(kMsgAccountMemory);
        return;
    }
    if (m_wRowCount >= m_byMaxUser) {
        ormidon::ShowMessage(kMsgAddFailed);
        return;
    }
    AccountEntry& entry = entries[m_wRowCount];
    entry.bUsed = 1;
    entry.strUserName = name;
    entry.strPassword = password;
    entry.wLevel = LevelOfIndex(levelIndex);
    entry.dwLifeTime = LifeTimeOfIndex(lifeIndex);
    entry.bLoginRecord = loginIndex;
    const int row = m_list->AddRow({QString::fromStdString(name)});
    SetRowTexts(row, LevelTextOfIndex(levelIndex), LifeTimeTextOfIndex(lifeIndex),
                entry.bLoginRecord);
    ++m_wRowCount;
    m_bChanged = true;
}

void AccountPropertyPage::OnExit() {
    ClosePanel();
    ClearPanel();
}

void AccountPropertyPage::OnNameEdited(QLineEdit* edit) {
    QString text = edit->text();
    text.remove(QChar(' '));
    if (text != edit->text()) {
        edit->setText(text);
        edit->setCursorPosition(static_cast<int>(text.size()));
    }
}

void AccountPropertyPage::OnMaxUsersEdited() {
    const QString text = m_editMaxUsers->text();
    if (text.isEmpty()) return;
    uint32_t value = sheet::ParseDigits(text).value_or(0);
    if (value > 5) {
        ormidon::ShowMessage(kMsgMaxUsersRange);
        value = 5;
    } else if (value == 0) {
        ormidon::ShowMessage(kMsgMaxUsersRange);
        value = 3;
    }
    m_byMaxUser = static_cast<uint8_t>(value);
    m_editMaxUsers->setText(QString::number(value));
    m_editMaxUsers->setCursorPosition(static_cast<int>(m_editMaxUsers->text().size()));
}

bool AccountPropertyPage::OnKillActive() {
    if (m_editMaxUsers != nullptr && m_editMaxUsers->text().isEmpty()) {
        ormidon::ShowMessage(kMsgMaxUsersEmpty);
        return false;
    }
    if (m_bPanelOpen) OnExit();
    return true;
}

int AccountPropertyPage::Apply() {
    if (!HasWindow()) return 0;
    UpdateData(true);
    const std::span<uint8_t> secure = Secure();
    bool marked = false;
    if (m_bChanged) {
        uint32_t loginBits = ReadUInt(secure, SecureRecord::byLoginRecord);
        const AccountTable& entries = Entries();
        for (std::size_t i = 0; i < SecureRecord::kSlots; ++i) {
            const AccountEntry& entry = entries[i];
            if (entry.bUsed != 0) {
                WriteUInt(secure, SecureRecord::byUserLevel, entry.wLevel, i);
                WriteUInt(secure, SecureRecord::dwLifeTime, entry.dwLifeTime, i);
                const uint32_t bit = 1U << i;
                loginBits = entry.bLoginRecord != 0 ? (loginBits | bit) : (loginBits & ~bit);
                WriteText(secure, SecureRecord::szUserName, entry.strUserName, i);
                WriteText(secure, SecureRecord::szPassword, entry.strPassword, i);
            } else {
                WriteText(secure, SecureRecord::szUserName, "", i);
                WriteText(secure, SecureRecord::szPassword, "", i);
            }
        }
        WriteUInt(secure, SecureRecord::byLoginRecord, loginBits & 0xFF);
        marked = true;
    }
    if (m_byMaxUser != ReadUInt(secure, SecureRecord::byMaxUser)) {
        WriteUInt(secure, SecureRecord::byMaxUser, m_byMaxUser);
        marked = true;
    }
    if (!marked) return 0;
    if (SetSysCfg(CFG_SECURE, secure.data(), static_cast<int>(secure.size()), 0) != 1) {
        ormidon::ShowMessageText(kSendFailedText);
        return 0;
    }
    // The device knows the new login now; the next login must use it.
    if (m_pendingUserName) App().CSettingINI.m_strUsername = *m_pendingUserName;
    if (m_pendingPassword) App().CSettingINI.m_strPassword = *m_pendingPassword;
    m_pendingUserName.reset();
    m_pendingPassword.reset();
    return 0;
}
