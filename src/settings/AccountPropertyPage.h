#pragma once
// The "Account" page: the device's five accounts and its "Max User(s)" value (section
// "SECURE"). Accounts are edited in the application record's working table m_AccountEntry
// through an inline panel; the applier writes the table back into SECURE and sends it.
//
// The client's own login (user name and password of the settings) follows an edit of its
// own account only once SECURE was sent: until then the device still knows the old login.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "sheet/PropertyPage.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace sheet {
class ReportList;
}

class AccountPropertyPage : public CPropertyPage {
  public:
    // Control ids.
    static constexpr int kIdList = 1284;
    static constexpr int kIdMaxUsers = 1040;
    static constexpr int kIdAdd = 1285;
    static constexpr int kIdDelete = 1286;
    static constexpr int kIdEdit = 1287;
    static constexpr int kIdOk = 1288;
    static constexpr int kIdExit = 1068;
    static constexpr int kIdUserName = 1041;
    static constexpr int kIdPassword = 1042;
    static constexpr int kIdLifeTime = 1291;
    static constexpr int kIdLevel = 1294;
    static constexpr int kIdLoginRecord = 1529;
    // The device keeps 16 bytes per name and password, terminator included.
    static constexpr int kMaxTextChars = 15;
    // Shown when SECURE could not be sent.
    static constexpr const char* kSendFailedText = "Set the system config is failed\n";

    explicit AccountPropertyPage(PageSheet& sheet);

    bool OnKillActive() override;
    void UpdateData(bool save) override;
    int Apply() override;

    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnOk();
    void OnExit();

    // Conversions between the panel's list indexes and the stored values.
    static uint32_t LifeTimeOfIndex(int index);
    static int IndexOfLifeTime(uint32_t minutes);
    static uint16_t LevelOfIndex(int index);
    static int IndexOfLevel(uint16_t level);
    // The list's texts of a row read from the device and of a row set on the page.
    static QString StoredLifeTimeText(uint32_t minutes);
    static QString StoredLevelText(uint16_t level);
    static QString LifeTimeTextOfIndex(int index);
    static QString LevelTextOfIndex(int index);

    bool IsPanelOpen() const { return m_bPanelOpen; }

  protected:
    void OnInitDialog() override;

  private:
    void ShowPanel(bool show);
    void ClearPanel();
    void ClosePanel();
    void OnNameEdited(QLineEdit* edit);
    void OnMaxUsersEdited();
    // The login the device knows this client by after the pending changes.
    const std::string& OwnUserName() const;
    void SetRowTexts(int row, const QString& level, const QString& lifeTime, int loginRecord);

    sheet::ReportList* m_list = nullptr;
    QLineEdit* m_editMaxUsers = nullptr;
    QLineEdit* m_editUserName = nullptr;
    QLineEdit* m_editPassword = nullptr;
    QComboBox* m_comboLifeTime = nullptr;
    QComboBox* m_comboLevel = nullptr;
    QComboBox* m_comboLoginRecord = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnExit = nullptr;
    QList<QWidget*> m_panel;

    uint8_t m_byMaxUser = 5;
    uint16_t m_wRowCount = 0;
    int m_nMode = 0;  // 0 adding, 1 editing
    bool m_bChanged = false;
    bool m_bOwnAccount = false;
    bool m_bPanelOpen = false;
    // The client's new login, taken over once SECURE went.
    std::optional<std::string> m_pendingUserName;
    std::optional<std::string> m_pendingPassword;
};
