#pragma once
// The "Server Time Config" page (section SNTP): the device's clock set from a time server
// with a time zone, or from a date and time typed here. "Sync Time" tells the device at once
// ("/SyncTime.cgi") and then stores the page's time-server settings (WM_SYNCTIMEDONE, handled
// once the button's handler has returned); APPLY sends what still differs.
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowMessage.h"
#include "settings/PropertyPage.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ormidon {
class WindowMessageTarget;
}

class CSNTPPage : public CPropertyPage {
  public:
    static constexpr int kIdFromServer = 1449;
    static constexpr int kIdByUser = 1450;
    static constexpr int kIdZone = 1195;
    static constexpr int kIdZoneLabel = 1454;
    static constexpr int kIdServer = 1040;
    static constexpr int kIdServerLabel = 1455;
    static constexpr int kIdManualServer = 1452;
    static constexpr int kIdAutomatic = 1453;
    static constexpr int kIdSyncTime = 1068;
    static constexpr int kIdDate = 239;
    static constexpr int kIdTime = 238;
    static constexpr int kIdDateLabel = 240;
    static constexpr int kIdTimeLabel = 241;
    static constexpr int kZones = 75;
    static constexpr uint32_t kFirstZoneString = 8448;
    static constexpr int kMaxServerChars = 27;
    static constexpr uint16_t kSyncSeconds = 15;
    static constexpr uint32_t kMsgSendTimeout = 4064;
    static constexpr uint32_t kMsgChangeFailed = 4012;
    // Sync Time from a time server needs a zone.
    static constexpr const char* kNoZoneText = "Please choose a time zone first.";
    // Sync Time does not send a server name that cannot stand in its query.
    static constexpr const char* kUnsafeServerText =
        "The SNTP server name cannot be sent. Please type the server name again.";

    struct ZoneOffset {
        int hour = 0;
        int minute = 0;  // with the hour's sign
    };

    explicit CSNTPPage(MySystemDialog& sheet);

    void UpdateData(bool save) override;
    int Apply() override;

    void OnFromServer();
    void OnByUser();
    void OnAutomatic();
    void OnManualServer();
    void OnSyncTime();
    // The sheet's handling of WM_SYNCTIMEDONE: the baseline and SNTP take the page's
    // time-server settings, and SNTP is sent when it changed. A refused send keeps the old
    // baseline, so APPLY sends again.
    void OnSyncTimeDone();

    // Row `index` of the zone table (hour and minute from its text); 0:00 outside 0-74.
    static ZoneOffset ZoneOffsetOf(int index);
    // The server edit's characters: letters, digits, "." and "-".
    static QString HostNameCharacters(const QString& text);
    // True for a server name that can stand as the "Server" value of the Sync Time query:
    // not blank, printable ASCII without "&", "?", "#", "%".
    static bool IsSendableServer(std::string_view server);

  protected:
    void OnInitDialog() override;

  private:
    void ShowMode(bool fromServer);
    void ShowAutomatic(bool automatic);
    // The zone index when it is a row of the table; -1 otherwise.
    int ValidZone() const;
    // Writes the zone and its offset into SNTP when it is a row of the table (and, with
    // `onlyWhenStoredDiffers`, not the stored one); true then.
    bool WriteZone(bool onlyWhenStoredDiffers);

    QRadioButton* m_radioServer = nullptr;
    QRadioButton* m_radioUser = nullptr;
    QComboBox* m_comboZone = nullptr;
    QLineEdit* m_editServer = nullptr;
    QCheckBox* m_checkManual = nullptr;
    QCheckBox* m_checkAutomatic = nullptr;
    QDateTimeEdit* m_date = nullptr;
    QDateTimeEdit* m_time = nullptr;
    ormidon::WindowMessageTarget* m_target = nullptr;

    uint8_t m_byMode = 0;
    int m_nZoneIndex = -1;
    std::string m_strServer;
    uint8_t m_byAutoServer = 0;
};
