// Graph tables for tests: records written as lists of {input, output, source}, a small
// polyphonic table whose voices are test tone modules, and the command module alone.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "dsp/framework/graph_record.h"
#include "dsp/framework/module_base.h"

// One connection of a record: input `input` reads output `output` of `source` (a module
// code, a constant 5500.. or a control number).
struct TestInput {
    int input, output, source;
};
QB_GraphRecord testRecord(int code, std::initializer_list<TestInput> inputs = {});

// A voice: plays a sine at its pitch stream's frequency on output 0 and puts out its
// velocity stream on output 1, both while its gate (events on input 1) is up. Inputs:
// 0 pitch stream, 1 gate, 2 velocity stream.
class ToneModule : public QB_ModuleBase {
public:
    static constexpr int kCode = 6150;
    ToneModule(QB_GraphHost* owner, bool disabled);
    void handleEvent(QB_Event* e, uint32_t offset) override;
    virtual void play(uint32_t offset, uint32_t count);

    bool gateUp = false;
    double phase = 0;
    uint64_t samplesRun = 0;
};

// The manager's velocity curve and sensitivity controls in VoiceTable.
constexpr int32_t kVoiceCurveControl = 15;
constexpr int32_t kVoiceSensitivityControl = 16;

// The voice input manager (MIDI from control 20), a block of `voices` tone modules, and
// the voice mixer as the output: left = the tones, right = the velocities.
struct VoiceTable {
    explicit VoiceTable(int voices);
    std::vector<QB_GraphRecord> records;
    QB_GraphDefinition definition;
};

// The command module alone: port 0 on control 38, the save button (port 9) on
// kCommandSaveControl.
constexpr int32_t kCommandSaveControl = 39;
const QB_GraphDefinition& commandTestGraph();
