// Which modules may run their sub-block together, and which of a group run when some are
// not ready: the rules that keep a joint run identical to every module running alone.
#include "dsp/framework/joint_run.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_graph.h"

namespace {

std::vector<QB_ModuleBase*> ranTogether;

bool isReady(const QB_ModuleBase& m);
void recordRun(QB_ModuleBase* const* members, int count, uint32_t, uint32_t) {
    ranTogether.assign(members, members + count);
}
const QB_JointKind kKind = {&isReady, &recordRun};
const QB_JointKind kOtherKind = {&isReady, &recordRun};
const QB_JointKind kLastKind = {&isReady, &recordRun, true};

struct Member : QB_ModuleBase {
    Member(QB_GraphHost* owner, const QB_JointKind* kind) : QB_ModuleBase(owner, false) { jointKind = kind; }
    void handleEvent(QB_Event* e, uint32_t offset) override { handled.push_back({e->time, offset}); }
    void processBlock(uint32_t offset, uint32_t count) override { ++ranAlone; }
    bool ready = true;
    int ranAlone = 0;
    std::vector<std::pair<uint32_t, uint32_t>> handled;  // event time, ring offset
};
bool isReady(const QB_ModuleBase& m) { return static_cast<const Member&>(m).ready; }

struct Graph {
    TestGraph host;
    std::vector<Member*> m;
    explicit Graph(int count, const std::vector<int>& plain = {}) {
        for (int i = 0; i < count; ++i) {
            bool noKind = false;
            for (int p : plain) noKind = noKind || p == i;
            m.push_back(new Member(&host, noKind ? nullptr : &kKind));
            host.add(m.back());
        }
    }
    void reads(int reader, int port, int source) { m[reader]->sources[port] = m[source]; }
    int form(QB_JointGroup* groups, int16_t* groupOf, int voiceModule = -1) {
        struct Context { int voice; } context{voiceModule};
        return qbFormJointGroups(
            host.moduleTable, host.moduleCount,
            [](const void* c, int32_t i) { return static_cast<const Context*>(c)->voice == i; }, &context, groups, 8,
            groupOf);
    }
};

std::vector<int> membersOf(const QB_JointGroup& g) { return std::vector<int>(g.members, g.members + g.count); }

TEST(JointGroups, ModulesJoinOnlyWhereRunningAtTheLeadersPlaceChangesNothing) {
    // 0 source, 1 A, 2 X reads A and D, 3 B, 4 C reads X, 5 D, 6 F reads B, 7 G in a voice
    // block, 8 H of another kind, 9 K reads the source.
    Graph g(10, {0, 2});
    g.m[8]->jointKind = &kOtherKind;
    g.reads(1, 0, 0), g.reads(3, 0, 0), g.reads(5, 0, 0), g.reads(7, 0, 0), g.reads(8, 0, 0);
    g.reads(2, 0, 1), g.reads(2, 1, 5);
    g.reads(4, 0, 2);
    g.reads(6, 0, 3);
    g.reads(9, 0, 0);
    QB_JointGroup groups[8];
    int16_t groupOf[QB_GraphHost::kMaxModules];
    ASSERT_EQ(g.form(groups, groupOf, 7), 2);
    // C reads X, which runs after A; X reads D before D's place; G is in a voice block, H of
    // another kind. C and D can both run at C's place.
    EXPECT_EQ(membersOf(groups[0]), (std::vector<int>{1, 3, 6, 9}));
    EXPECT_EQ(groups[0].reads[2], 1u << 1);  // F reads B
    EXPECT_EQ(groups[0].reads[1] | groups[0].reads[3], 0u);
    EXPECT_EQ(membersOf(groups[1]), (std::vector<int>{4, 5}));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(groupOf[i], i == 1 ? 0 : i == 4 ? 1 : -1) << i;

    // Alone of its kind, nothing groups.
    Graph single(3, {0, 2});
    EXPECT_EQ(single.form(groups, groupOf), 0);
    EXPECT_EQ(groupOf[1], -1);
}

TEST(JointGroups, TheReadyMembersRunTogetherAndAReaderOfAWaitingMemberWaitsToo) {
    // 0 A, 1 B, 2 F reads B, 3 H: one group.
    Graph g(4);
    g.reads(2, 0, 1);
    QB_JointGroup groups[8];
    int16_t groupOf[QB_GraphHost::kMaxModules];
    ASSERT_EQ(g.form(groups, groupOf), 1);
    const auto run = [&] {
        ranTogether.clear();
        return qbRunJointGroup(groups[0], g.host.moduleTable, 77, 5, 16);
    };
    EXPECT_EQ(run(), 0b1111u);
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[0], g.m[1], g.m[2], g.m[3]}));
    EXPECT_EQ(g.m[3]->time, 77u);

    g.m[1]->ready = false;  // F must wait for B, at their own places
    EXPECT_EQ(run(), 0b1001u);
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[0], g.m[3]}));

    // Events at the start (or late) are handled first, at the sub-block's offset, and the
    // member still runs together; one inside the sub-block keeps it out.
    g.m[1]->ready = true;
    g.m[0]->postEvent(77, 0, 0, 1, 0.f, 0);
    g.m[0]->postEvent(70, 0, 0, 1, 0.f, 0);
    g.m[0]->postEvent(93, 0, 0, 1, 0.f, 0);  // the next sub-block's
    EXPECT_EQ(run(), 0b1111u);
    EXPECT_EQ(g.m[0]->handled, (std::vector<std::pair<uint32_t, uint32_t>>{{70, 5}, {77, 5}}));
    EXPECT_TRUE(g.m[0]->hasEvents());
    g.m[3]->postEvent(80, 0, 0, 1, 0.f, 0);  // due inside: H runs alone
    g.m[0]->flags = QB_ModuleBase::kAsleep;   // asleep: A does not run
    EXPECT_EQ(run(), 0b0110u);
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[1], g.m[2]}));

    g.m[1]->flags = QB_ModuleBase::kDisabled;  // one left: nobody runs together
    EXPECT_EQ(run(), 0u);
    EXPECT_TRUE(ranTogether.empty());
}

TEST(JointGroups, AGroupThatRunsAtItsLastMemberMovesNoMemberPastAReader) {
    // 0 source, 1 A, 2 B, 3 H, 4 P reads A, 5 C, 6 D reads C, 7 E.
    Graph g(8, {0, 4});
    for (int i : {1, 2, 3, 5, 6, 7}) g.m[i]->jointKind = &kLastKind;
    for (int i : {1, 2, 3, 5, 7}) g.reads(i, 0, 0);
    g.reads(4, 0, 1), g.reads(6, 0, 5);
    QB_JointGroup groups[8];
    int16_t groupOf[QB_GraphHost::kMaxModules];
    ASSERT_EQ(g.form(groups, groupOf), 2);
    // C would carry A past P, which reads it; D reads C; E would carry C past D.
    EXPECT_EQ(membersOf(groups[0]), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(membersOf(groups[1]), (std::vector<int>{6, 7}));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(groupOf[i], i >= 1 && i <= 3 ? 0 : i >= 6 ? 1 : -1) << i;

    // At each member's place in turn; answers which of them have run or wait.
    const auto pass = [&] {
        ranTogether.clear();
        uint32_t waiting = 0;
        std::vector<bool> taken;
        for (int i : {1, 2, 3}) taken.push_back(qbRunJointGroupAtLast(groups[0], i, g.host.moduleTable, waiting, 77, 5, 16));
        EXPECT_EQ(waiting, 0u);
        return taken;
    };
    EXPECT_EQ(pass(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[1], g.m[2], g.m[3]}));
    EXPECT_EQ(g.m[2]->time, 77u);

    // A member not ready runs at its own place; the last not ready leaves the waiting
    // ones to run together, or one alone.
    g.m[2]->ready = false;
    EXPECT_EQ(pass(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[1], g.m[3]}));
    g.m[2]->ready = true, g.m[3]->ready = false;
    EXPECT_EQ(pass(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[1], g.m[2]}));
    g.m[2]->ready = false;
    EXPECT_EQ(pass(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(ranTogether.empty());
    EXPECT_EQ(g.m[1]->ranAlone, 1);
    EXPECT_EQ(g.m[3]->ranAlone, 0);  // the driver runs the last at its place

    // An event inside the sub-block keeps a member out; one at its start is handled first.
    g.m[2]->ready = g.m[3]->ready = true;
    g.m[1]->postEvent(77, 0, 0, 1, 0.f, 0);
    g.m[2]->postEvent(80, 0, 0, 1, 0.f, 0);
    EXPECT_EQ(pass(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(ranTogether, (std::vector<QB_ModuleBase*>{g.m[1], g.m[3]}));
    EXPECT_EQ(g.m[1]->handled, (std::vector<std::pair<uint32_t, uint32_t>>{{77, 5}}));
}

}  // namespace
