#include "settings/CPTZDeviceEditDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "sheet/PageToolkit.h"

int CPTZDeviceEditDlg::IndexOfBaudRate(uint32_t rate) {
    for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i)
        if (kBaudRates[i] == rate) return i;
    return -1;
}

CPTZDeviceEditDlg::CPTZDeviceEditDlg(QWidget* parent) : QDialog(parent) {
    using namespace sheet;
    setWindowTitle("Edit");
    setFixedSize(Scaled(470), Scaled(64));
    m_labelNumber = MakeLabel(this, kIdNumber, QString(), Scaled(QRect(8, 20, 24, 22)));
    MakeLabel(this, 0, "DEVICE", Scaled(QRect(36, 4, 80, 16)));
    m_comboDevice = MakeCombo(this, kIdDevice, {"CAMERA", "PTZ"}, Scaled(QRect(36, 22, 90, 24)));
    MakeLabel(this, 0, "ID", Scaled(QRect(132, 4, 50, 16)));
    // The address is one byte: typing clamps it at once.
    m_editId = new DigitEdit(this, kIdId, 3, 0, 255);
    m_editId->setGeometry(Scaled(QRect(132, 22, 50, 24)));
    MakeLabel(this, 0, "PROTOCOL", Scaled(QRect(188, 4, 90, 16)));
    m_comboProtocol =
        MakeCombo(this, kIdProtocol, {"NORMAL", "P-D"}, Scaled(QRect(188, 22, 90, 24)));
    MakeLabel(this, 0, "RATE", Scaled(QRect(284, 4, 90, 16)));
    m_comboRate =
        MakeCombo(this, kIdRate,
                  {"    2400", "    4800", "    9600", "  19200", "  38400", "  57600", "115200"},
                  Scaled(QRect(284, 22, 90, 24)));
    QPushButton* ok = MakeButton(this, kIdOk, "OK", Scaled(QRect(384, 20, 76, 28)));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
}

void CPTZDeviceEditDlg::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        UpdateData(false);
    }
    QDialog::showEvent(event);
}

void CPTZDeviceEditDlg::UpdateData(bool save) {
    if (!save) {
        m_labelNumber->setText(m_strNumber);
        sheet::SetComboIndex(m_comboDevice, m_nDevice);
        m_editId->SetValue(static_cast<uint32_t>(std::clamp(m_nId, 0, 255)));
        sheet::SetComboIndex(m_comboProtocol, m_nProtocol);
        sheet::SetComboIndex(m_comboRate, m_nRate);
        return;
    }
    m_nDevice = sheet::ComboIndex(m_comboDevice);
    // An emptied field keeps the last value.
    if (const std::optional<uint32_t> id = m_editId->Value())
        m_nId = static_cast<int>(std::min<uint32_t>(*id, 255));
    m_nProtocol = sheet::ComboIndex(m_comboProtocol);
    m_nRate = sheet::ComboIndex(m_comboRate);
}

void CPTZDeviceEditDlg::OnOK() {
    UpdateData(true);
    done(QDialog::Accepted);
}
