#include <gtest/gtest.h>

#include "loaded_plugin.h"
#include "support/vst_host.h"

namespace {

TEST(EntryPoint, ExportsOneFunctionUnderBothNames) {
    VstHost host(ORVAN_PLUGIN_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    ASSERT_NE(host.entry("VSTPluginMain"), nullptr);
    EXPECT_EQ(host.entry("VSTPluginMain"), host.entry("main"));
    // Internal symbols stay hidden.
    EXPECT_EQ(host.entry("qbCreateEffect"), nullptr);
    EXPECT_EQ(host.entry("float2string"), nullptr);
}

TEST(EntryPoint, AsksTheHostVersionFirstWithNoEffectAndNoArguments) {
    VstHost host(ORVAN_PLUGIN_PATH);
    ASSERT_NE(host.instantiate(), nullptr);
    const auto calls = host.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    EXPECT_EQ(calls[0].index, 0);
    EXPECT_EQ(calls[0].value, 0);
    EXPECT_EQ(calls[0].ptr, nullptr);
    EXPECT_EQ(calls[0].opt, 0.f);
}

TEST(EntryPoint, HostAnsweringVersionZeroGetsNoDescriptorAndNothingIsCreated) {
    VstHost host(ORVAN_PLUGIN_PATH);
    host.versionAnswer = 0;
    EXPECT_EQ(host.instantiate(), nullptr);
    // Only the version question: no processor was built, so nothing asked for MIDI.
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(host.calls()[0].opcode, audioMasterVersion);
}

TEST(EntryPoint, ConstructionEndsByAskingForMidiWithValueOne) {
    VstHost host(ORVAN_PLUGIN_PATH);
    AEffect* e = host.instantiate();
    ASSERT_NE(e, nullptr);
    const auto calls = host.calls();
    ASSERT_EQ(host.countCalls(audioMasterWantMidi), 1);
    EXPECT_EQ(calls.back().opcode, audioMasterWantMidi);
    EXPECT_EQ(calls.back().value, 1);
    EXPECT_EQ(calls.back().effect, e);
}

TEST(EntryPoint, TheMainNameCreatesAWorkingInstanceToo) {
    VstHost host(ORVAN_PLUGIN_PATH);
    AEffect* e = host.instantiate("main");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(host.getString(effGetEffectName), "Orvan EQ");
}

TEST(EntryPoint, InstancesAreIndependent) {
    VstHost a(ORVAN_PLUGIN_PATH);
    VstHost b(ORVAN_PLUGIN_PATH);
    ASSERT_NE(a.instantiate(), nullptr);
    ASSERT_NE(b.instantiate(), nullptr);
    EXPECT_NE(a.effect(), b.effect());
    a.dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(a.dispatch(effGetProgram), 7);
    EXPECT_EQ(b.dispatch(effGetProgram), 0);
}

using Closing = LoadedPlugin;

TEST_F(Closing, EffCloseAnswersOneAndMakesNoHostCall) {
    host.clearCalls();
    EXPECT_EQ(host.close(), 1);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Closing, EveryOpcodeBeforeCloseIsSafeWithNullArguments) {
    // Opcodes 0..79 except effClose, with no buffers at all; value 0 keeps
    // effSetProgram in range and effMainsChanged suspending.
    for (VstInt32 opcode = 0; opcode < 80; ++opcode) {
        if (opcode == effClose) continue;
        host.dispatch(opcode, 0, 0, nullptr, 0.f);
        host.dispatch(opcode, -1, -1, nullptr, -1.f);
    }
    EXPECT_EQ(host.close(), 1);
}

}  // namespace
