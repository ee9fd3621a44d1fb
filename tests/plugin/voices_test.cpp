// Graphs played from MIDI notes: a test table with a voice block (support/voice_graph.h),
// built by the real builder and run through the processor's processEvents and
// processReplacing. The left channel is the sum of the voices' tones, the right channel
// the sum of the sounding voices' velocities, faded as the mixer fades them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "dsp/framework/module_base.h"
#include "support/processor_fixture.h"
#include "support/voice_graph.h"

namespace {

// A processor playing the voice table; events are placed at absolute frames.
struct Player {
    Player(int voices, int block) : table(voices), rig(44100.f, block), block(block) {
        QB_DSP_VST& v = *rig.vst;
        v.suspend();
        v.setGraphDefinition(table.definition);
        v.resume();
        setSensitivity(10.f);  // velocity value = curve value
    }
    QB_DSP_VST& vst() { return *rig.vst; }
    void setSensitivity(float s) { vst().setControlFromModule(kVoiceSensitivityControl, s, 1); }
    void setCurve(int c) { vst().setControlFromModule(kVoiceCurveControl, 0.1f * static_cast<float>(c), 1); }
    void at(int64_t frame, int status, int data1, int data2) { events[frame].push_back({status, data1, data2}); }
    // Runs frames more, in host blocks, with the events that fall into each.
    void run(int64_t frames) {
        for (int64_t end = done + frames; done < end;) {
            const int32_t n = static_cast<int32_t>(std::min<int64_t>(block, end - done));
            std::vector<VstMidiEvent> midi;
            for (auto it = events.lower_bound(done); it != events.end() && it->first < done + n; ++it) {
                for (const auto& m : it->second) {
                    VstMidiEvent e{};
                    e.type = kVstMidiType;
                    e.byteSize = sizeof e;
                    e.deltaFrames = static_cast<VstInt32>(it->first - done);
                    e.midiData[0] = static_cast<char>(m[0]);
                    e.midiData[1] = static_cast<char>(m[1]);
                    e.midiData[2] = static_cast<char>(m[2]);
                    midi.push_back(e);
                }
            }
            std::vector<unsigned char> list(sizeof(VstEvents) + midi.size() * sizeof(VstEvent*));
            auto* header = reinterpret_cast<VstEvents*>(list.data());
            header->numEvents = static_cast<VstInt32>(midi.size());
            for (size_t i = 0; i < midi.size(); ++i) {
                VstEvent* e = reinterpret_cast<VstEvent*>(&midi[i]);
                std::memcpy(list.data() + offsetof(VstEvents, events) + i * sizeof e, &e, sizeof e);
            }
            if (!midi.empty()) vst().processEvents(header);
            rig.process(n);
            left.insert(left.end(), rig.outL.begin(), rig.outL.end());
            right.insert(right.end(), rig.outR.begin(), rig.outR.end());
            done += n;
        }
    }
    // Frequency of the left channel over [from, to), from its rising zero crossings.
    double frequency(int64_t from, int64_t to) const {
        int64_t first = -1, last = -1, crossings = 0;
        for (int64_t i = from + 1; i < to; ++i) {
            if (left[i - 1] < 0.f && left[i] >= 0.f) {
                if (first < 0) first = i;
                else ++crossings;
                last = i;
            }
        }
        return crossings > 0 ? 44100.0 * static_cast<double>(crossings) / static_cast<double>(last - first) : 0.0;
    }
    ToneModule* tone(int voice) { return static_cast<ToneModule*>(vst().moduleTable[1 + voice]); }

    VoiceTable table;
    ProcessorRig rig;
    int block;
    int64_t done = 0;
    std::map<int64_t, std::vector<std::array<int, 3>>> events;
    std::vector<float> left, right;
};

TEST(Voices, ANoteOnPlaysItsFrequencyFromItsFrameAndANoteOffOrAZeroVelocityReleasesIt) {
    Player p(4, 512);
    ASSERT_EQ(p.vst().moduleCount, 6);
    p.at(100, 0x90, 69, 127);   // A 440 Hz
    p.at(30037, 0x80, 69, 0);
    p.at(40000, 0x91, 81, 127);  // A 880 Hz, channel 2
    p.at(70050, 0x91, 81, 0);    // note-on with velocity 0
    p.run(80000);
    EXPECT_EQ(p.right[99], 0.f);
    EXPECT_EQ(p.left[99], 0.f);
    EXPECT_NEAR(p.right[100], 1.f, 1e-6);
    EXPECT_NE(p.left[100], 0.f);
    EXPECT_NEAR(p.frequency(100, 30000), 440.0, 0.5);
    EXPECT_NEAR(p.right[30036], 1.f, 1e-6);
    EXPECT_EQ(p.right[30037], 0.f);
    EXPECT_EQ(p.left[30037], 0.f);
    EXPECT_NEAR(p.frequency(40000, 70000), 880.0, 1.0);
    EXPECT_NEAR(p.right[70049], 1.f, 1e-6);
    EXPECT_EQ(p.right[70050], 0.f);
    EXPECT_EQ(p.left[79999], 0.f);
}

// With two voices both held, a third note steals the one that started first: it fades
// out over 5 ms (220 samples at 44100 Hz) from the note's frame, and the new note starts
// on that voice at the first sub-block after the fade.
TEST(Voices, AThirdNoteStealsTheOlderVoiceWhichFadesOutOver5MsBeforeTheNewNoteStarts) {
    Player p(2, 512);
    p.at(0, 0x90, 57, 127);   // A 220 Hz, voice 0
    p.at(10, 0x90, 64, 127);  // E 330 Hz, voice 1
    constexpr int64_t kSteal = 1000;
    p.at(kSteal, 0x90, 69, 127);  // A 440 Hz steals voice 0
    p.run(4000);
    EXPECT_NEAR(p.right[kSteal - 1], 2.f, 1e-6);
    const float step = 1.f / 220.f;
    for (int k = 0; k < 220; ++k)
        EXPECT_NEAR(p.right[kSteal + k], 1.f + std::max(0.f, 1.f - step * (k + 1)), 1e-4) << "fade sample " << k;
    // The fade ends at 1220; the sub-block that ends at 1280 reports it, and the note
    // starts there.
    const int64_t start = 1280;
    for (int64_t i = kSteal + 220; i < start; ++i) EXPECT_NEAR(p.right[i], 1.f, 1e-6) << i;
    EXPECT_NEAR(p.right[start], 2.f, 1e-6);

    // Releasing the second note leaves the new one alone: voice 1 was not stolen.
    p.at(6000, 0x80, 64, 0);
    p.run(20000);
    EXPECT_NEAR(p.right[5999], 2.f, 1e-6);
    EXPECT_NEAR(p.right[6000], 1.f, 1e-6);
    EXPECT_NEAR(p.frequency(6000, 24000), 440.0, 0.5);
}

TEST(Voices, ANoteReleasedWhileItWaitsForItsStolenVoiceNeverStarts) {
    Player p(2, 512);
    p.at(0, 0x90, 57, 127);
    p.at(10, 0x90, 64, 127);
    p.at(1000, 0x90, 69, 127);
    p.at(1100, 0x80, 69, 0);  // within the fade
    p.run(8000);
    for (int64_t i = 1220; i < 8000; ++i) ASSERT_NEAR(p.right[i], 1.f, 1e-6) << i;
}

// A fade whose countdown ends exactly on a sub-block's end (220 = 11 sub-blocks of 20)
// still hands the voice over.
TEST(Voices, AFadeEndingExactlyOnASubBlockBoundaryStillStartsTheWaitingNote) {
    Player p(1, 20);
    p.at(0, 0x90, 57, 127);
    p.at(400, 0x90, 69, 127);
    p.run(2000);
    EXPECT_NEAR(p.right[619], 0.f, 1e-6);
    EXPECT_NEAR(p.right[620], 1.f, 1e-6);
    EXPECT_NEAR(p.frequency(700, 2000), 440.0, 2.0);
}

TEST(Voices, EachVelocityCurveGivesItsValueAtSeveralVelocities) {
    Player p(4, 128);
    auto expected = [](int curve, double v) {
        const double d = v - 0.5;
        switch (curve) {
        case 1: return v * v;
        case 2: return v * v * v * v;
        case 3: return 1 - (1 - v) * (1 - v);
        case 4: return 2 * std::fabs(d) * d + 0.5;
        case 5: return 4 * std::fabs(d) * std::fabs(d) * d + 0.5;
        case 6: return 2 * v - 0.5 - 2 * std::fabs(d) * d;
        default: return v;
        }
    };
    for (int curve = 0; curve <= 7; ++curve) {
        p.setCurve(curve);
        for (int velocity : {1, 32, 64, 100, 127}) {
            p.vst().suspend();  // frees every voice
            p.vst().resume();
            p.at(p.done + 5, 0x90, 60, velocity);
            p.run(128);
            EXPECT_NEAR(p.right.back(), expected(curve, velocity / 127.0), 2e-6)
                << "curve " << curve << " velocity " << velocity;
        }
    }
    // Sensitivity s gives curve * s/10 + 1 - s/10.
    p.setCurve(1);
    p.setSensitivity(5.f);
    p.vst().suspend();
    p.vst().resume();
    p.at(p.done + 5, 0x90, 60, 64);
    p.run(128);
    EXPECT_NEAR(p.right.back(), (64.0 / 127) * (64.0 / 127) * 0.5 + 0.5, 2e-6);
}

TEST(Voices, Controllers120And123ReleaseEveryVoiceOnAnyChannel) {
    Player p(4, 256);
    p.at(0, 0x90, 60, 127);
    p.at(1, 0x90, 64, 127);
    p.at(2, 0x90, 67, 127);
    p.at(300, 0xB0, 123, 0);
    p.at(600, 0x90, 60, 127);
    p.at(601, 0x90, 64, 127);
    p.at(900, 0xB5, 120, 0);
    p.run(1200);
    EXPECT_NEAR(p.right[299], 3.f, 1e-6);
    EXPECT_EQ(p.right[300], 0.f);
    EXPECT_EQ(p.right[599], 0.f);
    EXPECT_NEAR(p.right[899], 2.f, 1e-6);
    EXPECT_EQ(p.right[900], 0.f);
    EXPECT_EQ(p.left[1199], 0.f);
}

TEST(Voices, VoicesThatHaveNotPlayedStayDisabledAndNeverRun) {
    Player p(4, 512);
    p.at(50, 0x90, 60, 127);
    p.at(60, 0xB0, 123, 0);  // events reach every voice, playing or not
    p.run(2048);
    EXPECT_GT(p.tone(0)->samplesRun, 0u);
    EXPECT_EQ(p.tone(0)->flags & QB_ModuleBase::kDisabled, 0u);
    for (int v = 1; v < 4; ++v) {
        EXPECT_NE(p.tone(v)->flags & QB_ModuleBase::kDisabled, 0u) << v;
        EXPECT_EQ(p.tone(v)->samplesRun, 0u) << v;
    }
    EXPECT_EQ(p.vst().eventPool.dropped(), 0u);
}

}  // namespace
