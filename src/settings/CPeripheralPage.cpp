#include "settings/CPeripheralPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/DeviceIdentity.h"
#include "settings/MySystemDialog.h"
#include "settings/SectionWrite.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr uint32_t kMaxId = 255;

}  // namespace

CPeripheralPage::CPeripheralPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::Peripheral) {}

void CPeripheralPage::OnInitDialog() {
    using namespace sheet;
    const std::span<const uint8_t> peri = g_lpApp->m_Cfg_PERI;
    for (std::size_t device = 0; device < 2; ++device) {
        const int top = 10 + 120 * static_cast<int>(device);
        MakeGroup(this, 1325 + static_cast<int>(device), device == 0 ? "Device 1" : "Device 2",
                  Scaled(QRect(10, top, 370, 110)));
        MakeLabel(this, 0, "Baud Rate :", Scaled(QRect(25, top + 22, 80, 20)));
        m_baud[device] = MakeCombo(this, kIdBaud[device],
                                   {"2400", "4800", "9600", "19200", "38400", "57600", "115200"},
                                   Scaled(QRect(110, top + 20, 120, 22)));
        MakeLabel(this, 0, "ID :", Scaled(QRect(25, top + 52, 80, 20)));
        m_id[device] = new DigitEdit(this, kIdId[device], 3, 0, kMaxId);
        m_id[device]->setGeometry(Scaled(QRect(110, top + 50, 60, 22)));
        MakeLabel(this, 0, "Model :", Scaled(QRect(25, top + 82, 80, 20)));
        m_model[device] =
            MakeCombo(this, kIdModel[device],
                      {"CAMERA", "1CH DVR", "4CH DVR(FULL)", "4CH DVR(BASIC)", "4CH DMR", "9CH DMR",
                       "16CH DMR", "4CH DQR", "PTZ(NORMAL)", "4CH MPEG2 DVR", "PTZ(P-D)"},
                      Scaled(QRect(110, top + 80, 150, 22)));

        m_nId[device] = static_cast<int>(ReadUInt(peri, PeriRecord::byPeriId, device));
        m_nModel[device] = PeripheralCodeToIndex(
            static_cast<uint8_t>(ReadUInt(peri, PeriRecord::byPeriModel, device)));
        m_nBaud[device] = BaudRateIndex(ReadUInt(peri, PeriRecord::dwPeriBaudRate, device));
    }
    UpdateData(false);
}

void CPeripheralPage::UpdateData(bool save) {
    if (m_id[0] == nullptr) return;
    for (std::size_t device = 0; device < 2; ++device) {
        if (save) {
            m_nBaud[device] = sheet::ComboIndex(m_baud[device]);
            m_nModel[device] = sheet::ComboIndex(m_model[device]);
            // An emptied ID keeps the stored one.
            if (const std::optional<uint32_t> id = m_id[device]->Value())
                m_nId[device] = static_cast<int>(std::min(*id, kMaxId));
        } else {
            sheet::SetComboIndex(m_baud[device], m_nBaud[device]);
            sheet::SetComboIndex(m_model[device], m_nModel[device]);
            m_id[device]->SetValue(static_cast<uint32_t>(m_nId[device]));
        }
    }
}

int CPeripheralPage::Apply() {
    PageSheet& sheet = Sheet();
    sheet.m_bPeripheralChanged = false;
    if (!HasWindow() || g_lpApp == nullptr) return 1;
    UpdateData(true);
    const ApplyBaseline& base = sheet.Baseline();
    const std::span<uint8_t> peri = g_lpApp->m_Cfg_PERI;
    bool send = false;
    for (std::size_t device = 0; device < 2; ++device) {
        if (m_nId[device] != base.nPeriId[device]) {
            WriteUInt(peri, PeriRecord::byPeriId, static_cast<uint32_t>(m_nId[device]), device);
            sheet.m_bPeripheralChanged = true;
            send = true;
        }
        if (m_nModel[device] != base.nPeriModel[device]) {
            WriteUInt(peri, PeriRecord::byPeriModel,
                      IndexToPeripheralCode(static_cast<uint8_t>(std::max(m_nModel[device], 0))),
                      device);
            sheet.m_bPeripheralChanged = true;
            send = true;
        }
        if (m_nBaud[device] != base.nPeriBaud[device]) {
            const int index = m_nBaud[device];
            const uint32_t rate = index >= 0 && index < static_cast<int>(std::size(kBaudRates))
                                      ? kBaudRates[index]
                                      : kBaudRates[0];
            WriteUInt(peri, PeriRecord::dwPeriBaudRate, rate, device);
            send = true;
        }
    }
    if (send && !settings::WriteSection(CFG_PERI)) return 0;
    return 1;
}
