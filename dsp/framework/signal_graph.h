// The module graph built from a graph table and run in sub-blocks, with the control links
// that carry control changes to module inputs.
//
// Everything here runs on the audio thread, except build/destroy/resume/suspend, which
// the owner calls while the host is not processing.
#pragma once

#include <cstdint>

#include "dsp/framework/event.h"
#include "dsp/framework/graph_host.h"
#include "dsp/framework/graph_record.h"
#include "dsp/framework/joint_run.h"

// One module input that receives a control's changes: count 0 means one module; n > 0
// means n modules at index, index + stride, ...
struct QB_ControlLink {
    int16_t moduleIndex;
    uint16_t input;
    int16_t count;
    int16_t stride;
};

class QB_SignalGraph : public QB_GraphHost {
public:
    static constexpr int kMaxLinksPerControl = 16;
    static constexpr int kMaxVoiceBlocks = 8;

    QB_SignalGraph();
    ~QB_SignalGraph() override;

    // Builds the graph from a table, voice blocks included (graph_record.h). Modules
    // whose class does not exist are skipped together with their connections, and so is
    // every connection that names them as a source. Answers the number of modules built.
    int32_t buildGraph(const QB_GraphDefinition& graph);
    // Releases and deletes every module, last built first.
    void destroyGraph();
    void prepareModules();
    void suspendModules();
    void resumeModules();

    // Points input of module at the graph's copy of control and records the link.
    void linkControl(QB_ModuleBase* module, int16_t moduleIndex, int32_t control, int32_t input, int16_t count,
                     int16_t stride, int32_t routeRecorded);
    // Posts a control change to every module input linked to control.
    void sendControlEvent(uint32_t time, int32_t control, int32_t state, int32_t intValue, float floatValue);
    // Sets the graph's copy of a control and tells the linked inputs, at samplePosition.
    void applyControl(int32_t control, float value);

    // Runs every module that is awake or has events over n frames at the ring position,
    // then advances the ring and the sample clock.
    void runSubBlock(uint32_t n);
    // Runs frames of host audio through the graph in sub-blocks that never cross the ring.
    // Null channel pointers read as silence / are not written. Frames <= 0 does nothing.
    void process(const float* const* inputs, float* const* outputs, int32_t frames);

    // The graph's own copy of the control values: written only on the audio thread (and by
    // resume while the host is not processing); module inputs point here.
    float graphControlValues[kGraphNumControls] = {};
    QB_ControlLink controlLinks[kGraphNumControls][kMaxLinksPerControl] = {};
    int32_t controlLinkCount[kGraphNumControls] = {};
    // Module table index of each code 6000..6386, or -1.
    int16_t moduleIndexOfCode[kGraphLastIndexedCode - kGraphFirstModuleCode + 1] = {};
    // The voice blocks built, in table order.
    QB_VoiceBlock voiceBlocks[kMaxVoiceBlocks] = {};
    int32_t voiceBlockCount = 0;
    // Index of the module whose outputs 0 and 1 go to the host, or -1.
    int32_t outputModule = -1;
    // Ring length the running graph was built with; process() wraps at this, never at a
    // block size set after the build.
    uint32_t graphRing = 0;
    // Modules that run their sub-block together (joint_run.h), formed after each build.
    static constexpr int kMaxJointGroups = 16;
    QB_JointGroup jointGroups[kMaxJointGroups] = {};
    int32_t jointGroupCount = 0;
    int16_t jointGroupOf[kMaxModules] = {};  // the group module i leads (or is in, if it runs at the last), or -1
    bool ranJointly[kMaxModules] = {};       // ran with its group in this sub-block
    uint32_t jointWaiting[kMaxJointGroups] = {};  // members waiting for their group's last

protected:
    // Called at the start of every sub-block, before any module runs.
    virtual void beforeSubBlock() {}

private:
    // How the inputs of one module copy are wired: outside a block (block null), or as
    // copy `voice` of a block.
    struct WireContext {
        const QB_VoiceBlock* block;
        int32_t voice;
    };
    // Builds one ordinary record at index moduleCount; false when it created nothing.
    bool buildRecord(const QB_GraphDefinition& graph, const QB_GraphRecord& record);
    // Builds the block opened at `open`; answers the record after the block.
    const QB_GraphRecord* buildVoiceBlock(const QB_GraphDefinition& graph, const QB_GraphRecord* open);
    void wireInputs(const QB_GraphDefinition& graph, const QB_GraphConnection* list, int32_t count,
                    QB_ModuleBase* module, int16_t index, const WireContext& context);
    void reenter(const QB_GraphDefinition& graph, const QB_GraphRecord& record, const WireContext& context);
    void attachVoiceSources(const QB_GraphRecord& record);
    // The module built for code, or -1.
    int16_t indexOfCode(int16_t code) const;
    // The block whose copies hold module index, or null.
    const QB_VoiceBlock* blockHolding(int32_t index) const;
};

// The display value of a graph value rounded half up, as events carry it:
// (int)(v * 10 + 1000.5) - 1000, defined for every float (NaN gives 0, the result is
// clamped to the int range).
int32_t qbDisplayRound(float graphValue);
