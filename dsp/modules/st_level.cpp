#include "dsp/modules/st_level.h"

#include <cstring>

#include "dsp/modules/stream_helpers.h"

QB_DSP_ST_Level::QB_DSP_ST_Level(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled),
      inL(qb::kSilentStream),
      inR(qb::kSilentStream),
      inGain(qb::kSilentStream),
      outL(allocateOutput(0)),
      outR(allocateOutput(1)) {}

void QB_DSP_ST_Level::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    active = -1;
    announced = -1;
    gain = 0.0f;
    squared = 0;
    gainVarying = 0;
    levelL = 0.0f;
    levelR = 0.0f;
}

void QB_DSP_ST_Level::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kInLeft) inL = qb::streamOrSilence(*this, port, pointer);
    if (port == kInRight) inR = qb::streamOrSilence(*this, port, pointer);
    if (port == kInGain) inGain = qb::streamOrSilence(*this, port, pointer);
}

void QB_DSP_ST_Level::handleEvent(QB_Event* e, uint32_t offset) {
    switch (e->port) {
        case kInLeft: levelL = e->rateFlag != 0 ? 1.0f : inL[offset]; break;
        case kInRight: levelR = e->rateFlag != 0 ? 1.0f : inR[offset]; break;
        case kInGain:
            if (e->rateFlag != 0) {
                gainVarying = 1;
                gain = kVaryingGain;
            } else {
                gainVarying = 0;
                gain = inGain[offset];
            }
            break;
        case kInSquared: squared = e->intValue; break;
        default: break;
    }
    countdown = static_cast<int32_t>(ringLength);
    if (gain * levelL != 0.0f || gain * levelR != 0.0f) {
        if (gain != 1.0f) setRoutine(&QB_DSP_ST_Level::scale);
        else setRoutine(&QB_DSP_ST_Level::passThrough);
        active = 1;
    } else {
        setRoutine(&QB_DSP_ST_Level::silence);
        active = 0;
        if (announced == 0) announced = -1;
    }
}

void QB_DSP_ST_Level::announce() {
    if (active != announced) {
        announced = active;
        qb::announceRate(*this, 2, announced);
    }
}

void QB_DSP_ST_Level::passThrough(uint32_t offset, uint32_t count) {
    announce();
    std::memcpy(outL + offset, inL + offset, count * sizeof(float));
    std::memcpy(outR + offset, inR + offset, count * sizeof(float));
}

void QB_DSP_ST_Level::scale(uint32_t offset, uint32_t count) {
    announce();
    const float* l = inL;
    const float* r = inR;
    const float* g = inGain;
    float* ol = outL;
    float* orr = outR;
    if (squared != 0) {
        qb::forEachFourWide(
            offset, count,
            [=](uint32_t i) {
                const float gg = g[i] * g[i];
                ol[i] = l[i] * gg;
                orr[i] = r[i] * gg;
            },
            [=](uint32_t i) {
#if QB_FOUR_WIDE_SSE
                const __m128 gv = _mm_loadu_ps(g + i);
                const __m128 gg = _mm_mul_ps(gv, gv);
                _mm_store_ps(ol + i, _mm_mul_ps(_mm_loadu_ps(l + i), gg));
                _mm_store_ps(orr + i, _mm_mul_ps(_mm_loadu_ps(r + i), gg));
#else
                for (uint32_t k = i; k < i + 4u; ++k) {
                    const float gg = g[k] * g[k];
                    ol[k] = l[k] * gg;
                    orr[k] = r[k] * gg;
                }
#endif
            });
    } else {
        qb::forEachFourWide(
            offset, count,
            [=](uint32_t i) {
                ol[i] = l[i] * g[i];
                orr[i] = r[i] * g[i];
            },
            [=](uint32_t i) {
#if QB_FOUR_WIDE_SSE
                const __m128 gv = _mm_loadu_ps(g + i);
                _mm_store_ps(ol + i, _mm_mul_ps(_mm_loadu_ps(l + i), gv));
                _mm_store_ps(orr + i, _mm_mul_ps(_mm_loadu_ps(r + i), gv));
#else
                for (uint32_t k = i; k < i + 4u; ++k) {
                    ol[k] = l[k] * g[k];
                    orr[k] = r[k] * g[k];
                }
#endif
            });
    }
}

void QB_DSP_ST_Level::silence(uint32_t offset, uint32_t count) {
    // Unlike the coders, it only selects the sleep routine; that sets the asleep bit.
    if (qb::silenceStep(*this, announced, countdown, count, 2)) setRoutine(&QB_ModuleBase::sleepRoutine);
    std::memset(outL + offset, 0, count * sizeof(float));
    std::memset(outR + offset, 0, count * sizeof(float));
}
