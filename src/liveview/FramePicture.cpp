#include "liveview/FramePicture.h"

#include <libyuv/convert_argb.h>
#include <libyuv/convert_from_argb.h>

#include "resample/ResizeImage.h"

bool ShouldDoubleLines(int width, int height, bool t18d, size_t bufferSize) {
    if (t18d || width < 640 || height <= 0) return false;
    return size_t(width) * size_t(height) * 2 * 3 <= bufferSize;
}

BgrPicture DoubleLines(const BgrPicture& picture, uint8_t* buffer) {
    const int step = picture.width * 3;
    // The status is not needed: a failing resize leaves the buffer as it was, and
    // the window shows what it holds.
    ResizeImage(picture.pixels, {picture.width, picture.height}, step,
                {0, 0, picture.width, picture.height}, buffer, step,
                {picture.width, picture.height * 2}, 1.0, 2.0, RESIZE_LINEAR);
    return {buffer, picture.width, picture.height * 2};
}

BgrPicture FitToArea(const BgrPicture& picture, QSize area, uint8_t* buffer, size_t bufferSize) {
    if (buffer == nullptr || area.isEmpty() || picture.IsEmpty()) return {};
    const BgrPicture fitted{buffer, area.width(), area.height()};
    if (fitted.Bytes() > bufferSize) return {};
    ResizeImage(picture.pixels, {picture.width, picture.height}, picture.width * 3,
                {0, 0, picture.width, picture.height}, buffer, area.width() * 3,
                {area.width(), area.height()}, double(area.width()) / picture.width,
                double(area.height()) / picture.height, RESIZE_NEAREST);
    return fitted;
}

bool SizeScreenImage(QImage& image, int width, int height) {
    if (image.width() != width || image.height() != height ||
        image.format() != QImage::Format_RGB32) {
        image = QImage(width, height, QImage::Format_RGB32);
    }
    return !image.isNull();
}

bool ToScreenImage(const BgrPicture& picture, QImage& image) {
    if (picture.IsEmpty() || !SizeScreenImage(image, picture.width, picture.height)) return false;
    // The decoder's blue-green-red bytes are libyuv's RGB24, and 0xffRRGGBB words are its
    // ARGB; a negative height reads the bottom-up rows from the last, so the image is upright.
    const int step = picture.width * 3;
    libyuv::RGB24ToARGB(picture.pixels, step, image.bits(), static_cast<int>(image.bytesPerLine()),
                        picture.width, -picture.height);
    return true;
}

QImage ToScreenImage(const BgrPicture& picture) {
    QImage image;
    ToScreenImage(picture, image);
    return image;
}

bool ScreenImageToPicture(const QImage& image, const BgrPicture& picture) {
    if (picture.IsEmpty() || image.format() != QImage::Format_RGB32 ||
        image.width() != picture.width || image.height() != picture.height) {
        return false;
    }
    // A negative height reads the upright image from its last row, so the picture's rows
    // come out bottom-up.
    libyuv::ARGBToRGB24(image.constBits(), static_cast<int>(image.bytesPerLine()), picture.pixels,
                        picture.width * 3, picture.width, -picture.height);
    return true;
}
