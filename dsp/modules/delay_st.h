// Stereo delay line with a power-of-two memory, a delay time in seconds, milliseconds or
// samples, and a channel swap. With its defaults (delay 0) it passes the pair through.
//
// The memories are allocated in `prepare` only, never on the audio thread. Later size
// requests reuse that allocation: a size larger than what `prepare` allocated (the
// default size for the sample rate) is limited to it. Disabling discards the contents;
// enabling again starts from empty memories.
//
// Audio thread only, except construction, `prepare` and destruction, which run while the
// host is not processing.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_Delay_ST : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInLeft = 0,
        kInRight = 1,
        kInDelay = 2,     // floatValue, in graph units of the selected unit
        kInUnitMode = 3,  // intValue: 0 seconds, 1 milliseconds, 2 samples
        kInSize = 4,      // intValue: index into the size table
        kInEnable = 5,    // intValue: 0 silences and discards the memories
        kInSwap = 6,      // intValue: non-zero exchanges the output channels
        kInClear = 9,     // intValue > 0 empties the memories
    };
    static constexpr int16_t kDefaultSizeIndex = 4;
    static constexpr int16_t kLastSizeIndex = 11;

    QB_DSP_Delay_ST(QB_GraphHost* owner, bool createDisabled);
    ~QB_DSP_Delay_ST() override;

    void prepare() override;
    void suspend() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void delay(uint32_t offset, uint32_t count);
    virtual void silence(uint32_t offset, uint32_t count);

    // Memory length for a size index (clamped to the table) at sampleRate: 2^(19 - index),
    // doubled above 48000 Hz, again above 96000 Hz and again above 192000 Hz.
    int32_t sizeForIndex(int32_t index) const;

    float* ringL = nullptr;  // null while disabled
    float* ringR = nullptr;
    const float* in0;
    const float* in1;
    float* out0;
    float* out1;
    float delayParam = 0.0f;
    float samplesPerUnit = 0.0f;
    float sampleRate = 0.0f;
    float secondsScale = 0.0f;
    float millisecondsScale = 0.0f;
    int32_t writePos = 0;
    int32_t delaySamples = 0;
    int32_t ringSize = 0;
    int32_t mask = 0;
    int32_t countdown = 0;
    int16_t announced = -1;
    int16_t sizeIndex = kDefaultSizeIndex;
    int16_t enable = 1;
    int16_t allocatedSizeIndex = -1;
    int16_t unitMode = 1;
    int16_t swap = 0;

    // Floats per memory allocated by `prepare`; no ring is ever longer.
    int32_t capacity = 0;

private:
    // Puts the allocated memories in use, emptied, at the requested size (no allocation).
    void useMemories();
    // Discards the memories' contents and takes them out of use (no deallocation).
    void dropMemories();
    void freeStorage();

    float* storageL = nullptr;
    float* storageR = nullptr;
};
