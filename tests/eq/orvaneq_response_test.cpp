#include "eq/orvaneq_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "dsp/modules/pitch_detect.h"
#include "eq/orvaneq_control.h"
#include "plugin/module_registry.h"
#include "support/signal_feed.h"
#include "support/test_graph.h"

namespace {

using Response = QB_DSP_OrvanEq_Response;
using Detector = QB_DSP_Pitch_Detect;
using Sent = std::vector<std::pair<int, int>>;  // (port, intValue)

struct ResponseRig {
    TestGraph g;
    Response* response = g.make<Response>();
    RecordingModule* sink = g.make<RecordingModule>();
    ResponseRig() {
        for (int p : {0, 1, 2, 14, 15, 16}) g.wire(response, p, sink, p);
        g.prepareAll();
    }
    void control(int32_t port, int32_t intValue, float floatValue = 0.0f) {
        response->postEvent(g.samplePosition, port, 0, intValue, floatValue, 0);
    }
    Sent takeSent() {
        Sent r;
        for (const auto& h : sink->handled) r.emplace_back(h.event.port, h.event.intValue);
        sink->handled.clear();
        return r;
    }
};

TEST(OrvanEqResponse, BypassSwitchesBothEnginesOffAndOnAndTheModuleSleepsBetweenEvents) {
    ResponseRig rig;
    rig.g.run(512);  // after prepare: engines on, once
    EXPECT_EQ(rig.takeSent(), (Sent{{14, 0}, {15, 1}, {16, 1}}));
    EXPECT_NE(rig.response->flags & QB_ModuleBase::kAsleep, 0u);
    rig.control(Response::kInBypass, 1);
    rig.g.run(128);
    EXPECT_EQ(rig.takeSent(), (Sent{{15, 0}, {16, 0}, {14, 0}}));
    rig.control(Response::kInBypass, 0);
    rig.g.run(512);
    EXPECT_EQ(rig.takeSent(), (Sent{{14, 0}, {15, 1}, {16, 1}}));
}

TEST(OrvanEqResponse, TheResponseValueIsScaledPerDetector) {
    ResponseRig rig;
    rig.g.run(128);
    rig.takeSent();
    rig.control(Response::kInResponse, 0, 0.5f);
    rig.g.run(128);
    float value[3] = {};
    for (const auto& h : rig.sink->handled)
        if (h.event.port <= 2) value[h.event.port] = h.event.floatValue;
    EXPECT_EQ(value[0], 10.0f);
    EXPECT_EQ(value[1], 5.0f);
    EXPECT_EQ(value[2], 0.5f);
}

TEST(OrvanEqResponse, PressingResetSetsTheFiveGainControlsToZeroAndReleasingDoesNothing) {
    ResponseRig rig;
    rig.control(Response::kInReset, 1, 0.1f);
    rig.g.run(128);
    ASSERT_EQ(rig.g.controlWrites.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rig.g.controlWrites[i].control, 10 + i);
        EXPECT_EQ(rig.g.controlWrites[i].value, 0.0f);
        EXPECT_NE(rig.g.controlWrites[i].send, 0);
    }
    rig.control(Response::kInReset, 0, 0.0f);
    rig.control(10, 1, 0.1f);  // input 10 is wired in the graph and ignored
    rig.g.run(128);
    EXPECT_EQ(rig.g.controlWrites.size(), 5u);
}

TEST(OrvanEqResponse, AFasterResponseSettingLocksTheBasicDetectorOntoANewPitchSooner) {
    // Knob values 0.5, 5 and 50 give the Basic detector 5, 50 and 500: the 20-unit step
    // from 200 to 400 Hz takes 2 r x 441 samples at 44.1 kHz (96 % of it to come within 2 %).
    double seconds[3];
    const float settings[3] = {0.5f, 5.0f, 50.0f};
    for (int s = 0; s < 3; ++s) {
        TestGraph g(44100);
        auto* response = g.make<Response>();
        auto* source = g.make<RecordingModule>();
        auto* detector = g.make<Detector>();
        g.wire(response, Response::kOutBasicResponse, detector, Detector::kInResponse);
        g.wire(source, 0, detector, Detector::kInSignal);
        g.wire(detector, 0, g.make<RecordingModule>(), 0);
        g.prepareAll();
        response->postEvent(0, Response::kInResponse, 0, 0, settings[s], 0);
        TestTone tone{200.0};
        feedSignal(g, source, 441000, [&](uint32_t n) { return tone.at(n, 44100); });
        tone.hz = 400.0;
        size_t settled = 0, i = 0;
        feedSignal(g, source, 441000, [&](uint32_t n) { return tone.at(n, 44100); },
                   [&](uint32_t offset, uint32_t n) {
                       for (uint32_t k = 0; k < n; ++k, ++i)
                           if (std::fabs(detector->out[offset + k] - 40.0f) > 0.8f) settled = i + 1;
                   });
        seconds[s] = settled / 44100.0;
        const double expected = 2.0 * settings[s] * 441.0 * 0.96 / 44100.0;
        EXPECT_NEAR(seconds[s], expected, expected * 0.05 + 0.002) << settings[s];
    }
    EXPECT_LT(seconds[0], seconds[1]);
    EXPECT_LT(seconds[1], seconds[2]);
}

TEST(OrvanEqResponse, EachOfTheseCodesCreatesItsModule) {
    TestGraph g;
    for (int32_t code = 6353; code <= 6364; ++code) {
        std::unique_ptr<QB_ModuleBase> m(qbCreateModule(code, &g, false));
        const bool detector = dynamic_cast<Detector*>(m.get()) != nullptr;
        EXPECT_EQ(detector, code >= 6354 && code <= 6359) << code;
        EXPECT_EQ(dynamic_cast<QB_DSP_OrvanEq_Control*>(m.get()) != nullptr, code == 6362) << code;
        EXPECT_EQ(dynamic_cast<Response*>(m.get()) != nullptr, code == 6363) << code;
    }
}

}  // namespace
