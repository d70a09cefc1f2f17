#include "liveview/FunctionBar.h"

#include <QString>
#include <algorithm>
#include <string>

#include "core/AppObject.h"
#include "core/DisplayMode.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "platform/window/ControlId.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr uint32_t kStrRecordTooltips = 1005;  // "RECORD$RECORDING"
constexpr int kAllowedGroup = 0;
constexpr int kRefusedGroup = 4;

// Every button has the same 26 x 26 rectangle: the bar is laid out from it.
constexpr KeyRect kVgaRect = {688, 34, 714, 60};
constexpr KeyRect kQvgaRect = {336, 35, 362, 61};
#define BAR_RECTS \
    { kVgaRect, kQvgaRect, kVgaRect, kQvgaRect }

constexpr uint8_t kClassSupervisor = 0x01;
constexpr uint8_t kClassHighUser = 0x02;
constexpr uint8_t kClassGuest = 0x04;
constexpr uint8_t kClassNormalUser = 0x08;
constexpr uint16_t kAllFamilies =
    kFunctionFamilySingleDvr | kFunctionFamilyMulti | kFunctionFamilyN2xV;

}  // namespace

// clang-format off
const FunctionButton_Struct FunctionButtonTable[kFunctionButtonRows] = {
    {BAR_RECTS, kAllFamilies, 1002,
     {{"BMP\\link.bmp", "BMP\\link_over.bmp", "BMP\\link_off.bmp", "BMP\\link_off_over.bmp"}, {}, {}, {},
      {"BMP\\link_n.bmp", "BMP\\link_n.bmp", "BMP\\link_off_n.bmp", "BMP\\link_off_n.bmp"}},
     CVtxButton::kStyleStates,
     kClassSupervisor | kClassHighUser | kClassGuest | kClassNormalUser, 1002, 0, kActionConnect},
    {BAR_RECTS, kAllFamilies, 1007,
     {{"BMP\\qvga.bmp", "BMP\\qvga_over.bmp", "BMP\\vga.bmp", "BMP\\vga_over.bmp"}, {}, {}, {},
      {"BMP\\qvga_n.bmp", "BMP\\qvga_n.bmp", "BMP\\vga_n.bmp", "BMP\\vga_n.bmp"}},
     CVtxButton::kStyleCycle, kClassSupervisor | kClassHighUser, 1007, 1, kActionResolution},
    {BAR_RECTS, kAllFamilies, 1008,
     {{"BMP\\high.bmp", "BMP\\mid_over.bmp", "BMP\\mid.bmp", "BMP\\low_over.bmp", "BMP\\low.bmp",
       "BMP\\high_over.bmp"}, {}, {}, {},
      {"BMP\\high_n.bmp", "BMP\\high_n.bmp", "BMP\\mid_n.bmp", "BMP\\mid_n.bmp", "BMP\\low_n.bmp",
       "BMP\\low_n.bmp"}},
     CVtxButton::kStyleCycle, kClassSupervisor | kClassHighUser, 1008, 2, kActionQuality},
    {BAR_RECTS, kFunctionFamilyMulti | kFunctionFamilyN2xV, 999,
     {{"BMP\\Image_Quality.bmp", "BMP\\Image_Quality_over.bmp", "BMP\\Image_Quality_over.bmp"},
      {}, {}, {},
      {"BMP\\Image_Quality_n.bmp", "BMP\\Image_Quality_n.bmp", "BMP\\Image_Quality_n.bmp"}},
     CVtxButton::kStyleHover, kClassSupervisor | kClassHighUser, 999, 3, kActionColour},
    {BAR_RECTS, kAllFamilies, 1004,
     {{"BMP\\snapshoot.bmp", "BMP\\snapshoot_over.bmp", "BMP\\snapshoot_down.bmp"}, {}, {}, {},
      {"BMP\\snapshoot_n.bmp", "BMP\\snapshoot_n.bmp", "BMP\\snapshoot_n.bmp"}},
     CVtxButton::kStylePushHover, kClassSupervisor | kClassHighUser | kClassNormalUser, 1004, 4,
     kActionSnapshot},
    {BAR_RECTS, kAllFamilies, 1005,
     {{"BMP\\Record_Button.bmp", "BMP\\Record_Button_over.bmp", "BMP\\Recording_Button.bmp",
       "BMP\\Recording_Button_over.bmp"}, {}, {}, {},
      {"BMP\\Record_Button_n.bmp", "BMP\\Record_Button_n.bmp", "BMP\\Record_Button_n.bmp",
       "BMP\\Record_Button_n.bmp"}},
     CVtxButton::kStyleStates, kClassSupervisor | kClassHighUser | kClassNormalUser, 1005, 5,
     kActionRecord},
    {BAR_RECTS, kAllFamilies, 1006,
     {{"BMP\\system_setting.bmp", "BMP\\system_setting_over.bmp", "BMP\\system_setting_over.bmp"},
      {}, {}, {},
      {"BMP\\system_setting_n.bmp", "BMP\\system_setting_n.bmp", "BMP\\system_setting_n.bmp"}},
     CVtxButton::kStyleHover, kClassSupervisor, 1006, 6, kActionSystemConfig},
};
// clang-format on
#undef BAR_RECTS

CFunctionBar::~CFunctionBar() {
    for (QPointer<CVtxButton>& button : m_btnFunction) delete button.data();
}

void CFunctionBar::Attach(QWidget* owner, std::function<void(int)> onCommand) {
    m_owner = owner;
    m_onCommand = std::move(onCommand);
}

CVtxButton* CFunctionBar::Button(int i) const {
    return i >= 0 && i < m_byButtonCount ? m_btnFunction[static_cast<size_t>(i)].data() : nullptr;
}

CVtxButton* CFunctionBar::ButtonById(int controlId) const {
    for (int i = 0; i < m_byButtonCount; ++i) {
        if (m_rows[static_cast<size_t>(i)]->wControlId == controlId) return Button(i);
    }
    return nullptr;
}

// The rectangle of the display mode's bitmap family.
int CFunctionBar::Slot() { return BitmapFamilyOfMode(g_lpApp ? g_lpApp->w_DisplayMode.load() : 0); }

int CFunctionBar::Create(std::string_view productId) {
    if (!m_owner || m_byButtonCount != 0) return 0;
    const auto is = [productId](std::string_view id) { return IsSameStringNoCase(productId, id); };
    uint8_t count = 0;
    if (is("P51K") || is("P53K") || is("P55K")) {
        const bool multi = g_lpApp && g_lpApp->by_MultiChannel.load() != 0;
        count = multi ? 7 : 6;
        m_byFamilyBit = multi ? kFunctionFamilyMulti : kFunctionFamilySingleDvr;
    } else if (is("P62K") || is("T18D")) {
        count = 7;
        m_byFamilyBit = kFunctionFamilyMulti;
    } else if (is("N27V") || is("N25V") || is("N23V")) {
        count = 7;
        m_byFamilyBit = kFunctionFamilyN2xV;
    } else {
        return 0;
    }

    char recordTooltip[kSplitStringSize];
    char recordingTooltip[kSplitStringSize];
    LoadSplitString(kStrRecordTooltips, recordTooltip, recordingTooltip);
    const int slot = Slot();
    int row = 0;
    for (int i = 0; i < count; ++i) {
        while (row < kFunctionButtonRows &&
               (FunctionButtonTable[row].wFamilyMask & m_byFamilyBit) == 0) {
            ++row;
        }
        if (row == kFunctionButtonRows) break;
        const FunctionButton_Struct& entry = FunctionButtonTable[row++];
        const KeyRect& rect = entry.rcButton[slot];
        auto* button = new CVtxButton(m_owner);
        button->setFocusPolicy(Qt::TabFocus);
        button->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        ormidon::SetControlId(button, entry.wControlId);
        button->setToolTip(QString::fromUtf8(entry.dwAction == kActionRecord
                                                 ? std::string_view(recordTooltip)
                                                 : LoadResourceString(entry.wTooltipId)));
        const int id = entry.wControlId;
        QObject::connect(button, &QAbstractButton::clicked, [this, id] {
            if (m_onCommand) m_onCommand(id);
        });
        button->show();
        m_btnFunction[static_cast<size_t>(i)] = button;
        m_rows[static_cast<size_t>(i)] = &entry;
        m_byButtonCount = static_cast<uint8_t>(i + 1);
    }
    return 1;
}

int CFunctionBar::LoadBitmaps() {
    const uint8_t userClass = g_lpApp ? g_lpApp->by_UserClass.load() : 0;
    for (int i = 0; i < m_byButtonCount; ++i) {
        CVtxButton* button = Button(i);
        const FunctionButton_Struct& row = *m_rows[static_cast<size_t>(i)];
        if (button == nullptr) continue;
        const auto& allowed = row.lpFiles[kAllowedGroup];
        const int named = static_cast<int>(
            std::count_if(std::begin(allowed), std::end(allowed),
                          [](const char* file) { return file != nullptr && *file != '\0'; }));
        const auto states = static_cast<uint16_t>((named + 1) / 2);
        const bool mayUse = userClass < 8 && (row.byUserClassMask >> userClass & 1) != 0;
        button->setEnabled(mayUse);
        const auto& files = row.lpFiles[mayUse ? kAllowedGroup : kRefusedGroup];
        if (row.byStyle == CVtxButton::kStyleHover || row.byStyle == CVtxButton::kStylePushHover) {
            button->LoadButtonBitmap(files[0], files[1], files[2], row.byStyle);
        } else {
            button->LoadButtonBitmap(states, std::span<const char* const>(files, 2 * states),
                                     row.byStyle);
        }
    }
    return 1;
}

int CFunctionBar::Arrange() {
    const KeyRect& rect = FunctionButtonTable[0].rcButton[Slot()];
    const int width = rect.right - rect.left;
    for (int k = 0; k < m_byButtonCount; ++k) {
        if (CVtxButton* button = Button(m_byButtonCount - 1 - k)) {
            button->setGeometry(rect.left - k * width, rect.top, width, rect.bottom - rect.top);
        }
    }
    return 1;
}

int CFunctionBar::Show(int show) {
    if (show != 0 && show != 1) return 1;
    for (int i = 0; i < m_byButtonCount; ++i) {
        if (CVtxButton* button = Button(i)) button->setVisible(show == 1);
    }
    return 1;
}

int CFunctionBar::SetButtonState(uint32_t actionMask, uint8_t state) {
    for (int i = 0; i < m_byButtonCount; ++i) {
        if ((m_rows[static_cast<size_t>(i)]->dwAction & actionMask) == 0) continue;
        if (CVtxButton* button = Button(i)) button->SetState(state);
        break;
    }
    return 1;
}
