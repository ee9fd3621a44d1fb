// Cascades packed lane after lane: the sections of several cascades fill the lanes of a
// few vectors densely, one section per lane, so that one vector step advances them all by
// a sample. A cascade that reads another's output follows it in the lanes (a chain), and
// a chain may cross from one vector into the next. Each chain is staggered as in
// biquad_staggered.h: the section at position p of its chain works on sample t - 2p at
// step t, and its input is the output of the lane before it two steps back, or the run's
// input at a chain's first lane. Every lane computes exactly the scalar recursion, so
// outputs and states are bit for bit those of running the cascades one after the other.
//
// The layout is planned here, in baseline code; the steps are in biquad_chains_steps.h.
#pragma once

#include <cstdint>

#include "eq/biquad_section.h"

struct QB_ChainPlan {
    static constexpr int kMaxJobs = 8;
    static constexpr int kMaxLanes = 64;
    int lanes = 0;          // lanes in use, from 0
    int jobCount = 0;
    int16_t job[kMaxJobs];   // the jobs in lane order
    int16_t first[kMaxJobs];  // each one's first lane
    int32_t position[kMaxLanes];  // a lane's place in its chain
    uint32_t start[kMaxLanes];    // all bits set in a chain's first lane
    int32_t lastPosition = 0;     // the largest position
    uint32_t lead() const { return 2u * static_cast<uint32_t>(lastPosition); }
};

// Lays out jobs[0..m) (QB_CascadeJob, in the order they would run one after the other) in
// at most capacity lanes, for one pass over n samples. A job whose in is an earlier job's
// out continues that job's chain; every other job starts a chain and must read the same
// input as the first job. False, with nothing planned, when the jobs do not fit that
// shape: a job of no or more than eight sections, two readers of one job, another input,
// too many lanes, or n too short for the stagger's edges.
bool qbPlanChains(const QB_CascadeJob* jobs, int m, int capacity, uint32_t n, QB_ChainPlan& plan);
