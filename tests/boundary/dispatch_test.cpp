#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "loaded_plugin.h"
#include "plugin/parameters.h"

namespace {

// Far beyond any valid index or size: 2^40 where VstIntPtr has 64 bits; its largest
// value where it has 32, since 2^40 would wrap to 0 there.
const VstIntPtr kHuge =
    sizeof(VstIntPtr) > 4 ? static_cast<VstIntPtr>(int64_t{1} << 40) : std::numeric_limits<VstIntPtr>::max();

using Dispatch = LoadedPlugin;

TEST_F(Dispatch, RefusedOpcodesAnswerZero) {
    char buffer[256] = "0.5";
    const VstInt32 refused[] = {
        effSetSpeakerArrangement, effSetBypass,         effString2Parameter,   effGetParameterProperties,
        effGetTailSize,           effGetNumMidiOutputChannels, effSetProcessPrecision, effBeginSetProgram,
        effEndSetProgram,         effOfflineNotify,     effOfflinePrepare,     effOfflineRun,
        effGetMidiProgramName,    effGetCurrentMidiProgram, effGetMidiProgramCategory,
        effHasMidiProgramsChanged, effGetMidiKeyName,   effGetVu,              effVendorSpecific,
        effShellGetNextPlugin,    effStartProcess,      effStopProcess,        80,
        1000,                     -1,
    };
    for (VstInt32 opcode : refused) EXPECT_EQ(host.dispatch(opcode, 0, 1, buffer, 1.f), 0) << opcode;
}

TEST_F(Dispatch, TotalSampleCountIsAnsweredUnchanged) {
    EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, 123456), 123456);
}

TEST_F(Dispatch, SetUpOpcodesAnswerZero) {
    EXPECT_EQ(host.dispatch(effOpen), 0);
    EXPECT_EQ(host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f), 0);
    EXPECT_EQ(host.dispatch(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(host.dispatch(effMainsChanged, 0, 0), 0);
}

TEST_F(Dispatch, TheEditorAnswersItsRectangleBeforeOpeningAndNothingElseWhileClosed) {
    ERect* rect = nullptr;
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 529);
    EXPECT_EQ(rect->right, 540);
    EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, nullptr), 0);  // no parent window: nothing opens
    EXPECT_EQ(host.dispatch(effEditIdle), 0);
    EXPECT_EQ(host.dispatch(effEditClose), 0);
    EXPECT_EQ(host.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.f), 0);
    EXPECT_EQ(host.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.f), 0);
    EXPECT_EQ(host.dispatch(effSetEditKnobMode, 0, 2), 0);
}

TEST_F(Dispatch, EveryHostParameterCanBeAutomatedAndNothingElse) {
    for (VstInt32 i = 0; i < kNumParams; ++i) EXPECT_EQ(host.dispatch(effCanBeAutomated, i), 1) << i;
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 18), 0);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, -1), 0);
}

TEST_F(Dispatch, MidiEventsAreTaken) {
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 7;
    cc.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&cc);
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), 0);
}

TEST_F(Dispatch, ProgramsOutsideZeroToFifteenAreIgnored) {
    host.dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(host.dispatch(effGetProgram), 5);
    for (VstIntPtr bad : {VstIntPtr{16}, VstIntPtr{17}, VstIntPtr{-1}, kHuge,
                          std::numeric_limits<VstIntPtr>::min()}) {
        EXPECT_EQ(host.dispatch(effSetProgram, 0, bad), 0);
        EXPECT_EQ(host.dispatch(effGetProgram), 5) << bad;
    }
    host.dispatch(effSetProgram, 0, 15);
    EXPECT_EQ(host.dispatch(effGetProgram), 15);
}

TEST_F(Dispatch, IndexedTextOpcodesOutOfRangeWriteNothing) {
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
    };
    const Case cases[] = {{effGetParamLabel, -1},        {effGetParamDisplay, -1},
                          {effGetParamName, -1},         {effGetParamLabel, 18},
                          {effGetParamDisplay, 18},      {effGetParamName, -2147483647 - 1},
                          {effGetProgramNameIndexed, 16}, {effGetProgramNameIndexed, -1}};
    for (const Case& c : cases) {
        char text[64];
        std::memset(text, '#', sizeof text);
        EXPECT_EQ(host.dispatch(c.opcode, c.index, 0, text), 0) << c.opcode << " " << c.index;
        for (char ch : text) ASSERT_EQ(ch, '#') << c.opcode << " " << c.index;
    }
}

TEST_F(Dispatch, NullBuffersAnswerZero) {
    const VstInt32 opcodes[] = {effSetProgramName,     effGetProgramName,  effGetParamLabel,
                                effGetParamDisplay,    effGetParamName,    effGetChunk,
                                effSetChunk,           effProcessEvents,   effGetProgramNameIndexed,
                                effGetInputProperties, effGetOutputProperties, effGetEffectName,
                                effGetVendorString,    effGetProductString, effCanDo,
                                effGetSpeakerArrangement, effEditGetRect};
    for (VstInt32 opcode : opcodes) EXPECT_EQ(host.dispatch(opcode, 0, 0, nullptr), 0) << opcode;
}

TEST_F(Dispatch, ChunkSizesThatAreNotPositiveAreRefused) {
    char data[16] = {};
    EXPECT_EQ(host.dispatch(effSetChunk, 0, -1, data), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 1, -390, data), 0);
    // A size beyond the int the chunk operations take exists only where VstIntPtr is wider.
    if (sizeof(VstIntPtr) > 4) {
        EXPECT_EQ(host.dispatch(effSetChunk, 0, kHuge, data), 0);
    }
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 0, data), 0);
}

TEST_F(Dispatch, HostParametersOutsideTheRangeAreIgnoredAndReadAsZero) {
    host.setParameter(-1, 0.5f);
    host.setParameter(18, 0.5f);
    host.setParameter(40, 0.5f);
    host.setParameter(0, std::nanf(""));
    EXPECT_EQ(host.getParameter(-1), 0.f);
    EXPECT_EQ(host.getParameter(18), 0.f);
    EXPECT_EQ(host.getParameter(2147483647), 0.f);
}

class Processing : public LoadedPlugin {
protected:
    static constexpr int kFrames = 300;
    std::vector<float> inL = std::vector<float>(kFrames, 0.25f);
    std::vector<float> inR = std::vector<float>(kFrames, -0.25f);
    std::vector<float> outL = std::vector<float>(kFrames, 7.f);
    std::vector<float> outR = std::vector<float>(kFrames, 7.f);
};

TEST_F(Processing, BeforeTheFirstResumeThereIsNoGraphAndBothOutputsAreSilent) {
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
    host.dispatch(effSetBlockSize, 0, 512);
    host.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(outL[i], 0.f) << i;
        ASSERT_EQ(outR[i], 0.f) << i;
    }
}

TEST_F(Processing, EmptyAndNegativeBlocksTouchNothing) {
    host.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), 0);
    host.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), -5);
    EXPECT_EQ(outL[0], 7.f);
    EXPECT_EQ(outR[0], 7.f);
}

TEST_F(Processing, MissingBuffersGiveSilenceOrNothing) {
    // No input to read: the outputs are silenced.
    float* noInputs[2] = {nullptr, nullptr};
    float* outputs[2] = {outL.data(), outR.data()};
    effect->processReplacing(effect, noInputs, outputs, kFrames);
    EXPECT_EQ(outL[kFrames - 1], 0.f);
    EXPECT_EQ(outR[kFrames - 1], 0.f);
    // Nowhere to write: nothing happens.
    float* inputs[2] = {inL.data(), inR.data()};
    float* oneOutput[2] = {outL.data(), nullptr};
    std::fill(outL.begin(), outL.end(), 7.f);
    effect->processReplacing(effect, inputs, nullptr, kFrames);
    effect->processReplacing(effect, inputs, oneOutput, kFrames);
    EXPECT_EQ(outL[0], 7.f);
}

TEST_F(Processing, NonsenseSetUpValuesAreIgnoredAndTheInstanceKeepsWorking) {
    const float rates[] = {std::nanf(""), std::numeric_limits<float>::infinity(), -44100.f, 0.f, 0.5f, 1e10f};
    for (float rate : rates) host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    for (VstIntPtr size : {VstIntPtr{0}, VstIntPtr{-64}, kHuge})
        host.dispatch(effSetBlockSize, 0, size);
    host.dispatch(effMainsChanged, 0, 1);
    host.processReplacing(inL.data(), inR.data(), outL.data(), outR.data(), kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_TRUE(std::isfinite(outL[i])) << i;
        ASSERT_TRUE(std::isfinite(outR[i])) << i;
    }
}

}  // namespace
