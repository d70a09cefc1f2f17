#include "backup/CPlaybackSearchDlg.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QPushButton>
#include <algorithm>

#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "net/CgiCommand.h"
#include "net/DvrDiskList.h"
#include "net/HalvoSendCommand.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kReplyRoom = 1024;
constexpr uint16_t kWaitSeconds = 15;
const QString kTimeSearch = QStringLiteral("TIME SEARCH");
const QString kEventSearch = QStringLiteral("EVENT SEARCH");
const QString kAll = QStringLiteral("ALL");

// An editable box whose items keep the order given; typed text never becomes an item.
QComboBox* MakeEditableCombo(QWidget* parent, int id, const QStringList& items, const QRect& rect) {
    QComboBox* combo = sheet::MakeCombo(parent, id, {}, rect);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

// The order of a sorted list box: letters without regard to case.
QStringList Sorted(QStringList items) {
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return items;
}

std::string Decimal(int value) { return std::to_string(value); }

}  // namespace

CPlaybackSearchDlg::CPlaybackSearchDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    OnInitDialog();
}

int CPlaybackSearchDlg::ChannelCount() {
    if (g_lpApp == nullptr) return 0;
    const std::string product = g_lpApp->str_ProductID.Get();
    if (product == "P55K") return 4;
    if (product == "P53K") return 8;
    if (product == "P51K") return 16;
    return 0;
}

void CPlaybackSearchDlg::OnInitDialog() {
    using namespace sheet;
    setWindowTitle("Playback Search");
    setFixedSize(Scaled(330), Scaled(250));
    MakeLabel(this, 0, "Search Type :", Scaled(QRect(15, 17, 110, 20)));
    m_pSearchType = MakeEditableCombo(this, kIdSearchType, Sorted({kTimeSearch, kEventSearch}),
                                      Scaled(QRect(130, 15, 180, 22)));
    MakeLabel(this, 0, "HDD :", Scaled(QRect(15, 47, 110, 20)));
    m_pHddList = MakeEditableCombo(this, kIdHddList, {}, Scaled(QRect(130, 45, 180, 22)));
    MakeLabel(this, 0, "Channel :", Scaled(QRect(15, 77, 110, 20)));
    m_pChannelList = MakeEditableCombo(this, kIdChannel, {}, Scaled(QRect(130, 75, 180, 22)));
    MakeLabel(this, 0, "Event Type :", Scaled(QRect(15, 107, 110, 20)));
    m_pEventType = MakeEditableCombo(this, kIdEventType, Sorted({"MOTION", "ALARM"}),
                                     Scaled(QRect(130, 105, 180, 22)));
    MakeLabel(this, 0, "Date :", Scaled(QRect(15, 137, 110, 20)));
    m_pDatePicker =
        MakeDatePicker(this, kIdDate, "yyyy / MM / dd", Scaled(QRect(130, 135, 180, 22)));
    MakeLabel(this, 0, "Time :", Scaled(QRect(15, 167, 110, 20)));
    m_pTimePicker = MakeTimePicker(this, kIdTime, "HH : mm : ss", Scaled(QRect(130, 165, 180, 22)));
    // The device counts years from 2000.
    m_pDatePicker->setMinimumDate(QDate(2000, 1, 1));
    m_pDatePicker->setMaximumDate(QDate(2099, 12, 31));
    const ormidon::LocalTime now = ormidon::LocalNow();
    m_pDatePicker->setDate(QDate(now.year, now.month, now.day));
    m_pTimePicker->setTime(QTime(now.hour, now.minute, now.second));
    m_btnOk = MakeButton(this, kIdOk, "OK", Scaled(QRect(130, 210, 85, 26)));
    auto* cancel = MakeButton(this, kIdCancel, "Cancel", Scaled(QRect(225, 210, 85, 26)));
    m_btnOk->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_pSearchType, &QComboBox::currentIndexChanged, this, [this] { OnSearchTypeChange(); });

    bool usable = false;
    if (const std::optional<DvrHddBitmap> bitmap = FetchDvrDiskList()) {
        QStringList names{kAll};
        for (const DvrDisk& disk : DvrDisksOf(*bitmap)) {
            const QString name = QString::fromStdString(disk.name);
            m_slotOfName[name] = disk.slot;
            names << name;
        }
        m_pHddList->addItems(Sorted(names));
        usable = true;
    }
    const int channels = ChannelCount();
    for (int i = 0; i < channels; ++i) m_pChannelList->insertItem(i, QString::number(i + 1));
    // Without a disk list or a channel list there is nothing OK could send.
    usable = usable && channels > 0;
    m_btnOk->setEnabled(usable);
    for (QComboBox* combo : {m_pSearchType, m_pHddList, m_pChannelList, m_pEventType})
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    m_pChannelList->setEnabled(true);
    m_pEventType->setEnabled(true);
}

std::optional<int> CPlaybackSearchDlg::Selected(const QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText()) return std::nullopt;
    return index;
}

std::optional<QString> CPlaybackSearchDlg::SelectedText(const QComboBox* combo) {
    const std::optional<int> index = Selected(combo);
    if (!index) return std::nullopt;
    return combo->itemText(*index);
}

void CPlaybackSearchDlg::OnSearchTypeChange() {
    const std::optional<QString> type = SelectedText(m_pSearchType);
    if (!type) return;
    const bool event = *type != kTimeSearch;
    m_pChannelList->setEnabled(event);
    m_pEventType->setEnabled(event);
}

void CPlaybackSearchDlg::OnOK() {
    if (!m_btnOk->isEnabled()) return;
    const std::optional<QString> type = SelectedText(m_pSearchType);
    const std::optional<QString> disk = SelectedText(m_pHddList);
    if (!type || !disk) return;
    const bool timeSearch = *type != kEventSearch;
    std::string channel;
    std::string eventType;
    if (!timeSearch) {
        const std::optional<int> channelIndex = Selected(m_pChannelList);
        const std::optional<QString> event = SelectedText(m_pEventType);
        if (!channelIndex || !event) return;
        channel = Decimal(*channelIndex);
        eventType = Decimal(*event == "ALARM" ? 0 : 1);
    }
    std::string hdd = "ALL";
    if (*disk != kAll) {
        const auto slot = m_slotOfName.find(*disk);
        if (slot == m_slotOfName.end()) return;
        hdd = Decimal(slot->second);
    }
    const QDate date = m_pDatePicker->date();
    const QTime time = m_pTimePicker->time();
    const int sent =
        SendSearchPlayBack(Decimal(date.year() - 2000), Decimal(date.month()), Decimal(date.day()),
                           Decimal(time.hour()), Decimal(time.minute()), Decimal(time.second()),
                           hdd, channel, eventType, timeSearch ? 1 : 0);
    if (sent == 0) {
        ormidon::ShowMessage(kMsgSendFailed);
        return;
    }
    if (!timeSearch) accept();
}

int CPlaybackSearchDlg::SendSearchPlayBack(const std::string& year, const std::string& month,
                                           const std::string& day, const std::string& hour,
                                           const std::string& minute, const std::string& second,
                                           const std::string& disk, const std::string& channel,
                                           const std::string& eventType, int timeSearch) {
    CCgiRequest request(CGI_SEARCHPLAYBACK);
    const std::string cookie = GetSessionCookie();
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    if (timeSearch == 0) {
        request.AddParam("searchType", "event");
        request.AddParam("channelNum", channel);
        request.AddParam("eventType", eventType);
    } else {
        request.AddParam("searchType", "time");
    }
    request.AddParam("year", year);
    request.AddParam("month", month);
    request.AddParam("day", day);
    request.AddParam("hour", hour);
    request.AddParam("min", minute);
    request.AddParam("sec", second);
    request.AddParam("hddNum", disk);
    if (!request.IsValid()) return 0;
    uint8_t reply[kReplyRoom] = {};
    uint32_t length = 0;
    return HalvoSendCommand(CGI_SEARCHPLAYBACK, request.GetBuffer(), request.GetLength(), nullptr,
                            0, nullptr, 0, reply, sizeof reply, &length, kWaitSeconds,
                            kWaitSeconds) != 0
               ? 1
               : 0;
}
