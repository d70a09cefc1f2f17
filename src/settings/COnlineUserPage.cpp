#include "settings/COnlineUserPage.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <span>

#include "core/AppObject.h"
#include "core/ConfigRecords.h"
#include "core/ConfigSection.h"
#include "core/DeviceIdentity.h"
#include "core/StringTable.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "settings/DeviceText.h"
#include "sheet/PageToolkit.h"

namespace {

QString Text(uint32_t id) {
    const std::string_view text = LoadResourceString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString LevelText(uint8_t level) {
    switch (level) {
        case 30:
            return "SUPERVISOR";
        case 20:
            return "HIGH USER";
        case 10:
            return "NORMAL USER";
        case 0:
            return "GUEST";
        default:
            return {};
    }
}

QString QualityText(uint8_t quality) { return quality <= 2 ? Text(2107u + quality) : QString(); }

}  // namespace

COnlineUserPage::COnlineUserPage(PageSheet& sheet)
    : CPropertyPage(sheet, PageKind::OnlineUserInfo) {}

QString COnlineUserPage::ResolutionText(uint8_t code) {
    if (code > 2) return {};
    const bool pal = g_lpApp != nullptr && g_lpApp->by_CurrentVideoMode.load() != 0;
    if (IsP62KModel() != 0 || IsN2xVModel() != 0) {
        static const char* const kNtsc[] = {"704*480", "352*240", "176*120"};
        static const char* const kPal[] = {"704*576", "352*288", "176*144"};
        return pal ? kPal[code] : kNtsc[code];
    }
    if (IsT18DModel() != 0) {
        static const char* const kSizes[] = {"640*480", "320*240", "160*120"};
        return kSizes[code];
    }
    static const char* const kNtsc[] = {"640*456", "320*228", "160*114"};
    static const char* const kPal[] = {"640*552", "320*276", "160*138"};
    return pal ? kPal[code] : kNtsc[code];
}

void COnlineUserPage::OnInitDialog() {
    using namespace sheet;
    MakeLabel(this, 0, "Online user information :", Scaled(QRect(10, 8, 250, 20)));
    m_bChannelColumn = IsP5xKModel() != 0 && IsMultiChannel() != 0;
    const int levelWidth = m_bChannelColumn ? 60 : 80;
    const int qualityWidth = m_bChannelColumn ? 50 : 80;
    const QRect rect = Scaled(QRect(10, 30, 390, 200));
    if (m_bChannelColumn) {
        m_list = new ReportList(this, kIdList,
                                {{Text(2100), Scaled(40)},
                                 {Text(2101), Scaled(80)},
                                 {Text(2102), Scaled(levelWidth)},
                                 {Text(2111), Scaled(levelWidth)},
                                 {Text(2112), Scaled(qualityWidth)},
                                 {Text(8572), Scaled(40)}},
                                rect);
    } else {
        m_list = new ReportList(this, kIdList,
                                {{Text(2100), Scaled(40)},
                                 {Text(2101), Scaled(80)},
                                 {Text(2102), Scaled(levelWidth)},
                                 {Text(2111), Scaled(levelWidth)},
                                 {Text(2112), Scaled(qualityWidth)}},
                                rect);
    }
    QPushButton* refresh =
        MakeButton(this, kIdRefresh, "Info\nRefresh", Scaled(QRect(310, 238, 80, 40)));
    connect(refresh, &QPushButton::clicked, this, [this] { OnInfoRefresh(); });
    FillRows();
}

void COnlineUserPage::FillRows() {
    m_list->clear();
    m_nRowCount = 0;
    const std::span<const uint8_t> online = g_lpApp->m_Cfg_ONLINE;
    using namespace OnlineUserEntry;
    for (std::size_t entry = 0; entry < kEntries; ++entry) {
        const std::string name = ReadText(online, Entry(entry, szName));
        if (name.empty()) continue;
        const uint32_t ip = ReadIPv4(online, Entry(entry, byIP));
        char address[16];
        std::snprintf(address, sizeof address, "%u.%u.%u.%u", (ip >> 24) & 0xFF, (ip >> 16) & 0xFF,
                      (ip >> 8) & 0xFF, ip & 0xFF);
        const auto byte = [&](RecordField field) {
            return static_cast<uint8_t>(ReadUInt(online, Entry(entry, field)));
        };
        QStringList texts = {settings::DeviceText(name), address, LevelText(byte(byLevel)),
                             ResolutionText(byte(byResolution)), QualityText(byte(byQuality))};
        if (m_bChannelColumn) {
            const uint8_t channel = byte(byChannel);
            texts << (channel == 0 ? QString("DVR") : QString::asprintf("%2d", channel));
        }
        m_list->AddRow(texts);
        ++m_nRowCount;
    }
}

void COnlineUserPage::OnInfoRefresh() {
    std::span<uint8_t> online = g_lpApp->m_Cfg_ONLINE;
    std::fill(online.begin(), online.end(), 0);
    if (GetSysCfg(CFG_ONLINE, online.data(), static_cast<unsigned>(online.size())) == 0) {
        ormidon::ShowMessage(kMsgGetConfigError);
        return;
    }
    FillRows();
}
