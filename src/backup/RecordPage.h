#pragma once
// The "File Path" page: the local folders for record files and snapshots and the alarm
// sound file, held in the sheet's local settings so that APPLY stores them whether or not
// the page was shown. The folders come from the folder picker, the sound file from a file
// dialog; both can be answered by tests.
#include <functional>
#include <optional>
#include <string>

#include "core/SettingINI.h"
#include "sheet/PropertyPage.h"

class QLineEdit;

class RecordPage : public CPropertyPage {
  public:
    static constexpr int kIdRecordDir = 1040;
    static constexpr int kIdSnapshotDir = 1041;
    static constexpr int kIdAlarmWav = 1042;
    static constexpr int kIdModifyRecord = 1314;
    static constexpr int kIdModifySnapshot = 1315;
    static constexpr int kIdModifyAlarmWav = 1316;
    static constexpr int kIdAlarmWavLabel = 1350;
    // The settings file keeps a path of at most this many bytes; a longer one is refused,
    // never stored cut.
    static constexpr int kMaxPathBytes = static_cast<int>(CSettingINI::kMaxTextBytes);
    static constexpr const char* kPathTooLongText =
        "The path is too long. Please choose a shorter path.";

    explicit RecordPage(PageSheet& sheet);

    void OnModifyRecordPath();
    void OnModifySnapshotPath();
    void OnModifyAlarmWav();
    void UpdateData(bool save) override;

    // The sound-file dialog: the chosen file's full path, or nothing when it was cancelled.
    // Tests install an answer in place of the dialog; an empty function restores it.
    using WavFileAnswer = std::function<std::optional<std::string>(QWidget* parent)>;
    static void SetWavFileAnswer(WavFileAnswer answer);

  protected:
    void OnInitDialog() override;

  private:
    void ModifyFolder(std::string& folder);
    // The operator's typing or pasting in a folder edit goes into `folder`; an edit that
    // makes the path too long for the settings file is taken back and refused with a message.
    void OnFolderEdited(QLineEdit* edit, std::string& folder);

    QLineEdit* m_editRecord = nullptr;
    QLineEdit* m_editSnapshot = nullptr;
    QLineEdit* m_editAlarmWav = nullptr;
};
