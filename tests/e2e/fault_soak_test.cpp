// The live stream and local recording against a simulated recorder that misbehaves over and
// over: a run of scripted faults of every kind the recorder has, inside the stream and on
// the re-login that follows a dropped stream, with the test clock. After each fault the
// engine streams again; after the last it runs as many threads and holds as many
// descriptors as before, and every record file written on the way is whole.
//
// ORMIDON_SOAK_FAULTS sets how many faults run (default: each kind twice); the full soak is
//   ORMIDON_SOAK_FAULTS=200 ctest --test-dir build-asan -R FaultSoak
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/LiveRecordingTest.h"
#include "core/AppObject.h"
#include "record/RecordFileValidator.h"
#include "sim/SimulatedRecorder.h"

namespace {

using namespace ormidon;
using namespace ormidon::test;
using Kind = sim::StreamFault::Kind;

// One kind of fault: how to script it, and whether the engine has to connect again (and log
// in again more than once) to get over it.
struct SoakFault {
    const char* name;
    std::function<void(sim::SimulatedRecorder&)> script;
    bool reconnects = false;
    bool failsALogin = false;
};

// A fault of the login that follows a dropped stream.
SoakFault LoginFault(const char* name, sim::Fault fault) {
    return {name,
            [fault](sim::SimulatedRecorder& device) {
                device.Server().AddFault(fault);
                device.Video().AddFault({Kind::kClose, 0});
            },
            true, true};
}

SoakFault StreamFault(const char* name, Kind kind, bool reconnects) {
    return {name,
            [kind](sim::SimulatedRecorder& device) {
                device.Video().AddFault({kind, 300});
            },
            reconnects, false};
}

std::vector<SoakFault> Faults() {
    return {
        StreamFault("garbage", Kind::kGarbage, false),
        StreamFault("oversize length", Kind::kOversizeLength, false),
        StreamFault("unknown version", Kind::kUnknownVersion, false),
        StreamFault("split header", Kind::kSplitHeader, false),
        StreamFault("one-byte writes", Kind::kOneByteWrites, false),
        StreamFault("stream closed", Kind::kClose, true),
        StreamFault("stream stalled", Kind::kStall, true),
        LoginFault("login refused", sim::Fault::Status(401, "/Login.cgi")),
        LoginFault("too many users", sim::Fault::Status(202, "/Login.cgi")),
        LoginFault("login closed", sim::Fault::CloseWithoutReply("/Login.cgi")),
        LoginFault("login stalled", sim::Fault::Stall("/Login.cgi")),
        LoginFault("login cut short", sim::Fault::ShortBody(5, "/Login.cgi")),
        LoginFault("device information refused", sim::Fault::Status(401, "/Getdeviceinfo.cgi")),
    };
}

size_t SoakFaultCount(size_t kinds) {
    const char* count = std::getenv("ORMIDON_SOAK_FAULTS");
    return count != nullptr && std::atoi(count) > 0 ? static_cast<size_t>(std::atoi(count))
                                                    : 2 * kinds;
}

class FaultSoakTest : public LiveRecordingTest {
  protected:
    // Frames shown since the test began; the record's count starts again with every login.
    uint64_t FramesShown() {
        const uint32_t now = app.dw_ShownFrames;
        framesShown_ += now >= lastShown_ ? now - lastShown_ : now;
        lastShown_ = now;
        return framesShown_;
    }
    bool ShowMore(uint32_t count) {
        const uint64_t target = FramesShown() + count;
        return WaitUntil([&] { return FramesShown() >= target; });
    }
    // Runs the test clock on until `done` holds, but only while no frames are shown: the
    // pauses of the re-login pass in a moment, and a running stream is never timed out by a
    // clock racing ahead of it. False after 10 minutes of test time, or after 90 s of real
    // time (frames that go on showing stop the test clock, not this wait).
    bool AdvanceWhileNoFrames(const std::function<bool()>& done) {
        using namespace std::chrono;
        uint64_t frames = FramesShown();
        const auto end = steady_clock::now() + seconds(90);
        auto lastFrame = steady_clock::now();
        for (uint32_t advanced = 0; !done();) {
            if (steady_clock::now() > end) return false;
            std::this_thread::sleep_for(milliseconds(1));
            if (FramesShown() != frames) {
                frames = FramesShown();
                lastFrame = steady_clock::now();
            } else if (steady_clock::now() - lastFrame > milliseconds(30)) {
                if (advanced >= 600000) return false;
                clock.Advance(250);
                advanced += 250;
            }
        }
        return true;
    }
    // Threads and descriptors once they stayed the same for 200 ms: threads that were just
    // told to end, and the recorder's finished connections, have gone by then. Nothing when
    // they did not settle within 10 s.
    std::optional<std::pair<size_t, size_t>> SettledCounts() {
        std::pair<size_t, size_t> counts{ThreadCount(), OpenDescriptorCount()};
        int same = 0;
        for (int step = 0; step < 1000; ++step) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const std::pair<size_t, size_t> now{ThreadCount(), OpenDescriptorCount()};
            same = now == counts ? same + 1 : 0;
            counts = now;
            if (same == 20) return counts;
        }
        return std::nullopt;
    }
    // Threads and descriptors settle once the recorder's finished connections are gone.
    bool SameThreadsAndDescriptors(size_t threads, size_t descriptors) {
        return WaitUntil(
            [&] { return ThreadCount() == threads && OpenDescriptorCount() == descriptors; });
    }

    uint64_t framesShown_ = 0;
    uint32_t lastShown_ = 0;
};

TEST_F(FaultSoakTest, StreamsAgainAfterEveryFaultWithNothingLeakedOrLost) {
    LogInForStream(2);
    app.dw_LifeTime = -1;  // the recorder's "LIFETIME", which every re-login reads again
    StartStream();
    // The life-time count, which the main window's initialisation starts with the stream.
    app.h_StartConnectionThreadEvent.Set();
    ASSERT_TRUE(ShowMore(10));
    ASSERT_EQ(app.m_UserRecord.OpenRecordFile(app.CSettingINI.m_strRecordPath), 1);
    ASSERT_TRUE(ShowMore(5));
    clock.Advance(1000);  // the life-time count ends after its first tick
    const auto settled = SettledCounts();
    ASSERT_TRUE(settled) << "threads or descriptors did not settle";
    const auto [threadsBefore, descriptorsBefore] = *settled;

    const std::vector<SoakFault> faults = Faults();
    const size_t count = SoakFaultCount(faults.size());
    for (size_t n = 0; n < count; ++n) {
        const SoakFault& fault = faults[n % faults.size()];
        SCOPED_TRACE(std::to_string(n) + ": " + fault.name);
        // Alarms come and go meanwhile, so alarm recordings start and end across the faults.
        if (n % 5 == 0) device.Video().SetEvents(n % 10 == 0 ? 0x0001 : 0, 0, false);

        const size_t requests = StreamRequests();
        const size_t logins = LoginRequests();
        const uint64_t shown = FramesShown();
        fault.script(device);
        const auto recovered = [&] {
            return StreamRequests() >= requests + (fault.reconnects ? 1 : 0) &&
                   LoginRequests() >= logins + (fault.failsALogin ? 2 : 0) &&
                   FramesShown() >= shown + 5;
        };
        if (fault.reconnects) {
            ASSERT_TRUE(AdvanceWhileNoFrames(recovered));
        } else {
            ASSERT_TRUE(WaitUntil(recovered));
        }
        device.Server().EndStalls();
    }

    // Streaming again, with no alarm recording open.
    device.Video().SetEvents(0, 0, false);
    ASSERT_TRUE(WaitUntil([&] { return app.m_AlarmRecord.m_fAlarmRecordActive == 0; }));
    ASSERT_TRUE(ShowMore(10));
    EXPECT_EQ(app.f_VideoServerConnected, 1);
    clock.Advance(1000);  // as before: the last login's life-time count ends at its first tick
    EXPECT_TRUE(SameThreadsAndDescriptors(threadsBefore, descriptorsBefore))
        << "threads " << ThreadCount() << " (before " << threadsBefore << "), descriptors "
        << OpenDescriptorCount() << " (before " << descriptorsBefore << ")";

    // Every file is whole; the user recording went on in its file across every re-login.
    ASSERT_TRUE(app.m_UserRecord.IsRecording());
    app.m_UserRecord.StopRecord();
    size_t userFiles = 0;
    size_t alarmFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(records.path())) {
        const RecordFileCheck check = ValidateRecordFile(entry.path());
        EXPECT_TRUE(check.valid) << entry.path() << ": " << check.error;
        const std::string name = entry.path().filename().string();
        if (name.rfind("USER_MJPEG_", 0) == 0) ++userFiles;
        if (name.rfind("ALARM_MJPEG_", 0) == 0) ++alarmFiles;
    }
    EXPECT_GE(userFiles, 1u);
    EXPECT_GE(alarmFiles, 1u);

    // One database entry per alarm file, each with the file's frame count.
    SystemConfig& db = g_SystemConfig;
    ASSERT_EQ(db.AlarmDB_LoadItems(), 1);
    EXPECT_EQ(db.m_wAlarmDBCount, alarmFiles);
    for (uint16_t i = 0; i < db.m_wAlarmDBCount; ++i) {
        const AlarmDBItem_Struct& item = db.m_lpAlarmDBItem_Struct[i];
        EXPECT_EQ(ValidateRecordFile(std::filesystem::path(item.path)).frames.size(), item.frames)
            << item.path;
    }
    db.AlarmDB_FreeBuffer();
}

}  // namespace
