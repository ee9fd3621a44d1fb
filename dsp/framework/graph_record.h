// The graph table format: one record per module instance, in build and processing order,
// and the code ranges a record's fields are read against. A graph table is data; the
// builder (signal_graph.h) turns any table of this format into a running graph.
#pragma once

#include <cstdint>

class QB_ModuleBase;
class QB_GraphHost;

// One record, 258 bytes, as laid out in the table: the module code, then up to 64
// connections {destination input, source output, source}. A destination of 255 ends the
// connection list; a code above kGraphEndCode ends the table.
#pragma pack(push, 1)
struct QB_GraphConnection {
    uint8_t input;       // destination input number (0..63); 255 ends the list
    uint8_t output;      // source output number
    int16_t source;      // >= 6000: module code; 5500..5999: constant; below: control
};
struct QB_GraphRecord {
    int16_t code;
    QB_GraphConnection connections[64];
};
#pragma pack(pop)
static_assert(sizeof(QB_GraphRecord) == 258, "graph records are 258 bytes");

constexpr int kGraphConnectionsPerRecord = 64;
constexpr uint8_t kGraphEndOfConnections = 255;

// Sources below kGraphFirstConstant are control numbers 0..kGraphNumControls-1.
constexpr int kGraphNumControls = 41;
constexpr int16_t kGraphFirstConstant = 5500;  // 5500..5999: kGraphConstants-style table
constexpr int kGraphNumConstants = 256;
constexpr int16_t kGraphFirstModuleCode = 6000;
// Codes 6000..kGraphLastIndexedCode get a module index that later records can name.
constexpr int16_t kGraphLastIndexedCode = 6386;
// Codes 6378..6389 are kept for voice blocks: 6378..6380 the voice mixer, 6382..6384 the
// voice input manager, and the four directives below.
constexpr int16_t kGraphFirstVoiceCode = 6378;
constexpr int16_t kGraphEndCode = 6389;  // codes above end the table

// Voice blocks: a run of records built once per voice, for graphs played from MIDI notes.
// Directive records create no module; each uses its connection list as described.
//
//   kGraphOpenBlock (6387)   connection 0 = {count, 0, manager code}: the records up to the
//                            next kGraphCloseBlock are built count times (1..254), one
//                            copy per voice, all modules created disabled. The manager (a
//                            voice input manager built earlier, outside every block)
//                            enables a voice's copy when it gives the voice a note. Blocks
//                            do not nest (open and voice-source records inside a block are
//                            ignored); a manager serves one block.
//   kGraphCloseBlock (6388)  no connections: ends the block (a missing one ends it at the
//                            end of the table).
//   kGraphVoiceSources (6386) connection 0 = {0, 0, consumer code}, then connections
//                            {consumer output, voice module output, voice module code}:
//                            the consumer (a voice mixer outside every block, built after
//                            the block) sums that output of every copy of the voice
//                            module into its own output (attachVoiceSource).
//   kGraphReenter (6389)     connection 0 = {0, 0, module code}, then ordinary
//                            connections: more inputs of a module built earlier, wired as
//                            if its own record had listed them; a source may be any module
//                            built so far, so that a module can read a later one. Inside a
//                            block it names a module of the same copy; outside, a module
//                            outside every block.
//
// Within a block, the source of a connection is read so:
//   - the code of an earlier record of the block: that module of the same voice copy;
//   - the block's manager: the voice's gate (manager output 0), pitch stream (1) or
//     velocity stream (2); the manager's events on that output reach every copy through
//     one route (attachVoiceTarget);
//   - any other module, or a control: one route or control link with a count of voices
//     and a stride of modules per voice (made for the first copy, repeated for the
//     others), so each event reaches every copy.
// The block's copies are created first and then wired in record order, so a copy that
// cannot be completed (memory, or the 200-module table full) is dropped with the ones
// after it, and the block has fewer voices.
//
// Eight voices of a module 6150 played from MIDI, mixed into the output:
//   6382  in0 <- control 20                voice input manager
//   6387  {8, 0, 6382}                     open the block: 8 voices
//   6150  in0 <- 6382.1, in1 <- 6382.0     a voice: pitch stream and gate
//   6388                                   close the block
//   6378                                   voice mixer, the last module: the output
//   6386  {0, 0, 6378}, {0, 0, 6150}       mixer output 0 sums output 0 of every voice
constexpr int16_t kGraphVoiceSources = 6386;
constexpr int16_t kGraphOpenBlock = 6387;
constexpr int16_t kGraphCloseBlock = 6388;
constexpr int16_t kGraphReenter = 6389;

// Creates the module of the class that code names, or answers nullptr for a code with
// no class (and when memory is short).
using QB_ModuleFactory = QB_ModuleBase* (*)(int32_t code, QB_GraphHost* owner, bool createDisabled);

// Everything the builder needs to make a graph: the records, the constants that sources
// 5500.. read, and the classes behind the codes.
struct QB_GraphDefinition {
    const QB_GraphRecord* records;  // ended by a record whose code is above kGraphEndCode
    const float* constants;         // kGraphNumConstants values
    QB_ModuleFactory createModule;
};
