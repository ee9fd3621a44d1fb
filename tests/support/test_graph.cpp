#include "support/test_graph.h"

TestGraph::TestGraph(int32_t sampleRate, int32_t ringLength) {
    sampleRateInt = sampleRate;
    samplesPerMs = static_cast<float>(sampleRate) * 0.001f;
    internalBlockSize = ringLength;
    pitchCeiling = sampleRate / 2;
    tables.build(sampleRate, pitchCeiling);
    graphRing = static_cast<uint32_t>(ringLength);
}

int16_t TestGraph::add(QB_ModuleBase* module) {
    moduleTable[moduleCount] = module;
    return static_cast<int16_t>(moduleCount++);
}

void TestGraph::wire(QB_ModuleBase* from, int32_t outPort, QB_ModuleBase* to, int32_t inPort) {
    int16_t index = -1;
    for (int i = 0; i < moduleCount; ++i)
        if (moduleTable[i] == to) index = static_cast<int16_t>(i);
    from->connect(to, index, outPort, inPort, 0, 0, 0);
}

void TestGraph::prepareAll() { prepareModules(); }

void TestGraph::groupJointly() {
    jointGroupCount = qbFormJointGroups(
        moduleTable, moduleCount, [](const void*, int32_t) { return false; }, nullptr, jointGroups, kMaxJointGroups,
        jointGroupOf);
}

void TestGraph::run(uint32_t frames) {
    while (frames > 0) {
        uint32_t n = frames < 128 ? frames : 128;
        const uint32_t room = graphRing - ringPosition;
        if (n > room) n = room;
        runSubBlock(n);
        frames -= n;
    }
}

RecordingModule::RecordingModule(QB_GraphHost* owner, bool createDisabled) : QB_ModuleBase(owner, createDisabled) {
    allocateOutput(0);
    setRoutine(&RecordingModule::run);
}

void RecordingModule::handleEvent(QB_Event* event, uint32_t offset) { handled.push_back({*event, offset}); }

void RecordingModule::run(uint32_t offset, uint32_t count) {
    calls.push_back({time, offset, count});
    if (sleepAfterRun) flags |= kAsleep;
}
