#pragma once
// CCopyProgramDialog, "Copy Program": copies the installed program, its data files and its
// skin from the program folder into a chosen folder, with a progress bar, and points the
// copy's Setting.ini at its new place. The copy runs once, half a second after the window
// opened; OK is enabled when it is done. Failures are reported by name and reason; files
// the program folder does not have are counted apart and are no failure.
#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace ormidon {
class WindowTimers;
}

class CCopyProgramDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdProgress = 1354;
    static constexpr int kIdPercent = 1355;
    static constexpr uint32_t kCopyTimer = 1;
    static constexpr int kCopyDelayMs = 500;

    CCopyProgramDialog(QWidget* parent, std::string sourcePath, std::string destPath);
    ~CCopyProgramDialog() override;

    int DoModal();
    // Sets the bar to 0 and starts the copy timer; once.
    void OnInitDialog();

    ormidon::WindowTimers& Timers() const { return *m_pTimers; }

    std::string m_strSourcePath;
    std::string m_strDestPath;
    std::string m_strPercent;
    bool m_fDone = false;
    // Called after each row of the table, with the bar and the percentage shown; lets
    // tests look at the window in the middle of the copy.
    std::function<void(size_t row)> m_OnRowCopied;

    // Escape and the window manager's close end it with 2; before the copy started,
    // nothing is copied.
    void reject() override { done(2); }
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CopyTimerProc();
    void ShowPercent(int percent);

    QProgressBar* m_Progress;
    QLabel* m_pPercent;
    QPushButton* m_btnOk;
    ormidon::WindowTimers* m_pTimers;
    bool m_fInitialised = false;
};
