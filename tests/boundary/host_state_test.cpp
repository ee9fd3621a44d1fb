// Host behaviour: saving state with getChunk and restoring it into a fresh instance, for
// every program and for the bank, gives the same names, values and bit-identical output.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host_session.h"
#include "plugin/parameters.h"

namespace {

using host_suite::Session;
using host_suite::Stereo;

// Moves a few parameters of the current program away from their factory values.
void tweak(Session& s, unsigned seed) {
    std::mt19937 random(seed);
    for (int k = 0; k < 4; ++k) {
        const VstInt32 p = 2 + static_cast<VstInt32>(random() % 13);
        s.setParameter(p, static_cast<float>(random() % 1000) / 999.f);
    }
}

TEST(HostState, EveryProgramChunkGivesAFreshInstanceTheSameValuesAndBitIdenticalOutput) {
    for (VstInt32 program = 0; program < kNumPrograms; ++program) {
        Session saved;
        saved.setProgram(program);
        tweak(saved, 100u + static_cast<unsigned>(program));
        const std::vector<uint8_t> chunk = saved.chunk(true);
        ASSERT_EQ(chunk.size(), 390u);

        Session restored;
        ASSERT_EQ(restored.setChunk(chunk, true), 390);
        EXPECT_EQ(restored.programName(), saved.programName()) << program;
        for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(restored.getParameter(p), saved.getParameter(p)) << program << " " << p;
        EXPECT_EQ(restored.chunk(true), chunk) << program;

        saved.start(44100.f, 512);
        restored.start(44100.f, 512);
        const Stereo a = saved.play(16384);
        const Stereo b = restored.play(16384);
        EXPECT_EQ(host_suite::firstDifference(a, b), a.size()) << program;
    }
}

TEST(HostState, TheBankChunkGivesAFreshInstanceEveryProgramAndBitIdenticalOutputThroughProgramChanges) {
    Session saved;
    for (VstInt32 program = 0; program < kNumPrograms; ++program) {
        saved.setProgram(program);
        tweak(saved, 200u + static_cast<unsigned>(program));
        std::string name = "Take " + std::to_string(program) + " of the session";
        saved.dispatch(effSetProgramName, 0, 0, name.data());
    }
    saved.setProgram(7);
    const std::vector<uint8_t> bank = saved.chunk(false);
    ASSERT_EQ(bank.size(), 6272u);

    Session restored;
    ASSERT_EQ(restored.setChunk(bank, false), 6272);
    // A host restores the current program after the bank.
    restored.setProgram(7);
    EXPECT_EQ(restored.chunk(false), bank);
    for (VstInt32 program = 0; program < kNumPrograms; ++program)
        EXPECT_EQ(restored.host().getString(effGetProgramNameIndexed, program),
                  saved.host().getString(effGetProgramNameIndexed, program));

    saved.start(48000.f, 256);
    restored.start(48000.f, 256);
    for (VstInt32 program : {7, 0, 15, 3, 8, 12, 5}) {
        saved.setProgram(program);
        restored.setProgram(program);
        const Stereo a = saved.play(6000, 256);
        const Stereo b = restored.play(6000, 256);
        EXPECT_EQ(host_suite::firstDifference(a, b), a.size()) << program;
        for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(restored.getParameter(p), saved.getParameter(p)) << program << " " << p;
    }
}

}  // namespace
