#include "dsp/modules/sumdiff_coder.h"

#include <cstring>

#include "dsp/modules/stream_helpers.h"

QB_DSP_SumDiff_Coder::QB_DSP_SumDiff_Coder(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled),
      in0(qb::kSilentStream),
      in1(qb::kSilentStream),
      out0(allocateOutput(0)),
      out1(allocateOutput(1)) {}

void QB_DSP_SumDiff_Coder::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    rate0 = rate1 = active = announced = -1;
    coding = 1;
    enable = 1;
}

void QB_DSP_SumDiff_Coder::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port == kIn0) in0 = qb::streamOrSilence(*this, port, pointer);
    if (port == kIn1) in1 = qb::streamOrSilence(*this, port, pointer);
}

void QB_DSP_SumDiff_Coder::handleEvent(QB_Event* e, uint32_t offset) {
    countdown = static_cast<int32_t>(ringLength);
    switch (e->port) {
        case kIn0: rate0 = static_cast<int16_t>(e->rateFlag); break;
        case kIn1: rate1 = static_cast<int16_t>(e->rateFlag); break;
        case kInCoding: coding = static_cast<int16_t>(e->intValue); break;
        case kInEnable:
            enable = static_cast<int16_t>(e->intValue);
            if (enable == 0) {
                setRoutine(&QB_DSP_SumDiff_Coder::silence);
                if (announced == 0) announced = -1;
            }
            break;
        default: break;
    }
    if (enable == 0) return;
    active = rate0 | rate1;
    // Static inputs with a new value: announce static again so consumers re-read.
    if (active == 0) announced = -1;
    if (coding != 0) setRoutine(&QB_DSP_SumDiff_Coder::code);
    else setRoutine(&QB_DSP_SumDiff_Coder::passThrough);
}

void QB_DSP_SumDiff_Coder::silence(uint32_t offset, uint32_t count) {
    if (qb::silenceStep(*this, announced, countdown, count, 2)) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
    std::memset(out0 + offset, 0, count * sizeof(float));
    std::memset(out1 + offset, 0, count * sizeof(float));
}

void QB_DSP_SumDiff_Coder::announceAndCount(uint32_t count) {
    if (active != announced) {
        announced = active;
        qb::announceRate(*this, 2, announced);
    }
    if (announced == 0) {
        countdown -= static_cast<int32_t>(count);
        if (countdown < 0) {
            // This call still does its work; the next one is not made.
            setRoutine(&QB_ModuleBase::sleepRoutine);
            flags |= kAsleep;
        }
    }
}

void QB_DSP_SumDiff_Coder::passThrough(uint32_t offset, uint32_t count) {
    announceAndCount(count);
    std::memcpy(out0 + offset, in0 + offset, count * sizeof(float));
    std::memcpy(out1 + offset, in1 + offset, count * sizeof(float));
}
