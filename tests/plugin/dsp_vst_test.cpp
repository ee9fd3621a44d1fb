#include "plugin/dsp_vst.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/processor_fixture.h"
#include "support/test_graph.h"

namespace {

// A graph of one recording module that is also the output, to watch sub-blocks.
struct RecordingGraph : QB_SignalGraph {
    explicit RecordingGraph(int32_t ring) {
        internalBlockSize = ring;
        rec = new RecordingModule(this, false);
        rec->allocateOutput(1);
        moduleTable[0] = rec;
        moduleCount = 1;
        outputModule = 0;
        graphRing = static_cast<uint32_t>(ring);
    }
    RecordingModule* rec;
};

std::vector<uint32_t> counts(const RecordingModule& m) {
    std::vector<uint32_t> c;
    for (const auto& call : m.calls) c.push_back(call.count);
    return c;
}

TEST(ProcessorSubBlocks, AHostBlockOf300RunsAs128And128And44AndTheNextStartsWith84) {
    RecordingGraph g(128);
    std::vector<float> in(300, 0.f), out(300, 0.f);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    g.process(ins, outs, 300);
    EXPECT_EQ(counts(*g.rec), (std::vector<uint32_t>{128, 128, 44}));
    EXPECT_EQ(g.ringPosition, 44u);
    EXPECT_EQ(g.samplePosition, 300u);
    g.rec->calls.clear();
    g.process(ins, outs, 300);
    EXPECT_EQ(counts(*g.rec), (std::vector<uint32_t>{84, 128, 88}));
}

TEST(ProcessorSubBlocks, ARingOf64WrapsEverySubBlockAndZeroFramesDoNothing) {
    RecordingGraph g(64);
    std::vector<float> in(100, 0.f), out(100, 0.f);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    g.process(ins, outs, 100);
    EXPECT_EQ(counts(*g.rec), (std::vector<uint32_t>{64, 36}));
    g.process(ins, outs, 0);
    g.process(ins, outs, -3);
    EXPECT_EQ(g.samplePosition, 100u);
    EXPECT_EQ(g.rec->calls.size(), 2u);
}

TEST(ProcessorLifecycle, ResumeRebuildsOnlyWhenTheRateOrInternalBlockChanges) {
    ProcessorRig rig(44100.f, 256);
    QB_DSP_VST& v = *rig.vst;
    ASSERT_GT(v.moduleCount, 0);
    QB_ModuleBase* first = v.moduleTable[0];
    rig.process(256);
    v.suspend();
    v.setBlockSize(512);  // still an internal block of 128
    v.resume();
    EXPECT_EQ(v.moduleTable[0], first);
    v.suspend();
    v.setBlockSize(64);
    v.resume();
    EXPECT_EQ(v.internalBlockSize, 64);
    EXPECT_EQ(v.moduleTable[0]->ringLength, 64u);
    v.suspend();
    v.setSampleRate(48000.f);
    v.resume();
    EXPECT_EQ(v.builtSampleRate, 48000);
    EXPECT_EQ(v.glideSuppressed[0], -1);
    EXPECT_EQ(v.glideSuppressed[1], -1);
    rig.process(64);
    EXPECT_EQ(v.glideSuppressed[0], 0);
}

TEST(ProcessorLifecycle, ARebuildSendsEveryControlsCurrentValueToTheNewGraph) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setParameter(10, 0.8f);
    v.suspend();
    v.setSampleRate(96000.f);
    v.resume();
    EXPECT_FLOAT_EQ(v.graphControlValues[10], 0.3f);
    for (int k = 0; k < kNumControls; ++k) EXPECT_EQ(v.graphControlValues[k], v.controlValue(k)) << k;
}

TEST(ProcessorSetUp, NonsenseRatesAndBlockSizesAreIgnored) {
    ProcessorRig rig(48000.f, 256);
    QB_DSP_VST& v = *rig.vst;
    for (float r : {std::nanf(""), std::numeric_limits<float>::infinity(), 0.f, -1.f, 0.5f}) v.setSampleRate(r);
    v.setBlockSize(0);
    v.setBlockSize(-5);
    EXPECT_EQ(v.sampleRateInt, 48000);
    EXPECT_EQ(v.internalBlockSize, 128);
    EXPECT_GT(v.pitchCeiling, 0);
    EXPECT_LE(v.pitchCeiling, 24000);
}

TEST(ProcessorSetUp, TheLookupTablesFollowTheRateEvenBackToTheBuiltOne) {
    ProcessorRig rig(44100.f);
    QB_DSP_VST& v = *rig.vst;
    const float at441 = v.tables.pitchTan[1500];
    v.setSampleRate(48000.f);
    EXPECT_NE(v.tables.pitchTan[1500], at441);
    v.setSampleRate(44100.f);  // the graph was built for 44100: the tables must match it again
    EXPECT_EQ(v.tables.pitchTan[1500], at441);
}

TEST(Parameters, ScalingAndDisplaysFollowTheControlTable) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    char text[64];
    v.setParameter(4, 0.f);
    EXPECT_FLOAT_EQ(v.controlValue(4), 100.f);
    v.getParameterDisplay(4, text);
    EXPECT_STREQ(text, "1000.000");
    v.setParameter(4, 1.f);
    EXPECT_FLOAT_EQ(v.controlValue(4), 0.5f);
    v.getParameterDisplay(4, text);
    EXPECT_STREQ(text, "5.000000");
    v.setParameter(10, 0.f);
    v.getParameterDisplay(10, text);
    EXPECT_STREQ(text, "-5.00000");
    v.setParameter(10, 1.5f);  // above 1 reads as 1
    EXPECT_EQ(v.getParameter(10), 1.f);
    EXPECT_FLOAT_EQ(v.controlValue(10), 0.5f);
    v.getParameterName(0, text);
    EXPECT_STREQ(text, "orvanD.png");
    v.getParameterName(13, text);
    EXPECT_STREQ(text, "High Harmonic");
    v.getParameterName(18, text);
    EXPECT_STREQ(text, "z-");
    v.getParameterLabel(5, text);
    EXPECT_STREQ(text, "");
}

TEST(Parameters, EventsCarryTheDisplayValueRoundedHalfUp) {
    EXPECT_EQ(qbDisplayRound(0.f), 0);
    EXPECT_EQ(qbDisplayRound(0.05f), 1);
    EXPECT_EQ(qbDisplayRound(-0.05f), 0);
    EXPECT_EQ(qbDisplayRound(0.2f * 0.8f * 10.f / 10.f * 1.f), 2);  // Style at x = 0.8: British
    EXPECT_EQ(qbDisplayRound(std::nanf("")), 0);
    EXPECT_EQ(qbDisplayRound(std::numeric_limits<float>::infinity()), 2147483647 - 1000);
    EXPECT_EQ(qbDisplayRound(-1e30f), std::numeric_limits<int32_t>::min());
}

TEST(Parameters, SelectorsDisplayTheirOptionOnceTheSelectorIsBuilt) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    char text[64];
    const int16_t saved = qbControlMaps().optionCount(2);
    qbControlMaps().setOptionCount(2, 0);
    v.setParameter(2, 0.8f);
    v.getParameterDisplay(2, text);
    EXPECT_STREQ(text, "");
    qbControlMaps().setOptionCount(2, 3);
    qbControlMaps().setOptionCount(3, 3);
    v.getParameterDisplay(2, text);
    EXPECT_STREQ(text, "German");  // (3 - 1) * 0.8 truncated
    v.setParameter(3, 0.5f);
    v.getParameterDisplay(3, text);
    EXPECT_STREQ(text, "Masterin");
    qbControlMaps().setOptionCount(2, saved);
}

TEST(Parameters, InternalControlsAndBadValuesNeverReachARecordOrTheGraphAsNaN) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setParameter(36, 1.f);  // Bypass: not a program parameter
    EXPECT_EQ(v.getParameter(36), 0.f);
    EXPECT_FLOAT_EQ(v.controlValue(36), 0.1f);
    v.setParameter(11, std::nanf(""));
    EXPECT_EQ(v.getParameter(11), 0.f);
    EXPECT_TRUE(std::isfinite(v.controlValue(11)));
    v.setParameter(12, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(v.getParameter(12), 0.f);
    v.setParameter(-1, 0.5f);
    v.setParameter(41, 0.5f);
    EXPECT_EQ(v.getParameter(-1), 0.f);
    EXPECT_EQ(v.getParameter(41), 0.f);
    char text[16] = "x";
    v.getParameterDisplay(-3, text);
    EXPECT_STREQ(text, "");
    v.getParameterName(-3, text);
    EXPECT_STREQ(text, "");
    rig.process(512);
    for (int k = 0; k < kNumControls; ++k) EXPECT_TRUE(std::isfinite(v.graphControlValues[k])) << k;
}

TEST(Programs, TheFactoryBankIsLoadedAndProgramsApplyTheirValues) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    char name[64];
    v.getProgramNameIndexed(0, 0, name);
    EXPECT_STREQ(name, "Default Flat");
    v.getProgramNameIndexed(0, 15, name);
    EXPECT_STREQ(name, "Empty 16");
    EXPECT_FALSE(v.getProgramNameIndexed(0, 16, name));
    EXPECT_FALSE(v.getProgramNameIndexed(0, -1, name));
    v.setProgram(1);  // "Bass Enhancer"
    EXPECT_EQ(v.getProgram(), 1);
    EXPECT_FLOAT_EQ(v.getParameter(10), 0.7f);
    EXPECT_FLOAT_EQ(v.editorState().loadedProgramValue(5), 0.53333336f);
    EXPECT_FLOAT_EQ(v.controlValue(10), 0.2f);
    v.setProgram(16);
    v.setProgram(-1);
    EXPECT_EQ(v.getProgram(), 1);
}

TEST(Programs, NamesAreCutTo24Characters) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    char longName[] = "abcdefghijklmnopqrstuvwxyz0123";
    v.setProgramName(longName);
    char name[64];
    v.getProgramName(name);
    EXPECT_STREQ(name, "abcdefghijklmnopqrstuvwx");
    v.setProgramName(nullptr);
    v.getProgramName(name);
    EXPECT_STREQ(name, "abcdefghijklmnopqrstuvwx");
}

TEST(Chunks, ABankChunkRoundTripsEveryNameAndAProgramChunkReplacesOnlyTheCurrent) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setProgram(15);
    char renamed[] = "Last one";
    v.setProgramName(renamed);
    void* data = nullptr;
    ASSERT_EQ(v.getChunk(&data, false), 6272);
    std::vector<unsigned char> bankImage(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + 6272);

    ProcessorRig other;
    ASSERT_EQ(other.vst->setChunk(bankImage.data(), 6272, false), 6272);
    char name[64];
    for (int p = 0; p < kNumPrograms; ++p) {
        v.getProgramNameIndexed(0, p, name);
        std::string expected = name;
        other.vst->getProgramNameIndexed(0, p, name);
        EXPECT_EQ(expected, name) << p;
    }

    // A 390-byte chunk offered as a bank replaces only the current program.
    v.setProgram(2);
    ASSERT_EQ(v.getChunk(&data, true), 390);
    std::vector<unsigned char> program(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + 390);
    other.vst->setProgram(7);
    EXPECT_EQ(other.vst->setChunk(program.data(), 390, false), 390);
    other.vst->getProgramNameIndexed(0, 7, name);
    EXPECT_STREQ(name, "Basic");
    other.vst->getProgramNameIndexed(0, 2, name);
    EXPECT_STREQ(name, "Basic");
    other.vst->getProgramNameIndexed(0, 6, name);
    EXPECT_STREQ(name, "British Gentle");
}

TEST(Chunks, A1000ByteBankChunkReplacesTwoProgramsAndTheStartOfTheThird) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    std::vector<unsigned char> chunk(1000, 0);
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < kNumParams; ++i) {
            const float value = 0.25f;
            std::memcpy(&chunk[p * 392 + i * 4], &value, 4);
        }
    }
    std::memcpy(&chunk[364], "Zero", 5);
    std::memcpy(&chunk[392 + 364], "One", 4);
    ASSERT_EQ(v.setChunk(chunk.data(), 1000, false), 1000);
    char name[64];
    v.getProgramNameIndexed(0, 0, name);
    EXPECT_STREQ(name, "Zero");
    v.getProgramNameIndexed(0, 1, name);
    EXPECT_STREQ(name, "One");
    v.getProgramNameIndexed(0, 2, name);
    EXPECT_STREQ(name, "Basic");
    v.getProgramNameIndexed(0, 3, name);
    EXPECT_STREQ(name, "Light Weight");
    v.setProgram(2);
    EXPECT_EQ(v.getParameter(7), 0.25f);
    EXPECT_EQ(v.getMidiController(0), 0);  // program 0's controllers came from the chunk
}

TEST(Chunks, NullOrNegativeChunksChangeNothingAndHostileValuesAreSanitised) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setProgram(1);
    EXPECT_EQ(v.setChunk(nullptr, 390, true), 0);
    QB_ProgramRecord r{};
    EXPECT_EQ(v.setChunk(&r, -4, true), 0);
    EXPECT_FLOAT_EQ(v.getParameter(10), 0.7f);
    // A chunk full of NaN and an unterminated name.
    std::memset(&r, 0xff, sizeof r);
    ASSERT_EQ(v.setChunk(&r, 390, true), 390);
    char name[64];
    v.getProgramName(name);
    EXPECT_EQ(std::strlen(name), 24u);
    for (int p = 0; p < kNumParams; ++p) {
        EXPECT_EQ(v.getParameter(p), 0.f) << p;
        EXPECT_TRUE(std::isfinite(v.controlValue(p))) << p;
    }
}

TEST(Midi, ControlChangesOnAnyChannelDriveTheirParametersButNeverParameter0) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setMidiController(0, 7);
    v.setMidiController(10, 7);
    v.setProgram(3);
    v.setProgram(0);  // assignments live in record 0, whatever program is current
    EXPECT_EQ(v.getMidiController(10), 7);
    EXPECT_EQ(v.getMidiController(18), -1);
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xBF);  // channel 16
    cc.midiData[1] = 7;
    cc.midiData[2] = 127;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[2];
    } list{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    EXPECT_EQ(v.processEvents(reinterpret_cast<VstEvents*>(&list)), 1);
    rig.process(64);
    EXPECT_FLOAT_EQ(v.getParameter(10), 1.f);
    EXPECT_FLOAT_EQ(v.graphControlValues[10], 0.5f);
    EXPECT_EQ(v.getParameter(0), 0.f);
    EXPECT_EQ(v.processEvents(nullptr), 1);
}

}  // namespace
