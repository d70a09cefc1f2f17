#pragma once
// What every fuzz target shares. A target defines LLVMFuzzerTestOneInput, which takes its
// parameters (buffer sizes, how to split a stream) from the front of the input and checks
// what must hold with FUZZ_CHECK, and FuzzSeeds(), its seed inputs, built with the tests'
// own fixtures and laid out the way the target reads them.
//
// With the fuzzer (ORMIDON_FUZZ) the seeds start the corpus; in the ordinary builds a
// replay program runs the seeds and the target's saved regression inputs as a test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

using FuzzBytes = std::vector<uint8_t>;

std::vector<FuzzBytes> FuzzSeeds();

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace fuzz {

// Active in every build type: a broken rule is a finding, not a silent pass.
[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: FUZZ_CHECK failed: %s\n", file, line, condition);
    std::abort();
}

// Reads the target's parameters from the front of the input; past its end every read is 0.
class Input {
  public:
    Input(const uint8_t* data, std::size_t size) : bytes_(data, size) {}

    uint8_t U8() { return position_ < bytes_.size() ? bytes_[position_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) | static_cast<uint32_t>(U16()) << 16; }
    // At most `count` bytes.
    std::span<const uint8_t> Take(std::size_t count) {
        const std::size_t n = count < bytes_.size() - position_ ? count : bytes_.size() - position_;
        const std::span<const uint8_t> taken = bytes_.subspan(position_, n);
        position_ += n;
        return taken;
    }
    std::span<const uint8_t> Rest() { return Take(bytes_.size() - position_); }
    std::string_view RestText() {
        const std::span<const uint8_t> rest = Rest();
        return {reinterpret_cast<const char*>(rest.data()), rest.size()};
    }

  private:
    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Builds a seed in the layout Input reads.
class Seed {
  public:
    Seed& U8(uint32_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Seed& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    Seed& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    Seed& Append(std::span<const uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Seed& Append(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    operator FuzzBytes() const { return bytes_; }

  private:
    FuzzBytes bytes_;
};

// The sizes a stream is cut into, drawn from a seed: 0 keeps it whole; otherwise pieces of 1
// to `largest` bytes.
class Splitter {
  public:
    Splitter(uint32_t seed, std::size_t largest) : state_(seed), largest_(largest ? largest : 1) {}
    std::size_t Next(std::size_t left) {
        if (state_ == 0) return left;
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        const std::size_t piece = 1 + state_ % largest_;
        return piece < left ? piece : left;
    }

  private:
    uint32_t state_;
    std::size_t largest_;
};

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))
