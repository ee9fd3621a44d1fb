// Host behaviour: parameter and program changes at block boundaries and in the middle of
// a block (MIDI controllers), and automation from a second thread while audio runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host_session.h"
#include "plugin/parameters.h"

namespace {

using host_suite::Session;

// Final settings of the automation test: fast response, no freeze, everything else spread.
float finalValue(VstInt32 p) { return p == 4 ? 1.f : (p == 7 ? 0.f : static_cast<float>(p) / 17.f); }
using host_suite::Stereo;

// Plays 12000 frames in host blocks of the given size, with change() made between the
// blocks at frame 6000.
template <class Change>
Stereo changeAt6000(int64_t hostBlock, Change change) {
    Session s;
    s.setProgram(1);
    s.start(44100.f, 512);
    Stereo out = s.play(6000, hostBlock);
    change(s);
    out.append(s.play(6000, hostBlock));
    return out;
}

TEST(HostAutomation, ParameterAndProgramChangesAtABlockBoundaryActFromThatFrameOnWhateverTheSlicing) {
    const Stereo unchanged = changeAt6000(512, [](Session&) {});
    struct Case {
        const char* what;
        void (*change)(Session&);
    };
    const Case cases[] = {
        {"gain", [](Session& s) { s.setParameter(11, 1.f); }},
        {"style", [](Session& s) { s.setParameter(2, 1.f); }},
        {"program", [](Session& s) { s.setProgram(4); }},
        {"program and gain", [](Session& s) { s.setProgram(6); s.setParameter(10, 0.f); }},
    };
    for (const Case& c : cases) {
        const Stereo reference = changeAt6000(6000, c.change);
        const size_t first = host_suite::firstDifference(unchanged, reference);
        EXPECT_GE(first, 6000u) << c.what;
        EXPECT_LT(first, 12000u) << c.what;
        for (int64_t block : {1, 7, 128, 500, 1000, 3000}) {
            EXPECT_EQ(host_suite::firstDifference(reference, changeAt6000(block, c.change)), reference.size())
                << c.what << " in blocks of " << block;
        }
    }
}

VstMidiEvent controlChange(int channel, int controller, int value, VstInt32 deltaFrames) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(0xB0 | channel);
    e.midiData[1] = static_cast<char>(controller);
    e.midiData[2] = static_cast<char>(value);
    return e;
}

// Assigns MIDI controller cc to host parameter p through program 0's chunk, as a host
// restoring a project with MIDI-learn assignments does.
void assignController(Session& s, int p, int16_t cc) {
    s.setProgram(0);
    std::vector<uint8_t> chunk = s.chunk(true);
    ASSERT_EQ(chunk.size(), 390u);
    std::memcpy(&chunk[72 + 2 * p], &cc, sizeof cc);
    ASSERT_EQ(s.setChunk(chunk, true), 390);
}

// Several controllers inside one block, some a sub-block (128 frames) or more apart: each
// acts at its own frame, exactly as a parameter change at a block boundary there would.
TEST(HostAutomation, MidiControllersInsideABlockActExactlyLikeParameterChangesAtTheirFrames) {
    struct Change {
        VstInt32 frame;  // within the block at 4096
        VstInt32 parameter;
        int16_t controller;
        int value;
    };
    const Change changes[] = {{100, 11, 20, 100}, {200, 12, 21, 0}, {260, 2, 22, 127}, {450, 10, 23, 90}};
    Session midi, boundary;
    for (const Change& c : changes) {
        assignController(midi, c.parameter, c.controller);
        assignController(boundary, c.parameter, c.controller);
    }
    midi.start(44100.f, 512);
    boundary.start(44100.f, 512);

    Stereo a = midi.play(4096, 512);
    std::vector<VstMidiEvent> cc;
    for (const Change& c : changes) cc.push_back(controlChange(c.parameter % 16, c.controller, c.value, c.frame));
    std::vector<uint8_t> record(sizeof(VstEvents) + cc.size() * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(record.data());
    events->numEvents = static_cast<VstInt32>(cc.size());
    for (size_t i = 0; i < cc.size(); ++i) {
        VstEvent* e = reinterpret_cast<VstEvent*>(&cc[i]);
        std::memcpy(record.data() + offsetof(VstEvents, events) + i * sizeof e, &e, sizeof e);
    }
    ASSERT_EQ(midi.dispatch(effProcessEvents, 0, 0, events), 1);
    a.append(midi.play(8192, 512));

    Stereo b = boundary.play(4096, 512);
    VstInt32 at = 0;
    for (const Change& c : changes) {
        b.append(boundary.play(c.frame - at, 512));
        boundary.setParameter(c.parameter, static_cast<float>(c.value) * 0.007874016f);
        at = c.frame;
    }
    b.append(boundary.play(8192 - at, 512));

    EXPECT_EQ(host_suite::firstDifference(a, b), a.size());
    for (const Change& c : changes) {
        EXPECT_EQ(midi.getParameter(c.parameter), static_cast<float>(c.value) * 0.007874016f) << c.parameter;
        EXPECT_EQ(midi.getParameter(c.parameter), boundary.getParameter(c.parameter)) << c.parameter;
    }
}

TEST(HostAutomation, AutomationFromASecondThreadWhileProcessingEndsOnTheLastValuesAndSoundsLikeThem) {
    Session s;
    s.start(44100.f, 256);
    std::atomic<bool> done{false};
    std::thread automation([&] {
        std::mt19937 random(7);
        char text[64];
        for (int i = 0; i < 20000; ++i) {
            const VstInt32 p = static_cast<VstInt32>(random() % kNumParams);
            s.setParameter(p, static_cast<float>(random() % 1001) / 1000.f);
            (void)s.getParameter(static_cast<VstInt32>(random() % kNumParams));
            s.dispatch(effGetParamDisplay, p, 0, text);
            if (i % 500 == 0) s.setProgram(static_cast<VstInt32>(random() % 16));
        }
        s.setProgram(6);
        for (VstInt32 p = 2; p < 15; ++p) s.setParameter(p, finalValue(p));
        done.store(true);
    });
    bool finite = true;
    while (!done.load()) finite = host_suite::allFinite(s.play(256, 256)) && finite;
    automation.join();
    EXPECT_TRUE(finite);
    for (VstInt32 p = 2; p < 15; ++p) EXPECT_EQ(s.getParameter(p), finalValue(p)) << p;

    // Against an instance set that way from the start, at the same phase of the signal's
    // 63000-frame swell. Detectors of bands the signal leaves empty would hold whatever
    // pitch the random automation left them, so both restart their graphs (a new block
    // size rebuilds it from the values the processor holds): a decibel of leeway.
    s.suspend();
    s.start(44100.f, 128);
    const Stereo out = s.play(88200, 128);
    EXPECT_TRUE(host_suite::allFinite(out));
    Session fresh;
    fresh.setProgram(6);
    for (VstInt32 p = 2; p < 15; ++p) fresh.setParameter(p, finalValue(p));
    fresh.start(44100.f, 128);
    fresh.play(static_cast<int64_t>((s.clock() - 88200) % 63000), 128);
    EXPECT_NEAR(host_suite::levelDb(out, 44100, 88200), host_suite::levelDb(fresh.play(88200, 128), 44100, 88200), 1.0);
}

}  // namespace
