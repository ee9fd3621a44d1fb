// The base of every signal module: ports, the time-ordered event queue, event routes,
// the block driver and the current-routine mechanism.
//
// All of it runs on the audio thread only (construction and wiring happen while the
// host is not processing). Nothing here allocates after the graph is built: event
// records come from the owner's pool.
#pragma once

#include <cstdint>

#include "dsp/framework/event.h"
#include "dsp/framework/graph_host.h"

class QB_ModuleBase;
struct QB_JointKind;

// A routine is a stored call of one of the module's own virtual slots, so that a
// derived class's override is reached: routine(module, offset, count).
using QB_Routine = void (QB_ModuleBase::*)(uint32_t offset, uint32_t count);

// Turns a derived class's routine into a storable routine.
template <class Module>
constexpr QB_Routine qbRoutine(void (Module::*routine)(uint32_t, uint32_t)) {
    return static_cast<QB_Routine>(routine);
}

class QB_ModuleBase {
public:
    static constexpr int kMaxPorts = 64;
    static constexpr uint32_t kAsleep = 1u;
    static constexpr uint32_t kDisabled = 2u;

    QB_ModuleBase(QB_GraphHost* owner, bool createDisabled);
    QB_ModuleBase(const QB_ModuleBase&) = delete;
    QB_ModuleBase& operator=(const QB_ModuleBase&) = delete;

    // ---- virtual slots, in their fixed order --------------------------------
    // 0: a consumer asks this module to limit its output to [minimum, maximum].
    virtual void applyRange(const QB_RangeRecord& range) {}
    // 1: frees pending events, routes and output buffers.
    virtual ~QB_ModuleBase();
    // 2: the routine of a module with nothing to do: it falls asleep.
    virtual void sleepRoutine(uint32_t offset, uint32_t count) { flags |= kAsleep; }
    // 3: per-block work of the voice managers; falls asleep elsewhere.
    virtual void mainRoutine(uint32_t offset, uint32_t count) { flags |= kAsleep; }
    // 4: called once after the whole graph is built, in table order.
    virtual void prepare() {}
    // 5: called just before the module is destroyed.
    virtual void release() {}
    // 6: the host suspends; modules with memory clear it.
    virtual void suspend() {}
    // 7: processing resumes without a graph rebuild.
    virtual void resume() {}
    // 8: the routine is never called again; events are still handled.
    virtual void disable() { flags |= kDisabled; }
    // 9: unused slot.
    virtual void reservedSlot9() {}
    // 10
    virtual void setRingLength(uint32_t n) { ringLength = n; }
    // 11: the shared driver: splits the sub-block at event times.
    virtual void processBlock(uint32_t offset, uint32_t count);
    // 12: offset is the ring offset at which the event takes effect.
    virtual void handleEvent(QB_Event* event, uint32_t offset) {}
    // 13: the buffer of an output port, or nullptr.
    virtual float* outputBuffer(int32_t port);
    // 14: queues an event, ordered by time; equal times keep arrival order.
    virtual void postEvent(uint32_t time, int32_t port, uint16_t rateFlag, int32_t intValue, float floatValue,
                           uint64_t extra);
    // 15: posts a copy to every receiver routed from outPort.
    virtual void sendEvent(uint32_t time, int32_t outPort, uint16_t rateFlag, int32_t intValue, float floatValue,
                           uint64_t extra);
    // 16: wires outPort of this module to inPort of target (graph building only).
    virtual void connect(QB_ModuleBase* target, int16_t targetIndex, int32_t outPort, int32_t inPort,
                         int16_t voiceCount, int16_t voiceStride, int32_t routeRecorded);
    // 17: an output has gained a consumer.
    virtual void onOutputConnected(int32_t outPort, int16_t targetIndex) {}
    // 18: voice input manager only. With module null: the block it serves. Otherwise
    // input port of module (voice copy `voice`) reads the voice's value of this kind:
    // 0 gate, 1 pitch stream, 2 velocity stream.
    virtual void attachVoiceTarget(QB_ModuleBase* module, int32_t kind, int32_t port, int32_t voice,
                                   const QB_VoiceBlock& block) {}
    // 19: voice mixer only: output outPort sums output sourcePort of the modules at
    // firstModule + i * stride, i < voices, the voices that manager gives out.
    virtual void attachVoiceSource(QB_ModuleBase* manager, int32_t firstModule, int32_t voices, int32_t stride,
                                   int32_t sourcePort, int32_t outPort) {}
    // 20: where input port reads from; derived classes also cache what they use.
    virtual void setInput(int32_t port, const float* pointer);
    // 21
    virtual void setStopRoutine(QB_Routine r) { stopRoutine = r; }

    // ---- helpers for modules -----------------------------------------------
    // Stores the current routine; routines are the module's own virtual members.
    void setRoutine(QB_Routine r) { routine = r; }
    template <class Module>
    void setRoutine(void (Module::*r)(uint32_t, uint32_t)) { routine = qbRoutine(r); }
    void runRoutine(uint32_t offset, uint32_t count) { (this->*routine)(offset, count); }

    bool hasEvents() const { return eventHead != nullptr; }
    // Handles, at offset, every queued event due by time (the sample the module is at),
    // as processBlock does before it runs the routine; the events wake the module.
    void handleDueEvents(uint32_t offset);
    // True when a queued event falls within the count samples from time.
    bool eventDueWithin(uint32_t count) const;
    // True when some receiver is routed from outPort.
    bool hasConsumer(int32_t outPort) const {
        return outPort >= 0 && outPort < kMaxPorts && connections[outPort] != nullptr;
    }
    // Allocates outputs[port]: ringLength + 4 floats, 16-byte aligned, zeroed; owned
    // and freed by this module. Answers the buffer (nullptr when memory is short).
    float* allocateOutput(int32_t port);
    // Aligned float buffers for module-private memory: n floats, zeroed.
    static float* allocateBuffer(uint32_t n);
    static void freeBuffer(float* buffer);

    // ---- fields, in declaration order ---------------------------------------
    float* outputs[kMaxPorts];
    const float* inputs[kMaxPorts];
    QB_ModuleBase* sources[kMaxPorts];
    QB_Event* eventHead;
    QB_Event* eventTail;
    QB_GraphHost* owner;
    uint32_t time;        // sample time of the first sample of the segment being run
    uint32_t ringLength;  // owner's internalBlockSize at construction
    uint32_t flags;       // kAsleep | kDisabled
    QB_Connection* connections[kMaxPorts];
    QB_Routine stopRoutine;
    QB_Routine routine;
    // Set by a module whose routine can run together with others of its kind (joint_run.h).
    const QB_JointKind* jointKind = nullptr;
};
