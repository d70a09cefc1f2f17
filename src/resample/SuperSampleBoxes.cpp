#include "SuperSampleBoxes.h"

#include <algorithm>
#include <cmath>

namespace ormidon::resize {

namespace {

// Above 2^52 every double is a whole number; larger boxes only repeat the last pixel more often,
// and the bound keeps the index arithmetic exact.
constexpr double kLargestBox = 4503599627370496.0;

// Whole pixels begin .. end - 1 (any size, as doubles) split into those that can be read and the
// count of those past `last`.
void SetWholeRange(double begin, double end, int last, BoxSpan& span) {
    const double limit = static_cast<double>(last) + 1.0;
    span.wholeBegin = static_cast<std::int32_t>(std::min(begin, limit));
    span.wholeEnd = static_cast<std::int32_t>(std::min(end, limit));
    span.extra = end > limit ? end - std::max(begin, limit) : 0.0;
}

std::int32_t Readable(double index, int last) {
    return static_cast<std::int32_t>(std::min(index, static_cast<double>(last)));
}

}  // namespace

bool IsWholeBox(double inverse) {
    const double size = std::min(inverse, kLargestBox);
    return size - std::floor(size) == 0.0;
}

void FillBoxSpans(double inverse, int boxes, int last, BoxSpan* spans) {
    const double size = std::min(inverse, kLargestBox);
    const double whole = std::floor(size);
    for (int b = 0; b < boxes; ++b) {
        spans[b] = BoxSpan{};
    }
    if (size - whole == 0.0) {
        for (int b = 0; b < boxes; ++b) {
            SetWholeRange(b * whole, (b + 1) * whole, last, spans[b]);
        }
        return;
    }
    // The first box: its whole pixels, then its share of the pixel after them, however small.
    double carry = size - whole;
    double current = whole;
    SetWholeRange(0.0, whole, last, spans[0]);
    spans[0].hasTrail = true;
    spans[0].trail = Readable(current, last);
    spans[0].trailWeight = carry;
    for (int b = 1; b < boxes; ++b) {
        BoxSpan& span = spans[b];
        const double leading = 1.0 - carry;
        const double rest = size - leading;
        const double count = std::floor(rest + 1e-7);
        carry = rest - count;
        if (leading > 1e-7) {
            span.hasLead = true;
            span.lead = Readable(current, last);
            span.leadWeight = leading;
        }
        // The shared pixel is behind this box even when its share here was left out: the
        // previous box took all of it.
        current += 1.0;
        SetWholeRange(current, current + count, last, span);
        current += count;
        if (carry > 1e-7) {
            span.hasTrail = true;
            span.trail = Readable(current, last);
            span.trailWeight = carry;
        }
    }
}

}  // namespace ormidon::resize
