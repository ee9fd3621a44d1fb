#include "dsp/framework/joint_run.h"

#include "dsp/framework/graph_host.h"
#include "dsp/framework/module_base.h"

namespace {

bool isMember(const QB_JointGroup& g, const QB_ModuleBase* m, QB_ModuleBase* const* modules) {
    for (int k = 0; k < g.count; ++k)
        if (modules[g.members[k]] == m) return true;
    return false;
}

int32_t indexOf(const QB_ModuleBase* m, QB_ModuleBase* const* modules, int32_t moduleCount) {
    for (int32_t i = 0; i < moduleCount; ++i)
        if (modules[i] == m) return i;
    return -1;
}

// Whether module j may run at the place of the group's leader.
bool mayJoin(const QB_JointGroup& g, int32_t j, QB_ModuleBase* const* modules, int32_t moduleCount) {
    const int32_t leader = g.members[0];
    const QB_ModuleBase* m = modules[j];
    for (const QB_ModuleBase* source : m->sources) {
        if (source == nullptr || isMember(g, source, modules)) continue;
        const int32_t s = indexOf(source, modules, moduleCount);
        if (s < 0 || s >= leader) return false;
    }
    for (int32_t k = leader + 1; k < j; ++k) {
        if (isMember(g, modules[k], modules)) continue;
        for (const QB_ModuleBase* source : modules[k]->sources)
            if (source == m) return false;
    }
    return true;
}

// Whether module j may join a group that runs at its last member, j being the new last.
bool mayJoinLast(const QB_JointGroup& g, int32_t j, QB_ModuleBase* const* modules) {
    for (int k = 0; k < g.count; ++k)
        for (const QB_ModuleBase* source : modules[j]->sources)
            if (source == modules[g.members[k]]) return false;
    for (int32_t i = g.members[0] + 1; i < j; ++i) {
        if (isMember(g, modules[i], modules)) continue;
        for (int k = 0; k < g.count && g.members[k] < i; ++k)
            for (const QB_ModuleBase* source : modules[i]->sources)
                if (source == modules[g.members[k]]) return false;
    }
    return true;
}

// Handles member k's events at the sub-block's start and answers whether it is ready.
bool readyAt(const QB_JointGroup& group, int k, QB_ModuleBase* const* modules, uint32_t samplePosition,
             uint32_t offset, uint32_t n) {
    QB_ModuleBase* m = modules[group.members[k]];
    // Events at the sub-block's start are handled first wherever the member runs, and
    // all of them are queued by now: only sources post to a member, and they have run.
    m->time = samplePosition;
    m->handleDueEvents(offset);
    return m->flags == 0 && !m->eventDueWithin(n) && group.kind->ready(*m);
}

}  // namespace

int32_t qbFormJointGroups(QB_ModuleBase* const* modules, int32_t moduleCount, bool (*inVoiceBlock)(const void*, int32_t),
                          const void* context, QB_JointGroup* groups, int32_t maxGroups, int16_t* groupOf) {
    int32_t count = 0;
    bool grouped[QB_GraphHost::kMaxModules] = {};
    for (int32_t i = 0; i < moduleCount; ++i) groupOf[i] = -1;
    for (int32_t i = 0; i < moduleCount && i < QB_GraphHost::kMaxModules && count < maxGroups; ++i) {
        const QB_ModuleBase* m = modules[i];
        if (m == nullptr || m->jointKind == nullptr || grouped[i] || inVoiceBlock(context, i)) continue;
        QB_JointGroup& g = groups[count];
        g = {m->jointKind, {static_cast<int16_t>(i)}, {0}, 1};
        for (int32_t j = i + 1; j < moduleCount && j < QB_GraphHost::kMaxModules && g.count < QB_JointGroup::kMaxMembers; ++j) {
            const QB_ModuleBase* other = modules[j];
            if (other == nullptr || other->jointKind != g.kind || grouped[j] || inVoiceBlock(context, j)) continue;
            if (g.kind->atLast ? !mayJoinLast(g, j, modules) : !mayJoin(g, j, modules, moduleCount)) continue;
            uint8_t reads = 0;
            for (int k = 0; k < g.count; ++k)
                for (const QB_ModuleBase* source : other->sources)
                    if (source == modules[g.members[k]]) reads = static_cast<uint8_t>(reads | (1u << k));
            g.reads[g.count] = reads;
            g.members[g.count++] = static_cast<int16_t>(j);
        }
        if (g.count < 2) continue;
        for (int k = 0; k < g.count; ++k) {
            grouped[g.members[k]] = true;
            if (g.kind->atLast) groupOf[g.members[k]] = static_cast<int16_t>(count);
        }
        groupOf[i] = static_cast<int16_t>(count++);
    }
    return count;
}

uint32_t qbRunJointGroup(const QB_JointGroup& group, QB_ModuleBase* const* modules, uint32_t samplePosition,
                         uint32_t offset, uint32_t n) {
    uint32_t ready = 0;
    for (int k = 0; k < group.count; ++k) {
        // A member reads only earlier members, so one pass settles who may run.
        if (readyAt(group, k, modules, samplePosition, offset, n) && (group.reads[k] & ~ready) == 0)
            ready |= 1u << k;
    }
    QB_ModuleBase* members[QB_JointGroup::kMaxMembers];
    int count = 0;
    for (int k = 0; k < group.count; ++k)
        if (ready & (1u << k)) members[count++] = modules[group.members[k]];
    if (count < 2) return 0;
    group.kind->run(members, count, offset, n);
    return ready;
}

bool qbRunJointGroupAtLast(const QB_JointGroup& group, int32_t index, QB_ModuleBase* const* modules,
                           uint32_t& waiting, uint32_t samplePosition, uint32_t offset, uint32_t n) {
    const int last = group.count - 1;
    if (index != group.members[last]) {
        int k = 0;
        while (k < last && group.members[k] != index) ++k;
        if (k == last || !readyAt(group, k, modules, samplePosition, offset, n)) return false;
        waiting |= 1u << k;
        return true;
    }
    const bool lastReady = readyAt(group, last, modules, samplePosition, offset, n);
    QB_ModuleBase* members[QB_JointGroup::kMaxMembers];
    int count = 0;
    for (int k = 0; k < last; ++k)
        if (waiting & (1u << k)) members[count++] = modules[group.members[k]];
    waiting = 0;
    if (lastReady) members[count++] = modules[group.members[last]];
    if (count >= 2) group.kind->run(members, count, offset, n);
    else if (count == 1 && !lastReady) members[0]->processBlock(offset, n);
    return count >= 2 && lastReady;
}
