// The control descriptor table: every control's range and host name, and the editor's
// widgets and layout directives.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/control_kinds.h"
#include "plugin/parameters.h"

struct QB_ControlDescriptor {
    uint32_t control;     // bits 0..30: control number; bit 31: global flag
    int16_t kind;         // QB_Kind: controls, then editor directives; kEndOfTable ends it
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

constexpr uint32_t kGlobalFlag = 0x80000000u;

extern const QB_ControlDescriptor kControlTable[];
extern const int kControlTableLength;  // records including the end record

// Colours of the text-style directive: red, green, blue, alpha.
extern const uint8_t kControlColours[16][4];

// Maps built once per process from the table, shared by every instance.
struct QB_ControlMaps {
    QB_ControlMaps();

    // Record number of the last control record (kind below kFirstDirective) of each
    // control; 0 if none. Written only while the maps are built, then read-only.
    int32_t parameterEntry[kNumControls];

    // Number of options of each selector an editor has built (0 until then). An editor
    // of one instance writes it on its UI thread while another instance's dispatcher
    // reads it for a display: any thread, relaxed.
    int16_t optionCount(int32_t control) const {
        return inRange(control) ? optionCounts_[control].load(std::memory_order_relaxed) : 0;
    }
    void setOptionCount(int32_t control, int16_t count) {
        if (inRange(control)) optionCounts_[control].store(count, std::memory_order_relaxed);
    }

private:
    static bool inRange(int32_t control) { return control >= 0 && control < kNumControls; }
    std::atomic<int16_t> optionCounts_[kNumControls];
};
static_assert(std::atomic<int16_t>::is_always_lock_free, "option counts are read from any thread");
// The process-wide maps, built on first use (thread-safe).
QB_ControlMaps& qbControlMaps();
