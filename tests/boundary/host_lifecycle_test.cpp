// Host behaviour: opening and closing (cold and warm), many instances at once, suspend and
// resume with and without changes, and editor opcodes before any editor exists.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host_session.h"
#include "platform/dynamic_library.h"

namespace {

using host_suite::Session;
using host_suite::Stereo;

bool libraryLoaded() { return qbLibraryIsLoaded(ORVAN_PLUGIN_PATH); }

Stereo firstSecondOf(VstInt32 program) {
    Session s;
    s.setProgram(program);
    s.start(44100.f, 512);
    return s.play(8192);
}

TEST(HostLifecycle, OpeningAndClosingRepeatedlyColdAndWarmSoundsTheSameEveryTime) {
    const Stereo expected = firstSecondOf(3);
    // Cold: the library is loaded for each instance and unloaded after it.
    for (int round = 0; round < 4; ++round) {
        ASSERT_FALSE(libraryLoaded()) << round;
        EXPECT_EQ(host_suite::firstDifference(expected, firstSecondOf(3)), expected.size()) << "cold " << round;
    }
    // Warm: the library stays loaded while instances come and go, some closed without ever
    // being switched on, some closed while still processing.
    VstHost keeper(ORVAN_PLUGIN_PATH);
    ASSERT_TRUE(keeper.loaded());
    for (int round = 0; round < 40; ++round) {
        Session s;
        ASSERT_TRUE(s.ok());
        if (round % 3 == 0) continue;  // opened and closed at once
        s.setProgram(3);
        s.start(44100.f, 512);
        if (round % 3 == 1) {
            EXPECT_EQ(host_suite::firstDifference(expected, s.play(8192)), expected.size()) << "warm " << round;
        }
        // Closed while switched on: the host never suspends it.
    }
}

TEST(HostLifecycle, ManyInstancesAtOnceEachSoundAsTheyWouldAlone) {
    constexpr int kInstances = 24;
    constexpr int64_t kFrames = 8192;
    auto setUp = [](Session& s, int i) {
        s.setProgram(i % 12);
        s.setParameter(10 + i % 5, static_cast<float>(i) / kInstances);
        s.start(i % 2 ? 48000.f : 44100.f, 64 << (i % 4));
    };
    std::vector<std::unique_ptr<Session>> sessions;
    std::vector<Stereo> outputs(kInstances);
    for (int i = 0; i < kInstances; ++i) {
        sessions.push_back(std::make_unique<Session>());
        setUp(*sessions.back(), i);
    }
    // Round robin, a block each, as a host running many tracks does.
    for (int64_t done = 0; done < kFrames; done += 256)
        for (int i = 0; i < kInstances; ++i) outputs[i].append(sessions[i]->play(256, 256));
    sessions.clear();
    for (int i = 0; i < kInstances; ++i) {
        Session alone;
        setUp(alone, i);
        EXPECT_EQ(host_suite::firstDifference(outputs[i], alone.play(kFrames, 256)), static_cast<size_t>(kFrames)) << i;
    }
}

TEST(HostLifecycle, SuspendAndResumeWithoutChangesKeepsPlayingAtTheSameLevel) {
    Session steady, interrupted;
    steady.start(44100.f, 512);
    interrupted.start(44100.f, 512);
    const Stereo expected = steady.play(88200);
    Stereo out;
    while (out.size() < expected.size()) {
        out.append(interrupted.play(4410));
        interrupted.suspend();
        interrupted.resume();
    }
    ASSERT_TRUE(host_suite::allFinite(out));
    EXPECT_NEAR(host_suite::levelDb(out, 44100, 88200), host_suite::levelDb(expected, 44100, 88200), 0.3);
}

TEST(HostLifecycle, ResumingAfterARateAndBlockChangeSoundsLikeAFreshInstanceWithTheSameSettings) {
    Session changed;
    changed.setProgram(2);
    changed.start(44100.f, 512);
    changed.play(20000);
    changed.suspend();
    changed.setParameter(11, 0.9f);
    changed.setProgram(5);
    changed.setParameter(12, 0.2f);
    changed.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.f);
    changed.dispatch(effSetBlockSize, 0, 100);
    changed.resume();
    changed.restartSignal();

    Session fresh;
    fresh.setProgram(5);
    fresh.setParameter(12, 0.2f);
    fresh.start(96000.f, 100);

    const host_suite::Signal at96k = [](int c, uint64_t n) { return host_suite::musicalSample(c, n, 96000.f); };
    const Stereo a = changed.play(48000, 100, at96k);
    const Stereo b = fresh.play(48000, 100, at96k);
    EXPECT_EQ(host_suite::firstDifference(a, b), a.size());
}

TEST(HostLifecycle, ChangesMadeWhileSuspendedAreHeardAfterResumeWithoutARebuild) {
    Session s;
    s.start(44100.f, 512);
    s.play(44100);
    s.suspend();
    s.setProgram(4);          // Bright
    s.setParameter(11, 1.f);  // Basic boosted to the top
    s.resume();
    const double level = host_suite::levelDb(s.play(88200), 44100, 88200);
    EXPECT_EQ(s.getParameter(11), 1.f);

    // Against instances set up that way, and flat, from the start, over the same stretch
    // of the signal. A suspend clears the filters, so detectors that hold their last pitch
    // where a band is empty may settle elsewhere: a decibel of leeway.
    Session fresh, flat;
    fresh.setProgram(4);
    fresh.setParameter(11, 1.f);
    fresh.start(44100.f, 512);
    flat.start(44100.f, 512);
    fresh.play(44100);
    flat.play(44100);
    EXPECT_NEAR(level, host_suite::levelDb(fresh.play(88200), 44100, 88200), 1.0);
    EXPECT_GT(level, host_suite::levelDb(flat.play(88200), 44100, 88200) + 3.0);
}

TEST(HostLifecycle, EditorOpcodesBeforeAnyEditorExistsChangeNothing) {
    Session quiet, poked;
    auto poke = [&poked] {
        ERect* rect = nullptr;
        const VstIntPtr got = poked.dispatch(effEditGetRect, 0, 0, &rect);
        // Either no editor (0) or a real rectangle for one not yet open.
        if (got != 0) {
            EXPECT_NE(rect, nullptr);
            if (rect != nullptr) {
                EXPECT_GT(rect->right, rect->left);
                EXPECT_GT(rect->bottom, rect->top);
            }
        }
        for (VstInt32 op : {effEditIdle, effEditClose, effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep})
            EXPECT_EQ(poked.dispatch(op, 0, 0, nullptr, 0.f), 0) << op;
        poked.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.f);
        poked.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.f);
        poked.dispatch(effSetEditKnobMode, 0, 2);
    };
    poke();
    quiet.start(44100.f, 256);
    poked.start(44100.f, 256);
    Stereo expected, out;
    for (int block = 0; block < 16; ++block) {
        expected.append(quiet.play(256, 256));
        poke();
        out.append(poked.play(256, 256));
    }
    poked.suspend();
    poke();
    EXPECT_EQ(host_suite::firstDifference(expected, out), out.size());
}

}  // namespace
