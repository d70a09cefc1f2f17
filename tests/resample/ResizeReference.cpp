#include "ResizeReference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ResizeKernels.h"

namespace ormidon::test {

namespace {

// Conversion toward zero to 32 bits; out-of-range values saturate, NaN gives 0.
int Trunc32(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 2147483647.0) {
        return 2147483647;
    }
    if (v <= -2147483648.0) {
        return -2147483647 - 1;
    }
    return static_cast<int>(v);
}

// start plus k additions of step, one after the other.
double Position(double start, double step, int k) {
    double p = start;
    for (int i = 0; i < k; ++i) {
        p += step;
    }
    return p;
}

int Index(double position) { return Trunc32(position + 1e-7); }

struct Axis {
    double start;
    double step;
    double At(int k) const { return Position(start, step, k); }
};

Axis NearestAxis(double f) { return {0.5 * (1.0 / f), 1.0 / f}; }

Axis InterpolatingAxis(double f, int s) {
    return {0.0, f * s > 1.0 ? (s - 1) / (f * s - 1.0) : 0.0};
}

int Effective(int s, double f, int limit) {
    const int n = Trunc32(s * f + 1e-7);
    return n >= limit ? limit : std::max(n, 1);
}

// Everything a pixel needs to know about the call.
struct Setup {
    const Image& src;
    const ReferenceCall& call;
    int roiW;  // clipped
    int roiH;
    int dstW;
    int dstH;

    int S(int x, int y, int c) const { return src.At(x, y, c); }
};

int Downgrade(int mode, ImageSize size) {
    const int side = std::min(size.width, size.height);
    if (mode == RESIZE_LANCZOS && side < 6) {
        mode = RESIZE_CUBIC;
    }
    if (mode == RESIZE_CUBIC && side < 4) {
        mode = RESIZE_LINEAR;
    }
    if (side < 2) {
        mode = RESIZE_NEAREST;
    }
    return mode;
}

// ---- nearest

int NearestPixel(const Setup& s, int i, int j, int c) {
    const int iy = std::clamp(Index(NearestAxis(s.call.yFactor).At(i)), 0, s.roiH - 1);
    const int ix = std::clamp(Index(NearestAxis(s.call.xFactor).At(j)), 0, s.roiW - 1);
    return s.S(s.call.roi.x + ix, s.call.roi.y + iy, c);
}

// ---- linear

struct LinearTap {
    int first;   // first of the two neighbours, relative to the region
    int weight;  // weight of the second, 0..16384
};

LinearTap LinearAxisTap(double f, int regionSize, int last, int k) {
    const double p = InterpolatingAxis(f, regionSize).At(k);
    const int idx = std::min(Index(p), last);
    if (idx == last) {
        return {idx - 1, 16384};
    }
    return {idx, Trunc32((p - idx) * 16384 + 1e-7)};
}

int LinearPixel(const Setup& s, int i, int j, int c) {
    const ImageRect& roi = s.call.roi;
    const LinearTap row =
        LinearAxisTap(s.call.yFactor, s.roiH, s.call.srcSize.height - roi.y - 1, i);
    const LinearTap col =
        LinearAxisTap(s.call.xFactor, s.roiW, s.call.srcSize.width - roi.x - 1, j);
    const auto horizontal = [&](int r) {
        const int y = roi.y + r;
        const int left = s.S(roi.x + col.first, y, c);
        const int right = s.S(roi.x + col.first + 1, y, c);
        return (right * col.weight + left * (16384 - col.weight) + 128) >> 8;
    };
    const long long upper = horizontal(row.first);
    const long long lower = horizontal(row.first + 1);
    return static_cast<int>((row.weight * lower + (16384 - row.weight) * upper + 524288) >> 20);
}

// ---- cubic

struct CubicTap {
    int base;  // relative to the region
    float t;
};

CubicTap CubicAxisTap(double f, int regionSize, int origin, int n, int k) {
    const double p = InterpolatingAxis(f, regionSize).At(k);
    const int idx = std::min(Index(p), n - 1 - origin);
    const int a = origin + idx;
    if (a == n - 1) {
        return {idx - 2, 2.0f};
    }
    int base = idx;
    if (a == 0) {
        base = idx + 1;
    } else if (a == n - 2) {
        base = idx - 1;
    }
    return {base, static_cast<float>(p - base)};
}

double Cubic(const double P[4], float fraction, bool singleD) {
    const double t = fraction;
    const double b = t + 1;
    const double c = t * (t + 1) * 0.5;
    double d = c * (t - 1) / 3;
    if (singleD) {
        d = static_cast<float>(d);
    }
    const double D1 = P[1] - P[0];
    const double D2 = (P[2] - P[1]) - D1;
    const double D3 = (P[1] - 2 * P[2] + P[3]) - D2;
    return b * D1 + ((P[0] + d * D3) + c * D2);
}

int CubicPixel(const Setup& s, int i, int j, int c) {
    const ImageRect& roi = s.call.roi;
    const CubicTap row = CubicAxisTap(s.call.yFactor, s.roiH, roi.y, s.call.srcSize.height, i);
    const CubicTap col = CubicAxisTap(s.call.xFactor, s.roiW, roi.x, s.call.srcSize.width, j);
    double rows[4];
    for (int r = 0; r < 4; ++r) {
        double P[4];
        for (int k = 0; k < 4; ++k) {
            P[k] = s.S(roi.x + col.base - 1 + k, roi.y + row.base - 1 + r, c);
        }
        rows[r] = static_cast<float>(Cubic(P, col.t, false));
    }
    return std::clamp(Trunc32(Cubic(rows, row.t, true) + 1e-7), 0, 255);
}

// ---- Lanczos

struct LanczosTap {
    int idx;  // relative to the region
    float w[6];
};

LanczosTap LanczosAxisTap(double f, int regionSize, int k) {
    const double p = InterpolatingAxis(f, regionSize).At(k);
    LanczosTap tap{};
    tap.idx = Index(p);
    const float fraction = static_cast<float>(p - tap.idx);
    const float* T = ormidon::resize::LanczosKernelTable;
    for (int j = 0; j < 6; ++j) {
        const double x = j - 2 - static_cast<double>(fraction);
        if (x <= -3 || x >= 3) {
            tap.w[j] = 0.0f;
            continue;
        }
        const double u = 100 * std::fabs(x);
        const int m = Trunc32(u);
        tap.w[j] = static_cast<float>(T[m] + (static_cast<double>(T[m + 1]) - T[m]) * (u - m));
    }
    return tap;
}

int LanczosPixel(const Setup& s, int i, int j, int c) {
    const ImageRect& roi = s.call.roi;
    const LanczosTap row = LanczosAxisTap(s.call.yFactor, s.roiH, i);
    const LanczosTap col = LanczosAxisTap(s.call.xFactor, s.roiW, j);
    const auto clampX = [&](int x) { return std::clamp(x, 0, s.call.srcSize.width - 1); };
    const auto clampY = [&](int y) { return std::clamp(y, 0, s.call.srcSize.height - 1); };
    double sum = 0;
    for (int r = 0; r < 6; ++r) {
        const int y = clampY(roi.y + row.idx + r - 2);
        double h = 0;
        for (int k = 0; k < 6; ++k) {
            const double term =
                static_cast<double>(col.w[k]) * s.S(clampX(roi.x + col.idx + k - 2), y, c);
            h = k == 0 ? term : h + term;
        }
        const double term = static_cast<double>(row.w[r]) * static_cast<float>(h);
        sum = r == 0 ? term : sum + term;
    }
    return std::clamp(Trunc32(sum + 1e-7), 0, 255);
}

// ---- super-sampling

struct Contribution {
    long long index;
    double weight;
    bool whole;
};

// The pixels of box b along an axis with box size inv, in the order they are added.
std::vector<Contribution> BoxWalk(double inv, int b) {
    std::vector<Contribution> list;
    const double W = std::floor(inv);
    const double frac = inv - W;
    const auto whole = static_cast<long long>(W);
    if (frac == 0) {
        for (long long k = 0; k < whole; ++k) {
            list.push_back({b * whole + k, 1.0, true});
        }
        return list;
    }
    double c = frac;
    long long cur = whole;
    if (b == 0) {
        for (long long k = 0; k < whole; ++k) {
            list.push_back({k, 1.0, true});
        }
        list.push_back({cur, c, false});
        return list;
    }
    for (int box = 1; box <= b; ++box) {
        list.clear();
        const double w = 1 - c;
        const double rest = inv - w;
        const auto k = static_cast<long long>(std::floor(rest + 1e-7));
        c = rest - static_cast<double>(k);
        if (w > 1e-7) {
            list.push_back({cur, w, false});
        }
        ++cur;  // the shared pixel lies behind this box, also when its share was left out
        for (long long q = 0; q < k; ++q) {
            list.push_back({cur + q, 1.0, true});
        }
        cur += k;
        if (c > 1e-7) {
            list.push_back({cur, c, false});
        }
    }
    return list;
}

// Pixels past `last` are read as `last`; a run of whole pixels past it counts as one weighted
// read of `last` with the run's length as weight.
std::vector<Contribution> Clamped(const std::vector<Contribution>& list, long long last) {
    std::vector<Contribution> out;
    for (std::size_t k = 0; k < list.size();) {
        const Contribution& item = list[k];
        if (item.index <= last) {
            out.push_back(item);
            ++k;
        } else if (!item.whole) {
            out.push_back({last, item.weight, false});
            ++k;
        } else {
            double run = 0;
            for (; k < list.size() && list[k].whole && list[k].index > last; ++k) {
                run += 1;
            }
            out.push_back({last, run, false});
        }
    }
    return out;
}

int SuperSamplePixel(const Setup& s, int i, int j, int c) {
    const ReferenceCall& call = s.call;
    const double xInv = 1 / call.xFactor;
    const double yInv = 1 / call.yFactor;
    const long long n =
        std::min<long long>(static_cast<long long>(Trunc32((s.dstW + 1) * xInv)) + 1, s.roiW);
    const auto rows = Clamped(BoxWalk(yInv, i), s.roiH - 1);
    const auto cols = Clamped(BoxWalk(xInv, j), n - 1);
    const double area = call.xFactor * call.yFactor;
    const auto sample = [&](long long x, long long y) {
        return s.S(call.roi.x + static_cast<int>(x), call.roi.y + static_cast<int>(y), c);
    };
    const bool whole = xInv == std::floor(xInv) && yInv == std::floor(yInv);
    if (whole && 255.0 * std::floor(xInv) * std::floor(yInv) <= 4294967295.0) {
        unsigned long long sum = 0;
        for (const Contribution& col : cols) {
            for (const Contribution& row : rows) {
                sum += static_cast<unsigned long long>(sample(col.index, row.index) * row.weight *
                                                       col.weight);
            }
        }
        return static_cast<std::uint8_t>(Trunc32(static_cast<double>(sum) * area + 0.5));
    }
    double box = 0;
    for (const Contribution& col : cols) {
        float acc = 0;
        for (const Contribution& row : rows) {
            const int v = sample(col.index, row.index);
            acc = row.whole ? static_cast<float>(static_cast<double>(acc) + v)
                            : static_cast<float>(acc + v * row.weight);
        }
        box += col.whole ? static_cast<double>(acc) : acc * col.weight;
    }
    return static_cast<std::uint8_t>(Trunc32(static_cast<float>(box) * area + 0.5));
}

}  // namespace

ReferenceResult ReferenceResize(const Image& src, const ReferenceCall& call) {
    const ImageRect& roi = call.roi;
    const int roiW = std::min(roi.width, call.srcSize.width - roi.x);
    const int roiH = std::min(roi.height, call.srcSize.height - roi.y);
    Setup setup{src,
                call,
                roiW,
                roiH,
                Effective(roiW, call.xFactor, call.dstRoiSize.width),
                Effective(roiH, call.yFactor, call.dstRoiSize.height)};
    const bool superSample =
        call.interpolation == RESIZE_SUPERSAMPLE && call.xFactor <= 1 && call.yFactor <= 1;
    const int mode = superSample ? RESIZE_SUPERSAMPLE : Downgrade(call.interpolation, call.srcSize);
    ReferenceResult result;
    result.width = setup.dstW;
    result.height = setup.dstH;
    result.pixels.resize(static_cast<std::size_t>(setup.dstW) * setup.dstH * 3);
    for (int i = 0; i < setup.dstH; ++i) {
        for (int j = 0; j < setup.dstW; ++j) {
            for (int c = 0; c < 3; ++c) {
                int v = 0;
                switch (mode) {
                    case RESIZE_NEAREST:
                        v = NearestPixel(setup, i, j, c);
                        break;
                    case RESIZE_LINEAR:
                        v = LinearPixel(setup, i, j, c);
                        break;
                    case RESIZE_CUBIC:
                        v = CubicPixel(setup, i, j, c);
                        break;
                    case RESIZE_LANCZOS:
                        v = LanczosPixel(setup, i, j, c);
                        break;
                    case RESIZE_SUPERSAMPLE:
                        v = SuperSamplePixel(setup, i, j, c);
                        break;
                    default:
                        std::abort();
                }
                result.pixels[(static_cast<std::size_t>(i) * setup.dstW + j) * 3 + c] =
                    static_cast<std::uint8_t>(v);
            }
        }
    }
    return result;
}

}  // namespace ormidon::test
