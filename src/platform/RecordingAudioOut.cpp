#include "platform/RecordingAudioOut.h"

#include <deque>

namespace ormidon {

struct RecordingAudioSink::State {
    mutable std::mutex mutex;
    mutable std::condition_variable queued;
    bool noDevice = false;
    std::optional<AudioFormat> format;
    int opens = 0;
    int resets = 0;
    std::vector<std::vector<uint8_t>> blocks;
    // Pending blocks with the event of the output that queued them.
    std::deque<std::pair<AudioBlock*, Event*>> pending;
};

namespace {

class RecordingAudioOut final : public AudioOut {
  public:
    explicit RecordingAudioOut(std::shared_ptr<RecordingAudioSink::State> state)
        : state_(std::move(state)) {}
    ~RecordingAudioOut() override { DropPending(); }

    bool Open(const AudioFormat& format, Event& blockDone) override {
        std::lock_guard lock(state_->mutex);
        if (state_->noDevice) return false;
        state_->format = format;
        ++state_->opens;
        blockDone_ = &blockDone;
        return true;
    }

    bool Write(AudioBlock& block) override {
        if (blockDone_ == nullptr) return false;
        {
            std::lock_guard lock(state_->mutex);
            state_->blocks.emplace_back(block.data, block.data + block.length);
            state_->pending.emplace_back(&block, blockDone_);
        }
        state_->queued.notify_all();
        return true;
    }

    void Reset() override {
        {
            std::lock_guard lock(state_->mutex);
            ++state_->resets;
        }
        DropPending();
    }

  private:
    void DropPending() {
        if (blockDone_ == nullptr) return;
        std::lock_guard lock(state_->mutex);
        std::erase_if(state_->pending, [this](const auto& entry) {
            if (entry.second != blockDone_) return false;
            entry.first->done = true;
            return true;
        });
    }

    std::shared_ptr<RecordingAudioSink::State> state_;
    Event* blockDone_ = nullptr;
};

}  // namespace

RecordingAudioSink::RecordingAudioSink() : state_(std::make_shared<State>()) {}

AudioOutFactory RecordingAudioSink::Factory() {
    return [state = state_] { return std::make_unique<RecordingAudioOut>(state); };
}

void RecordingAudioSink::SetNoDevice(bool noDevice) {
    std::lock_guard lock(state_->mutex);
    state_->noDevice = noDevice;
}

std::optional<AudioFormat> RecordingAudioSink::OpenedFormat() const {
    std::lock_guard lock(state_->mutex);
    return state_->format;
}

int RecordingAudioSink::OpenCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->opens;
}

int RecordingAudioSink::ResetCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->resets;
}

std::vector<std::vector<uint8_t>> RecordingAudioSink::Blocks() const {
    std::lock_guard lock(state_->mutex);
    return state_->blocks;
}

size_t RecordingAudioSink::Pending() const {
    std::lock_guard lock(state_->mutex);
    return state_->pending.size();
}

bool RecordingAudioSink::WaitForBlocks(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(state_->mutex);
    return state_->queued.wait_for(lock, limit, [&] { return state_->blocks.size() >= count; });
}

size_t RecordingAudioSink::Play(size_t count) {
    std::lock_guard lock(state_->mutex);
    size_t played = 0;
    while (played < count && !state_->pending.empty()) {
        auto [block, blockDone] = state_->pending.front();
        state_->pending.pop_front();
        block->done = true;
        blockDone->Set();
        ++played;
    }
    return played;
}

}  // namespace ormidon
