// Stress: audio runs while one host thread changes parameters, programs and MIDI
// assignments at random and another saves and restores program and bank chunks and
// renames programs. The output stays finite, no control change is lost for want of an
// event record, and the graph ends on the values the host side ends on.
//
// ORVAN_STRESS_SECONDS sets the seconds of audio (default 5, a few seconds under
// ThreadSanitizer in CI); ORVAN_STRESS_SECONDS=600 is the ten-minute run.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/processor_fixture.h"
#include "support/math_constants.h"

namespace {

double stressSeconds() {
    const char* text = std::getenv("ORVAN_STRESS_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 5.0;
    return seconds > 0.0 ? seconds : 5.0;
}

float parameterValue(std::mt19937& random) { return static_cast<float>(random() % 1001) / 1000.f; }

TEST(StressThreads, AudioWithRandomChangesFromTwoThreadsStaysFiniteLosesNothingAndEndsOnTheLastValues) {
    constexpr float kRate = 44100.f;
    ProcessorRig rig(kRate, 256);
    QB_DSP_VST& vst = *rig.vst;
    const uint64_t totalFrames = static_cast<uint64_t>(stressSeconds() * kRate);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> framesDone{0};
    std::atomic<int> nonFiniteBlocks{0};

    std::thread parameters([&] {
        std::mt19937 random(1);
        char text[64];
        while (!stop.load(std::memory_order_acquire)) {
            const VstInt32 p = static_cast<VstInt32>(random() % kNumParams);
            switch (random() % 8) {
                case 0: vst.setProgram(static_cast<VstInt32>(random() % 16)); break;
                case 1: vst.setMidiController(p, static_cast<VstInt32>(random() % 130) - 1); break;
                case 2: vst.getParameterDisplay(p, text); break;
                case 3: (void)vst.getParameter(p); break;
                default: vst.setParameter(p, parameterValue(random)); break;
            }
        }
    });
    std::thread chunks([&] {
        std::mt19937 random(2);
        std::vector<uint8_t> copy;
        char name[64];
        while (!stop.load(std::memory_order_acquire)) {
            void* data = nullptr;
            const bool program = random() % 2 == 0;
            const VstInt32 size = vst.getChunk(&data, program);
            copy.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
            // Change a value or two, sometimes restore only the start of the bank.
            float v = parameterValue(random);
            std::memcpy(&copy[4 * (random() % kNumParams)], &v, sizeof v);
            const VstInt32 restore = program || random() % 4 != 0 ? size : static_cast<VstInt32>(1 + random() % size);
            vst.setChunk(copy.data(), restore, program);
            std::string text = "Stress " + std::to_string(random() % 1000);
            vst.setProgramName(text.data());
            vst.getProgramNameIndexed(0, static_cast<VstInt32>(random() % 16), name);
            vst.getProgramName(name);
        }
    });

    // The audio thread: blocks of any size up to 1024, a musical signal, and MIDI
    // control changes that drive whatever parameters the assignments point at.
    std::thread audio([&] {
        std::mt19937 random(3);
        std::vector<float> inL(1024), inR(1024), outL(1024), outR(1024);
        uint64_t n = 0;
        while (n < totalFrames) {
            const VstInt32 frames = static_cast<VstInt32>(1 + random() % 1024);
            for (VstInt32 i = 0; i < frames; ++i) {
                const double t = static_cast<double>(n + i) / kRate;
                inL[i] = static_cast<float>(0.3 * std::sin(2.0 * kPi * 196.0 * t) + 0.1 * std::sin(2.0 * kPi * 392.0 * t));
                inR[i] = static_cast<float>(0.3 * std::sin(2.0 * kPi * 82.4 * t));
            }
            if (random() % 4 == 0) {
                VstMidiEvent cc{};
                cc.type = kVstMidiType;
                cc.byteSize = sizeof cc;
                cc.deltaFrames = static_cast<VstInt32>(random() % static_cast<unsigned>(frames));
                cc.midiData[0] = static_cast<char>(0xB0 | (random() % 16));
                cc.midiData[1] = static_cast<char>(random() % 128);
                cc.midiData[2] = static_cast<char>(random() % 128);
                VstEvents events{};
                events.numEvents = 1;
                events.events[0] = reinterpret_cast<VstEvent*>(&cc);
                vst.processEvents(&events);
            }
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            vst.processReplacing(in, out, frames);
            for (VstInt32 i = 0; i < frames; ++i)
                if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) {
                    nonFiniteBlocks.fetch_add(1);
                    break;
                }
            n += static_cast<uint64_t>(frames);
            framesDone.store(n, std::memory_order_release);
        }
    });
    audio.join();
    stop.store(true, std::memory_order_release);
    parameters.join();
    chunks.join();

    EXPECT_GE(framesDone.load(), totalFrames);
    EXPECT_EQ(nonFiniteBlocks.load(), 0);
    EXPECT_EQ(vst.eventPool.dropped(), 0u);

    // Final values from the host side; the next blocks bring them to the graph.
    for (VstInt32 p = 0; p < kNumParams; ++p) vst.setMidiController(p, -1);
    vst.setProgram(9);
    for (VstInt32 p = 0; p < kNumParams; ++p) vst.setParameter(p, static_cast<float>(p) / 17.f);
    rig.process(512);
    for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(vst.getParameter(p), static_cast<float>(p) / 17.f) << p;
    for (int32_t k = 0; k < kNumControls; ++k) EXPECT_EQ(vst.graphControlValues[k], vst.controlValue(k)) << k;
    EXPECT_EQ(vst.eventPool.dropped(), 0u);
}

}  // namespace
