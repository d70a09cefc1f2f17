#pragma once
// The "General" page: the device's firmware version and MAC address, the client's turbo
// step, the event log's fetch limit and "Server Log" button, and on the DVRs and the newer
// P62K the device's title and the names of channels 1 and 2 (sections SYSTEM and RS485).
//
// "Server Log" starts the event log fetch; pressed again ("Cancel") it stops the fetch,
// which ends within its bound. When the fetch reports back, the family's log window opens on
// the fetched records. Closing the sheet or the page stops a running fetch too.
#include <QString>
#include <cstdint>
#include <string>

#include "backup/GetServerLogThread.h"
#include "core/ThreadSlot.h"
#include "sheet/PropertyPage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ormidon {
class WindowMessageTarget;
}
namespace sheet {
class DigitEdit;
}

class ToolBoxPropertyPage : public CPropertyPage {
  public:
    static constexpr int kIdFirmware = 1305;
    static constexpr int kIdTurboStep = 1195;
    static constexpr int kIdMac = 1316;
    static constexpr int kIdServerLog = 1068;
    static constexpr const char* kServerLogNotStarted =
        "The server log cannot be read now. Please try again.";
    static constexpr int kIdLogLimit = 1042;
    static constexpr int kIdLogLimitLabel = 1443;
    static constexpr int kIdTitle = 1474;
    static constexpr int kIdTitleLabel = 1473;
    static constexpr int kIdCh1Name = 1475;
    static constexpr int kIdCh2Name = 1476;
    static constexpr int kIdCh1Label = 1504;
    static constexpr int kIdCh2Label = 1505;
    static constexpr uint32_t kStringServerLog = 1304;  // "Server Log$Cancel"
    static constexpr uint32_t kMsgChangeFailed = 4012;
    static constexpr int kMaxLogLimit = 2048;
    // The fetch's stop: the wait allowed after the cancel and the join.
    static constexpr uint32_t kFetchStopBoundMs = 110;

    enum class FetchState { Fetching = 1, Idle = 2 };

    explicit ToolBoxPropertyPage(PageSheet& sheet);
    ~ToolBoxPropertyPage() override;

    void UpdateData(bool save) override;
    int Apply() override;
    void OnSheetClose() override;

    void OnServerLog();
    void OnServerLogDone(ormidon::WParam wParam);

    FetchState State() const { return m_state; }
    bool FetchRunning() const { return m_fetch.IsOccupied(); }
    const ServerLogOwner& LogOwner() const { return m_owner; }
    ormidon::WindowHandle Handle() const;

    // "%c.%c.%c.%c" of the version's characters; a shorter text gives fewer.
    static QString FirmwareText(std::string_view version);
    // The twelve hexadecimal characters in pairs joined by ":"; a shorter text gives fewer.
    static QString MacText(std::string_view mac);

  protected:
    void OnInitDialog() override;

  private:
    void StartFetch();
    void StopFetch();
    void SetButtonText(bool cancel);
    void OnLogLimitEdited();

    QLabel* m_firmware = nullptr;
    QComboBox* m_comboTurbo = nullptr;
    QLabel* m_mac = nullptr;
    QPushButton* m_btnServerLog = nullptr;
    sheet::DigitEdit* m_editLogLimit = nullptr;
    QLineEdit* m_editTitle = nullptr;
    QLineEdit* m_editCh1 = nullptr;
    QLineEdit* m_editCh2 = nullptr;

    std::string m_strTitle;
    std::string m_strCh1Name;
    std::string m_strCh2Name;
    bool m_bChannelNames = false;

    FetchState m_state = FetchState::Idle;
    ServerLogOwner m_owner;
    ormidon::WindowMessageTarget* m_target = nullptr;
    // Declared after the owner: a fetch still running is stopped before the owner goes.
    ThreadSlot m_fetch;
};
