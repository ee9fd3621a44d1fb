// Hostile chunks from the host: wrong sizes, NaN and out-of-range values, names without a
// terminator, nonsense MIDI assignments. None breaks the plug-in, and every parameter
// stays one the host can read back: a number in 0..1 with a display text.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "host_session.h"
#include "plugin/parameters.h"

namespace {

using host_suite::Session;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

size_t textLength(const char* text, size_t size) {
    const void* end = std::memchr(text, '\0', size);
    return end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - text) : size;
}

// Everything a host reads after restoring state, for the current program and then for
// every program in turn; and the instance still plays.
void expectReadableEverywhere(Session& s, const std::string& what) {
    for (VstInt32 program = 0; program < 17; ++program) {
        if (program < kNumPrograms) s.setProgram(program);
        for (VstInt32 p = 0; p < kNumParams; ++p) {
            const float x = s.getParameter(p);
            EXPECT_TRUE(x >= 0.f && x <= 1.f) << what << ": program " << program << " parameter " << p << " reads " << x;
            char text[64];
            std::memset(text, 0x7F, sizeof text);
            s.dispatch(effGetParamDisplay, p, 0, text);
            EXPECT_LE(textLength(text, sizeof text), 8u) << what << ": display of " << p;
        }
        char name[64];
        std::memset(name, 0x7F, sizeof name);
        s.dispatch(effGetProgramName, 0, 0, name);
        EXPECT_LE(textLength(name, sizeof name), 24u) << what;
        std::memset(name, 0x7F, sizeof name);
        EXPECT_EQ(s.dispatch(effGetProgramNameIndexed, program % 16, 0, name), 1);
        EXPECT_LE(textLength(name, sizeof name), 24u) << what;
    }
    s.start(44100.f, 512);
    EXPECT_TRUE(host_suite::allFinite(s.play(4096))) << what;
}

TEST(HostileChunks, WrongSizesOfRandomBytesAreTakenWithoutHarm) {
    std::mt19937 random(11);
    for (size_t size : {1u, 2u, 3u, 100u, 389u, 391u, 392u, 783u, 1000u, 6239u, 6240u, 6271u, 6273u, 100000u}) {
        for (bool asProgram : {false, true}) {
            std::vector<uint8_t> bytes(size);
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
            Session s;
            s.setProgram(3);
            EXPECT_EQ(s.setChunk(bytes, asProgram), static_cast<VstIntPtr>(size));
            expectReadableEverywhere(s, std::to_string(size) + (asProgram ? " bytes as a program" : " bytes as a bank"));
            // A good bank chunk afterwards restores the instance completely.
            Session good;
            ASSERT_EQ(s.setChunk(good.chunk(false), false), 6272);
            EXPECT_EQ(s.chunk(false), good.chunk(false));
        }
    }
}

TEST(HostileChunks, NaNAndOutOfRangeValuesReadBackAsTheNearestValueInRange) {
    const float stored[18] = {kNaN, kInf, -kInf, -1.f, 2.f, 1e30f, -1e-30f, -0.f, 0.25f,
                              std::numeric_limits<float>::denorm_min(), 1.0000001f, 0.9999999f, -kNaN, 0.5f,
                              std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), 1.f, 0.f};
    const float expected[18] = {0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 0.25f,
                                std::numeric_limits<float>::denorm_min(), 1.f, 0.9999999f, 0.f, 0.5f,
                                1.f, 0.f, 1.f, 0.f};
    Session source;
    std::vector<uint8_t> program = source.chunk(true);
    std::memcpy(program.data(), stored, sizeof stored);

    Session s;
    ASSERT_EQ(s.setChunk(program, true), 390);
    for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(s.getParameter(p), expected[p]) << p;
    // What the host saves next holds the values it reads, not the broken ones.
    const std::vector<uint8_t> saved = s.chunk(true);
    for (VstInt32 p = 0; p < kNumParams; ++p) {
        float v;
        std::memcpy(&v, &saved[4 * p], sizeof v);
        EXPECT_EQ(v, expected[p]) << p;
    }
    expectReadableEverywhere(s, "hostile values in a program");

    // The same values in every program of a bank.
    std::vector<uint8_t> bank = source.chunk(false);
    for (int k = 0; k < kNumPrograms; ++k) std::memcpy(&bank[392 * k], stored, sizeof stored);
    Session b;
    ASSERT_EQ(b.setChunk(bank, false), 6272);
    for (VstInt32 program = 0; program < kNumPrograms; ++program) {
        b.setProgram(program);
        for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(b.getParameter(p), expected[p]) << program << " " << p;
    }
    expectReadableEverywhere(b, "hostile values in a bank");
}

TEST(HostileChunks, NamesWithoutATerminatorReadAsTheirTwentyFourCharacters) {
    Session source;
    std::vector<uint8_t> bank = source.chunk(false);
    for (int k = 0; k < kNumPrograms; ++k) {
        std::memset(&bank[392 * k + 364], 'A' + k, 24);
        bank[392 * k + 388] = 'y';  // the terminator byte
        bank[392 * k + 389] = 'z';  // the unused byte
        bank[392 * k + 390] = 'p';  // padding
        bank[392 * k + 391] = 'q';
    }
    Session s;
    ASSERT_EQ(s.setChunk(bank, false), 6272);
    for (VstInt32 k = 0; k < kNumPrograms; ++k) {
        char name[64];
        std::memset(name, 0x7F, sizeof name);
        ASSERT_EQ(s.dispatch(effGetProgramNameIndexed, k, 0, name), 1);
        EXPECT_EQ(std::string(name, textLength(name, sizeof name)), std::string(24, static_cast<char>('A' + k))) << k;
        EXPECT_EQ(name[25], 0x7F) << "nothing is written beyond the terminator";
    }
    s.setProgram(9);
    EXPECT_EQ(s.programName(), std::string(24, 'J'));
    // A program chunk without a terminator, and a new name over it.
    std::vector<uint8_t> program = s.chunk(true);
    ASSERT_EQ(program.size(), 390u);
    std::fill(program.begin() + 364, program.begin() + 390, static_cast<uint8_t>('x'));
    ASSERT_EQ(s.setChunk(program, true), 390);
    EXPECT_EQ(s.programName(), std::string(24, 'x'));
    char shortName[] = "Mix";
    s.dispatch(effSetProgramName, 0, 0, shortName);
    EXPECT_EQ(s.programName(), "Mix");
    expectReadableEverywhere(s, "names without terminators");
}

TEST(HostileChunks, NonsenseMidiAssignmentsNeverMatchAControllerAndAValidOneStillWorks) {
    Session source;
    std::vector<uint8_t> program = source.chunk(true);
    const int16_t controllers[18] = {-32768, -2, 128, 255, 256, 300, 1000, 32767, -1,
                                     -1, -1, 64, -129, 383, 127 + 256, -1, -1, -1};
    std::memcpy(&program[72], controllers, sizeof controllers);
    Session s;
    ASSERT_EQ(s.setChunk(program, true), 390);
    s.start(44100.f, 512);
    std::vector<VstMidiEvent> midi;
    for (int cc = 0; cc < 128; ++cc) {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = cc;
        e.midiData[0] = static_cast<char>(0xB0 | (cc % 16));
        e.midiData[1] = static_cast<char>(cc);
        e.midiData[2] = 127;
        midi.push_back(e);
    }
    // The list record ends in a variable-length array of event pointers.
    std::vector<uint8_t> record(sizeof(VstEvents) + midi.size() * sizeof(VstEvent*));
    VstEvents* events = reinterpret_cast<VstEvents*>(record.data());
    events->numEvents = static_cast<VstInt32>(midi.size());
    for (size_t i = 0; i < midi.size(); ++i) {
        VstEvent* e = reinterpret_cast<VstEvent*>(&midi[i]);
        std::memcpy(record.data() + offsetof(VstEvents, events) + i * sizeof e, &e, sizeof e);
    }
    float before[18];
    for (VstInt32 p = 0; p < kNumParams; ++p) before[p] = s.getParameter(p);
    ASSERT_EQ(s.dispatch(effProcessEvents, 0, 0, events), 1);
    EXPECT_TRUE(host_suite::allFinite(s.play(1024)));
    // Only parameter 11, assigned to controller 64, followed its controller.
    for (VstInt32 p = 0; p < kNumParams; ++p) EXPECT_EQ(s.getParameter(p), p == 11 ? 127.f * 0.007874016f : before[p]) << p;
    expectReadableEverywhere(s, "nonsense controllers");
}

}  // namespace
