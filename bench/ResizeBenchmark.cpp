// Times ResizeImage against OpenCV's cv::resize, both single-threaded and in one run, on the
// calls the program makes (line doubling with the linear mode, window fitting with the nearest
// mode) and on the other modes against their nearest OpenCV counterparts. Prints one line per
// case: OpenCV's time divided by ours (above 1 means ours is faster).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "ResizeImage.h"

namespace {

struct ResizeCase {
    const char* mode;  // as printed
    int interpolation;
    int cvInterpolation;
    int srcW, srcH, dstW, dstH;
    bool lineDoubling;  // x factor 1.0, y factor 2.0; otherwise destination size / source size
};

const ResizeCase kCases[] = {
    {"linear", RESIZE_LINEAR, cv::INTER_LINEAR, 704, 240, 704, 480, true},
    {"linear", RESIZE_LINEAR, cv::INTER_LINEAR, 720, 288, 720, 576, true},
    {"nearest", RESIZE_NEAREST, cv::INTER_NEAREST, 720, 576, 1920, 1080, false},
    {"nearest", RESIZE_NEAREST, cv::INTER_NEAREST, 720, 576, 1366, 768, false},
    {"nearest", RESIZE_NEAREST, cv::INTER_NEAREST, 720, 576, 352, 288, false},
    {"cubic", RESIZE_CUBIC, cv::INTER_CUBIC, 720, 576, 1366, 768, false},
    {"cubic", RESIZE_CUBIC, cv::INTER_CUBIC, 720, 576, 352, 288, false},
    {"lanczos", RESIZE_LANCZOS, cv::INTER_LANCZOS4, 720, 576, 1366, 768, false},
    {"lanczos", RESIZE_LANCZOS, cv::INTER_LANCZOS4, 720, 576, 352, 288, false},
    {"supersample", RESIZE_SUPERSAMPLE, cv::INTER_AREA, 720, 576, 360, 288, false},
    {"supersample", RESIZE_SUPERSAMPLE, cv::INTER_AREA, 720, 576, 288, 230, false},
};

std::string CaseName(const ResizeCase& c) {
    std::string name = std::to_string(c.srcW) + "x" + std::to_string(c.srcH) + "_to_" +
                       std::to_string(c.dstW) + "x" + std::to_string(c.dstH);
    return c.lineDoubling ? name + "_line_doubling" : name;
}

cv::Mat TestPicture(int width, int height) {
    cv::Mat picture(height, width, CV_8UC3);
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> noise(0, 40);
    for (int y = 0; y < height; ++y) {
        auto* row = picture.ptr<std::uint8_t>(y);
        for (int x = 0; x < width * 3; ++x) {
            // A smooth gradient with noise, roughly like a camera picture.
            row[x] = static_cast<std::uint8_t>((x / 3 + y + x % 3 * 60) % 216 + noise(rng));
        }
    }
    return picture;
}

void BM_Ours(benchmark::State& state, const ResizeCase& c) {
    const cv::Mat src = TestPicture(c.srcW, c.srcH);
    cv::Mat dst(c.dstH, c.dstW, CV_8UC3, cv::Scalar::all(0));
    const double xFactor = c.lineDoubling ? 1.0 : static_cast<double>(c.dstW) / c.srcW;
    const double yFactor = c.lineDoubling ? 2.0 : static_cast<double>(c.dstH) / c.srcH;
    for (auto _ : state) {
        const int status = ResizeImage(src.data, {c.srcW, c.srcH}, static_cast<int>(src.step),
                                       {0, 0, c.srcW, c.srcH}, dst.data, static_cast<int>(dst.step),
                                       {c.dstW, c.dstH}, xFactor, yFactor, c.interpolation);
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
}

void BM_OpenCv(benchmark::State& state, const ResizeCase& c) {
    const cv::Mat src = TestPicture(c.srcW, c.srcH);
    cv::Mat dst(c.dstH, c.dstW, CV_8UC3, cv::Scalar::all(0));
    for (auto _ : state) {
        cv::resize(src, dst, cv::Size(c.dstW, c.dstH), 0, 0, c.cvInterpolation);
        benchmark::DoNotOptimize(dst.data);
        benchmark::ClobberMemory();
    }
}

// Collects the median time of every benchmark besides the usual console output.
class MedianCollector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Median(const std::string& name) const {
        const auto found = medians_.find(name);
        return found == medians_.end() ? 0.0 : found->second;
    }

  private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    std::vector<std::pair<std::string, std::string>> pairs;  // (ours, OpenCV's) per case
    for (const ResizeCase& c : kCases) {
        const std::string name = std::string(c.mode) + "/" + CaseName(c);
        const std::string ours = "ours/" + name;
        const std::string theirs = "opencv/" + name;
        benchmark::RegisterBenchmark(ours.c_str(), BM_Ours, c)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(theirs.c_str(), BM_OpenCv, c)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMicrosecond);
        pairs.emplace_back(ours, theirs);
    }
    benchmark::Initialize(&argc, argv);
    MedianCollector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // The leading newline keeps the lines clear of the reporter's last colour code.
    std::printf(
        "\nnote: the geometry differs by design: ours maps the region's first and last pixels "
        "(pixel centres in nearest mode), OpenCV maps pixel centres with its own taps and edges; "
        "the outputs are not meant to be equal\n");
    std::size_t k = 0;
    for (const ResizeCase& c : kCases) {
        const double ours = reporter.Median(pairs[k].first);
        const double theirs = reporter.Median(pairs[k].second);
        ++k;
        if (ours > 0.0 && theirs > 0.0) {
            std::printf("resize %s %s speed_vs_opencv: %.2f\n", c.mode, CaseName(c).c_str(),
                        theirs / ours);
        }
    }
    return 0;
}
