#pragma once
// CUpgradeFWDlg, "Upgrade Firware": an administrator sends new firmware to the connected
// device. The window shows the device's firmware version, lets the operator choose the
// package file (the package families) or the parts folder (the DVRs), and runs the transfer
// (FirmwareTransfer) on a worker whose reports come back as posted messages; Cancel stops
// the worker and tells the device to drop what it received.
//
// The worker never touches the window: it posts the enable, disable and close messages and
// the bar's new percentages. Every way out of the window (Cancel, a second Upgrade, the
// window's end, the program's end) stops the worker and joins it within a bound.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "core/FirmwareFiles.h"
#include "core/ThreadSlot.h"
#include "net/FirmwareTransfer.h"
#include "platform/WindowMessage.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ormidon {
class WindowMessageTarget;
}

class CUpgradeFWDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdVersion = 1385;
    static constexpr int kIdFind = 1386;
    static constexpr int kIdPath = 1387;
    static constexpr int kIdUpgrade = 1388;
    static constexpr int kIdProgress = 1389;
    static constexpr int kIdCancel = 1392;
    static constexpr int kIdPathLabel = 1459;
    // Bounds of the worker's join: a cancel or a second start, and the window's end.
    static constexpr uint32_t kStopBoundMs = 10;
    static constexpr uint32_t kCloseBoundMs = 100;

    enum class Family { kNone, kPackage, kParts };

    explicit CUpgradeFWDlg(QWidget* parent = nullptr);
    ~CUpgradeFWDlg() override;

    // Runs the window modally: 0 after a cancel or a finished transfer, 1 after Enter.
    int DoModal();
    // Reads the version and the remembered path; once, on the first DoModal or showing.
    void OnInitDialog();

    void OnFindButton();
    void OnUpgradeButton();
    // Cancel and Escape: stops the worker, tells the device, ends the window with 0.
    void OnCancel();

    // The family of the connected device and the protocol its firmware takes.
    static Family DeviceFamily();
    static FirmwareProtocol DeviceProtocol();

    // The file chooser of the package families; tests answer it instead of the operator.
    // It gets the folder to start in (empty: anywhere) and returns the chosen file's full
    // path, or an empty text when the operator gave up.
    using FileAnswer = std::function<std::string(const std::string& startFolder)>;
    static void SetFileAnswer(FileAnswer answer);

    // The texts shown in 1387 and 1385.
    std::string m_strFirmwarePath;
    std::string m_strFirmwareVersion;

    // True while a transfer worker of this window runs.
    bool TransferRunning() const;
    QProgressBar* Progress() const { return m_ctlProgress; }

  public slots:
    void reject() override { OnCancel(); }
    void accept() override { OnOK(); }

  protected:
    void showEvent(QShowEvent* event) override;
    // Enter with no push button to press is the window's OK.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Ends the window with 1, unless a transfer runs: its job and messages need the window.
    void OnOK();
    void OnFwdlgUpgrade();
    void OnUpgradePartsButton();
    void StartTransfer(FirmwareTransferJob job, ThreadSlot& slot);
    void UpgradeFirmware_Package_Thread(const FirmwareTransferJob& job, std::stop_token stop,
                                        ormidon::WindowHandle handle);
    void UpgradeFirmware2_Package_Thread(const FirmwareTransferJob& job, std::stop_token stop,
                                         ormidon::WindowHandle handle);
    void UpgradeFirmware_Parts_Thread(const FirmwareTransferJob& job, std::stop_token stop,
                                      ormidon::WindowHandle handle);
    void UpgradeFirmware2_Parts_Thread(const FirmwareTransferJob& job, std::stop_token stop,
                                       ormidon::WindowHandle handle);
    void TransferThread(const FirmwareTransferJob& job, std::stop_token stop,
                        ormidon::WindowHandle handle);
    void CancelPackageUpgrade();
    void CancelPackageUpgrade2();
    void CancelPartsUpgrade();
    void CancelPartsUpgrade2();
    // Hides the bar, stops the transfer, tells the device and ends the window with 0.
    void CancelUpgrade(FirmwareProtocol protocol);
    void StopTransfers(uint32_t boundMs);
    void OnWindowMessage(uint32_t message);
    Q_INVOKABLE void OnTransferProgress(int percent);
    Q_INVOKABLE void OnTransferHideProgress();
    // Takes the texts of the controls (path) into the members, or shows the members.
    void ShowMembers();

    QLabel* m_pVersion;
    QLineEdit* m_pPath;
    QPushButton* m_btnFind;
    QPushButton* m_btnUpgrade;
    QPushButton* m_btnCancel;
    QProgressBar* m_ctlProgress;
    ormidon::WindowMessageTarget* m_pTarget;
    bool m_fInitialised = false;
    bool m_fClosing = false;

    Family m_family = Family::kNone;
    std::optional<FirmwarePartTable> m_pPartTable;
    // The parts worker; a package worker runs in the application record's
    // h_UpgradeFirmwareThread, where the program's end also stops it.
    ThreadSlot m_hPartsThread;
};
