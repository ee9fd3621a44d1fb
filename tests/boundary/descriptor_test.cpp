#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loaded_plugin.h"

namespace {

using Descriptor = LoadedPlugin;

TEST_F(Descriptor, CarriesTheFieldsAHostReadsAtLoad) {
    EXPECT_EQ(effect->magic, 0x56737450);  // 'VstP'
    EXPECT_EQ(effect->numPrograms, 16);
    EXPECT_EQ(effect->numParams, 18);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, 0x5A774D74);  // 'ZwMt', Z most significant
    EXPECT_EQ(effect->version, 1);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
}

TEST_F(Descriptor, AnnouncesAnEditorReplacingAndProgramChunks) {
    EXPECT_EQ(effect->flags, 0x01 | 0x10 | 0x20);
    EXPECT_EQ(effect->flags & effFlagsNoSoundInStop, 0);
    EXPECT_EQ(effect->flags & effFlagsIsSynth, 0);
    EXPECT_EQ(effect->flags & effFlagsCanDoubleReplacing, 0);
}

TEST_F(Descriptor, IdentityAnswersNameTheProductAndItsVersions) {
    EXPECT_EQ(host.dispatch(effIdentify), 0x4E764566);  // 'NvEf'
    EXPECT_EQ(host.getString(effGetEffectName), "Orvan EQ");
    EXPECT_EQ(host.getString(effGetVendorString), "Lumetra (Ostrin)");
    EXPECT_EQ(host.getString(effGetProductString), "Orvan EQ");
    char name[64];
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, name), 1);
    EXPECT_EQ(host.dispatch(effGetVendorString, 0, 0, name), 1);
    EXPECT_EQ(host.dispatch(effGetProductString, 0, 0, name), 1);
    EXPECT_EQ(host.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(host.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(host.dispatch(effGetPlugCategory), kPlugCategMastering);
    EXPECT_EQ(host.dispatch(effGetNumMidiInputChannels), 16);
    EXPECT_EQ(host.dispatch(effGetNumMidiOutputChannels), 0);
}

TEST_F(Descriptor, CanDoAnswersItsTableByWholeStrings) {
    struct Case {
        const char* text;
        VstIntPtr answer;
    };
    const Case cases[] = {
        {"receiveVstEvents", 1},   {"receiveVstMidiEvents", 1}, {"receiveVstTimeInfo", 1},
        {"sendVstMidiEvent", -1},  {"sendVstEvents", -1},       {"offline", -1},
        {"bypass", -1},            {"midiProgramNames", -1},
        // Near misses and unknown strings: no answer either way.
        {"receiveVstEvent", 0},    {"receiveVstEventsX", 0},    {"Bypass", 0},
        {"bypass ", 0},            {"", 0},                     {"plugAsChannelInsert", 0},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text.data()), c.answer) << '"' << c.text << '"';
    }
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Descriptor, HostBypassIsRefused) {
    char text[] = "bypass";
    EXPECT_EQ(host.dispatch(effCanDo, 0, 0, text), -1);
    EXPECT_EQ(host.dispatch(effSetBypass, 0, 1), 0);
}

// A pin record filled with a pattern, so that untouched bytes can be told apart.
VstPinProperties patternedPin() {
    VstPinProperties p;
    std::memset(&p, 0x5A, sizeof p);
    return p;
}

TEST_F(Descriptor, PinsAreTwoActiveStereoChannelsEachWay) {
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        const char* label;
    };
    const Case cases[] = {{effGetInputProperties, 0, "Left In"},
                          {effGetInputProperties, 1, "Right In"},
                          {effGetOutputProperties, 0, "Left Out"},
                          {effGetOutputProperties, 1, "Right Out"}};
    const VstPinProperties pattern = patternedPin();
    for (const Case& c : cases) {
        VstPinProperties p = patternedPin();
        EXPECT_EQ(host.dispatch(c.opcode, c.index, 0, &p), 1);
        EXPECT_STREQ(p.label, c.label);
        EXPECT_EQ(p.flags, kVstPinIsActive | kVstPinIsStereo);
        EXPECT_EQ(p.arrangementType, kSpeakerArrStereo);
        // The short label and the reserved area are left as the host had them.
        EXPECT_EQ(std::memcmp(p.shortLabel, pattern.shortLabel, sizeof p.shortLabel), 0);
        EXPECT_EQ(std::memcmp(p.future, pattern.future, sizeof p.future), 0);
    }
}

TEST_F(Descriptor, PinsOutsideZeroAndOneAnswerZeroAndLeaveTheRecordUntouched) {
    const VstPinProperties pattern = patternedPin();
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        for (VstInt32 index : {2, 3, -1, -2147483647 - 1, 2147483647}) {
            VstPinProperties p = patternedPin();
            EXPECT_EQ(host.dispatch(opcode, index, 0, &p), 0) << opcode << " " << index;
            EXPECT_EQ(std::memcmp(&p, &pattern, sizeof p), 0) << opcode << " " << index;
        }
        EXPECT_EQ(host.dispatch(opcode, 0, 0, nullptr), 0);
    }
}

TEST_F(Descriptor, SpeakerArrangementIsStereoOnBothSides) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->type, kSpeakerArrStereo);
    EXPECT_EQ(out->numChannels, 2);
    EXPECT_EQ(in->speakers[0].type, kSpeakerL);
    EXPECT_EQ(in->speakers[1].type, kSpeakerR);
}

TEST_F(Descriptor, SpeakerArrangementWithAMissingPointerAnswersZero) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetSpeakerArrangement, 0, 0, &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
