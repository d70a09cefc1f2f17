#pragma once
// The two screen images of the main window, filled in turn: the frame drawing writes the
// one that is not shown and then shows it, so no frame allocates an image and the window
// never paints an image while it is written. The window paints a shared copy of the shown
// image; should a paint outlast two frames, the drawing writes a copy of its own instead
// of the painted one.
#include <QImage>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

class ScreenFrames {
  public:
    struct Shown {
        QImage image;
        bool fullScreen = false;  // composed over the work area, not for the video rectangle
    };

    // The image the next frame goes into. The drawing thread calls this and Show; the compose
    // thread may decode into it too, but only between two drawings.
    QImage& Back() { return m_images[1 - m_shown]; }
    // Shows the back image, composed for full screen or not.
    void Show(bool fullScreen);

    // The shown image (null before the first frame); any thread.
    Shown Current() const;
    // Frames shown so far.
    uint64_t Count() const { return m_count.load(); }

  private:
    mutable std::mutex m_lock;
    std::array<QImage, 2> m_images;
    std::array<bool, 2> m_fullScreen{};
    // Written only by the drawing thread, under the lock; read by others under it.
    int m_shown = 0;
    std::atomic<uint64_t> m_count{0};
};
