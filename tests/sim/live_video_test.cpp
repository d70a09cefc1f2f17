#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <string>

#include "RawHttp.h"
#include "sim/SimulatedRecorder.h"

using namespace ormidon::sim;
using namespace std::chrono_literals;

namespace {

class LiveVideoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        recorder.Video().SetSetup({.framesPerSecond = 0});
        ASSERT_TRUE(recorder.Start());
    }

    // Logs in, asks for device information with `query` and opens the stream.
    int OpenStream(const std::string& query) {
        cookie = simtest::LogIn(recorder.Port());
        simtest::Get(recorder.Port(), "/Getdeviceinfo.cgi?Cookie=" + cookie + query);
        const int fd = simtest::ConnectLoopback(recorder.Port());
        const std::string request = "GET /Getvideo.cgi?Cookie=" + cookie + " HTTP/1.1\r\n\r\n";
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        return fd;
    }

    // Reads until `count` bytes (and no more) arrived, the stream closed or a second passed.
    static std::string Read(int fd, std::size_t count) {
        std::string bytes;
        char buffer[65536];
        while (bytes.size() < count) {
            pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0) break;
            const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    SimulatedRecorder recorder;
    std::string cookie;  // of the last OpenStream
};

uint32_t Le(const std::string& bytes, std::size_t offset, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

void ExpectJpegOfSize(const std::string& jpeg, int width, int height) {
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 4), "\xFF\xD8\xFF\xDB");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    tjhandle handle = tjInitDecompress();
    int w = 0;
    int h = 0;
    int subsampling = 0;
    int colourspace = 0;
    EXPECT_EQ(tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.data()),
                                  jpeg.size(), &w, &h, &subsampling, &colourspace),
              0);
    tjDestroy(handle);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

}  // namespace

TEST_F(LiveVideoTest, EachLayoutCarriesTheFamilyPictureSize) {
    struct Case {
        const char* product;
        const char* query;
        std::size_t headerLength;
        std::size_t lengthOffset;
        int lengthSize;
        int width, height;
    };
    // The header lengths follow from the fields the recorder sends in each layout.
    const Case cases[] = {
        {"P51K", "", 25, 4, 4, 640, 228},
        {"P51K", "&NEWHR=2&RES=1", 31, 4, 4, 320, 228},
        {"P62K", "&NEWHR=1", 27, 2, 2, 704, 240},
        {"T18D", "&NEWHR=1&RES=2", 27, 2, 2, 160, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.product) + c.query);
        recorder.SetIdentity({c.product, "1060", "00A0B1C2D3E4", "sim", 0});
        const int fd = OpenStream(c.query);
        const std::string bytes = Read(fd, 200000);
        close(fd);
        ASSERT_GT(bytes.size(), c.headerLength);
        const uint32_t length = Le(bytes, c.lengthOffset, c.lengthSize);
        ASSERT_GE(bytes.size(), c.headerLength + length);
        ExpectJpegOfSize(bytes.substr(c.headerLength, length), c.width, c.height);
        // The next frame starts right behind it.
        const std::size_t next = c.headerLength + length;
        ASSERT_GT(bytes.size(), next + c.headerLength + 4);
        EXPECT_EQ(bytes.substr(next + c.headerLength, 4), "\xFF\xD8\xFF\xDB");
    }
}

TEST_F(LiveVideoTest, ScriptedFaultsShapeTheNextFrame) {
    recorder.Video().SetSetup({.framesPerSecond = 0, .width = 64, .height = 48});
    recorder.Video().AddFault({StreamFault::Kind::kGarbage, 10});
    int fd = OpenStream("&NEWHR=1");
    std::string bytes = Read(fd, 5000);
    close(fd);
    ASSERT_TRUE(recorder.Video().WaitForActiveStreams(0, 5s));
    ASSERT_GT(bytes.size(), 40u);
    EXPECT_EQ(bytes.substr(0, 10), std::string(10, '\x5A'));
    EXPECT_EQ(Le(bytes, 10, 2), 1u);  // then a version-1 header

    recorder.Video().AddFault({StreamFault::Kind::kClose, 0});
    fd = OpenStream("&NEWHR=1");
    bytes = Read(fd, 1 << 20);
    close(fd);
    ASSERT_TRUE(recorder.Video().WaitForActiveStreams(0, 5s));
    const std::size_t whole = 27 + Le(bytes, 2, 2);
    EXPECT_EQ(bytes.size(), whole / 2);  // half a frame, then the recorder hung up

    recorder.Video().SetEvents(0x0003, 0x0004, true);
    recorder.Video().AddFault({StreamFault::Kind::kUnknownVersion, 0});
    fd = OpenStream("&NEWHR=2");
    bytes = Read(fd, 200);
    close(fd);
    ASSERT_GT(bytes.size(), 31u);
    EXPECT_EQ(Le(bytes, 0, 2), 7u);
    EXPECT_EQ(Le(bytes, 12, 2), 0x0004u);           // motion
    EXPECT_EQ(Le(bytes, 14, 2), 0x0003u);           // alarm inputs
    EXPECT_EQ(Le(bytes, 28, 2) & 0x0004, 0x0004u);  // video loss in the extension
}

TEST_F(LiveVideoTest, RunningStreamFollowsTheSessionsResolutionQualityAndChannel) {
    recorder.SetIdentity({"P51K", "1060", "00A0B1C2D3E4", "sim", 0});
    // Paced, so that few frames wait in the socket when the change comes.
    recorder.Video().SetSetup({.framesPerSecond = 100});
    const int fd = OpenStream("&NEWHR=2&RES=0&QUA=0&CH=3");
    // Version-2 header: 31 bytes, the length at 4, the channel in the high half of byte 9.
    std::string bytes = Read(fd, 31);
    ASSERT_GE(bytes.size(), 31u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[9]) >> 4, 3);
    ExpectJpegOfSize(Read(fd, Le(bytes, 4, 4)), 640, 228);

    const auto set = [&](const std::string& command) {
        return simtest::StatusLineOf(
            simtest::Get(recorder.Port(), command + "&Cookie=" + cookie).reply);
    };
    EXPECT_EQ(set("/Setresolution.cgi?RES=1"), "HTTP/1.1 200 OK");
    EXPECT_EQ(set("/Setquality.cgi?QUA=2"), "HTTP/1.1 200 OK");
    EXPECT_EQ(set("/SetChannel.cgi?CH=12"), "HTTP/1.1 200 OK");
    for (const char* refused : {"/Setresolution.cgi?RES=3", "/Setquality.cgi?QUA=x",
                                "/SetChannel.cgi?CH=17", "/SetChannel.cgi?CH="}) {
        EXPECT_EQ(set(refused), "HTTP/1.1 400 Bad Request") << refused;
    }
    const auto state = recorder.SessionState(cookie);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->resolution, 1);
    EXPECT_EQ(state->quality, 2);
    EXPECT_EQ(state->channel, 12);

    // Frames already on their way keep the old shape; a later one shows the new.
    bool changed = false;
    for (int frame = 0; frame < 100 && !changed; ++frame) {
        bytes = Read(fd, 31);
        ASSERT_EQ(bytes.size(), 31u);
        const uint32_t length = Le(bytes, 4, 4);
        const std::string jpeg = Read(fd, length);
        ASSERT_EQ(jpeg.size(), length);
        if (static_cast<uint8_t>(bytes[9]) >> 4 == 12) {
            ExpectJpegOfSize(jpeg, 320, 228);
            EXPECT_EQ(bytes[30], 1);  // the half-size resolution in the extension
            changed = true;
        }
    }
    close(fd);
    EXPECT_TRUE(changed);
}

TEST_F(LiveVideoTest, ColourValuesAnswerAsKeyList) {
    OpenStream("");
    const auto colour = [&] {
        return simtest::BodyOf(
            simtest::Get(recorder.Port(), "/GetColor.cgi?Cookie=" + cookie).reply);
    };
    EXPECT_EQ(colour(), "BRI=0;CON=128;HUE=0;");
    recorder.SetColourReply("BRI=7;HUE=3;");
    EXPECT_EQ(colour(), "BRI=7;HUE=3;");
}

TEST_F(LiveVideoTest, HeadersReportRetrAndTheCameraSensorOnceSet) {
    recorder.SetIdentity({"T18D", "0003", "00A0B1C2D3E4", "sim", 0});
    const auto header = [&] {
        const int fd = OpenStream("&NEWHR=1");
        const std::string bytes = Read(fd, 40);
        close(fd);
        return bytes;
    };
    // Extension at offset 22: 50, 0, its flag word, then the resolution byte.
    std::string bytes = header();
    ASSERT_GE(bytes.size(), 27u);
    EXPECT_EQ(Le(bytes, 24, 2), 0x0001u);

    const std::string session = "?Cookie=" + cookie;
    simtest::Get(recorder.Port(), "/SetRetr.cgi" + session + "&SET=1");
    simtest::Get(recorder.Port(), "/OV9653Zoom.cgi" + session + "&MODE=4");
    simtest::Get(recorder.Port(), "/OV9653Rotate.cgi" + session + "&HR=0&VR=1");
    bytes = header();
    ASSERT_GE(bytes.size(), 29u);
    EXPECT_EQ(Le(bytes, 24, 2), 0x0013u);
    EXPECT_EQ(Le(bytes, 27, 1), 1u);     // R.E.T.R. on
    EXPECT_EQ(Le(bytes, 28, 1), 0x44u);  // quarter frame 4, mirrored vertically
}
