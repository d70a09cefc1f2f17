#include "platform/AudioOut.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/Thread.h"

namespace ormidon {

namespace {

std::mutex g_factoryLock;
AudioOutFactory g_factory;

// ALSA reports its configuration troubles on stderr; a machine without sound is ordinary,
// so they are kept quiet and Open's result speaks for them.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_format_t PcmFormat(const AudioFormat& format) {
    if (format.formatTag != kWaveFormatPcm) return SND_PCM_FORMAT_UNKNOWN;
    switch (format.bitsPerSample) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        case 32:
            return SND_PCM_FORMAT_S32_LE;
        default:
            return SND_PCM_FORMAT_UNKNOWN;
    }
}

// Plays queued blocks on its own thread: the device is opened non-blocking and the thread
// polls it together with a wake descriptor, so Reset never waits for the device.
class AlsaAudioOut final : public AudioOut {
  public:
    explicit AlsaAudioOut(std::string device) : device_(std::move(device)) {}
    ~AlsaAudioOut() override {
        Reset();
        if (pcm_ != nullptr) snd_pcm_close(pcm_);
        if (wakeFd_ >= 0) ::close(wakeFd_);
    }

    bool Open(const AudioFormat& format, Event& blockDone) override {
        if (pcm_ != nullptr) return false;
        const snd_pcm_format_t pcmFormat = PcmFormat(format);
        const unsigned frameBytes = format.channels * ((format.bitsPerSample + 7) / 8);
        if (pcmFormat == SND_PCM_FORMAT_UNKNOWN || format.channels == 0 ||
            format.samplesPerSecond == 0 || format.blockAlign != frameBytes)
            return false;
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsaErrors); });
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, device_.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
            return false;
        // Half a second of sound may sit in the device, about what eight blocks hold.
        if (snd_pcm_set_params(pcm, pcmFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                               format.samplesPerSecond, 1, 500000) < 0) {
            snd_pcm_close(pcm);
            return false;
        }
        wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) {
            snd_pcm_close(pcm);
            return false;
        }
        pcm_ = pcm;
        frameBytes_ = frameBytes;
        blockDone_ = &blockDone;
        return true;
    }

    bool Write(AudioBlock& block) override {
        if (pcm_ == nullptr) return false;
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(&block);
        }
        queued_.notify_one();
        if (!player_.Joinable()) {
            try {
                player_ = Thread([this](std::stop_token stop) { Play(stop); });
            } catch (const std::system_error&) {
                // Nobody plays the block: it is taken back.
                std::lock_guard lock(mutex_);
                queue_.pop_back();
                return false;
            }
        }
        return true;
    }

    void Reset() override {
        if (player_.Joinable()) {
            player_.RequestStop();
            player_.Join(kInfinite);
            player_ = Thread();
            // A wake that the player did not read must not end the next one.
            uint64_t value = 0;
            const ssize_t got = ::read(wakeFd_, &value, sizeof value);
            (void)got;
        }
        if (pcm_ != nullptr) {
            snd_pcm_drop(pcm_);
            snd_pcm_prepare(pcm_);
        }
        std::lock_guard lock(mutex_);
        for (AudioBlock* block : queue_) block->done = true;
        queue_.clear();
    }

  private:
    void Play(std::stop_token stop) {
        const std::stop_callback wake(stop, [this] {
            const uint64_t one = 1;
            const ssize_t written = ::write(wakeFd_, &one, sizeof one);
            (void)written;
        });
        for (;;) {
            AudioBlock* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                if (!queued_.wait(lock, stop, [this] { return !queue_.empty(); })) return;
                block = queue_.front();
            }
            if (!PlayBlock(*block, stop)) return;
            {
                std::lock_guard lock(mutex_);
                queue_.pop_front();
            }
            block->done = true;
            blockDone_->Set();
        }
    }

    // Hands the block's frames to the device; false when the stop came first.
    bool PlayBlock(const AudioBlock& block, std::stop_token stop) {
        const uint8_t* next = block.data;
        snd_pcm_uframes_t left = block.length / frameBytes_;
        while (left > 0) {
            if (stop.stop_requested()) return false;
            const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, next, left);
            if (written >= 0) {
                next += static_cast<size_t>(written) * frameBytes_;
                left -= static_cast<snd_pcm_uframes_t>(written);
            } else if (written == -EAGAIN) {
                if (!WaitForRoom()) return false;
            } else if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) {
                return true;  // the device failed: the block counts as played
            }
        }
        return true;
    }

    // Waits until the device takes more frames or the wake descriptor fires.
    bool WaitForRoom() {
        const int count = snd_pcm_poll_descriptors_count(pcm_);
        if (count <= 0) return false;
        std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
        snd_pcm_poll_descriptors(pcm_, fds.data(), static_cast<unsigned>(count));
        fds.back() = {wakeFd_, POLLIN, 0};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return false;
        if (fds.back().revents & POLLIN) {
            uint64_t value = 0;
            const ssize_t got = ::read(wakeFd_, &value, sizeof value);
            (void)got;
            return false;
        }
        return true;
    }

    const std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    int wakeFd_ = -1;
    unsigned frameBytes_ = 1;
    Event* blockDone_ = nullptr;
    std::mutex mutex_;
    std::condition_variable_any queued_;
    std::deque<AudioBlock*> queue_;
    Thread player_;
};

}  // namespace

void SetAudioOutFactory(AudioOutFactory factory) {
    std::lock_guard lock(g_factoryLock);
    g_factory = std::move(factory);
}

std::unique_ptr<AudioOut> CreateAudioOut() {
    {
        std::lock_guard lock(g_factoryLock);
        if (g_factory) return g_factory();
    }
    return CreateAlsaAudioOut();
}

std::unique_ptr<AudioOut> CreateAlsaAudioOut(const std::string& device) {
    return std::make_unique<AlsaAudioOut>(device);
}

}  // namespace ormidon
