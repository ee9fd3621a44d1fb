// Time-stamped event, event route and range record shared by every module.
#pragma once

#include <cstdint>
#include <type_traits>

// One pending or in-flight event. Records come from the graph's pre-allocated pool
// (event_pool.h) so that posting an event never allocates.
struct QB_Event {
    uint32_t time;        // sample time at which it takes effect (compared unsigned)
    int16_t port;         // destination input port; the handler switches on it
    uint16_t rateFlag;    // on a stream port: non-zero = varying, 0 = static
    int32_t intValue;     // switch positions, indices, display-unit values
    float floatValue;     // control values in graph units
    uint64_t extra;       // carried unchanged (a pointer or raw bits)
    QB_Event* next;
    QB_Event* prev;
};
static_assert(std::is_trivially_copyable<QB_Event>::value, "events are plain records");

// One event route from an output port. Built while the graph is built, never on the
// audio path.
struct QB_Connection {
    int16_t targetModule;  // index of the receiver in the module table
    uint16_t targetPort;   // input port of the receiver
    int16_t voiceCount;    // 0: one receiver; n > 0: n receivers spaced by voiceStride
    int16_t voiceStride;
    QB_Connection* next;
};

// Where the copies of a voice block sit in the module table: voice v's modules are
// firstModule + v * modulesPerVoice .. + modulesPerVoice - 1; manager is the index of
// the voice input manager that gives the voices out.
struct QB_VoiceBlock {
    int16_t manager;
    int16_t firstModule;
    int16_t voices;
    int16_t modulesPerVoice;
};

// A consumer's request to its source to limit its output to [minimum, maximum].
struct QB_RangeRecord {
    float minimum;
    float maximum;
    int32_t port;  // the consumer's input port the range is meant for (informational)
};
