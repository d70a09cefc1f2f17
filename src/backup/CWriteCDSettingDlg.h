#pragma once
// CWriteCDSettingDlg: the "Write CD Setting" dialog. The operator chooses the drive, Close
// Disc, Append Player and the name on disc of the backup; the source file is shown. Each
// dialog starts fresh: the name is the source file's, Append Player cleared, Close Disc
// from the "Write CD Close Option" setting. Append Player is disabled, with a tooltip that
// says why, when the player package is not in the program folder. A drive that is still
// busy finishing an earlier disc is listed, disabled, with a note that says so.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class CCDBurner;

class CWriteCDSettingDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdDrives = 1195;
    static constexpr int kIdCloseDisc = 1506;
    static constexpr int kIdImportSession = 1507;
    static constexpr int kIdSource = 1040;
    static constexpr int kIdAppendPlayer = 1510;
    static constexpr int kIdFileName = 1041;
    static constexpr int kIdCd = 1508;
    static constexpr int kIdDvd = 1509;
    static constexpr int kIdCancelWriting = 1068;
    // The dialog's results: OK, and "CANCEL WRITING CD".
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    // Append Player's tooltip while it is disabled.
    static constexpr const char* kNoPlayerSetupTip =
        "No player package: Tamburo_setup.exe is not in the program folder.";
    // Behind a drive that the writer found busy; its row cannot be chosen.
    static constexpr const char* kBusyDriveNote = " (busy: still finishing the last disc)";
    // The last row while the system lists no optical drive because one is held.
    static constexpr const char* kHeldBackRow =
        "Optical drives are not listed while a drive is busy";

    explicit CWriteCDSettingDlg(QWidget* parent = nullptr);

    // Takes the source, the writer's drives and media type and the size; records the size
    // in the writer. 0 when there is no drive.
    int Prepare(const std::string& sourcePath, const std::vector<std::string>& driveNames,
                uint32_t mediaType, uint64_t sizeBytes, CCDBurner& writer);
    void OnInitDialog();

    bool CloseDisc() const { return m_bCloseDisc; }
    int DriveRow() const { return m_nDriveRow; }
    const std::string& Folder() const { return m_strFolder; }  // with its trailing "/"
    const std::string& FileName() const { return m_strFileName; }

  private:
    // The drive box's rows: the writer's drives, each cut in the middle to fit with its whole
    // name as its tooltip, then the busy drives it does not list.
    void FillDrives();

    std::string m_strSource;
    std::string m_strFolder;
    std::string m_strFileName;
    std::vector<std::string> m_driveNames;
    std::vector<std::string> m_busyDriveNames;
    bool m_bDrivesHeldBack = false;
    uint32_t m_dwMediaType = 1;
    int m_nDriveRow = 0;
    bool m_bCloseDisc = false;
    CCDBurner* m_pWriter = nullptr;
    QComboBox* m_pDrives;
    QCheckBox* m_pCloseDisc;
    QCheckBox* m_pImportSession;
    QLineEdit* m_pSource;
    QCheckBox* m_pAppendPlayer;
    QLineEdit* m_pFileName;
    QRadioButton* m_pCd;
    QRadioButton* m_pDvd;
};

// The disc set-up of a backup with "Copy to CD": readies `writer` for `filePath`, then
// shows fresh setting dialogs until a target passes CheckTarget. The drives are read on a
// worker under CDriveWaitDlg, never on the UI thread. Ready when the backup is to be
// written to disc; InitFailed when the writer refused (4119 then follows); Cancelled when
// the operator cancelled a dialog or gave the drive up; Busy, with its message shown and
// nothing started, while a burn that a closed window left still runs in `writer`. `run`
// runs one setting dialog modally (tests answer it).
enum class DiscSetupResult { Ready, InitFailed, Cancelled, Busy };
DiscSetupResult RunWriteCDSetup(CCDBurner& writer, const std::string& filePath, int sizeMB,
                                QWidget* parent,
                                const std::function<int(CWriteCDSettingDlg&)>& run = {});
