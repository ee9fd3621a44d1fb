// What hosts may hand the processor that a careful host would not: event lists longer than
// their record type declares, and chunks with broken values. Each case here was found by
// the fuzz targets or the host-behaviour suite.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "support/processor_fixture.h"

namespace {

// Event list records end in a variable-length array: the host allocates room for all its
// entries. Every entry must be read, and only through its address (reading entry 2 or
// later through the two-entry array type is undefined behaviour).
TEST(HostInput, EveryEntryOfAnEventListLongerThanItsRecordTypeIsRead) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    v.setMidiController(12, 30);
    constexpr int kEvents = 6;
    std::vector<VstMidiEvent> midi(kEvents);
    for (int i = 0; i < kEvents; ++i) {
        midi[i].type = kVstMidiType;
        midi[i].byteSize = sizeof(VstMidiEvent);
        midi[i].deltaFrames = i;
        midi[i].midiData[0] = static_cast<char>(0xB0);
        midi[i].midiData[1] = static_cast<char>(i == kEvents - 1 ? 30 : 1);  // only the last one is assigned
        midi[i].midiData[2] = 127;
    }
    std::vector<unsigned char> record(sizeof(VstEvents) + kEvents * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(record.data());
    list->numEvents = kEvents;
    for (int i = 0; i < kEvents; ++i) {
        VstEvent* e = reinterpret_cast<VstEvent*>(&midi[i]);
        std::memcpy(record.data() + offsetof(VstEvents, events) + i * sizeof e, &e, sizeof e);
    }
    EXPECT_EQ(v.processEvents(list), 1);
    rig.process(64);
    EXPECT_FLOAT_EQ(v.getParameter(12), 1.f);
    EXPECT_FLOAT_EQ(v.graphControlValues[12], 0.5f);
}

// A host stamping events far outside the block (or before it) must not fill the event
// pool with records that wait for hours: later changes would find none left.
TEST(HostInput, EventsStampedOutsideTheBlockActWithinItAndLeaveRoomForLaterChanges) {
    ProcessorRig rig(44100.f, 256);
    QB_DSP_VST& v = *rig.vst;
    v.setMidiController(10, 1);
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 1;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&cc);
    const VstInt32 offsets[] = {1 << 30, 256, 100000, -5, std::numeric_limits<VstInt32>::min(), std::numeric_limits<VstInt32>::max()};
    for (int i = 0; i < 12000; ++i) {
        cc.deltaFrames = offsets[i % 6];
        cc.midiData[2] = static_cast<char>(i % 128);
        v.processEvents(&events);
        if (i % 1000 == 999) rig.process(256);
    }
    cc.deltaFrames = 1 << 30;
    cc.midiData[2] = 127;
    v.processEvents(&events);
    rig.process(256);
    // Everything has been handled within the block it was sent for.
    EXPECT_EQ(v.graphControlValues[10], 0.5f);
    EXPECT_EQ(v.eventPool.dropped(), 0u);
    const size_t settled = v.eventPool.inUse();
    v.setParameter(11, 0.9f);
    rig.process(256);
    EXPECT_EQ(v.eventPool.dropped(), 0u);
    EXPECT_LE(v.eventPool.inUse(), settled + 8);
    EXPECT_FLOAT_EQ(v.graphControlValues[11], 0.4f);
}

TEST(HostInput, AProgramFromABrokenChunkHandsTheEditorTheValuesTheGraphTook) {
    ProcessorRig rig;
    QB_DSP_VST& v = *rig.vst;
    QB_ProgramRecord broken = v.bank[0];
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), 2.f, -1.f, std::numeric_limits<float>::infinity()};
    for (int p = 0; p < kNumParams; ++p) broken.values[p] = hostile[p % 4];
    v.setChunk(&broken, static_cast<VstInt32>(kProgramStreamSize), true);
    for (int p = 0; p < kNumParams; ++p) {
        EXPECT_EQ(v.editorState().loadedProgramValue(p), v.getParameter(p)) << p;
        EXPECT_TRUE(v.editorState().loadedProgramValue(p) >= 0.f && v.editorState().loadedProgramValue(p) <= 1.f) << p;
    }
}

}  // namespace
