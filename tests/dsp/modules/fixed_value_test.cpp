#include <gtest/gtest.h>

#include <limits>

#include "dsp/modules/fixed_value_to_int_float.h"
#include "dsp/modules/fixed_value_to_volt.h"
#include "dsp/modules/float_to_volt.h"
#include "support/test_graph.h"

namespace {

const float kConstants[] = {2200.0f, 0.1f, -5.0f, std::numeric_limits<float>::quiet_NaN(), 3e9f};

// A fixed-value module of class Module with inputs 0, 1, 2, 4 and 5 wired to the
// constants (input 3 left unset) and a recorder on outputs 0..5.
template <class Module>
struct FixedGraph {
    TestGraph g{44100, 96};
    Module* fixed = g.make<Module>();
    RecordingModule* probe = g.make<RecordingModule>();
    FixedGraph() {
        const int ports[] = {0, 1, 2, 4, 5};
        for (int k = 0; k < 5; ++k) fixed->setInput(ports[k], &kConstants[k]);
        for (int p = 0; p < 6; ++p) g.wire(fixed, p, probe, p);
        g.prepareAll();
        g.run(96);
    }
    const QB_Event* eventOn(int port) const {
        for (const auto& h : probe->handled)
            if (h.event.port == port) return &h.event;
        return nullptr;
    }
};

template <class Module>
void checkFixedEvents() {
    FixedGraph<Module> f;
    EXPECT_EQ(f.probe->handled.size(), 5u);
    const QB_Event* e = f.eventOn(0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->intValue, 2200);
    EXPECT_EQ(e->floatValue, 220.0f);
    EXPECT_EQ(e->rateFlag, 0u);
    e = f.eventOn(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->intValue, 0);
    EXPECT_EQ(e->floatValue, 0.01f);
    e = f.eventOn(2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->intValue, -5);
    EXPECT_EQ(e->floatValue, -0.5f);
    EXPECT_EQ(f.eventOn(3), nullptr);  // never set: no event
    e = f.eventOn(4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->intValue, 0);  // NaN truncates to 0
    e = f.eventOn(5);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->intValue, INT32_MAX);  // beyond the int range: saturates
    // It announced once and sleeps for good.
    EXPECT_EQ(f.fixed->flags, QB_ModuleBase::kAsleep);
    EXPECT_EQ(f.fixed->inputCount, 6);
}

TEST(FixedValues, EventsCarryTheValueTruncatedAndInGraphUnitsAndUnsetInputsSendNothing) {
    checkFixedEvents<QB_DSP_FixedValueToINT_FLOAT>();
    checkFixedEvents<QB_DSP_FixedValueToVolt>();
}

TEST(FixedValues, TheStreamVersionFillsEachOutputsWholeBufferWithTheValueInGraphUnits) {
    FixedGraph<QB_DSP_FixedValueToVolt> f;
    for (uint32_t i = 0; i < 96 + 4; ++i) {
        ASSERT_EQ(f.fixed->outputs[0][i], 220.0f) << i;
        ASSERT_EQ(f.fixed->outputs[1][i], 0.01f) << i;
        ASSERT_EQ(f.fixed->outputs[2][i], -0.5f) << i;
    }
    EXPECT_EQ(f.fixed->outputs[3], nullptr);
    FixedGraph<QB_DSP_FixedValueToINT_FLOAT> events;
    EXPECT_EQ(events.fixed->outputs[0], nullptr);
}

TEST(FloatToVolt, EachValueIsHeldForARingPassedOnAsAStaticEventAndThenItSleeps) {
    TestGraph g(44100, 64);
    auto* conv = g.make<QB_DSP_Float_to_Volt>();
    auto* probe = g.make<RecordingModule>();
    g.wire(conv, 0, probe, 0);
    g.prepareAll();
    conv->out[5] = 3.0f;
    g.run(64);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(conv->out[i], 0.0f) << i;
    EXPECT_EQ(conv->flags, QB_ModuleBase::kAsleep);

    conv->postEvent(g.samplePosition + 20, 7, 1, 0, 4.5f, 0);  // any port carries a value
    g.run(20);
    EXPECT_EQ(conv->flags, QB_ModuleBase::kAsleep);
    g.run(44);
    EXPECT_EQ(conv->flags, 0u);
    g.run(64);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(conv->out[i], 4.5f) << i;
    EXPECT_EQ(conv->flags, QB_ModuleBase::kAsleep);
    ASSERT_EQ(probe->handled.size(), 1u);
    EXPECT_EQ(probe->handled[0].event.floatValue, 4.5f);
    EXPECT_EQ(probe->handled[0].event.rateFlag, 0u);
    EXPECT_EQ(probe->handled[0].event.time, 64u + 20u);
}

}  // namespace
