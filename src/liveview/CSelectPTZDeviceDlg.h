#pragma once
// CSelectPTZDeviceDlg: the small modal "Select PTZ device" window in which the operator
// types the number of the PTZ camera to steer. It opens with the number of the control
// device steered now; OK takes the typed number (the caller checks its range), CANCEL
// changes nothing and ESC hands control back to the device itself. While the device
// itself is steered there is nothing to go back to: ESC is hidden and CANCEL takes its
// place beside OK. The window is laid out at the screen's scale.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class CSelectPTZDeviceDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdEsc = 1068;
    static constexpr int kIdNumber = 1040;
    // Results of the modal run besides 1 (OK) and 2 (CANCEL).
    static constexpr int kResultEsc = 20;

    explicit CSelectPTZDeviceDlg(QWidget* parent = nullptr);
    ~CSelectPTZDeviceDlg() override;

    // Runs the window: 1 for OK (m_nNumber then holds the typed number), 2 for CANCEL,
    // 20 for ESC.
    int DoModal();

    // The PTZ camera number, 1-based, as typed; 0 until OK.
    int m_nNumber = 0;

    // Escape and the window manager's close are CANCEL; Enter is OK.
    void reject() override { done(kIdCancel); }
    void accept() override { OnOK(); }

  private:
    void OnInitDialog();
    void OnOK();

    QLabel* m_selectLabel = nullptr;
    QLabel* m_ptzLabel = nullptr;
    QLineEdit* m_editNumber = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnEsc = nullptr;
};
