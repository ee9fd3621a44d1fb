// The block driver against events spread over more than one sub-block: an event beyond the
// end of the sub-block waits for the next one even after an earlier event inside it has
// been handled, so no routine ever runs past the sub-block.
#include <gtest/gtest.h>

#include "support/test_graph.h"

namespace {

TEST(ModuleEventSpans, AnEventBeyondTheSubBlockWaitsAlsoAfterAnEarlierOneInsideWasHandled) {
    TestGraph g(44100, 128);
    auto* m = g.make<RecordingModule>();
    // Both within one sub-block's length of each other, the second past the first's end.
    m->postEvent(100, 0, 0, 1, 0.f, 0);
    m->postEvent(200, 0, 0, 2, 0.f, 0);
    g.runSubBlock(128);
    ASSERT_EQ(m->handled.size(), 1u);
    EXPECT_EQ(m->handled[0].offset, 100u);
    uint32_t frames = 0;
    for (const auto& c : m->calls) {
        EXPECT_LE(c.offset + c.count, 128u);
        frames += c.count;
    }
    EXPECT_EQ(frames, 128u);
    EXPECT_TRUE(m->hasEvents());

    m->calls.clear();
    g.runSubBlock(128);
    ASSERT_EQ(m->handled.size(), 2u);
    EXPECT_EQ(m->handled[1].offset, 72u);
    ASSERT_EQ(m->calls.size(), 2u);
    EXPECT_EQ(m->calls[0].offset, 0u);
    EXPECT_EQ(m->calls[0].count, 72u);
    EXPECT_EQ(m->calls[1].offset, 72u);
    EXPECT_EQ(m->calls[1].count, 56u);
}

TEST(ModuleEventSpans, ManyEventsOverSeveralSubBlocksAreHandledEachInItsOwnAtItsOffset) {
    TestGraph g(44100, 64);
    auto* m = g.make<RecordingModule>();
    for (uint32_t t = 5; t < 400; t += 37) m->postEvent(t, 0, 0, static_cast<int32_t>(t), 0.f, 0);
    for (int block = 0; block < 8; ++block) {
        const size_t before = m->calls.size();
        g.runSubBlock(64);
        uint32_t frames = 0;
        for (size_t k = before; k < m->calls.size(); ++k) {
            EXPECT_LE(m->calls[k].offset + m->calls[k].count, 64u);
            frames += m->calls[k].count;
        }
        EXPECT_EQ(frames, 64u) << block;
    }
    ASSERT_EQ(m->handled.size(), 11u);
    for (const auto& h : m->handled) EXPECT_EQ(h.offset, static_cast<uint32_t>(h.event.intValue) % 64u);
}

}  // namespace
