#pragma once
// The "Playback Search" window: asks a DVR to search its recordings and play them, by time
// or by event (alarm or motion on one channel), on one disk or on all, from a date and time.
// The device does the searching and the playing; the client only sends the request.
//
// The choices come from selected list items only: a box whose typed text names no item, a
// disk list that could not be read or a product without a channel list leaves nothing to
// send (OK is disabled for the last two).
#include <QDialog>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

class QComboBox;
class QDateTimeEdit;
class QPushButton;

class CPlaybackSearchDlg : public QDialog {
  public:
    static constexpr int kIdSearchType = 1511;
    static constexpr int kIdHddList = 1514;
    static constexpr int kIdChannel = 1515;
    static constexpr int kIdEventType = 1519;
    static constexpr int kIdDate = 1521;
    static constexpr int kIdTime = 1525;
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr uint32_t kMsgSendFailed = 4065;

    explicit CPlaybackSearchDlg(QWidget* parent = nullptr);

    void OnOK();
    // Sends "/SearchPlayBack.cgi" with decimal texts; `timeSearch` 1 leaves the channel and
    // event type out. 1 when the device answered with success, else 0.
    static int SendSearchPlayBack(const std::string& year, const std::string& month,
                                  const std::string& day, const std::string& hour,
                                  const std::string& minute, const std::string& second,
                                  const std::string& disk, const std::string& channel,
                                  const std::string& eventType, int timeSearch);

    // Channels of the connected product: P55K 4, P53K 8, P51K 16, none for any other.
    static int ChannelCount();

  private:
    void OnInitDialog();
    void OnSearchTypeChange();
    // The selected item's position, or nothing when the box's text names no item.
    static std::optional<int> Selected(const QComboBox* combo);
    static std::optional<QString> SelectedText(const QComboBox* combo);

    QComboBox* m_pSearchType = nullptr;
    QComboBox* m_pHddList = nullptr;
    QComboBox* m_pChannelList = nullptr;
    QComboBox* m_pEventType = nullptr;
    QDateTimeEdit* m_pDatePicker = nullptr;
    QDateTimeEdit* m_pTimePicker = nullptr;
    QPushButton* m_btnOk = nullptr;
    // The disk slot of each name in the disk box ("ALL" is not in it).
    std::map<QString, int> m_slotOfName;
};
