// The host side and the audio thread meet only through the control mailboxes: parameter
// and program changes from one thread while another processes must be race-free, and the
// graph must end holding the last values written.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin/control_table.h"
#include "plugin/parameters.h"
#include "support/processor_fixture.h"

namespace {

// An audio thread playing blocks of a tone until stop is set, then one more block, which
// drains what the last changes queued.
std::thread playUntil(QB_DSP_VST& v, std::atomic<bool>& stop, int block) {
    return std::thread([&v, &stop, block] {
        std::vector<float> inL(block), inR(block), outL(block), outR(block);
        for (int i = 0; i < block; ++i) inL[i] = inR[i] = 0.3f * std::sin(0.02f * i);
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        while (!stop.load(std::memory_order_acquire)) v.processReplacing(in, out, block);
        v.processReplacing(in, out, block);
    });
}

TEST(ProcessorThreads, ParameterAndProgramChangesRaceFreeWithProcessingAndTheLastValuesWin) {
    ProcessorRig rig(44100.f, 256);
    QB_DSP_VST& v = *rig.vst;
    std::atomic<bool> stop{false};
    std::thread audio = playUntil(v, stop, 256);
    for (int round = 0; round < 3000; ++round) {
        if (round % 100 == 0) v.setProgram(round / 100 % 16);
        v.setParameter(round % 18, static_cast<float>(round % 97) / 96.f);
        (void)v.getParameter(round % kNumParams);
        char text[32];
        v.getParameterDisplay(round % 18, text);
    }
    for (int p = 0; p < kNumParams; ++p) v.setParameter(p, 0.25f);
    stop.store(true, std::memory_order_release);
    audio.join();
    for (int p = 0; p < kNumParams; ++p) {
        EXPECT_EQ(v.getParameter(p), 0.25f) << p;
        EXPECT_EQ(v.graphControlValues[p], v.controlValue(p)) << p;
    }
}

// What a host's other threads read without the host mutex (the current program, texts
// built from the option counts an editor writes, the editor state) must be race-free while
// programs and parameters change and audio runs.
TEST(ProcessorThreads, ProgramAndDisplayReadersRaceFreeWithChangesAndProcessing) {
    ProcessorRig rig(44100.f, 128);
    QB_DSP_VST& v = *rig.vst;
    std::atomic<bool> stop{false};
    std::thread audio = playUntil(v, stop, 128);
    std::atomic<int> badProgram{0};
    std::thread reader([&] {
        char text[64];
        while (!stop.load(std::memory_order_acquire)) {
            const VstInt32 p = v.getProgram();
            if (p < 0 || p >= kNumPrograms) badProgram.fetch_add(1);
            for (int32_t i = 0; i < kNumParams; ++i) v.getParameterDisplay(i, text);
            v.getProgramName(text);
            (void)v.editorState().loadedProgramValue(QB_Control::kBass);
            (void)v.editorState().programChanging();
            (void)v.controlValue(QB_Control::kBass);
        }
    });
    // The changing thread also plays an editor of another instance counting its options.
    for (int round = 0; round < 2000; ++round) {
        if (round % 50 == 0) v.setProgram(round / 50 % kNumPrograms);
        v.setParameter(round % kNumParams, static_cast<float>(round % 89) / 88.f);
        qbControlMaps().setOptionCount(QB_Control::kStyle, static_cast<int16_t>(round % 2 == 0 ? 3 : 0));
    }
    qbControlMaps().setOptionCount(QB_Control::kStyle, 0);
    stop.store(true, std::memory_order_release);
    reader.join();
    audio.join();
    EXPECT_EQ(badProgram.load(), 0);
    EXPECT_EQ(v.getProgram(), 1999 / 50 % kNumPrograms);
}

}  // namespace
