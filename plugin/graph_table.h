// The static graph table: one record per module instance, in build and processing order.
#pragma once

#include <cstdint>

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

constexpr int16_t kGraphEndCode = 6389;       // codes above end the table
constexpr int16_t kGraphFirstModuleCode = 6000;
constexpr int16_t kGraphFirstConstant = 5500;
constexpr uint8_t kGraphEndOfConnections = 255;

// The 256 constants an input may read (entries 0..144 used).
extern const float kGraphConstants[256];

// The shipped table: 45 records and the end record.
extern const QB_GraphRecord kGraphTable[];
extern const int kGraphTableLength;  // records including the end record
