#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "../support/EngineHarness.h"
#include "../support/TempFolder.h"
#include "../support/WaveFileBytes.h"
#include "core/AppObject.h"
#include "platform/AudioOut.h"
#include "platform/Paths.h"
#include "platform/RecordingAudioOut.h"
#include "platform/Thread.h"
#include "record/AlarmSound.h"
#include "record/AlarmSoundThread.h"
#include "record/AlarmWave.h"
#include "record/LittleEndian.h"

namespace {

using namespace std::chrono_literals;
using ormidon::test::TempFolder;
using ormidon::test::WriteFile;
using namespace ormidon::test::wave;

std::string Samples(size_t count) {
    std::string samples(count, '\0');
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<char>(i * 7 + 1);
    return samples;
}

class AlarmWaveTest : public ::testing::Test {
  protected:
    AlarmWaveTest() { ormidon::SetProgramFolderForTesting(program_.path()); }
    ~AlarmWaveTest() override { ormidon::SetProgramFolderForTesting({}); }

    TempFolder folder_;
    TempFolder program_;
    CAlarmWave wave_;
};

TEST_F(AlarmWaveTest, LoadsTheSamplesBehindTheFormat) {
    const std::string samples = Samples(301);
    struct Case {
        const char* what;
        std::string file;
        uint16_t bits;
        size_t samples;
    } cases[] = {
        {"16-bit", Wave(FormatChunk(1, 22050, 16) + Chunk("data", samples)), 16, 301},
        {"8-bit stereo", Wave(FormatChunk(2, 8000, 8) + Chunk("data", samples)), 8, 301},
        {"LIST chunk between",
         Wave(FormatChunk(1, 8000, 8) + Chunk("LIST", "INFOISFT" + U32(5) + "Tone\0\0") +
              Chunk("data", samples)),
         8, 301},
        {"odd chunk with pad byte",
         Wave(FormatChunk(1, 8000, 8) + Chunk("junk", "abc") + Chunk("data", samples)), 8, 301},
        {"data in capitals", Wave(FormatChunk(1, 8000, 16) + Chunk("DATA", samples)), 16, 301},
        {"longer format chunk",
         Wave(Chunk("fmt ", FormatChunk(1, 8000, 8).substr(8) + U16(0), 18) +
              Chunk("data", samples)),
         8, 301},
        {"data longer than the file",
         Wave(FormatChunk(1, 8000, 8) + Chunk("data", samples, 100000).substr(0, 8 + 301)), 8, 301},
    };
    for (const Case& c : cases) {
        const auto file = folder_ / "alarm.wav";
        WriteFile(file, c.file);
        ASSERT_EQ(wave_.LoadWaveFile(file.string()), 1) << c.what;
        ASSERT_NE(wave_.m_lpWaveBlock, nullptr);
        EXPECT_EQ(wave_.m_lpWaveBlock->format.bitsPerSample, c.bits) << c.what;
        EXPECT_EQ(
            std::string(wave_.m_lpWaveBlock->samples.begin(), wave_.m_lpWaveBlock->samples.end()),
            samples.substr(0, c.samples))
            << c.what;
    }
}

TEST_F(AlarmWaveTest, RefusesWhatIsNoWaveFile) {
    const std::string samples = Samples(100);
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"not RIFF", "RIFX" + Wave(FormatChunk(1, 8000, 8) + Chunk("data", samples)).substr(4)},
        {"not WAVE", Wave(FormatChunk(1, 8000, 8) + Chunk("data", samples)).replace(8, 4, "AVI ")},
        {"no format", Wave(Chunk("data", samples))},
        {"short format", Wave(Chunk("fmt ", std::string(10, '\1')) + Chunk("data", samples))},
        {"no channels", Wave(FormatChunk(0, 8000, 8) + Chunk("data", samples))},
        {"empty data", Wave(FormatChunk(1, 8000, 8) + Chunk("data", ""))},
        {"no data", Wave(FormatChunk(1, 8000, 8) + Chunk("LIST", "abcd"))},
        {"cut header", Wave(FormatChunk(1, 8000, 8)).substr(0, 20)},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        const auto file = folder_ / "bad.wav";
        WriteFile(file, c.file);
        EXPECT_EQ(wave_.LoadWaveFile(file.string()), 0) << c.what;
        EXPECT_EQ(wave_.m_lpWaveBlock, nullptr) << c.what;
    }
}

// The file is only read: a read-only file loads. A missing file falls back to the program
// folder's alarm.wav; with neither, the load fails.
TEST_F(AlarmWaveTest, ReadOnlyFileAndFallback) {
    const auto file = folder_ / "ro.wav";
    WriteFile(file, Wave(FormatChunk(1, 8000, 8) + Chunk("data", Samples(10))));
    ::chmod(file.c_str(), 0444);
    EXPECT_EQ(wave_.LoadWaveFile(file.string()), 1);

    const std::string missing = (folder_ / "missing.wav").string();
    CAlarmWave other;
    EXPECT_EQ(other.LoadWaveFile(missing), 0);
    WriteFile(program_ / "alarm.wav", Wave(FormatChunk(1, 11025, 16) + Chunk("data", Samples(4))));
    EXPECT_EQ(other.LoadWaveFile(missing), 1);
    EXPECT_EQ(other.m_strWavePath, missing);
    EXPECT_EQ(other.m_lpWaveBlock->format.samplesPerSecond, 11025u);

    // A pipe named as the sound is not opened (that would wait for a writer): the program
    // folder's sound plays instead.
    const auto pipe = folder_ / "sound.wav";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    CAlarmWave fromPipe;
    EXPECT_EQ(fromPipe.LoadWaveFile(pipe.string()), 1);
    EXPECT_EQ(fromPipe.m_lpWaveBlock->format.samplesPerSecond, 11025u);
}

std::string BufferText(const AlarmWaveBlock& block, int index) {
    return std::string(block.buffers[index].begin(), block.buffers[index].end());
}

TEST(AlarmWaveBuffers, ShortSoundsRepeatInsideABuffer) {
    AlarmWaveBlock block;
    const std::string samples = Samples(3000);
    block.samples.assign(samples.begin(), samples.end());
    CAlarmWave::FillBuffer(block, 0);
    EXPECT_EQ(BufferText(block, 0), samples + samples + samples.substr(0, 2000));
    EXPECT_EQ(block.playPosition, 2000u);
    EXPECT_FALSE(block.headers[0].done);
    EXPECT_EQ(block.headers[0].length, kAlarmWaveBufferSize);
    CAlarmWave::FillBuffer(block, 1);
    EXPECT_EQ(BufferText(block, 1),
              samples.substr(2000) + samples + samples + samples.substr(0, 1000));

    AlarmWaveBlock exact;
    const std::string whole = Samples(kAlarmWaveBufferSize);
    exact.samples.assign(whole.begin(), whole.end());
    for (int i = 0; i < 3; ++i) {
        CAlarmWave::FillBuffer(exact, i);
        EXPECT_EQ(BufferText(exact, i), whole);
    }
}

class AlarmSoundThreadTest : public ::testing::Test {
  protected:
    AlarmSoundThreadTest() {
        ormidon::SetAudioOutFactory(sink_.Factory());
        block_ = std::make_shared<AlarmWaveBlock>();
        block_->format = {ormidon::kWaveFormatPcm, 1, 8000, 8000, 1, 8};
        const std::string samples = Samples(20000);
        block_->samples.assign(samples.begin(), samples.end());
    }
    ~AlarmSoundThreadTest() override { ormidon::SetAudioOutFactory({}); }

    ormidon::Thread Start() {
        return ormidon::Thread(
            [this](std::stop_token stop) { PlayAudioWav_Thread(stop, block_, done_, stopEvent_); });
    }

    ormidon::RecordingAudioSink sink_;
    std::shared_ptr<AlarmWaveBlock> block_;
    ormidon::Event done_;
    ormidon::Event stopEvent_;
};

// Eight buffers go out at once; each one played is refilled with the next part of the loop.
TEST_F(AlarmSoundThreadTest, PlaysTheLoopUntilStopped) {
    ormidon::Thread thread = Start();
    ASSERT_TRUE(sink_.WaitForBlocks(8, 5s));
    EXPECT_EQ(sink_.OpenedFormat()->samplesPerSecond, 8000u);
    EXPECT_EQ(sink_.Pending(), 8u);
    ASSERT_EQ(sink_.Play(3), 3u);
    ASSERT_TRUE(sink_.WaitForBlocks(11, 5s));

    std::string played;
    for (const auto& queued : sink_.Blocks()) played.append(queued.begin(), queued.end());
    std::string expected;
    const std::string samples = Samples(20000);
    while (expected.size() < 11 * kAlarmWaveBufferSize) expected += samples;
    EXPECT_EQ(played, expected.substr(0, 11 * kAlarmWaveBufferSize));

    stopEvent_.Set();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_EQ(sink_.Pending(), 0u);
    EXPECT_EQ(sink_.ResetCount(), 1);
}

TEST_F(AlarmSoundThreadTest, ThreadStopEndsTheSound) {
    ormidon::Thread thread = Start();
    ASSERT_TRUE(sink_.WaitForBlocks(8, 5s));
    thread.RequestStop();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_EQ(sink_.Pending(), 0u);
}

TEST_F(AlarmSoundThreadTest, NoSoundDeviceIsSilence) {
    sink_.SetNoDevice(true);
    ormidon::Thread thread = Start();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(sink_.Blocks().empty());
}

// The ALSA output itself, on ALSA's null device (no sound card needed) and on a device that
// does not exist.
TEST(AlsaAudioOut, PlaysOnTheNullDeviceAndFailsWithoutOne) {
    ormidon::Event done;
    const ormidon::AudioFormat format{ormidon::kWaveFormatPcm, 1, 8000, 16000, 2, 16};
    EXPECT_FALSE(ormidon::CreateAlsaAudioOut("ormidon_no_such_device")->Open(format, done));
    ormidon::AudioFormat floats = format;
    floats.formatTag = 3;
    EXPECT_FALSE(ormidon::CreateAlsaAudioOut("null")->Open(floats, done));

    auto output = ormidon::CreateAlsaAudioOut("null");
    ASSERT_TRUE(output->Open(format, done));
    std::vector<uint8_t> samples(8000, 0);
    ormidon::AudioBlock blocks[2];
    for (auto& block : blocks) {
        block.data = samples.data();
        block.length = static_cast<uint32_t>(samples.size());
        block.done = false;
        ASSERT_TRUE(output->Write(block));
    }
    for (auto& block : blocks) {
        while (!block.done) ASSERT_TRUE(done.Wait(5000));
    }
    blocks[0].done = false;
    ASSERT_TRUE(output->Write(blocks[0]));
    output->Reset();
    EXPECT_TRUE(blocks[0].done);
}

}  // namespace

namespace {

// The build puts an alarm sound of our own into the program folder.
TEST(AlarmWaveFile, TheProgramFolderHoldsAPlayableAlarmSound) {
    const char* programDir = std::getenv("ORMIDON_PROGRAM_DIR");
    ASSERT_NE(programDir, nullptr);
    CAlarmWave wave;
    ASSERT_EQ(wave.LoadWaveFile((std::filesystem::path(programDir) / "alarm.wav").string()), 1);
    const ormidon::AudioFormat& format = wave.m_lpWaveBlock->format;
    EXPECT_EQ(format.formatTag, ormidon::kWaveFormatPcm);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.blockAlign, format.channels * 2);
    EXPECT_GE(wave.m_lpWaveBlock->samples.size(), format.averageBytesPerSecond / 2);
    ormidon::Event done;
    EXPECT_TRUE(ormidon::CreateAlsaAudioOut("null")->Open(format, done));
}

}  // namespace

namespace {

// WM_POSTALARMAUDIO as the main window answers it: start, a start while playing, a click,
// stop, and a wave file that cannot be loaded.
class AlarmSoundMessageTest : public AlarmWaveTest {
  protected:
    AlarmSoundMessageTest() {
        ormidon::SetAudioOutFactory(sink_.Factory());
        WriteFile(folder_ / "alarm.wav",
                  Wave(FormatChunk(1, 8000, 8) + Chunk("data", Samples(3000))));
        app_.App().CSettingINI.m_strTriggerWavPath = (folder_ / "alarm.wav").string();
    }
    ~AlarmSoundMessageTest() override { ormidon::SetAudioOutFactory({}); }

    CAppObject& App() { return app_.App(); }

    ormidon::RecordingAudioSink sink_;
    ormidon::test::RecordingMessageBoxes boxes_;
    ormidon::test::AppRecordScope app_;
};

TEST_F(AlarmSoundMessageTest, StartPlaysUntilStopAndAStartWhilePlayingIsIgnored) {
    ASSERT_EQ(OnPlayAlarmSound(0), 0);
    ASSERT_TRUE(sink_.WaitForBlocks(8, 5s));
    EXPECT_EQ(App().f_AlarmWavPlaying, 1);
    EXPECT_EQ(App().f_AlarmWavStarted, 1);
    EXPECT_EQ(OnPlayAlarmSound(0), 0);
    EXPECT_EQ(sink_.OpenCount(), 1);

    EXPECT_EQ(OnPlayAlarmSound(kAlarmSoundStop), 0);
    EXPECT_FALSE(App().h_PlayAudioWavThread.IsOccupied());
    EXPECT_EQ(App().f_AlarmWavPlaying, 0);
    EXPECT_EQ(App().f_AlarmWavStarted, 0);
    EXPECT_EQ(sink_.Pending(), 0u);

    // After a stop a start plays the sound again from its first byte.
    ASSERT_EQ(OnPlayAlarmSound(0), 0);
    ASSERT_TRUE(sink_.WaitForBlocks(16, 5s));
    EXPECT_EQ(sink_.OpenCount(), 2);
    EXPECT_EQ(sink_.Blocks()[8], sink_.Blocks()[0]);
}

TEST_F(AlarmSoundMessageTest, AClickSilencesUntilTheEventIsOver) {
    ASSERT_EQ(OnPlayAlarmSound(0), 0);
    ASSERT_TRUE(sink_.WaitForBlocks(8, 5s));
    // The main window's click.
    if (App().f_AlarmWavPlaying.exchange(0) != 0) App().h_StopAlarmWavEvent.Set();
    ASSERT_TRUE(ormidon::test::WaitUntil([&] { return sink_.Pending() == 0; }));
    EXPECT_EQ(OnPlayAlarmSound(0), 0);
    EXPECT_EQ(sink_.OpenCount(), 1);
    EXPECT_EQ(OnPlayAlarmSound(kAlarmSoundStop), 0);
    EXPECT_EQ(OnPlayAlarmSound(0), 0);
    ASSERT_TRUE(sink_.WaitForBlocks(16, 5s));
    EXPECT_EQ(sink_.OpenCount(), 2);
}

TEST_F(AlarmSoundMessageTest, AWaveThatCannotBeLoadedIsReported) {
    App().CSettingINI.m_strTriggerWavPath = (folder_ / "missing.wav").string();
    EXPECT_EQ(OnPlayAlarmSound(0), -1);
    EXPECT_EQ(boxes_.Ids(), std::vector<uint32_t>{4096});
    EXPECT_EQ(App().f_AlarmWavStarted, 0);
    EXPECT_EQ(sink_.OpenCount(), 0);
}

}  // namespace
