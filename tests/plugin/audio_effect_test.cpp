#include "plugin/audio_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// Everything the effect and its editor do, in order, as one log.
std::vector<std::string> gLog;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                    float opt) {
    gLog.push_back("host " + std::to_string(opcode) + " " + std::to_string(index) + " " +
                   std::to_string(value) + " " + std::to_string(opt));
    return 0;
}

class ProbeEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    ~ProbeEditor() override { gLog.push_back("editor destroyed"); }
    bool getRect(ERect** rect) override {
        *rect = &rect_;
        return true;
    }
    bool onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return true;
    }
    bool onKeyUp(VstKeyCode& key) override {
        keys.push_back(key);
        return false;
    }
    bool setKnobMode(VstInt32 mode) override {
        knobMode = mode;
        return true;
    }
    std::vector<VstKeyCode> keys;
    VstInt32 knobMode = -1;
    ERect rect_{0, 0, 529, 540};
};

class ProbeEffect : public AudioEffectX {
public:
    explicit ProbeEffect(audioMasterCallback host) : AudioEffectX(host, 16, 18) {}
    ~ProbeEffect() override { gLog.push_back("effect destroyed"); }
    void setParameter(VstInt32 index, float value) override {
        gLog.push_back("set " + std::to_string(index) + " " + std::to_string(value));
    }
    void setSampleRate(float rate) override { gLog.push_back("rate " + std::to_string(rate)); }
    void setBlockSize(VstInt32 size) override { gLog.push_back("block " + std::to_string(size)); }
    void suspend() override { gLog.push_back("suspend"); }
    void resume() override { gLog.push_back("resume"); }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override {
        gLog.push_back("chunk " + std::to_string(size) + (isPreset ? " program" : " bank"));
        return size;
    }
    using AudioEffect::setEditor;
    AEffEditor* currentEditor() { return editor; }
};

class AudioEffectTest : public ::testing::Test {
protected:
    void SetUp() override { gLog.clear(); }
    void TearDown() override {
        if (effect != nullptr) effect->getAeffect()->dispatcher(effect->getAeffect(), effClose, 0, 0, nullptr, 0);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f) {
        return effect->getAeffect()->dispatcher(effect->getAeffect(), opcode, index, value, ptr, opt);
    }
    ProbeEffect* effect = new ProbeEffect(recordingHost);
};

TEST_F(AudioEffectTest, AutomatedEditsSetTheParameterFirstAndReportOnlyHostParameters) {
    effect->setParameterAutomated(3, 0.25f);
    effect->setParameterAutomated(17, 1.f);
    effect->setParameterAutomated(18, 0.5f);
    effect->setParameterAutomated(36, 1.f);
    const std::vector<std::string> expected = {
        "set 3 0.250000",  "host 0 3 0 0.250000", "set 17 1.000000", "host 0 17 0 1.000000",
        "set 18 0.500000", "set 36 1.000000"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(AudioEffectTest, WithoutAHostCallbackNothingIsReported) {
    ProbeEffect lonely(nullptr);
    lonely.setParameterAutomated(1, 0.5f);
    lonely.wantEvents();
    EXPECT_EQ(gLog, std::vector<std::string>{"set 1 0.500000"});
}

TEST_F(AudioEffectTest, MainsChangedResumesOnNonZeroAndSuspendsOnZero) {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effMainsChanged, 0, -7);
    EXPECT_EQ(gLog, (std::vector<std::string>{"resume", "suspend", "resume"}));
}

TEST_F(AudioEffectTest, OnlyUsableSampleRatesAndBlockSizesReachTheEffect) {
    for (float rate : {std::nanf(""), std::numeric_limits<float>::infinity(), 0.f, 0.5f, -48000.f, 3e9f})
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
    for (VstIntPtr size : {VstIntPtr{0}, VstIntPtr{-1}}) dispatch(effSetBlockSize, 0, size);
    dispatch(effSetBlockSize, 0, 64);
    dispatch(effSetBlockSize, 0, std::numeric_limits<VstIntPtr>::max());
    EXPECT_EQ(gLog, (std::vector<std::string>{"rate 48000.000000", "block 64", "block 2147483647"}));
}

TEST_F(AudioEffectTest, ChunksReachTheEffectWithTheirKindAndTheEffectGivesTheAnswer) {
    char data[400] = {};
    EXPECT_EQ(dispatch(effSetChunk, 1, 390, data), 390);
    EXPECT_EQ(dispatch(effSetChunk, 0, 6272, data), 6272);
    EXPECT_EQ(dispatch(effSetChunk, 0, -1, data), 0);
    EXPECT_EQ(gLog, (std::vector<std::string>{"chunk 390 program", "chunk 6272 bank"}));
}

TEST_F(AudioEffectTest, EditorOpcodesReachTheEditorWithTheKeyFieldsMapped) {
    auto* editor = new ProbeEditor(effect);
    effect->setEditor(editor);
    EXPECT_EQ(effect->getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);

    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 540);

    EXPECT_EQ(dispatch(effEditKeyDown, 'q', 3, nullptr, 4.f), 1);
    EXPECT_EQ(dispatch(effEditKeyUp, 'q', 0x1FF, nullptr, std::nanf("")), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'z', 0, nullptr, 1e9f), 1);
    ASSERT_EQ(editor->keys.size(), 3u);
    EXPECT_EQ(editor->keys[0].character, 'q');
    EXPECT_EQ(editor->keys[0].virt, 3);
    EXPECT_EQ(editor->keys[0].modifier, 4);
    EXPECT_EQ(editor->keys[1].virt, 0xFF);
    EXPECT_EQ(editor->keys[1].modifier, 0);  // NaN: no modifier
    EXPECT_EQ(editor->keys[2].modifier, 0);  // out of range: no modifier

    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0);

    effect->setEditor(nullptr);
    EXPECT_EQ(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'q', 3, nullptr, 4.f), 0);
}

TEST_F(AudioEffectTest, CloseThroughTheDescriptorDestroysTheEffectsOwnStateAndThenItsEditor) {
    effect->setEditor(new ProbeEditor(effect));
    gLog.clear();
    EXPECT_EQ(dispatch(effClose), 1);
    effect = nullptr;
    EXPECT_EQ(gLog, (std::vector<std::string>{"effect destroyed", "editor destroyed"}));
}

}  // namespace
