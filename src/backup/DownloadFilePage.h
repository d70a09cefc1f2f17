#pragma once
// The "Network Backup" page of the settings sheet (DVR family): a start date and time, a size
// in megabytes, a channel and one of the DVR's disks, a local file named after the channel,
// and Start, which checks the inputs, hands the download to the playback program when
// "Dynamic Download" is on, and runs the download window. PLAY in that window hands the
// finished file to the playback program a second later.
//
// The Full List window jumps here with one recording chosen (g_BackupPreset); the page
// applies that preset once, at its next showing, and clears it.
//
// Files are never overwritten: a name is free only when nothing has it, and the download
// makes the file new under that name. The file stays whatever the download's end, and the
// player is handed that same path.
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "backup/CWriteCDSettingDlg.h"
#include "net/DvrDiskList.h"
#include "sheet/PropertyPage.h"

class QCheckBox;
class QLabel;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QTimer;
class CDownloadProgressDlg;

namespace sheet {
class DigitEdit;
}

class DownloadFilePage : public CPropertyPage {
  public:
    static constexpr int kIdDate = 239;
    static constexpr int kIdTime = 238;
    static constexpr int kIdSize = 1040;
    static constexpr int kIdChannel = 1041;
    static constexpr int kIdHdd = 1195;
    static constexpr int kIdPath = 1042;
    static constexpr int kIdFilePath = 1446;
    static constexpr int kIdDynamicDownload = 1475;
    static constexpr int kIdCopyToCD = 1505;
    static constexpr int kIdStart = 1068;

    static constexpr uint32_t kMsgNoFolder = 4103;
    static constexpr uint32_t kMsgSizeWrong = 4104;
    static constexpr uint32_t kMsgPathInvalid = 4105;
    static constexpr uint32_t kMsgNoRecordData = 4107;
    static constexpr uint32_t kMsgBurnerFailed = 4119;
    static constexpr int kMaxSizeMB = 500;
    // PLAY hands the file over this long after the download window closed.
    static constexpr int kPlayDelayMs = 1000;
    static constexpr const char* kDownloadNotStarted =
        "The download could not be started. Please try again.";

    explicit DownloadFilePage(PageSheet& sheet);
    ~DownloadFilePage() override;

    void OnSetActive() override;
    void UpdateData(bool save) override;

    // The first free name for the channel in the folder ("CH%.2d_%.4d.dvr", else
    // "CH%.2d_Temp.dvr"); the 4103 text while no folder is chosen.
    void MakeBackupFileName();

    void OnButtonStart();
    void OnSizeChange();
    void OnChannelChange();
    void OnFilePath();
    void OnDynamicDownload();
    void OnCopyToCD();
    // WM_DOWNLOADCLOSED: the download window ended with PLAY; the timer then hands
    // m_strDownloadedFile to the playback program.
    void OnPlayBackupFile();
    // The timer's work: kernel code 7 with the downloaded file.
    void PlayDownloadedFile();

    // The slot number of the `row`-th listed disk: the index of the (row + 1)-th set bit,
    // 0 when there is no such bit.
    static uint8_t SlotOfRow(const DvrHddBitmap& bitmap, int row);

    // Tests run the download window their own way: given the window, opened and started,
    // they answer its result. Empty restores the modal run.
    using DownloadRunner = std::function<int(CDownloadProgressDlg&)>;
    static void SetDownloadRunner(DownloadRunner runner);
    // Tests answer the "Write CD Setting" dialogs of Copy to CD the same way; empty restores
    // the modal run.
    using DiscSetupRunner = std::function<int(CWriteCDSettingDlg&)>;
    static void SetDiscSetupRunner(DiscSetupRunner runner);

    // The page's fields, for the sheet and the tests.
    int HddIndex() const { return m_nHddIndex; }
    int BackupSize() const { return m_nBackupSize; }
    int Channel() const { return m_nChannel; }
    const std::string& FilePath() const { return m_strFilePath; }
    const std::string& Folder() const { return m_strFolder; }
    const std::string& DownloadedFile() const { return m_strDownloadedFile; }
    bool DynamicDownload() const { return m_bDynamicDownload; }
    bool CopyToCD() const { return m_bCopyToCD; }
    bool FolderChanged() const { return m_bFolderChanged; }
    uint8_t HddSlot() const { return m_byHddSlot; }
    bool PlayPending() const;
    // What the last download left when the operator cancelled it; empty otherwise.
    QString NoteText() const;

  protected:
    void OnInitDialog() override;

  private:
    // Sets the folder, one trailing separator dropped.
    void SetFolder(const std::string& folder);
    // Applies g_BackupPreset when it is valid and sound; clears it either way.
    void ApplyPreset();
    // The disc copy chosen with "Copy to CD": the writer readied and its target chosen and
    // checked, refused by the writer, or cancelled in its dialog.
    DiscSetupResult PrepareDiscCopy();
    // The download window's run; its result.
    int RunDownload(bool tellDevice);

    QDateTimeEdit* m_pDateCtrl = nullptr;
    QDateTimeEdit* m_pTimeCtrl = nullptr;
    sheet::DigitEdit* m_pSize = nullptr;
    sheet::DigitEdit* m_pChannel = nullptr;
    QComboBox* m_pHdd = nullptr;
    QLineEdit* m_pPath = nullptr;
    QCheckBox* m_pDynamic = nullptr;
    QCheckBox* m_pCopyToCD = nullptr;
    QLabel* m_pNote = nullptr;
    QTimer* m_pPlayTimer = nullptr;

    int m_nHddIndex = -1;
    int m_nBackupSize = 5;
    int m_nChannel = 1;
    std::string m_strFilePath;
    bool m_bDynamicDownload = false;
    bool m_bCopyToCD = false;
    bool m_bFolderChanged = false;
    std::string m_strFolder;
    std::string m_strDownloadedFile;
    QDateTime m_tmStartDate;
    QDateTime m_tmStartTime;
    DvrHddBitmap m_byHddBitmap{};
    uint8_t m_byHddSlot = 0;
    bool m_bInStart = false;
};
