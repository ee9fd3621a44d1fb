// What the fuzz targets share: one in-process instance of the plug-in driven only through
// its descriptor, as a host drives it, a reader that turns fuzz bytes into host calls,
// and the checks that make a wrong answer a finding.
//
// The host keeps the interface's promises (a text buffer holds what the opcode writes, a
// chunk size never exceeds its buffer, events point at real records); everything else is
// left to the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/vst2.h"

// Aborts with a message when cond is false, so libFuzzer records the input.
#define FUZZ_CHECK(cond) ::fuzz::check((cond), #cond, __FILE__, __LINE__)

namespace fuzz {

void check(bool ok, const char* what, const char* file, int line);

// Consumes fuzz bytes front to back; past the end every read answers zero.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    template <class T>
    T raw() {
        T v{};
        uint8_t bytes[sizeof(T)] = {};
        for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = byte();
        std::memcpy(&v, bytes, sizeof(T));
        return v;
    }
    // 0..limit-1 from one or two bytes.
    uint32_t below(uint32_t limit) {
        const uint32_t v = limit <= 256 ? byte() : raw<uint16_t>();
        return limit == 0 ? 0 : v % limit;
    }
    // Up to n bytes (fewer at the end of the input).
    std::vector<uint8_t> bytes(size_t n) {
        const size_t take = n < remaining() ? n : remaining();
        std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + take);
        pos_ += take;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Sample rates and block sizes a host may choose, for the set-up a target picks.
extern const float kHostRates[10];
extern const VstInt32 kHostBlocks[12];

// A hostile or ordinary sample picked by a selector byte: NaN, infinities, denormals,
// extremes, silence, or a plain value.
float sampleOf(uint8_t selector, float plain);

class Instance {
public:
    // Creates the plug-in through its entry, with a host that accepts everything.
    Instance();
    // effClose.
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* effect() const { return effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f);
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);

    // Sets rate and declared block size, then resumes.
    void start(float rate, VstInt32 block);
    // Runs frames through processReplacing. With input empty, a quiet two-tone signal is
    // played; otherwise input (frames * 2 floats, left then right) is used.
    void process(VstInt32 frames, const std::vector<float>& input = {});
    // True when every sample of the last processed block is finite.
    bool outputFinite() const;
    const std::vector<float>& outputLeft() const { return outL_; }
    const std::vector<float>& outputRight() const { return outR_; }

    // Everything a host reads back after a change: every parameter finite and in 0..1,
    // every display, name and program name terminated within its buffer, both chunks
    // of their sizes. Aborts on a violation.
    void checkReadBack();

private:
    AEffect* effect_ = nullptr;
    uint64_t clock_ = 0;
    std::vector<float> inL_, inR_, outL_, outR_;
};

}  // namespace fuzz
