#pragma once

// The boxes of area averaging along one axis: which source columns (or rows) each destination
// pixel covers, and with which weights.

#include <cstdint>

namespace ormidon::resize {

// One box, in the order its parts are added: a leading partial pixel, whole pixels, whole
// pixels past the last readable one (read as that one, `extra` times), a trailing partial pixel.
struct BoxSpan {
    std::int32_t lead;
    std::int32_t wholeBegin;
    std::int32_t wholeEnd;  // whole pixels wholeBegin .. wholeEnd - 1
    std::int32_t trail;
    double leadWeight;
    double extra;
    double trailWeight;
    bool hasLead;
    bool hasTrail;
};

// The boxes of one axis for a box size of `inverse` (1 / factor, at least 1) source pixels.
// Boxes follow each other from pixel 0 on; a whole-number size gives whole pixels only. With a
// fractional size a pixel cut by a box edge is shared by the two boxes by the covered fractions;
// a share of 1e-7 or less is left out, except the first box's trailing share. Pixels past
// `last` are read as `last`.
void FillBoxSpans(double inverse, int boxes, int last, BoxSpan* spans);

// True when the box size is a whole number of pixels.
bool IsWholeBox(double inverse);

}  // namespace ormidon::resize
