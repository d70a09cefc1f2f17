#pragma once
// The "Edit" dialog of one channel's RS-485 device on the Device page: the device kind,
// its RS-485 address, its protocol and its baud rate. The page sets the members before it
// runs the dialog and reads them after OK.
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;

namespace sheet {
class DigitEdit;
}

class CPTZDeviceEditDlg : public QDialog {
  public:
    static constexpr int kIdNumber = 1406;
    static constexpr int kIdDevice = 1195;
    static constexpr int kIdId = 1040;
    static constexpr int kIdProtocol = 1409;
    static constexpr int kIdRate = 1412;
    static constexpr int kIdOk = 1;

    // The rates of the RATE list, by index.
    static constexpr uint32_t kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
    // The index of a rate in that table; -1 for a rate not in it.
    static int IndexOfBaudRate(uint32_t rate);

    explicit CPTZDeviceEditDlg(QWidget* parent = nullptr);

    // Moves the members into the controls (save false) or the controls' values back.
    void UpdateData(bool save);

    QString m_strNumber;
    int m_nDevice = -1;
    int m_nId = 0;
    int m_nProtocol = -1;
    int m_nRate = -1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnOK();

    QLabel* m_labelNumber = nullptr;
    QComboBox* m_comboDevice = nullptr;
    sheet::DigitEdit* m_editId = nullptr;
    QComboBox* m_comboProtocol = nullptr;
    QComboBox* m_comboRate = nullptr;
    bool m_bInitialised = false;
};
