// The control descriptor table: every control's range and host name, and the editor's
// widgets and layout directives.
#pragma once

#include <cstdint>

struct QB_ControlDescriptor {
    uint32_t control;     // bits 0..30: control number; bit 31: global flag
    int16_t kind;         // < 57 controls, 57..75 editor directives, >= 76 ends the table
    int16_t aux;          // default MIDI controller of a host parameter, or a directive argument
    int16_t x, y;         // widget position in the editor window
    const char* bitmap;   // PNG resource name ("" = none); the text font for kind 72
    float min, max;       // display range (min may exceed max)
    const char* name;     // parameter name for the host, or nullptr
    const char* options;  // comma-terminated option texts of a selector, or nullptr
    const char* tooltip;  // or nullptr

    int32_t controlNumber() const { return static_cast<int32_t>(control & 0x7fffffffu); }
    bool isGlobal() const { return (control & 0x80000000u) != 0; }
};

constexpr int kNumControls = 41;
constexpr int kNumParameters = 18;
constexpr int16_t kControlKindLimit = 57;  // kinds below are controls
constexpr int16_t kTableEndKind = 76;      // kinds from here end the table
constexpr uint32_t kGlobalFlag = 0x80000000u;

extern const QB_ControlDescriptor kControlTable[];
extern const int kControlTableLength;  // records including the end record

// Colours of the text-style directive: red, green, blue, alpha.
extern const uint8_t kControlColours[16][4];

// Maps built once per process from the table.
struct QB_ControlMaps {
    // Record number of the last control record (kind < 57) of each control; 0 if none.
    int32_t parameterEntry[kNumControls];
    // Number of options of each selector the editor has built (0 until then).
    int16_t optionCount[kNumControls];
};
// The process-wide maps, built on first use.
QB_ControlMaps& qbControlMaps();
