#include "dsp/framework/module_base.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/test_graph.h"

namespace {

TEST(ModuleEvents, EqualTimesKeepArrivalOrderAndEarlierEventsGoFirst) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    m->postEvent(10, 1, 0, 1, 0.f, 0);
    m->postEvent(10, 2, 0, 2, 0.f, 0);
    m->postEvent(5, 3, 0, 3, 0.f, 0);
    m->postEvent(10, 4, 0, 4, 0.f, 0);
    m->postEvent(0, 5, 0, 5, 0.f, 0);
    g.runSubBlock(64);
    ASSERT_EQ(m->handled.size(), 5u);
    const int expected[] = {5, 3, 1, 2, 4};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m->handled[i].event.intValue, expected[i]) << i;
    EXPECT_EQ(m->handled[0].offset, 0u);
    EXPECT_EQ(m->handled[1].offset, 5u);
    EXPECT_EQ(m->handled[2].offset, 10u);
    EXPECT_FALSE(m->hasEvents());
    EXPECT_EQ(m->eventTail, nullptr);
}

TEST(ModuleEvents, RoutineIsSplitAtEventTimesInsideTheSubBlock) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    g.ringPosition = 32;
    g.samplePosition = 1000;
    m->postEvent(1010, 0, 0, 0, 0.f, 0);
    g.runSubBlock(20);
    ASSERT_EQ(m->calls.size(), 2u);
    EXPECT_EQ(m->calls[0].offset, 32u);
    EXPECT_EQ(m->calls[0].count, 10u);
    EXPECT_EQ(m->calls[0].time, 1000u);
    EXPECT_EQ(m->calls[1].offset, 42u);
    EXPECT_EQ(m->calls[1].count, 10u);
    EXPECT_EQ(m->calls[1].time, 1010u);
    ASSERT_EQ(m->handled.size(), 1u);
    EXPECT_EQ(m->handled[0].offset, 42u);
}

TEST(ModuleEvents, AnEventStampedBeforeTheSubBlockTakesEffectAtItsStartWithNoRoutineCallBefore) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    g.samplePosition = 500;
    g.ringPosition = 8;
    m->postEvent(400, 0, 0, 7, 0.f, 0);
    g.runSubBlock(16);
    ASSERT_EQ(m->handled.size(), 1u);
    EXPECT_EQ(m->handled[0].offset, 8u);
    ASSERT_EQ(m->calls.size(), 1u);
    EXPECT_EQ(m->calls[0].offset, 8u);
    EXPECT_EQ(m->calls[0].count, 16u);
}

TEST(ModuleEvents, AnEventAtOrAfterTheEndStaysQueuedAndTheRoutineRunsToTheEnd) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    m->postEvent(16, 0, 0, 1, 0.f, 0);
    m->postEvent(40, 0, 0, 2, 0.f, 0);
    g.runSubBlock(16);
    EXPECT_TRUE(m->handled.empty());
    ASSERT_EQ(m->calls.size(), 1u);
    EXPECT_EQ(m->calls[0].count, 16u);
    EXPECT_TRUE(m->hasEvents());
    EXPECT_EQ(m->eventHead->prev, nullptr);
    g.runSubBlock(16);
    ASSERT_EQ(m->handled.size(), 1u);
    EXPECT_EQ(m->handled[0].offset, 16u);
    g.runSubBlock(16);
    ASSERT_EQ(m->handled.size(), 2u);
    EXPECT_EQ(m->handled[1].offset, 40u);
}

TEST(ModuleEvents, ADisabledModuleHandlesEventsButNeverRuns) {
    TestGraph g;
    auto* m = new RecordingModule(&g, true);
    g.add(m);
    EXPECT_EQ(m->flags, QB_ModuleBase::kDisabled);
    m->postEvent(3, 0, 0, 1, 0.f, 0);
    g.runSubBlock(32);
    EXPECT_EQ(m->handled.size(), 1u);
    EXPECT_TRUE(m->calls.empty());
    g.runSubBlock(32);  // skipped entirely: disabled with an empty queue
    EXPECT_TRUE(m->calls.empty());
}

TEST(ModuleEvents, ASleepingModuleWakesAtItsEventAndRunsFromThere) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    m->sleepAfterRun = true;
    g.runSubBlock(32);
    EXPECT_EQ(m->flags, QB_ModuleBase::kAsleep);
    ASSERT_EQ(m->calls.size(), 1u);
    m->sleepAfterRun = false;
    m->postEvent(g.samplePosition + 12, 0, 0, 1, 0.f, 0);
    g.runSubBlock(32);
    ASSERT_EQ(m->calls.size(), 2u);
    EXPECT_EQ(m->calls[1].offset, 32u + 12u);
    EXPECT_EQ(m->calls[1].count, 20u);
    EXPECT_EQ(m->flags, 0u);
}

TEST(ModuleEvents, ARoutineThatSleepsStopsFurtherCallsUntilTheNextEvent) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    m->sleepAfterRun = true;
    m->postEvent(10, 0, 0, 1, 0.f, 0);
    m->postEvent(20, 0, 0, 2, 0.f, 0);
    g.runSubBlock(32);
    // run [0,10) sleeps; event at 10 wakes; run [10,20) sleeps; event at 20 wakes; run [20,32).
    ASSERT_EQ(m->calls.size(), 3u);
    EXPECT_EQ(m->calls[2].offset, 20u);
}

TEST(ModuleRoutes, VoiceRoutesReachEveryCopyAtTheirStride) {
    TestGraph g;
    for (int i = 0; i < 40; ++i) g.make<RecordingModule>();
    QB_ModuleBase* src = g.moduleTable[0];
    src->connect(g.moduleTable[20], 20, 0, 3, 3, 7, 0);
    // Later copies fed by the same outside source do not add routes.
    src->connect(g.moduleTable[27], 27, 0, 3, 3, 7, 1);
    src->sendEvent(5, 0, 1, 42, 1.5f, 99);
    for (int i = 0; i < 40; ++i) {
        auto* r = static_cast<RecordingModule*>(g.moduleTable[i]);
        const bool expected = (i == 20 || i == 27 || i == 34);
        EXPECT_EQ(r->hasEvents(), expected) << i;
        if (expected) {
            EXPECT_EQ(r->eventHead->port, 3);
            EXPECT_EQ(r->eventHead->intValue, 42);
            EXPECT_EQ(r->eventHead->extra, 99u);
        }
        if (i == 20 || i == 27) {
            EXPECT_EQ(r->sources[3], src);
            EXPECT_EQ(r->inputs[3], src->outputs[0]);
        }
    }
    EXPECT_EQ(src->connections[0]->next, nullptr);
}

TEST(ModuleRoutes, RoutesOfOnePortAreKeptInTheOrderMade) {
    TestGraph g;
    auto* a = g.make<RecordingModule>();
    auto* b = g.make<RecordingModule>();
    auto* c = g.make<RecordingModule>();
    g.wire(a, 2, c, 1);
    g.wire(a, 2, b, 4);
    ASSERT_NE(a->connections[2], nullptr);
    EXPECT_EQ(a->connections[2]->targetModule, 2);
    EXPECT_EQ(a->connections[2]->next->targetModule, 1);
    EXPECT_TRUE(a->hasConsumer(2));
    EXPECT_FALSE(a->hasConsumer(0));
    a->sendEvent(0, 0, 0, 0, 0.f, 0);  // a port without routes sends nothing
    EXPECT_FALSE(b->hasEvents());
    EXPECT_FALSE(c->hasEvents());
}

TEST(ModuleBuffers, OutputsAreAlignedZeroedAndCarrySpareFloats) {
    TestGraph g(48000, 61);
    auto* m = g.make<RecordingModule>();
    float* b = m->outputBuffer(0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
    EXPECT_EQ(m->ringLength, 61u);
    for (int i = 0; i < 65; ++i) EXPECT_EQ(b[i], 0.f);
    EXPECT_EQ(m->outputBuffer(64), nullptr);
    EXPECT_EQ(m->outputBuffer(-1), nullptr);
}

TEST(EventPool, ADryPoolDropsNewEventsAndCountsThemWithoutDisturbingTheQueue) {
    TestGraph g;
    auto* m = g.make<RecordingModule>();
    const size_t capacity = g.eventPool.capacity();
    for (size_t i = 0; i < capacity + 5; ++i) m->postEvent(static_cast<uint32_t>(i), 0, 0, static_cast<int32_t>(i), 0.f, 0);
    EXPECT_EQ(g.eventPool.inUse(), capacity);
    EXPECT_EQ(g.eventPool.dropped(), 5u);
    g.run(static_cast<uint32_t>(capacity + 128));
    ASSERT_EQ(m->handled.size(), capacity);
    for (size_t i = 0; i < capacity; ++i) ASSERT_EQ(m->handled[i].event.intValue, static_cast<int32_t>(i));
    EXPECT_EQ(g.eventPool.inUse(), 0u);
}

}  // namespace
