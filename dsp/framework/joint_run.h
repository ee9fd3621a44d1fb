// Modules that do their sub-block's work together: several modules of one kind whose
// work is independent recursions (filter chains that read one input, glides) run them
// side by side in one pass, so the processor overlaps them instead of waiting for each
// recursion in turn. The result is bit for bit that of running each module alone in
// graph order; only the order of independent work changes.
//
// A module offers this by pointing QB_ModuleBase::jointKind at its kind. Once a graph is
// built, qbFormJointGroups gathers modules of one kind that may run at the place of the
// first of them, or, for a kind that runs at the last, at the place of the last; at each
// sub-block the driver runs the ready members together there, and each other member
// alone at its own place. Audio thread only, except the forming, which happens while
// the host is not processing.
#pragma once

#include <cstdint>

class QB_ModuleBase;

struct QB_JointKind {
    // True when module, awake and with no event left within the sub-block (those at its
    // start are handled), is in the routine the kind runs together (and needs no event
    // sent from it in this sub-block).
    bool (*ready)(const QB_ModuleBase& module);
    // Runs the routine of count ready members (graph order) over n samples at offset. A
    // member may read an earlier member's output: run keeps such pairs in order.
    void (*run)(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n);
    // Whether the group runs at its last member's place (members read no member) rather
    // than at its first's. Then a member's readiness is known at its own place, once its
    // sources have run and posted their events: a ready member waits there for the last.
    bool atLast = false;
};

struct QB_JointGroup {
    static constexpr int kMaxMembers = 8;
    const QB_JointKind* kind;
    int16_t members[kMaxMembers];  // module indices, ascending; members[0] leads
    uint8_t reads[kMaxMembers];    // bit k: the member reads member k
    int16_t count;
};

// Forms the groups of modules[0..moduleCount). A module joins the group of an earlier
// module of its kind (the leader) when everything it reads comes from a module before
// the leader or from a member, and no other module between the leader and it reads it:
// then running it at the leader's place changes nothing. For a kind that runs at the
// last, a module joins when it reads no member and no module between the leader and it
// reads a member before that module: then every member may run at the new last place.
// inVoiceBlock(i) says that module i belongs to a voice block (never grouped: voice
// mixers read those without a recorded source). groupOf[i] is set to the group a
// leader leads (for a kind that runs at the last: every member), else -1. Answers the
// number of groups (at most maxGroups; groups of one are not kept).
int32_t qbFormJointGroups(QB_ModuleBase* const* modules, int32_t moduleCount, bool (*inVoiceBlock)(const void*, int32_t),
                          const void* context, QB_JointGroup* groups, int32_t maxGroups, int16_t* groupOf);

// Runs the ready members of group at offset over n samples, leaving out any that reads a
// member not ready (it must wait for that one). Answers the bit set of the members run,
// 0 when fewer than two would run (then none has run).
uint32_t qbRunJointGroup(const QB_JointGroup& group, QB_ModuleBase* const* modules, uint32_t samplePosition,
                         uint32_t offset, uint32_t n);

// A group that runs at its last member, at the place of module index: member k before
// the last handles its events at the sub-block's start and, when ready, joins waiting
// (answers true: it runs later); the last runs the waiting members and itself, together
// when two or more are ready, and clears waiting. Answers whether module index has run
// or waits; false means it runs alone now, as without the group.
bool qbRunJointGroupAtLast(const QB_JointGroup& group, int32_t index, QB_ModuleBase* const* modules,
                           uint32_t& waiting, uint32_t samplePosition, uint32_t offset, uint32_t n);
