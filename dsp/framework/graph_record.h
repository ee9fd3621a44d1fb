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
// Codes 6378..6389 are kept for voice blocks.
constexpr int16_t kGraphFirstVoiceCode = 6378;
constexpr int16_t kGraphEndCode = 6389;  // codes above end the table

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
