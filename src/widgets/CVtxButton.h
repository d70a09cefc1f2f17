#pragma once
// CVtxButton: the one button of the skinned windows, painted entirely from bitmap files.
// It shows a hover picture while the pointer is over it, a pressed picture while a push
// button is held down, and one picture per state for multi-state buttons. A click (the
// clicked() signal) comes only when the button is released over itself.
//
// The pictures are copied 1:1 from their top-left corner, never stretched; a picture
// that failed to load draws nothing, so the window behind shows through.
//
// LoadButtonBitmap and SetState may be called from any thread: they change the button's
// pictures and state at once, and the button repaints on the UI thread.
#include <QAbstractButton>
#include <QImage>
#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

class CVtxButton : public QAbstractButton {
    Q_OBJECT
  public:
    // Style bits, set by LoadButtonBitmap.
    static constexpr uint16_t kStyleHover = 0x01;      // three pictures: focus while pointed at
    static constexpr uint16_t kStylePush = 0x02;       // three pictures: selected while held
    static constexpr uint16_t kStyleCycle = 0x10;      // states: each press steps to the next
    static constexpr uint16_t kStylePushHover = 0x20;  // 0x02 plus the focus picture
    static constexpr uint16_t kStyleStates = 0x40;     // states: the owner sets the state
    static constexpr uint16_t kStyleSingle = 0x80;     // one picture in every case

    explicit CVtxButton(QWidget* parent = nullptr);
    ~CVtxButton() override;

    // Single-picture form. Returns 1, or 0 when the file cannot be loaded (the style is
    // then left as it was).
    int LoadButtonBitmap(std::string_view file, uint16_t style);

    // Multi-state form: `files` holds 2 x `count` names, the normal and the hover picture
    // of state 0, then of state 1, and so on. Loading stops at the first file that fails
    // (returns 0, style left as it was); too few names also return 0.
    int LoadButtonBitmap(uint16_t count, std::span<const char* const> files, uint16_t style);

    // Three-picture form: at rest, pointed at (focus) and held down (selected). Loading
    // stops at the first file that fails (returns 0, style left as it was).
    int LoadButtonBitmap(std::string_view flat, std::string_view focus, std::string_view selected,
                         uint16_t style);

    // Makes `n` the state when it is below the number of states (otherwise the state
    // stays) and repaints; -1 when the button has no state pictures, else 1.
    int SetState(int n);

    int GetState() const;
    uint16_t GetStyle() const;
    // True once any LoadButtonBitmap has loaded its whole set.
    bool IsLoaded() const;

    // The picture the button shows now (null when that picture is missing).
    QImage ShownPicture() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool TracksHover() const;  // caller holds mutex_
    QImage PictureLocked() const;
    void Repaint();

    mutable std::mutex mutex_;
    // Three-picture form.
    QImage flat_;
    QImage focus_;
    QImage selected_;
    // Single-picture and multi-state forms. `hasStatePictures_` says the state array
    // exists (it may hold a null picture after a failed load).
    std::vector<QImage> states_;
    std::vector<QImage> hovers_;
    bool hasStatePictures_ = false;
    uint16_t count_ = 0;
    uint16_t index_ = 0;
    uint16_t style_ = 0;
    bool loaded_ = false;
    // Pointer and button state (UI thread).
    bool mouseOver_ = false;
    bool released_ = true;  // false while a push button is held down
    bool held_ = false;     // the left button went down on this button and is still down
    bool pointerInside_ = false;
};
