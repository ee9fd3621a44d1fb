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

struct Member : QB_ModuleBase {
    Member(QB_GraphHost* owner, const QB_JointKind* kind) : QB_ModuleBase(owner, false) { jointKind = kind; }
    void handleEvent(QB_Event* e, uint32_t offset) override { handled.push_back({e->time, offset}); }
    bool ready = true;
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

}  // namespace
