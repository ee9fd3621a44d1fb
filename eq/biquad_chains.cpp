#include "eq/biquad_chains.h"

bool qbPlanChains(const QB_CascadeJob* jobs, int m, int capacity, uint32_t n, QB_ChainPlan& plan) {
    if (m < 1 || m > QB_ChainPlan::kMaxJobs) return false;
    if (capacity > QB_ChainPlan::kMaxLanes) capacity = QB_ChainPlan::kMaxLanes;
    // Chains as lists of jobs: next[j] follows job j, head[j] says whether j starts one.
    int next[QB_ChainPlan::kMaxJobs], lanes = 0;
    bool head[QB_ChainPlan::kMaxJobs];
    for (int j = 0; j < m; ++j) {
        if (jobs[j].count < 1 || jobs[j].count > 8) return false;
        next[j] = -1;
        lanes += jobs[j].count;
        // The latest earlier job that writes this one's input is its source.
        int source = -1;
        for (int i = 0; i < j; ++i) {
            if (jobs[i].out == jobs[j].out) return false;  // the later writer would have to win
            if (jobs[i].out == jobs[j].in) source = i;
        }
        head[j] = source < 0;
        if (source >= 0) {
            if (next[source] >= 0) return false;
            next[source] = j;
        } else if (jobs[j].in != jobs[0].in) {
            return false;
        }
    }
    if (lanes > capacity) return false;
    plan.lanes = 0, plan.jobCount = 0, plan.lastPosition = 0;
    for (int h = 0; h < m; ++h) {
        if (!head[h]) continue;
        int position = 0;
        for (int j = h; j >= 0; j = next[j]) {
            plan.job[plan.jobCount] = static_cast<int16_t>(j);
            plan.first[plan.jobCount++] = static_cast<int16_t>(plan.lanes);
            for (int k = 0; k < jobs[j].count; ++k, ++position, ++plan.lanes) {
                plan.position[plan.lanes] = position;
                plan.start[plan.lanes] = position == 0 ? ~0u : 0u;
            }
        }
        if (position - 1 > plan.lastPosition) plan.lastPosition = position - 1;
    }
    // The middle of the run needs two steps at least: its end edge starts from them.
    return n >= plan.lead() + 2u;
}
