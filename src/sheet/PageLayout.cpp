#include "sheet/PageLayout.h"

#include "core/DeviceIdentity.h"

namespace {

constexpr PageLayoutTable MakeTable(const uint32_t (&masks)[kPageLayoutRows], bool frameCaptions,
                                    bool dateAfterRecordSetting) {
    struct Row {
        const char* caption;
        const char* parent;
        const char* frameCaption;
    };
    constexpr Row rows[kPageLayoutRows] = {
        {"Network", nullptr, nullptr},
        {"DDNS", "Network", nullptr},
        {"Mail", "Network", nullptr},
        {"FTP", "Network", nullptr},
        {"Server Time Config", "Network", nullptr},
        {"DVR", nullptr, "DVR-CAMERA"},
        {"Device", "DVR", "DVR-Device"},
        {"Detection", "DVR", "DVR-Detection"},
        {"Network Backup", "DVR", "DVR-Network Backup"},
        {"Search List", "DVR", "DVR-Search List"},
        {"Timer Record", "DVR", "DVR-Timer Record"},
        {"Date", "DVR", "DVR-Date"},
        {"Record Setting", "DVR", "DVR-Record"},
        {"Alarm", nullptr, nullptr},
        {"Alarm List", "Alarm", nullptr},
        {"General", nullptr, nullptr},
        {"Account", "General", nullptr},
        {"Peripheral", "General", nullptr},
        {"Online User Info", "General", nullptr},
        {"File Path", "General", nullptr},
    };
    PageLayoutTable table{};
    for (std::size_t i = 0; i < kPageLayoutRows; ++i) {
        std::size_t from = i;
        if (dateAfterRecordSetting && i == 11) from = 12;
        if (dateAfterRecordSetting && i == 12) from = 11;
        table[i] = {nullptr,           nullptr,  rows[from].caption,
                    rows[from].parent, masks[i], frameCaptions ? rows[from].frameCaption : nullptr};
    }
    return table;
}

constexpr uint32_t kP62KMasks[] = {0x7f, 0x7f, 0x7f, 0x7f, 0x1,  0x7e, 0x7e, 0x7e, 0x7e, 0x7e,
                                   0x7e, 0x7e, 0x7e, 0x7f, 0x7f, 0x7f, 0x7f, 0x1,  0x7f, 0x7f};
constexpr uint32_t kP5xKMasks[] = {0x7f, 0x7f, 0x7f, 0x7f, 0x1,  0x7e, 0x7e, 0x7e, 0x7e, 0x7e,
                                   0x7e, 0x7e, 0x7e, 0x7f, 0x71, 0x7f, 0x7f, 0x1,  0x7f, 0x7f};
constexpr uint32_t kT18DMasks[] = {0x1ff, 0x17f, 0x1ff, 0x1ff, 0x101, 0x7e, 0x7e,
                                   0x7e,  0x7e,  0x7e,  0x7e,  0x7e,  0x7e, 0x1ff,
                                   0x1ff, 0x1ff, 0x1ff, 0x1,   0x1ff, 0x1ff};
constexpr uint32_t kN2xVMasks[] = {0xff, 0x7f, 0xff, 0xff, 0x1,  0x7e, 0x7e, 0x7e, 0x7e, 0x7e,
                                   0x7e, 0x7e, 0x7e, 0xff, 0x7f, 0xff, 0xff, 0x1,  0xff, 0xff};

}  // namespace

std::optional<PageLayoutTable> PageLayoutForDevice() {
    if (IsP62KModel()) return MakeTable(kP62KMasks, false, false);
    if (IsP5xKModel()) return MakeTable(kP5xKMasks, true, false);
    if (IsN2xVModel()) return MakeTable(kN2xVMasks, false, false);
    if (IsT18DModel()) return MakeTable(kT18DMasks, false, true);
    return std::nullopt;
}
