// Processing must not touch the heap: this binary's operator new counts the calls made
// while a test has counting switched on for its thread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "support/processor_fixture.h"
#include "support/voice_graph.h"

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

TEST(NoAllocation, NotesThatStealVoicesAndAllNotesOffPlayWithoutAllocating) {
    VoiceTable table(2);
    ProcessorRig rig(44100.f, 256);
    QB_DSP_VST& v = *rig.vst;
    v.suspend();
    v.setGraphDefinition(table.definition);
    v.resume();
    v.setControlFromModule(kVoiceSensitivityControl, 10.f, 1);
    std::vector<float> in(256, 0.f), outL(256), outR(256);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    // Three notes on two voices (the third steals), a note-off, then all notes off.
    const unsigned char messages[5][3] = {{0x90, 60, 100}, {0x90, 64, 90}, {0x90, 67, 80}, {0x80, 64, 0}, {0xB0, 123, 0}};
    VstMidiEvent midi[5] = {};
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } lists[5];
    for (int i = 0; i < 5; ++i) {
        midi[i].type = kVstMidiType;
        midi[i].deltaFrames = 17 * i;
        for (int b = 0; b < 3; ++b) midi[i].midiData[b] = static_cast<char>(messages[i][b]);
        lists[i] = {1, 0, {reinterpret_cast<VstEvent*>(&midi[i]), nullptr}};
    }
    v.processReplacing(ins, outs, 256);
    for (int round = 0; round < 3; ++round) {
        CountAllocations counter;
        for (auto& list : lists) {
            v.processEvents(reinterpret_cast<VstEvents*>(&list));
            for (int b = 0; b < 4; ++b) v.processReplacing(ins, outs, 256);
        }
        EXPECT_EQ(counter.count(), 0) << "round " << round;
    }
    EXPECT_EQ(v.eventPool.dropped(), 0u);
}

}  // namespace
