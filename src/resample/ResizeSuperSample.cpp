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
#include "SuperSampleHalving.h"
#include "WideVectors.h"

namespace ormidon::resize {

namespace {

// The destination byte of a box sum: the low 8 bits of the rounded mean. The weights of a box
// add up to its area, so the mean normally lies in 0..255.
std::uint8_t MeanByte(double boxSum, double area) {
    return static_cast<std::uint8_t>(TruncToInt32(boxSum * area + 0.5));
}

// Sets the integer accumulators to the sum of rowCount consecutive source rows, n pixels each.
template <typename Sum>
ORMIDON_RESIZE_BODY void SuperSampleRowSum_8u_C3(const std::uint8_t* src, std::ptrdiff_t srcStep,
                                                 int n, int rowCount, Sum* acc) {
    const int count = n * 3;
    int r = 0;
    // Clearing and adding the first two rows, in one pass.
    if (rowCount >= 2) {
        const std::uint8_t* first = src;
        const std::uint8_t* second = src + srcStep;
        for (int k = 0; k < count; ++k) {
            acc[k] = static_cast<Sum>(first[k] + second[k]);
        }
        r = 2;
    } else {
        std::fill(acc, acc + count, Sum{0});
    }
    for (; r < rowCount; ++r) {
        const std::uint8_t* row = src + r * srcStep;
        for (int k = 0; k < count; ++k) {
            acc[k] = static_cast<Sum>(acc[k] + row[k]);
        }
    }
}

struct SuperSamplePlan {
    ScratchTable<BoxSpan> rows;
    ScratchTable<BoxSpan> cols;
    int n = 0;  // columns read
    double area = 0.0;
};

template <typename Sum, typename ToByte>
void ForEachSample(const Sum* sums, std::ptrdiff_t pixelStride, int pixels, std::uint8_t* out,
                   ToByte toByte) {
    for (int j = 0; j < pixels; ++j) {
        const Sum* sum = sums + j * pixelStride;
        out[3 * j] = toByte(sum[0]);
        out[3 * j + 1] = toByte(sum[1]);
        out[3 * j + 2] = toByte(sum[2]);
    }
}

// Turns integer box sums into destination bytes.
class IntegerMean {
  public:
    IntegerMean(double area, const std::uint8_t* table) : area_(area), table_(table) {
        // An area of 2^-k makes sum * area + 0.5 exact: the byte is then (sum + 2^(k-1)) >> k.
        int exponent = 0;
        const double mantissa = std::frexp(area, &exponent);
        shift_ = mantissa == 0.5 && exponent <= 0 && exponent > -31 ? 1 - exponent : -1;
    }

    // True when a sum turns into its byte by a shift alone.
    bool ByShift() const { return shift_ > 0; }

    // Converts count sums in a row, by shift only.
    template <typename Sum>
    ORMIDON_RESIZE_BODY void ConvertByShift(const Sum* sums, int count, std::uint8_t* out) const {
        const unsigned half = 1u << (shift_ - 1);
        const unsigned shift = static_cast<unsigned>(shift_);
        for (int k = 0; k < count; ++k) {
            out[k] = static_cast<std::uint8_t>((sums[k] + half) >> shift);
        }
    }

    // Writes pixels destination pixels from the box sums of pixel j at sums + j * pixelStride.
    template <typename Sum>
    void Convert(const Sum* sums, std::ptrdiff_t pixelStride, int pixels, std::uint8_t* out) const {
        if (shift_ > 0) {
            const std::uint64_t half = std::uint64_t{1} << (shift_ - 1);
            ForEachSample(sums, pixelStride, pixels, out, [&](std::uint32_t sum) {
                return static_cast<std::uint8_t>((sum + half) >> shift_);
            });
        } else if (table_ != nullptr) {
            ForEachSample(sums, pixelStride, pixels, out,
                          [&](std::uint32_t sum) { return table_[sum]; });
        } else {
            ForEachSample(sums, pixelStride, pixels, out,
                          [&](std::uint32_t sum) { return MeanByte(sum, area_); });
        }
    }

  private:
    double area_;
    const std::uint8_t* table_;
    int shift_;
};

// Whole boxes in both directions with sums that fit 32 bits (Sum is 32 bits wide, or 16 bits
// when every box sum fits them: the sums are the same, the work half).
template <typename Sum>
ORMIDON_RESIZE_BODY void RunIntegerBoxes(const ResizeJob& job, const SuperSamplePlan& plan,
                                         Sum* acc, Sum* boxSums, std::uint8_t* bytes,
                                         const IntegerMean& mean) {
    const int count = plan.n * 3;
    const std::ptrdiff_t last = std::ptrdiff_t{plan.n - 1} * 3;
    // Boxes that all lie inside the accumulated columns, one after the other, are summed by
    // adding shifted copies of the accumulator row.
    const BoxSpan& lastBox = plan.cols[job.dstWidth - 1];
    const int boxWidth = plan.cols[0].wholeEnd - plan.cols[0].wholeBegin;
    const bool regular = lastBox.extra == 0.0 && plan.cols[0].wholeBegin == 0 &&
                         lastBox.wholeEnd == std::int64_t{job.dstWidth} * boxWidth;
    const int boxSumCount = regular ? 3 * ((job.dstWidth - 1) * boxWidth + 1) : 0;
    for (int i = 0; i < job.dstHeight; ++i) {
        const BoxSpan& rows = plan.rows[i];
        SuperSampleRowSum_8u_C3(job.srcStart + rows.wholeBegin * job.srcStep, job.srcStep, plan.n,
                                rows.wholeEnd - rows.wholeBegin, acc);
        if (rows.extra > 0.0) {
            const auto times = static_cast<std::uint32_t>(rows.extra);
            const std::uint8_t* row = job.srcStart + (job.regionHeight - 1) * job.srcStep;
            for (int k = 0; k < count; ++k) {
                acc[k] = static_cast<Sum>(acc[k] + row[k] * times);
            }
        }
        std::uint8_t* out = job.dst + i * job.dstStep;
        if (regular) {
            // boxSums[k] = acc[k] + acc[k + 3] + ... ; box j starts at k = 3 * j * boxWidth.
            if (boxWidth == 1) {
                std::copy(acc, acc + boxSumCount, boxSums);
            } else {
                const Sum* next = acc + 3;
                for (int k = 0; k < boxSumCount; ++k) {
                    boxSums[k] = static_cast<Sum>(acc[k] + next[k]);
                }
            }
            for (int t = 2; t < boxWidth; ++t) {
                const Sum* shifted = acc + 3 * t;
                for (int k = 0; k < boxSumCount; ++k) {
                    boxSums[k] = static_cast<Sum>(boxSums[k] + shifted[k]);
                }
            }
            if (mean.ByShift()) {
                // Convert every sum, then keep the first pixel of each box.
                mean.ConvertByShift(boxSums, boxSumCount, bytes);
                const std::ptrdiff_t boxStep = std::ptrdiff_t{3} * boxWidth;
                for (int j = 0; j + 1 < job.dstWidth; ++j) {
                    std::memcpy(out + 3 * j, bytes + j * boxStep, 4);  // the fourth is rewritten
                }
                std::memcpy(out + 3 * (job.dstWidth - 1), bytes + (job.dstWidth - 1) * boxStep, 3);
            } else {
                mean.Convert(boxSums, std::ptrdiff_t{3} * boxWidth, job.dstWidth, out);
            }
            continue;
        }
        for (int j = 0; j < job.dstWidth; ++j) {
            const BoxSpan& cols = plan.cols[j];
            const auto times = static_cast<std::uint32_t>(cols.extra);
            for (int c = 0; c < 3; ++c) {
                std::uint32_t sum = acc[last + c] * times;
                for (int x = cols.wholeBegin; x < cols.wholeEnd; ++x) {
                    sum += acc[3 * x + c];
                }
                boxSums[3 * j + c] = static_cast<Sum>(sum);
            }
        }
        mean.Convert(boxSums, 3, job.dstWidth, out);
    }
}

// acc = acc + sample * weight, in double precision, kept in single precision.
ORMIDON_RESIZE_BODY void AddWeightedRow(float* acc, const std::uint8_t* row, int count,
                                        double weight) {
    for (int k = 0; k < count; ++k) {
        acc[k] = static_cast<float>(acc[k] + row[k] * weight);
    }
}

// acc = acc + sample in double precision, kept in single precision. Rounding the double sum of
// a float and a byte to float gives the single-precision sum, so that is what is computed.
ORMIDON_RESIZE_BODY void AddWholeRow(float* acc, const std::uint8_t* row, int count) {
    for (int k = 0; k < count; ++k) {
        acc[k] += static_cast<float>(row[k]);
    }
}

ORMIDON_RESIZE_BODY void RunFloatBoxes(const ResizeJob& job, const SuperSamplePlan& plan,
                                       float* acc) {
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

// The baseline and AVX2 copies of the two box loops.
template <typename Sum>
void RunIntegerBoxesBaseline(const ResizeJob& job, const SuperSamplePlan& plan, Sum* acc,
                             Sum* boxSums, std::uint8_t* bytes, const IntegerMean& mean) {
    RunIntegerBoxes(job, plan, acc, boxSums, bytes, mean);
}

void RunFloatBoxesBaseline(const ResizeJob& job, const SuperSamplePlan& plan, float* acc) {
    RunFloatBoxes(job, plan, acc);
}

#if ORMIDON_RESIZE_HAS_AVX2
template <typename Sum>
ORMIDON_RESIZE_AVX2 void RunIntegerBoxesWide(const ResizeJob& job, const SuperSamplePlan& plan,
                                             Sum* acc, Sum* boxSums, std::uint8_t* bytes,
                                             const IntegerMean& mean) {
    RunIntegerBoxes(job, plan, acc, boxSums, bytes, mean);
}

ORMIDON_RESIZE_AVX2 void RunFloatBoxesWide(const ResizeJob& job, const SuperSamplePlan& plan,
                                           float* acc) {
    RunFloatBoxes(job, plan, acc);
}
#endif

void RunFloatBoxesCopy(const ResizeJob& job, const SuperSamplePlan& plan, float* acc) {
#if ORMIDON_RESIZE_HAS_AVX2
    if (WideVectorsInUse()) {
        RunFloatBoxesWide(job, plan, acc);
        return;
    }
#endif
    RunFloatBoxesBaseline(job, plan, acc);
}

template <typename Sum>
int RunIntegerBoxesWith(const ResizeJob& job, const SuperSamplePlan& plan, std::ptrdiff_t count,
                        const IntegerMean& mean) {
    auto acc = AllocateScratch<Sum>(count);
    auto boxSums = AllocateScratch<Sum>(count);
    auto bytes = AllocateScratch<std::uint8_t>(count);
    if (!acc || !boxSums || !bytes) {
        return RESIZE_ERR_NO_MEMORY;
    }
#if ORMIDON_RESIZE_HAS_AVX2
    if (WideVectorsInUse()) {
        RunIntegerBoxesWide(job, plan, acc.get(), boxSums.get(), bytes.get(), mean);
        return RESIZE_OK;
    }
#endif
    RunIntegerBoxesBaseline(job, plan, acc.get(), boxSums.get(), bytes.get(), mean);
    return RESIZE_OK;
}

}  // namespace

int ResizeSuperSample_8u_C3(const ResizeJob& job) {
    if (IsExactHalving(job)) {
        RunHalving(job);
        return RESIZE_OK;
    }
    const double xInv = 1.0 / job.xFactor;
    const double yInv = 1.0 / job.yFactor;
    SuperSamplePlan plan;
    plan.area = job.xFactor * job.yFactor;
    // Only the columns that the boxes of the destination row reach are added up.
    const std::int64_t reach = std::int64_t{TruncToInt32((job.dstWidth + 1.0) * xInv)} + 1;
    plan.n = static_cast<int>(std::min<std::int64_t>(reach, job.regionWidth));

    // Integer sums while the largest box sum fits 32 bits.
    const bool whole = IsWholeBox(xInv) && IsWholeBox(yInv);
    const double largestSum = 255.0 * std::floor(xInv) * std::floor(yInv);
    const bool integer = whole && largestSum <= 4294967295.0;
    // Box sums of small boxes are turned into bytes by table.
    const bool meanByTable = integer && largestSum <= 65535.0;

    plan.rows = AllocateScratch<BoxSpan>(job.dstHeight);
    plan.cols = AllocateScratch<BoxSpan>(job.dstWidth);
    if (!plan.rows || !plan.cols) {
        return RESIZE_ERR_NO_MEMORY;
    }
    FillBoxSpans(yInv, job.dstHeight, job.regionHeight - 1, plan.rows.get());
    FillBoxSpans(xInv, job.dstWidth, plan.n - 1, plan.cols.get());
    const std::ptrdiff_t accCount = std::ptrdiff_t{plan.n} * 3;
    if (integer) {
        auto meanTable =
            meanByTable ? AllocateScratch<std::uint8_t>(static_cast<std::ptrdiff_t>(largestSum) + 1)
                        : ScratchTable<std::uint8_t>();
        if (meanByTable && !meanTable) {
            return RESIZE_ERR_NO_MEMORY;
        }
        if (meanByTable) {
            const auto sums = static_cast<std::ptrdiff_t>(largestSum);
            for (std::ptrdiff_t s = 0; s <= sums; ++s) {
                meanTable[s] = MeanByte(static_cast<double>(s), plan.area);
            }
        }
        const IntegerMean mean(plan.area, meanTable.get());
        if (largestSum <= 65535.0) {
            return RunIntegerBoxesWith<std::uint16_t>(job, plan, accCount, mean);
        }
        return RunIntegerBoxesWith<std::uint32_t>(job, plan, accCount, mean);
    }
    auto floatAcc = AllocateScratch<float>(accCount);
    if (!floatAcc) {
        return RESIZE_ERR_NO_MEMORY;
    }
    RunFloatBoxesCopy(job, plan, floatAcc.get());
    return RESIZE_OK;
}

}  // namespace ormidon::resize
