// A small graph host for unit tests: add modules, wire them, run sub-blocks the way the
// processor does.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/framework/module_base.h"
#include "dsp/framework/signal_graph.h"

class TestGraph : public QB_SignalGraph {
public:
    explicit TestGraph(int32_t sampleRate = 44100, int32_t ringLength = 128);

    // Takes ownership; answers the module's index in the module table.
    int16_t add(QB_ModuleBase* module);
    template <class Module, class... Args>
    Module* make(Args&&... args) {
        auto* m = new Module(this, false, std::forward<Args>(args)...);
        add(m);
        return m;
    }
    // Wires output outPort of module from to input inPort of module to.
    void wire(QB_ModuleBase* from, int32_t outPort, QB_ModuleBase* to, int32_t inPort);
    // Calls prepare on every module in table order.
    void prepareAll();
    // Forms the groups of modules that run together, as a graph build does.
    void groupJointly();
    // Runs n frames in sub-blocks that never cross the ring's end.
    void run(uint32_t frames);

    // Every setControlFromModule call, for tests of write-backs.
    struct ControlWrite {
        int32_t control;
        float value;
        int32_t send;
    };
    std::vector<ControlWrite> controlWrites;
    void setControlFromModule(int32_t control, float value, int32_t send) override {
        controlWrites.push_back({control, value, send});
    }
};

// A module that records the events it handles and the routine calls it gets.
class RecordingModule : public QB_ModuleBase {
public:
    RecordingModule(QB_GraphHost* owner, bool createDisabled);

    struct Handled {
        QB_Event event;
        uint32_t offset;
    };
    struct Call {
        uint32_t time;
        uint32_t offset;
        uint32_t count;
    };
    std::vector<Handled> handled;
    std::vector<Call> calls;
    bool sleepAfterRun = false;

    void handleEvent(QB_Event* event, uint32_t offset) override;
    virtual void run(uint32_t offset, uint32_t count);
};
