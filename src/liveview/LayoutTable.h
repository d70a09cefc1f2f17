#pragma once
// The main window's geometry for each display mode: one row per mode with every
// rectangle of the window (window with the remote panel closed and open, background,
// video, status bar, the tool and title-bar buttons, the overlay text origin and the
// status icon). All values are window client pixels.
#include <QPoint>
#include <QRect>
#include <cstdint>

// A rectangle given by its edges; right and bottom lie just outside it.
struct LayoutRect {
    int left;
    int top;
    int right;
    int bottom;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    // Bounds included, as the overlay's mouse test wants it.
    bool ContainsInclusive(int x, int y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

// A button given by its top-left corner and size.
struct LayoutBox {
    int left;
    int top;
    int width;
    int height;

    QRect ToQRect() const { return QRect(left, top, width, height); }
};

struct LayoutMode_Struct {
    LayoutRect rcWindow;       // the window with the panel closed
    LayoutRect rcWindowPanel;  // the window with the panel open
    LayoutRect rcBackground;   // where the panel-closed background is stretched
    LayoutRect rcVideo;        // the picture's place; its size is the picture's size
    LayoutRect rcStatus;       // status bar
    int powerWidth;            // Power button (8311), placed by its right edge
    int powerHeight;
    int powerRight;
    int powerTop;
    LayoutBox btnPanelOpen;   // button 8192: opens the remote panel
    LayoutBox btnPanelClose;  // button 8193: closes it
    int titleLeft;            // title-bar buttons 8200-8202, left to right
    int titleTop;
    int titleWidth;
    int titleHeight;
    int titleGap;
    QPoint overlayOrigin;     // the IP, date or name text on the title bar
    LayoutRect rcStatusIcon;  // alarm and online-user icons

    QRect PowerRect() const {
        return QRect(powerRight - powerWidth, powerTop, powerWidth, powerHeight);
    }
    // Title-bar button i (0 minimize, 1 full screen, 2 close).
    QRect TitleButtonRect(int i) const {
        return QRect(titleLeft + i * (titleWidth + titleGap), titleTop, titleWidth, titleHeight);
    }
    // Where the overlay text's mouse test looks: 120 x 14 pixels from its origin.
    LayoutRect OverlayRect() const {
        return {overlayOrigin.x(), overlayOrigin.y(), overlayOrigin.x() + 120,
                overlayOrigin.y() + 14};
    }
};

// The row of `displayMode`; a mode outside the table gets the row of mode 0.
const LayoutMode_Struct& LayoutOfMode(uint16_t displayMode);
