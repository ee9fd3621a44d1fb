// Small pieces shared by the stream modules: guarded float-to-int conversion, the
// silent stream that unfed inputs read, rate announcements, the head of every
// `silence` routine, and the loop that works four samples at a time.
//
// Audio thread only, except where a function says otherwise.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

#if defined(__SSE__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#include <xmmintrin.h>
#define QB_FOUR_WIDE_SSE 1
#else
#define QB_FOUR_WIDE_SSE 0
#endif

namespace qb {

// A time or size that arrives as a float, truncated towards zero. NaN gives 0 and values
// beyond the int range saturate, so the conversion is defined for every input.
inline int32_t truncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return INT32_MAX;
    if (v < -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// A time for an envelope: NaN and negative times count as 0, so a step can never point
// the wrong way or turn into NaN.
inline float nonNegativeTime(float v) { return v >= 0.0f ? v : 0.0f; }

// Graph units of a fixed value (display value x 0.1).
inline float graphUnits(float displayValue) { return static_cast<float>(displayValue * 0.1); }

// True when t is at or after mark on the running sample clock; stays right across the
// wrap of the 32-bit counter.
inline bool reached(uint32_t t, uint32_t mark) { return static_cast<int32_t>(t - mark) >= 0; }

// Zeros as long as the longest ring plus the spare floats.
extern const float kSilentStream[QB_GraphHost::kMaxRing + 4];

// What a stream input reads: the output buffer of the module feeding it, or silence when
// no module's buffer feeds it (unconnected, or wired to a single constant or control
// value, which cannot be read as a ring of samples).
inline const float* streamOrSilence(const QB_ModuleBase& m, int32_t port, const float* pointer) {
    if (port < 0 || port >= QB_ModuleBase::kMaxPorts) return kSilentStream;
    return (pointer != nullptr && m.sources[port] != nullptr) ? pointer : kSilentStream;
}

// Tells the consumers of outputs 0 .. ports - 1 that the streams are now varying
// (non-zero) or constant (0), stamped with the module's time.
inline void announceRate(QB_ModuleBase& m, int32_t ports, int32_t rate) {
    for (int32_t p = 0; p < ports; ++p) m.sendEvent(m.time, p, static_cast<uint16_t>(rate), 0, 0.0f, 0);
}

// The head of every `silence` routine: announces the outputs static once and runs the
// quiet countdown. Answers true when the countdown has become negative.
template <class Announced>
inline bool silenceStep(QB_ModuleBase& m, Announced& announced, int32_t& countdown, uint32_t count,
                        int32_t ports) {
    if (announced != 0) {
        announced = 0;
        announceRate(m, ports, 0);
    }
    countdown -= static_cast<int32_t>(count);
    return countdown < 0;
}

// Writes value over [offset, offset + count).
inline void fillRange(float* out, uint32_t offset, uint32_t count, float value) {
    for (uint32_t i = offset; i < offset + count; ++i) out[i] = value;
}

// Runs a per-sample operation over exactly [offset, offset + count): one sample at a
// time up to a multiple of four, then four at a time (index i, a multiple of four, so
// stores into the module's own 16-byte aligned buffers are aligned), then the tail one
// at a time. The four-wide form must compute what the one-sample form does, bit for bit.
// Nothing outside the range is written, so a routine that takes over in the middle of a
// sub-block never rewrites what the previous routine produced.
template <class One, class Four>
inline void forEachFourWide(uint32_t offset, uint32_t count, One one, Four four) {
    const uint32_t end = offset + count;
    uint32_t i = offset;
    while (i < end && (i & 3u) != 0) one(i++);
    for (; i + 4u <= end; i += 4u) four(i);
    for (; i < end; ++i) one(i);
}

}  // namespace qb
