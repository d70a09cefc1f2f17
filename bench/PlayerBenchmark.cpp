// The playback program against bare decoding: a record file of 704 x 480 frames is shown
// frame by frame at unlimited speed (the player's own path: read, decode, turn upright for
// the screen), and the same JPEGs are decoded bare in the same run. Prints play_vs_decode:
// frames shown per second over bare decodes per second (goal >= 0.90).
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "PlayerWindow.h"
#include "platform/JpegCodec.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"

namespace {

constexpr int kWidth = 704, kHeight = 480, kFrames = 200;

std::vector<uint8_t> Picture(int frame) {
    std::vector<uint8_t> bgr(ormidon::BgrPictureBytes(kWidth, kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            p[0] = static_cast<uint8_t>(x + frame * 3);
            p[1] = static_cast<uint8_t>(y * 2);
            p[2] = static_cast<uint8_t>((x ^ y) + frame);
        }
    }
    return bgr;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ormidon-bench-player-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    ormidon::JpegCodec codec;
    std::vector<std::vector<uint8_t>> jpegs;
    RecordFile file;
    RecordHeader_Struct header;
    header.recordType = kUserRecording;
    if (!file.Create(folder.string() + "/", "BENCH", header) || !file.WriteHeader()) return 1;
    for (int i = 0; i < kFrames; ++i) {
        std::vector<uint8_t> jpeg;
        codec.Encode(Picture(i % 25), kWidth, kHeight, 75, jpeg);
        PreRecordFrame_Struct frame;
        frame.length = static_cast<uint32_t>(jpeg.size());
        frame.timeStamp = static_cast<uint32_t>(40 * i);
        frame.width = kWidth, frame.height = kHeight;
        if (!file.WriteFrame(frame, jpeg)) return 1;
        jpegs.push_back(std::move(jpeg));
    }
    const std::string path = file.Path();
    if (!file.Finish()) return 1;

    PlayerWindow player;
    if (!player.Load(path)) return 1;
    std::vector<uint8_t> picture(ormidon::BgrPictureBytes(kWidth, kHeight));
    double bestDecode = 1e9, bestShow = 1e9;
    for (int round = 0; round < 5; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (const auto& jpeg : jpegs) {
            int w = 0, h = 0;
            codec.Decode(jpeg, picture, w, h);
        }
        bestDecode = std::min(bestDecode, Seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < player.FrameCount(); ++i) player.ShowFrame(i);
        bestShow = std::min(bestShow, Seconds(std::chrono::steady_clock::now() - start));
    }
    std::filesystem::remove_all(folder);
    const double decodeRate = kFrames / bestDecode, showRate = kFrames / bestShow;
    std::printf("player_decodes_per_s: %.0f\n", decodeRate);
    std::printf("player_frames_shown_per_s: %.0f\n", showRate);
    std::printf("play_vs_decode: %.2f\n", showRate / decodeRate);
    return 0;
}
