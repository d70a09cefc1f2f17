#include "liveview/FramePicture.h"

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

QImage ToScreenImage(const BgrPicture& picture) {
    if (picture.IsEmpty()) return {};
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const size_t step = size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        // Row y from the top is row (height - 1 - y) of the bottom-up source.
        const uint8_t* source = picture.pixels + size_t(picture.height - 1 - y) * step;
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x, source += 3) {
            target[x] = qRgb(source[2], source[1], source[0]);
        }
    }
    return image;
}
