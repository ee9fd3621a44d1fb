#include "platform/cpu_features.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

QB_SimdLevel detect() {
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#if defined(__GNUC__) && !defined(_WIN32)
    __builtin_cpu_init();
    // The compiler's check includes the system's saving of the wider registers.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx2"))
        return QB_SimdLevel::kAvx512;
    if (__builtin_cpu_supports("avx2")) return QB_SimdLevel::kAvx2;
#endif
    return QB_SimdLevel::kSse2;
#else
    return QB_SimdLevel::kScalar;
#endif
}

QB_SimdLevel lower(QB_SimdLevel a, QB_SimdLevel b) { return static_cast<int>(a) < static_cast<int>(b) ? a : b; }

QB_SimdLevel fromEnvironment(QB_SimdLevel supported) {
    const char* text = std::getenv("ORVAN_SIMD");
    if (text == nullptr) return supported;
    if (std::strcmp(text, "scalar") == 0) return QB_SimdLevel::kScalar;
    if (std::strcmp(text, "sse2") == 0) return lower(supported, QB_SimdLevel::kSse2);
    if (std::strcmp(text, "avx2") == 0) return lower(supported, QB_SimdLevel::kAvx2);
    return supported;
}

constexpr int kNotForced = -1;
std::atomic<int> forced{kNotForced};

}  // namespace

QB_SimdLevel qbSimdSupported() {
    static const QB_SimdLevel level = detect();
    return level;
}

QB_SimdLevel qbSimdLevel() {
    const int f = forced.load(std::memory_order_relaxed);
    if (f != kNotForced) return static_cast<QB_SimdLevel>(f);
    static const QB_SimdLevel level = fromEnvironment(qbSimdSupported());
    return level;
}

void qbSimdForce(QB_SimdLevel level) {
    forced.store(static_cast<int>(lower(level, qbSimdSupported())), std::memory_order_relaxed);
}

void qbSimdRelease() { forced.store(kNotForced, std::memory_order_relaxed); }

const char* qbSimdName(QB_SimdLevel level) {
    switch (level) {
        case QB_SimdLevel::kAvx512: return "avx512";
        case QB_SimdLevel::kAvx2: return "avx2";
        case QB_SimdLevel::kSse2: return "sse2";
        default: return "scalar";
    }
}
