#pragma once
// CChannelBar: the row of channel buttons of a multi-channel DVR in the main window's title
// area: "Channel DVR" (all channels) and the single channels, with page arrows when not all
// fit. A press asks the device to show that channel (SetChannel); the button is marked only
// when the live stream reports the new channel (SelectChannel).
//
// Threads: the bar and its buttons belong to the UI thread. SetChannel and SelectChannel may
// be called from the stream's threads: the work is then queued for the UI thread, so neither
// the request nor its failure message holds the stream up.
#include <QPointer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class CVtxButton;
class QWidget;

enum ChannelButtonKind : uint32_t {
    kChannelKey = 1,  // shows one channel ("Channel DVR" shows them all)
    kChannelPageLeft = 2,
    kChannelPageRight = 4,
};

// One button of a product's bar.
struct ChannelButton_Struct {
    uint16_t wWidth;
    uint16_t wHeight;
    uint32_t dwKind;  // ChannelButtonKind
    uint16_t wControlId;
    // State 0 (the channel shown) normal and hover, state 1 normal and hover.
    const char* lpFiles[4];
    uint16_t wStates;
    uint16_t wTooltipId;
    uint16_t wPosition;  // row in the product's table
};

class CChannelBar {
  public:
    static constexpr int kMaxButtons = 19;
    static constexpr int kIdChannelDvr = 8410;  // 8410 + n: channel n
    static constexpr int kIdPageLeft = 8427;
    static constexpr int kIdPageRight = 8428;

    CChannelBar();
    ~CChannelBar();
    CChannelBar(const CChannelBar&) = delete;
    CChannelBar& operator=(const CChannelBar&) = delete;

    // The window the buttons are made in and what a press runs (with the button's control
    // id). UI thread, before Create.
    void Attach(QWidget* owner, std::function<void(int controlId)> onCommand);

    // Builds the buttons for the logged-in product (once, by the main window's
    // initialisation). Returns 1.
    int Create();

    // 16 for P51K, 8 for P53K, 4 for P55K, 0 for other products.
    int GetChannelCount() const;
    // Channels a page holds at the current image size (0: no paging).
    int GetPageSize() const;
    // The first channel of the page that holds channel `c`.
    int GetPageStart(uint8_t c) const;
    // Shows the page of the page anchor and places the arrows.
    int Arrange();
    int PageLeft();
    int PageRight();

    // Asks the device to show channel `n`: "/SetChannel.cgi" with "CH" = n, unless the bar is
    // not in use or `n` is already the current channel (then nothing is sent). 0 when the
    // request failed (message 4064), else 1. From another thread the request is queued for
    // the UI thread and 1 is returned.
    int SetChannel(uint8_t n);
    // The stream reports that the device now shows channel `n`: its button is marked and the
    // matching DVR becomes the current control device. A channel without a button is
    // ignored. From another thread the work is queued for the UI thread. Returns 1.
    int SelectChannel(uint8_t n);

    // Non-zero hides the buttons (full screen); 0 shows them again.
    int Show(int hide);

    uint8_t CurrentChannel() const { return m_byCurrentChannel; }
    bool IsEnabled() const { return m_dwEnabled != 0; }
    uint8_t ButtonCount() const { return m_byButtonCount; }
    uint8_t PageAnchor() const { return m_byPageAnchor; }
    // Button `i` in table order; nullptr past the buttons in use.
    CVtxButton* Button(int i) const;

  private:
    // Queues `work` for the UI thread; it runs there if the bar still lives by then.
    bool QueueForUiThread(std::function<void(CChannelBar&)> work);
    void MarkChannel(uint8_t n);
    int ImageSizeIndex() const;
    bool Paged() const { return m_byButtonCount != 0 && m_lpButtonTable != nullptr && m_bPaged; }
    CVtxButton* MakeButton(const ChannelButton_Struct& row, int left, int top);

    std::atomic<uint8_t> m_byCurrentChannel{0};
    std::atomic<int32_t> m_dwEnabled{0};
    uint8_t m_byButtonCount = 0;
    uint8_t m_byPageAnchor = 0;
    uint16_t m_wXOrigin = 0;
    int16_t m_nQvgaLimit = 0;
    int16_t m_nVgaLimit = 0;
    const ChannelButton_Struct* m_lpButtonTable = nullptr;
    bool m_bPaged = false;  // the P5xK bars page; the P62K's two buttons stay put

    QPointer<QWidget> m_owner;
    std::function<void(int)> m_onCommand;
    std::array<QPointer<CVtxButton>, kMaxButtons> m_btnChannel;
    // Work queued from other threads reaches the bar through this; it dies with the bar.
    std::shared_ptr<CChannelBar*> m_self;
};
