// One program: the 18 normalised parameter values, MIDI controller assignments, a
// reserved area and the name. 390 bytes streamed, 392 in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/parameters.h"

#pragma pack(push, 2)
struct QB_ProgramRecord {
    float values[kNumParams];             // offset 0
    int16_t midiControllers[kNumParams];  // offset 72, -1 = none
    uint8_t reserved[256];        // offset 108, carried unchanged
    char name[24];                // offset 364
    char terminator;              // offset 388, always 0
    char unused;                  // offset 389
    uint8_t padding[2];           // in memory only
};
#pragma pack(pop)
static_assert(offsetof(QB_ProgramRecord, midiControllers) == 72, "layout");
static_assert(offsetof(QB_ProgramRecord, reserved) == 108, "layout");
static_assert(offsetof(QB_ProgramRecord, name) == 364, "layout");
static_assert(offsetof(QB_ProgramRecord, terminator) == 388, "layout");
static_assert(sizeof(QB_ProgramRecord) == 392, "records are 392 bytes in memory");

constexpr size_t kProgramStreamSize = 390;
constexpr size_t kBankImageSize = kNumPrograms * sizeof(QB_ProgramRecord);  // 6272
constexpr size_t kBankFileSize = kNumPrograms * kProgramStreamSize;          // 6240
constexpr size_t kFactoryResourceSize = 32 * kProgramStreamSize;            // 12480
constexpr const char* kFactoryBankName = "VST_PatchMemoryBanks.mem";
