#include "dsp/modules/level_follow.h"

#include <typeinfo>

#include "dsp/modules/metering.h"
#include "dsp/modules/peak_hold.h"

namespace {

bool ready(const QB_ModuleBase& m) {
    if (typeid(m) == typeid(QB_DSP_Peak_Hold)) return static_cast<const QB_DSP_Peak_Hold&>(m).runsInSteps();
    if (typeid(m) == typeid(QB_DSP_Metering)) return static_cast<const QB_DSP_Metering&>(m).runsInSteps();
    return false;
}

template <bool Two>
void together(QB_DSP_Peak_Hold& peak, QB_DSP_Metering& meter, uint32_t offset, uint32_t n) {
    QB_DSP_Peak_Hold::Steps<Two> p = peak.beginSteps<Two>();
    QB_DSP_Metering::Steps<false, false> m = meter.beginSteps<false, false>();
    for (uint32_t i = offset; i < offset + n; ++i) {
        p.step(i);
        m.step(i);
    }
    peak.endSteps(p);
    meter.endSteps(m);
}

void run(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n) {
    if (count == 2 && typeid(*members[0]) == typeid(QB_DSP_Peak_Hold) &&
        typeid(*members[1]) == typeid(QB_DSP_Metering)) {
        auto& peak = static_cast<QB_DSP_Peak_Hold&>(*members[0]);
        auto& meter = static_cast<QB_DSP_Metering&>(*members[1]);
        if (meter.in0 == peak.out) {
            if (peak.routine == qbRoutine(&QB_DSP_Peak_Hold::peakOfTwo)) together<true>(peak, meter, offset, n);
            else together<false>(peak, meter, offset, n);
            return;
        }
    }
    for (int k = 0; k < count; ++k) members[k]->runRoutine(offset, n);
}

}  // namespace

const QB_JointKind kQbLevelFollow = {&ready, &run, false};
