// What a module may read of, and ask of, the processor that built it.
//
// The plug-in processor derives from this class; tests build graphs against a plain
// instance. Everything here belongs to the audio thread while the host processes; the
// owner changes the set-up fields (rate, block size, tables) only while it does not.
#pragma once

#include <cstdint>

#include "dsp/framework/event_pool.h"
#include "dsp/framework/lookup_tables.h"

class QB_ModuleBase;

class QB_GraphHost {
public:
    static constexpr int kMaxModules = 200;
    static constexpr int kMaxRing = 128;

    QB_GraphHost() = default;
    virtual ~QB_GraphHost() = default;
    QB_GraphHost(const QB_GraphHost&) = delete;
    QB_GraphHost& operator=(const QB_GraphHost&) = delete;

    // A module (the response module) sets a control, in graph units. Audio thread.
    virtual void setControlFromModule(int32_t control, float value, int32_t send) {}
    // The command module asks for the owner's programs to be saved. Audio thread; the
    // owner writes them later, off the audio thread.
    virtual void writeBankFile() {}
    // The command module asks for entry index (0..3) of the owner's table of web
    // addresses to be opened. Audio thread; the owner opens it later, off the audio
    // thread.
    virtual void openAddress(int32_t index) {}

    // Sample time of the first frame of the sub-block being processed.
    uint32_t samplePosition = 0;
    // Ring offset of the sub-block being processed, 0 <= ringPosition < internalBlockSize.
    uint32_t ringPosition = 0;
    // Ring length of every module buffer: min(host block size, 128).
    int32_t internalBlockSize = kMaxRing;
    int32_t sampleRateInt = 44100;
    float samplesPerMs = 44.1f;
    // Frequencies of the pitch tables stay below this, in Hz (at most sampleRateInt / 2).
    int32_t pitchCeiling = 22050;
    // While either is non-zero the glides jump straight to their targets.
    int32_t glideSuppressed[2] = {0, 0};
    // The stereo input module's two buffers, filled from the host input.
    float* inputCopyTarget[2] = {nullptr, nullptr};

    QB_ModuleBase* moduleTable[kMaxModules] = {};
    int32_t moduleCount = 0;

    QB_EventPool eventPool;
    QB_LookupTables tables;
};
