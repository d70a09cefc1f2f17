// Area-averaging reduction: each destination pixel is the weighted sum of the source box it
// covers, times the box's inverse area. Per destination row the box rows are added into one
// accumulator per source column and channel, then the columns of each box are added up.
// Whole-number box sizes in both directions add integers; any fractional size adds in floating
// point with the weights of the cut pixels.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AlignedAlloc32.h"
#include "ResizeImage.h"
#include "ResizeJob.h"
#include "SuperSampleBoxes.h"

namespace ormidon::resize {

namespace {

// The destination byte of a box sum: the low 8 bits of the rounded mean. The weights of a box
// add up to its area, so the mean normally lies in 0..255.
std::uint8_t MeanByte(double boxSum, double area) {
    return static_cast<std::uint8_t>(TruncToInt32(boxSum * area + 0.5));
}

// Adds rowCount consecutive source rows, n pixels each, into integer accumulators.
void SuperSampleRowSum_8u_C3(const std::uint8_t* src, std::ptrdiff_t srcStep, int n,
                             int rowCount, std::uint32_t* acc) {
    const int count = n * 3;
    for (int r = 0; r < rowCount; ++r) {
        const std::uint8_t* row = src + r * srcStep;
        for (int k = 0; k < count; ++k) {
            acc[k] += row[k];
        }
    }
}

struct SuperSamplePlan {
    ScratchTable<BoxSpan> rows;
    ScratchTable<BoxSpan> cols;
    int n = 0;  // columns read
    double area = 0.0;
};

// Whole boxes in both directions with sums that fit 32 bits.
void RunIntegerBoxes(const ResizeJob& job, const SuperSamplePlan& plan, std::uint32_t* acc,
                     const std::uint8_t* meanTable) {
    const int count = plan.n * 3;
    const std::ptrdiff_t last = std::ptrdiff_t{plan.n - 1} * 3;
    for (int i = 0; i < job.dstHeight; ++i) {
        const BoxSpan& rows = plan.rows[i];
        std::fill(acc, acc + count, 0u);
        SuperSampleRowSum_8u_C3(job.srcStart + rows.wholeBegin * job.srcStep, job.srcStep,
                                plan.n, rows.wholeEnd - rows.wholeBegin, acc);
        if (rows.extra > 0.0) {
            const auto times = static_cast<std::uint32_t>(rows.extra);
            const std::uint8_t* row = job.srcStart + (job.regionHeight - 1) * job.srcStep;
            for (int k = 0; k < count; ++k) {
                acc[k] += row[k] * times;
            }
        }
        std::uint8_t* out = job.dst + i * job.dstStep;
        for (int j = 0; j < job.dstWidth; ++j) {
            const BoxSpan& cols = plan.cols[j];
            const auto times = static_cast<std::uint32_t>(cols.extra);
            for (int c = 0; c < 3; ++c) {
                std::uint32_t sum = acc[last + c] * times;
                for (int x = cols.wholeBegin; x < cols.wholeEnd; ++x) {
                    sum += acc[3 * x + c];
                }
                out[3 * j + c] =
                    meanTable != nullptr ? meanTable[sum] : MeanByte(sum, plan.area);
            }
        }
    }
}

// acc = acc + sample * weight, in double precision, kept in single precision.
void AddWeightedRow(float* acc, const std::uint8_t* row, int count, double weight) {
    for (int k = 0; k < count; ++k) {
        acc[k] = static_cast<float>(acc[k] + row[k] * weight);
    }
}

// acc = acc + sample in double precision, kept in single precision. Rounding the double sum of
// a float and a byte to float gives the single-precision sum, so that is what is computed.
void AddWholeRow(float* acc, const std::uint8_t* row, int count) {
    for (int k = 0; k < count; ++k) {
        acc[k] += static_cast<float>(row[k]);
    }
}

void RunFloatBoxes(const ResizeJob& job, const SuperSamplePlan& plan, float* acc) {
    const int count = plan.n * 3;
    const auto sourceRow = [&](int r) { return job.srcStart + r * job.srcStep; };
    for (int i = 0; i < job.dstHeight; ++i) {
        const BoxSpan& rows = plan.rows[i];
        std::fill(acc, acc + count, 0.0f);
        if (rows.hasLead) {
            AddWeightedRow(acc, sourceRow(rows.lead), count, rows.leadWeight);
        }
        for (int r = rows.wholeBegin; r < rows.wholeEnd; ++r) {
            AddWholeRow(acc, sourceRow(r), count);
        }
        if (rows.extra > 0.0) {
            AddWeightedRow(acc, sourceRow(job.regionHeight - 1), count, rows.extra);
        }
        if (rows.hasTrail) {
            AddWeightedRow(acc, sourceRow(rows.trail), count, rows.trailWeight);
        }
        std::uint8_t* out = job.dst + i * job.dstStep;
        for (int j = 0; j < job.dstWidth; ++j) {
            const BoxSpan& cols = plan.cols[j];
            for (int c = 0; c < 3; ++c) {
                double sum = 0.0;
                if (cols.hasLead) {
                    sum += acc[3 * cols.lead + c] * cols.leadWeight;
                }
                for (int x = cols.wholeBegin; x < cols.wholeEnd; ++x) {
                    sum += acc[3 * x + c];
                }
                if (cols.extra > 0.0) {
                    sum += acc[3 * (plan.n - 1) + c] * cols.extra;
                }
                if (cols.hasTrail) {
                    sum += acc[3 * cols.trail + c] * cols.trailWeight;
                }
                out[3 * j + c] = MeanByte(static_cast<float>(sum), plan.area);
            }
        }
    }
}

}  // namespace

int RunSuperSample(const ResizeJob& job) {
    const double xInv = 1.0 / job.xFactor;
    const double yInv = 1.0 / job.yFactor;
    SuperSamplePlan plan;
    plan.area = job.xFactor * job.yFactor;
    // Only the columns that the boxes of the destination row reach are added up.
    const std::int64_t reach =
        std::int64_t{TruncToInt32((job.dstWidth + 1.0) * xInv)} + 1;
    plan.n = static_cast<int>(std::min<std::int64_t>(reach, job.regionWidth));

    // Integer sums while the largest box sum fits 32 bits.
    const bool whole = IsWholeBox(xInv) && IsWholeBox(yInv);
    const double largestSum = 255.0 * std::floor(xInv) * std::floor(yInv);
    const bool integer = whole && largestSum <= 4294967295.0;
    // Box sums of small boxes are turned into bytes by table.
    const bool meanByTable = integer && largestSum <= 65535.0;

    plan.rows = AllocateScratch<BoxSpan>(job.dstHeight);
    plan.cols = AllocateScratch<BoxSpan>(job.dstWidth);
    const std::ptrdiff_t accCount = std::ptrdiff_t{plan.n} * 3;
    auto intAcc = integer ? AllocateScratch<std::uint32_t>(accCount) : ScratchTable<std::uint32_t>();
    auto floatAcc = integer ? ScratchTable<float>() : AllocateScratch<float>(accCount);
    auto meanTable = meanByTable ? AllocateScratch<std::uint8_t>(
                                       static_cast<std::ptrdiff_t>(largestSum) + 1)
                                 : ScratchTable<std::uint8_t>();
    if (!plan.rows || !plan.cols || (integer ? !intAcc : !floatAcc) ||
        (meanByTable && !meanTable)) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillBoxSpans(yInv, job.dstHeight, job.regionHeight - 1, plan.rows.get());
    FillBoxSpans(xInv, job.dstWidth, plan.n - 1, plan.cols.get());
    if (integer) {
        if (meanByTable) {
            const auto sums = static_cast<std::ptrdiff_t>(largestSum);
            for (std::ptrdiff_t s = 0; s <= sums; ++s) {
                meanTable[s] = MeanByte(static_cast<double>(s), plan.area);
            }
        }
        RunIntegerBoxes(job, plan, intAcc.get(), meanTable.get());
    } else {
        RunFloatBoxes(job, plan, floatAcc.get());
    }
    return RESIZE_OK;
}

}  // namespace ormidon::resize
