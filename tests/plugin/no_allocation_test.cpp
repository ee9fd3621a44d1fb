// Processing must not touch the heap: this binary's operator new counts the calls made
// while a test has counting switched on for its thread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "support/processor_fixture.h"

namespace {
thread_local bool tlsCounting = false;
thread_local long tlsAllocations = 0;

struct CountAllocations {
    CountAllocations() {
        tlsAllocations = 0;
        tlsCounting = true;
    }
    ~CountAllocations() { tlsCounting = false; }
    long count() const { return tlsAllocations; }
};
}  // namespace

void* operator new(std::size_t size) {
    if (tlsCounting) ++tlsAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (tlsCounting) ++tlsAllocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept { return operator new(size, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(NoAllocation, TheWholeGraphProcessesWithQueuedEventsMidiAndProgramChangesWithoutAllocating) {
    ProcessorRig rig(48000.f, 300);
    QB_DSP_VST& v = *rig.vst;
    std::vector<float> inL(300), inR(300), outL(300), outR(300);
    for (int i = 0; i < 300; ++i) {
        inL[i] = 0.5f * std::sin(0.05f * i) + 0.2f * std::sin(0.31f * i);
        inR[i] = 0.4f * std::sin(0.07f * i);
    }
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    v.setMidiController(11, 1);
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 1;
    cc.midiData[2] = 90;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } list{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    // Warm up so every module has settled into its routines.
    for (int b = 0; b < 20; ++b) v.processReplacing(in, out, 300);

    for (int program = 0; program < kNumPrograms; ++program) {
        v.setProgram(program);  // queued from the host side before counting starts
        v.setParameter(10, 0.1f * (program % 10));
        v.setParameter(36, program % 2 ? 1.f : 0.f);
        v.setParameter(37, 1.f);
        v.setParameter(37, 0.f);
        CountAllocations counter;
        v.processEvents(reinterpret_cast<VstEvents*>(&list));
        for (int b = 0; b < 10; ++b) v.processReplacing(in, out, 300);
        EXPECT_EQ(counter.count(), 0) << "program " << program;
    }
    EXPECT_EQ(v.eventPool.dropped(), 0u);
}

}  // namespace
