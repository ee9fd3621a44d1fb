// A plug-in on "Default Flat" with a quick Response that has heard some tones for two
// seconds and then been frozen: its bands stay where the detectors found those tones,
// so probe sines can measure them.
#pragma once

#include <vector>

#include "support/eq_parameters.h"
#include "support/hosted_plugin.h"

struct FrozenEq {
    FrozenEq(const char* libraryPath, float rate, const std::vector<Sine>& tones)
        : plugin(libraryPath, rate), probe(plugin.probe()) {
        plugin.set(QB_Control::kResponse, eqp::kQuickResponse);
        probe.play(tones, 2.0);
        plugin.set(QB_Control::kFreeze, eqp::kOn);
    }
    // Peak of the response with one slider at full boost (then flat again).
    ResponseProbe::Extremum peakWith(int32_t slider, double loHz, double hiHz) {
        plugin.set(slider, eqp::kFullBoost);
        const ResponseProbe::Extremum p = probe.peak(loHz, hiHz);
        plugin.set(slider, eqp::kFlat);
        return p;
    }

    HostedPlugin plugin;
    ResponseProbe probe;
};
