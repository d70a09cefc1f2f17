#include "liveview/ChannelBar.h"

#include <QString>
#include <string>
#include <string_view>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/LiveView.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "liveview/WindowCommand.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/UiThread.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr int kButtonTop = 32;
constexpr int kArrowTop = 37;

// clang-format off
#define CHANNEL_FILES(name)                                                               \
    {"BMP\\Channel_" name "_Enable.bmp", "BMP\\Channel_" name "_Enable_over.bmp",        \
     "BMP\\Channel_" name "_Disable.bmp", "BMP\\Channel_" name "_Disable_over.bmp"}
#define CHANNEL_ROW(n) {35, 28, kChannelKey, 8410 + n, CHANNEL_FILES(#n), 2, 8410 + n, n}
#define DVR_ROW {40, 28, kChannelKey, 8410, CHANNEL_FILES("dvr"), 2, 8410, 0}
#define ARROW_ROWS(row)                                                                   \
    {9, 16, kChannelPageLeft, 8427, {"BMP\\Channel_Left.bmp", "BMP\\Channel_Left.bmp",    \
     "BMP\\Channel_Left_Down.bmp", "BMP\\Channel_Left.bmp"}, 2, 8427, row},               \
    {9, 16, kChannelPageRight, 8428, {"BMP\\Channel_Right.bmp", "BMP\\Channel_Right.bmp", \
     "BMP\\Channel_Right_Down.bmp", "BMP\\Channel_Right.bmp"}, 2, 8428, row + 1}

constexpr ChannelButton_Struct kP51KButtons[] = {
    DVR_ROW,         CHANNEL_ROW(1),  CHANNEL_ROW(2),  CHANNEL_ROW(3),  CHANNEL_ROW(4),
    CHANNEL_ROW(5),  CHANNEL_ROW(6),  CHANNEL_ROW(7),  CHANNEL_ROW(8),  CHANNEL_ROW(9),
    CHANNEL_ROW(10), CHANNEL_ROW(11), CHANNEL_ROW(12), CHANNEL_ROW(13), CHANNEL_ROW(14),
    CHANNEL_ROW(15), CHANNEL_ROW(16), ARROW_ROWS(17)};
constexpr ChannelButton_Struct kP53KButtons[] = {
    DVR_ROW,        CHANNEL_ROW(1), CHANNEL_ROW(2), CHANNEL_ROW(3), CHANNEL_ROW(4),
    CHANNEL_ROW(5), CHANNEL_ROW(6), CHANNEL_ROW(7), CHANNEL_ROW(8), ARROW_ROWS(9)};
constexpr ChannelButton_Struct kP55KButtons[] = {
    DVR_ROW, CHANNEL_ROW(1), CHANNEL_ROW(2), CHANNEL_ROW(3), CHANNEL_ROW(4), ARROW_ROWS(5)};
// clang-format on
#undef CHANNEL_FILES
#undef CHANNEL_ROW
#undef DVR_ROW
#undef ARROW_ROWS

// The bar of each DVR product.
struct ChannelBarProduct {
    std::string_view productId;
    const ChannelButton_Struct* table;
    uint8_t count;
    uint16_t xOrigin;
    int16_t qvgaLimit;
    int16_t vgaLimit;
    uint8_t channels;
};

constexpr ChannelBarProduct kProducts[] = {
    {"P51K", kP51KButtons, std::size(kP51KButtons), 21, 160, 340, 16},
    {"P53K", kP53KButtons, std::size(kP53KButtons), 21, 160, 350, 8},
    {"P55K", kP55KButtons, std::size(kP55KButtons), 1, 200, 350, 4},
};

// The P62K shows its two channels with the pictures of channels 1 and 2, at fixed places.
constexpr int kP62KButtonLeft[2] = {20, 55};

const ChannelBarProduct* CurrentProduct() {
    if (!g_lpApp) return nullptr;
    const std::string productId = g_lpApp->str_ProductID.Get();
    for (const ChannelBarProduct& product : kProducts) {
        if (IsSameStringNoCase(productId, product.productId)) return &product;
    }
    return nullptr;
}

bool IsQvgaIndex(int index) { return index == 1 || index == 3; }

bool MultiChannelDvr() { return IsP5xKModel() && IsMultiChannel() != 0; }

}  // namespace

CChannelBar::CChannelBar() : m_self(std::make_shared<CChannelBar*>(this)) {}

CChannelBar::~CChannelBar() {
    m_self.reset();
    for (QPointer<CVtxButton>& button : m_btnChannel) delete button.data();
}

void CChannelBar::Attach(QWidget* owner, std::function<void(int)> onCommand) {
    m_owner = owner;
    m_onCommand = std::move(onCommand);
}

CVtxButton* CChannelBar::Button(int i) const {
    return i >= 0 && i < m_byButtonCount ? m_btnChannel[static_cast<size_t>(i)].data() : nullptr;
}

CVtxButton* CChannelBar::MakeButton(const ChannelButton_Struct& row, int left, int top) {
    auto* button = new CVtxButton(m_owner);
    button->setFocusPolicy(Qt::TabFocus);
    button->setGeometry(left, top, row.wWidth, row.wHeight);
    ormidon::SetControlId(button, row.wControlId);
    button->setToolTip(QString::fromUtf8(LoadResourceString(row.wTooltipId)));
    const int id = row.wControlId;
    QObject::connect(button, &QAbstractButton::clicked, [this, id] {
        if (m_onCommand) m_onCommand(id);
    });
    button->LoadButtonBitmap(row.wStates, row.lpFiles, CVtxButton::kStyleStates);
    return button;
}

int CChannelBar::Create() {
    if (!g_lpApp || !m_owner || m_byButtonCount != 0) return 1;
    uint8_t& selected = g_lpApp->CSettingINI.m_bySelectedChannel;
    if (IsP5xKModel()) {
        const ChannelBarProduct* product = CurrentProduct();
        if (!MultiChannelDvr() || product == nullptr) {
            m_dwEnabled = 0;
            return 1;
        }
        m_dwEnabled = 1;
        m_lpButtonTable = product->table;
        m_byButtonCount = product->count;
        m_wXOrigin = product->xOrigin;
        m_nQvgaLimit = product->qvgaLimit;
        m_nVgaLimit = product->vgaLimit;
        m_bPaged = true;
        if (selected > product->channels) selected = 0;
        for (int i = 0; i < m_byButtonCount; ++i) {
            CVtxButton* button = MakeButton(m_lpButtonTable[i], m_wXOrigin, kButtonTop);
            button->hide();
            button->SetState(i == selected ? 0 : 1);
            m_btnChannel[static_cast<size_t>(i)] = button;
        }
        m_byCurrentChannel = selected;
        m_byPageAnchor = selected;
        Arrange();
    } else if (IsP62KModel()) {
        m_dwEnabled = 1;
        m_lpButtonTable = kP51KButtons + 1;  // channels 1 and 2
        m_byButtonCount = 2;
        if (selected != 1 && selected != 2) selected = 1;
        for (int i = 0; i < 2; ++i) {
            CVtxButton* button = MakeButton(m_lpButtonTable[i], kP62KButtonLeft[i], kButtonTop);
            button->show();
            button->SetState(i + 1 == selected ? 0 : 1);
            m_btnChannel[static_cast<size_t>(i)] = button;
        }
        m_byCurrentChannel = selected;
    }
    return 1;
}

int CChannelBar::GetChannelCount() const {
    const ChannelBarProduct* product = CurrentProduct();
    return product != nullptr ? product->channels : 0;
}

int CChannelBar::ImageSizeIndex() const { return g_lpApp ? g_lpApp->by_ImageSizeIndex.load() : 0; }

int CChannelBar::GetPageSize() const {
    const ChannelBarProduct* product = CurrentProduct();
    if (product == nullptr) return 0;
    if (IsQvgaIndex(ImageSizeIndex())) return 4;
    return product->channels == 16 ? 9 : 0;
}

int CChannelBar::GetPageStart(uint8_t c) const {
    const ChannelBarProduct* product = CurrentProduct();
    if (product == nullptr || product->channels == 4) return 0;
    if (IsQvgaIndex(ImageSizeIndex())) return c & ~3;
    if (product->channels == 16) return c <= 8 ? 0 : 9;
    return 0;
}

int CChannelBar::Arrange() {
    if (!Paged()) return 1;
    int x = m_wXOrigin;
    const int limit = IsQvgaIndex(ImageSizeIndex()) ? m_nQvgaLimit : m_nVgaLimit;
    const int start = GetPageStart(m_byPageAnchor);
    int next = start;  // the row after the last channel shown
    for (int i = 0; i < m_byButtonCount; ++i) {
        const ChannelButton_Struct& row = m_lpButtonTable[i];
        CVtxButton* button = m_btnChannel[static_cast<size_t>(i)];
        if (button == nullptr) continue;
        if (row.dwKind == kChannelKey) {
            if (i >= start && x < limit) {
                button->setGeometry(x, kButtonTop, row.wWidth, row.wHeight);
                button->show();
                x += row.wWidth;
                ++next;
            } else {
                button->hide();
            }
        } else if (row.dwKind == kChannelPageLeft) {
            button->setGeometry(m_wXOrigin - 12, kArrowTop, row.wWidth, row.wHeight);
            button->setVisible(start != 0);
        } else if (row.dwKind == kChannelPageRight) {
            const bool more = next < m_byButtonCount && m_lpButtonTable[next].dwKind == kChannelKey;
            button->setGeometry(x + 3, kArrowTop, row.wWidth, row.wHeight);
            button->setVisible(more);
        }
    }
    return 1;
}

int CChannelBar::PageLeft() {
    const int start = GetPageStart(m_byPageAnchor);
    const int size = GetPageSize();
    if (size != 0 && start >= size) {
        m_byPageAnchor = static_cast<uint8_t>(start - size);
        Arrange();
    }
    return 1;
}

int CChannelBar::PageRight() {
    const int start = GetPageStart(m_byPageAnchor);
    const int size = GetPageSize();
    if (size != 0 && start + size <= GetChannelCount()) {
        m_byPageAnchor = static_cast<uint8_t>(start + size);
        Arrange();
    }
    return 1;
}

bool CChannelBar::QueueForUiThread(std::function<void(CChannelBar&)> work) {
    std::weak_ptr<CChannelBar*> self = m_self;
    return ormidon::RunOnUiThread([self, work = std::move(work)] {
        if (const std::shared_ptr<CChannelBar*> bar = self.lock()) work(**bar);
    });
}

int CChannelBar::SetChannel(uint8_t n) {
    if (!ormidon::IsUiThread()) {
        return QueueForUiThread([n](CChannelBar& bar) { bar.SetChannel(n); }) ? 1 : 0;
    }
    if (m_dwEnabled == 0 || n == m_byCurrentChannel) return 1;
    if (!MultiChannelDvr() && !IsP62KModel()) return 1;
    CCgiRequest request = WindowCommandRequest(CGI_SETCHANNEL);
    request.AddIntParam("CH", n);
    if (!SendWindowCommand(CGI_SETCHANNEL, request)) {
        ormidon::ShowMessage(kStrSendCommandTimeout);
        return 0;
    }
    return 1;
}

int CChannelBar::SelectChannel(uint8_t n) {
    if (ormidon::IsUiThread()) {
        MarkChannel(n);
    } else {
        QueueForUiThread([n](CChannelBar& bar) { bar.MarkChannel(n); });
    }
    return 1;
}

void CChannelBar::MarkChannel(uint8_t n) {
    if (m_dwEnabled == 0 || n == m_byCurrentChannel || !g_lpApp) return;
    // The channel number comes from the stream: one without a button is not ours to show.
    const bool p62k = IsP62KModel() != 0;
    if (p62k ? (n < 1 || n > 2) : (!MultiChannelDvr() || n > GetChannelCount())) return;
    g_lpApp->CSettingINI.m_bySelectedChannel = n;
    m_byCurrentChannel = n;
    for (int i = 0; i < m_byButtonCount; ++i) {
        if (CVtxButton* button = m_btnChannel[static_cast<size_t>(i)]) {
            button->SetState((p62k ? i + 1 : i) == n ? 0 : 1);
        }
    }
    // Channel 0 makes the DVR itself current, channel n its n-th master; the P62K's first
    // channel is its first master.
    g_lpApp->C_ControlD.MakeCurrent(kRoleMaster, p62k ? (n == 1 ? 0 : 1) : n);
    if (LiveView* view = g_lpApp->lp_MainDialog.load()) view->RefreshRemotePanel();
}

int CChannelBar::Show(int hide) {
    if (m_dwEnabled == 0) return 1;
    if (hide != 0) {
        for (int i = 0; i < m_byButtonCount; ++i) {
            if (CVtxButton* button = m_btnChannel[static_cast<size_t>(i)]) button->hide();
        }
    } else if (Paged()) {
        Arrange();
    } else {
        for (int i = 0; i < m_byButtonCount; ++i) {
            if (CVtxButton* button = m_btnChannel[static_cast<size_t>(i)]) button->show();
        }
    }
    return 1;
}
