#include "support/voice_graph.h"

#include <cmath>

#include "plugin/module_registry.h"
#include "plugin/parameters.h"
#include "support/math_constants.h"

QB_GraphRecord testRecord(int code, std::initializer_list<TestInput> inputs) {
    QB_GraphRecord r{};
    r.code = static_cast<int16_t>(code);
    int k = 0;
    for (const TestInput& c : inputs) {
        r.connections[k].input = static_cast<uint8_t>(c.input);
        r.connections[k].output = static_cast<uint8_t>(c.output);
        r.connections[k].source = static_cast<int16_t>(c.source);
        ++k;
    }
    r.connections[k].input = kGraphEndOfConnections;
    return r;
}

ToneModule::ToneModule(QB_GraphHost* owner, bool disabled) : QB_ModuleBase(owner, disabled) {
    allocateOutput(0);
    allocateOutput(1);
    setRoutine(&ToneModule::play);
}

void ToneModule::handleEvent(QB_Event* e, uint32_t offset) {
    if (e->port == 1) gateUp = e->intValue != 0;
}

void ToneModule::play(uint32_t offset, uint32_t count) {
    const float* pitch = inputs[0];
    const float* velocity = inputs[2];
    for (uint32_t i = offset; i < offset + count; ++i) {
        const double hz = 13.75 * std::pow(2.0, 10.0 * pitch[i]);
        phase += 2.0 * kPi * hz / owner->sampleRateInt;
        outputs[0][i] = gateUp ? static_cast<float>(std::sin(phase)) : 0.f;
        outputs[1][i] = gateUp ? velocity[i] : 0.f;
    }
    samplesRun += count;
}

namespace {

QB_ModuleBase* createVoiceTestModule(int32_t code, QB_GraphHost* owner, bool disabled) {
    if (code == ToneModule::kCode) return new ToneModule(owner, disabled);
    return qbCreateModule(code, owner, disabled);
}

const float kNoConstants[kGraphNumConstants] = {};
constexpr int kManager = 6382;
constexpr int kMixer = 6378;

}  // namespace

VoiceTable::VoiceTable(int voices)
    : records{testRecord(kManager, {{0, 0, 20}, {9, 0, kVoiceCurveControl}, {10, 0, kVoiceSensitivityControl}}),
              testRecord(kGraphOpenBlock, {{voices, 0, kManager}}),
              testRecord(ToneModule::kCode, {{0, 1, kManager}, {1, 0, kManager}, {2, 2, kManager}}),
              testRecord(kGraphCloseBlock),
              testRecord(kMixer),
              testRecord(kGraphVoiceSources, {{0, 0, kMixer}, {0, 0, ToneModule::kCode}, {1, 1, ToneModule::kCode}}),
              testRecord(kGraphEndCode + 1)},
      definition{records.data(), kNoConstants, createVoiceTestModule} {}

const QB_GraphDefinition& commandTestGraph() {
    static const QB_GraphRecord table[] = {
        testRecord(6361, {{0, 0, QB_Control::kCommand}, {9, 0, kCommandSaveControl}}),
        testRecord(kGraphEndCode + 1),
    };
    static const QB_GraphDefinition graph = {table, kNoConstants, qbCreateModule};
    return graph;
}
