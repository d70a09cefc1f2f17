#pragma once
// Draws the skin bitmaps in one look: dark window chrome with light text, a light body,
// flat keys that turn blue under the pointer, amber for TURBO and red for recording.
#include <QImage>
#include <QString>

#include "skin/SkinTable.h"

namespace ormidon::skin {

class SkinPainter {
  public:
    // `fontFolder` holds the DejaVu fonts the labels are set in.
    explicit SkinPainter(const QString& fontFolder);

    // The picture of `bitmap`, at its size.
    QImage Paint(const SkinBitmap& bitmap) const;

    // False when the label fonts could not be loaded (labels then use Qt's default font).
    bool FontsLoaded() const { return fontsLoaded_; }

  private:
    QImage PaintLoginWindow() const;
    QImage PaintColourWindow() const;

    bool fontsLoaded_ = false;
    QString sans_;
    QString condensed_;
    QImage loginWindow_;
    QImage colourWindow_;
};

}  // namespace ormidon::skin
