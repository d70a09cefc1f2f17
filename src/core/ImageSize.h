#pragma once
// CImageSize: the stream's picture size and the display-mode choice of the main window,
// held in the application record as m_ImageSize. The initial mode comes from the
// settings; from then on every decoded frame's size may change the size class, and with
// it the window's layout.
#include <atomic>
#include <cstdint>

enum class DisplayFamily : uint8_t;

class CImageSize {
  public:
    // Sets w_DisplayMode, by_ImageSizeIndex and by_PrevImageSizeIndex from the
    // resolution setting and the video standard. Returns 1.
    int SetDefaultDisplayMode();

    // Stores the size of a decoded frame and applies its size class to the record. True
    // when the size class changed: the window is then laid out for the new class
    // (by_PrevImageSizeIndex). Repeated frames of one size change nothing.
    bool SetImageSize(uint16_t width, uint16_t height);

    uint8_t GetImageSizeIndex() const;

    uint16_t Width() const { return m_wWidth; }
    uint16_t Height() const { return m_wHeight; }

  private:
    // The family's initial mode (SetDefaultDisplayMode) and its chooser for a frame's size
    // (SetImageSize); each family's is the one rule of DisplayMode.h for that family.
    void DefaultP5xKMode();
    void DefaultP62KMode();
    void DefaultT18DMode();
    void DefaultMode(DisplayFamily family);
    bool ChooseP5xKMode(uint16_t width, uint16_t height);
    bool ChooseP62KMode(uint16_t width, uint16_t height);
    bool ChooseT18DMode(uint16_t width, uint16_t height);
    bool ChooseMode(DisplayFamily family, uint16_t width, uint16_t height);

    std::atomic<uint16_t> m_wWidth{0};
    std::atomic<uint16_t> m_wHeight{0};
};
