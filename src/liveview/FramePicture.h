#pragma once
// The picture steps of the frame drawing: line doubling of field pictures,
// fitting a picture to the screen's work area, and turning the decoder's rows
// into an upright image that the window paints. They run on the kernel message
// thread and touch no widget.
#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>

// A decoded picture as the pipeline keeps it: bottom-up rows of width x 3 bytes
// (blue, green, red), one after the other without gaps.
struct BgrPicture {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    size_t Bytes() const { return size_t(width) * size_t(height) * 3; }
    bool IsEmpty() const { return pixels == nullptr || width <= 0 || height <= 0; }
};

// Size of the buffer that receives a doubled picture.
constexpr size_t kResizeBufferSize = 0x180000;

// The field pictures of the DVRs and video servers (640 pixels wide or more)
// are shown with their lines doubled; the T18D sends whole frames. A picture is
// doubled only when the doubled picture fits `bufferSize` bytes: a 720 x 576 or
// 640 x 480 frame is shown as it is.
bool ShouldDoubleLines(int width, int height, bool t18d, size_t bufferSize);

// Writes `picture` with its lines doubled (linear interpolation between rows)
// into `buffer` and returns the doubled picture there. The caller checked
// ShouldDoubleLines.
BgrPicture DoubleLines(const BgrPicture& picture, uint8_t* buffer);

// Scales `picture` over `area` (nearest neighbour) into `buffer`, which holds
// area width x height x 3 bytes, and returns the scaled picture there; an empty
// picture when the buffer is missing or too small.
BgrPicture FitToArea(const BgrPicture& picture, QSize area, uint8_t* buffer, size_t bufferSize);

// Writes `picture` upright into `image` in the format the window paints without
// converting (32-bit, 0xffRRGGBB), with a vectorised row conversion. `image` is made anew
// only when its size or format differs, so a stream of one size reuses it. False, with
// `image` left as it was, for an empty picture.
bool ToScreenImage(const BgrPicture& picture, QImage& image);

// The same into a new image; a null image for an empty picture.
QImage ToScreenImage(const BgrPicture& picture);

// Makes `image` a screen image of width x height, keeping it when it already is one. False
// when it cannot be made.
bool SizeScreenImage(QImage& image, int width, int height);

// The way back: writes the screen image `image` into `picture` (bottom-up blue-green-red
// rows), which has the image's size. False, with nothing written, when the sizes differ or
// the image is not a screen image.
bool ScreenImageToPicture(const QImage& image, const BgrPicture& picture);
