#pragma once
// The drawn symbols of the skin ("@play", "@gear" ...): simple flat shapes in one ink
// colour, designed on a 24 x 24 grid and scaled into the box they are given.
#include <QColor>
#include <QRectF>
#include <string_view>

class QPainter;

namespace ormidon::skin {

// Draws symbol `name` (without the "@") into `box` in `ink`; false for an unknown name.
bool DrawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& ink);

}  // namespace ormidon::skin
