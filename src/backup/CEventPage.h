#pragma once
// The "Search List" page of a DVR: a disk, a list type and a maximum number of entries. Its
// download fetches the disk's recording list on a worker thread, newest page first, with the
// sheet's progress bar, and shows the entries in the Full List window. The three choices go
// into the settings on APPLY, each only when it was changed.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/ThreadSlot.h"
#include "net/DvrDiskList.h"
#include "net/SearchList.h"
#include "sheet/PropertyPage.h"

class QComboBox;
class QPushButton;

namespace ormidon {
class WindowMessageTarget;
}
namespace sheet {
class DigitEdit;
}

class CEventPage : public CPropertyPage {
  public:
    static constexpr int kIdHddList = 1195;
    static constexpr int kIdListType = 1196;
    static constexpr int kIdMaxList = 1040;
    static constexpr int kIdDownload = 1068;
    static constexpr uint32_t kMsgNoHdd = 4109;
    static constexpr uint32_t kMsgSendFailed = 4065;
    static constexpr uint32_t kMsgNoListData = 4110;
    static constexpr const char* kListNotStarted =
        "The list cannot be downloaded now. Please try again.";
    // How long a stopped download may take to end.
    static constexpr uint32_t kDownloadStopBoundMs = 2000;

    explicit CEventPage(PageSheet& sheet);
    ~CEventPage() override;

    void UpdateData(bool save) override;
    // Stops a running download: the sheet's window goes.
    void OnSheetClose() override;

    void OnDownloadHddList();
    void OnMaxListChange();

    int HddIndex() const { return m_nHddIndex; }
    int ListType() const { return m_nListType; }
    uint32_t MaxListNumber() const { return m_nMaxListNumber; }
    const std::vector<SearchListEntry>& Entries() const { return m_arrEntries; }
    // The disk position and list type the entries were downloaded for; -1 before any.
    int EntriesHddIndex() const { return m_nDownloadHddIndex; }
    int EntriesListType() const { return m_nDownloadListType; }
    bool IsDownloading() const { return m_download.IsRunning(); }
    // The slot of a position in the disk list; 0xFF beyond it.
    uint8_t SlotOfIndex(int index) const;

  protected:
    void OnInitDialog() override;

  private:
    void OnDownloadDone();
    void ShowFullList();
    // Download and both choices are closed while a list downloads.
    void SetDownloading(bool downloading);

    QComboBox* m_comboHdd = nullptr;
    QComboBox* m_comboListType = nullptr;
    sheet::DigitEdit* m_editMaxList = nullptr;
    QPushButton* m_btnDownload = nullptr;
    ormidon::WindowMessageTarget* m_target = nullptr;

    int m_nHddIndex = -1;
    int m_nListType = -1;
    uint32_t m_nMaxListNumber = 0;
    DvrHddBitmap m_hddBitmap;
    std::array<uint8_t, 256> m_bySlotToIndex{};
    std::array<uint8_t, 256> m_byIndexToSlot{};
    uint16_t m_wCurExitListNumber = 0;
    std::vector<SearchListEntry> m_arrEntries;
    // The disk and type the entries were downloaded for.
    int m_nDownloadHddIndex = -1;
    int m_nDownloadListType = -1;

    // The running download writes its result here before it posts its end.
    std::shared_ptr<SearchListDownload> m_pending;
    ThreadSlot m_download;
};
