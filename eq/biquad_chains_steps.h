// The steps of cascades packed lane after lane (biquad_chains.h), for the kernel files.
// Included only by them, each with its own Pack of lanes (internal linkage), which has
// what biquad_staggered.h asks for plus:
//   Mask; select(Mask, yes, no);
//   maskFromBits(const uint32_t*): lanes whose bits are all set;
//   atMost(const int32_t* p, m): the lanes whose p is at most m;
//   shiftAcross(v, before) = {before[kLanes - 1], v[0], ..., v[kLanes - 2]}.
#pragma once

#include <cstdint>
#include <utility>

#include "eq/biquad_chains.h"
#include "eq/biquad_staggered.h"

namespace qb_chains {

// One pass of a plan with V vectors of Pack's lanes (plan.lanes <= V * Pack::kLanes).
template <class Pack, int V>
struct Chains {
    static constexpr int L = Pack::kLanes;
    static constexpr int W = L * V;
    using Mask = typename Pack::Mask;

    const QB_ChainPlan& plan;
    const QB_CascadeJob* jobs;
    const float* in;
    uint32_t n;
    uint32_t lead;
    // The lanes between the parts of the run; lanes past plan.lanes filter nothing (all
    // zero, set in the constructor, which fills the others).
    alignas(64) float b0[W], b1[W], b2[W], a1[W], a2[W];
    alignas(64) float x1[W], x2[W], y1[W], y2[W];
    alignas(64) uint32_t start[W];
    alignas(64) int32_t position[W];
    // Each job's output: its last lane, that lane's delay (2 position) and where it goes.
    int outLane[QB_ChainPlan::kMaxJobs];
    uint32_t outDelay[QB_ChainPlan::kMaxJobs];
    float* out[QB_ChainPlan::kMaxJobs];

    Chains(const QB_ChainPlan& p, const QB_CascadeJob* j, uint32_t length)
        : plan(p), jobs(j), in(j[p.job[0]].in), n(length), lead(p.lead()) {
        for (int q = 0; q < plan.jobCount; ++q) {
            const QB_CascadeJob& job = jobs[plan.job[q]];
            for (int k = 0; k < job.count; ++k) {
                const int lane = plan.first[q] + k;
                b0[lane] = job.c.b0, b1[lane] = job.c.b1, b2[lane] = job.c.b2, a1[lane] = job.c.a1;
                a2[lane] = job.c.a2;
                const QB_BiquadState& s = job.states[k];
                x1[lane] = s.x1, x2[lane] = s.x2, y1[lane] = s.y1, y2[lane] = s.y2;
            }
            outLane[q] = plan.first[q] + job.count - 1;
            outDelay[q] = 2u * static_cast<uint32_t>(plan.position[outLane[q]]);
            out[q] = job.out;
            // The outputs were last written a sub-block ago and may have left the first
            // cache level: fetch them for writing while the lanes run.
            for (uint32_t i = 0; i < n; i += 16) __builtin_prefetch(job.out + i, 1);
        }
        for (int k = 0; k < plan.lanes; ++k) start[k] = plan.start[k], position[k] = plan.position[k];
        for (int k = plan.lanes; k < W; ++k) {
            b0[k] = b1[k] = b2[k] = a1[k] = a2[k] = x1[k] = x2[k] = y1[k] = y2[k] = 0.0f;
            start[k] = 0, position[k] = 0;
        }
    }

    void run() {
        float zeros[W] = {};
        edge<true>(0, lead, zeros, zeros);
        middle();
        edge<false>(n, n + lead, y2, y1);
        for (int q = 0; q < plan.jobCount; ++q) {
            const QB_CascadeJob& job = jobs[plan.job[q]];
            for (int k = 0; k < job.count; ++k) {
                const int lane = plan.first[q] + k;
                job.states[k] = {x1[lane], x2[lane], y1[lane], y2[lane]};
            }
        }
    }

    // The steps keep every lane's output in a history of a few steps, and the jobs'
    // outputs are copied from it after those steps: writing them step by step would put
    // scattered scalar stores into the recursion's loop.
    static constexpr uint32_t kHistory = 16;
    alignas(64) float history[kHistory][W];

    // The outputs of steps from to to - 1 (at most kHistory), from the history.
    void flush(uint32_t from, uint32_t to) {
        for (int q = 0; q < plan.jobCount; ++q) {
            const uint32_t d = outDelay[q];
            const uint32_t lo = from > d ? from : d, hi = to < n + d ? to : n + d;
            if (lo >= hi) continue;
            float* o = out[q] + (lo - d);
            const float* h = &history[lo - from][outLane[q]];
            for (uint32_t k = hi - lo; k > 0; --k, ++o, h += W) *o = *h;
        }
    }

    struct Registers {
        Pack C[5 * V], X1[V], X2[V], Y1[V], Y2[V];
        Mask S[V];
    };

    QB_STEP_INLINE void load(Registers& r) const {
        const float* const fixed[5] = {b0, b1, b2, a1, a2};
#pragma GCC unroll 8
        for (int v = 0; v < V; ++v) {
            for (int j = 0; j < 5; ++j) r.C[j * V + v] = Pack::fromLanes(fixed[j] + v * L);
            r.X1[v] = Pack::fromLanes(x1 + v * L), r.X2[v] = Pack::fromLanes(x2 + v * L);
            r.Y1[v] = Pack::fromLanes(y1 + v * L), r.Y2[v] = Pack::fromLanes(y2 + v * L);
            r.S[v] = Pack::maskFromBits(start + v * L);
        }
    }

    QB_STEP_INLINE void store(const Registers& r) {
#pragma GCC unroll 8
        for (int v = 0; v < V; ++v) {
            r.X1[v].toLanes(x1 + v * L), r.X2[v].toLanes(x2 + v * L);
            r.Y1[v].toLanes(y1 + v * L), r.Y2[v].toLanes(y2 + v * L);
        }
    }

    // Every lane's input at step t: the run's input x in a chain's first lane, else the
    // lane before's output two steps back (from, vector by vector).
    static QB_STEP_INLINE Pack inputOf(const Pack* from, int v, const Pack& x, const Mask& first) {
        return Pack::select(first, x, Pack::shiftAcross(from[v], v == 0 ? x : from[v - 1]));
    }

    // Vector v's outputs, as qbBiquadOutput computes them, from the sets in c.
    static QB_STEP_INLINE Pack output(const Pack* c, int v, const Pack& x, const Pack& x1, const Pack& x2,
                                      const Pack& y1, const Pack& y2, const Pack& offset) {
        return c[0 * V + v] * x + c[1 * V + v] * x1 + c[2 * V + v] * x2 - c[4 * V + v] * y2 -
               (c[3 * V + v] * y1 + offset);
    }

    // One step where every lane is busy, with x1, x2, y1 and y2 in the vectors given: the
    // new input and output take the places of x2 and y2, so that the next step, with the
    // roles swapped, copies no vector. From the last vector down, so that a vector's x2
    // is replaced only once the vector after it has read it.
    static QB_STEP_INLINE void busyStep(const Registers& r, Pack* X1, Pack* X2, Pack* Y1, Pack* Y2, float input,
                                        float* row, const Pack& offset) {
        const Pack x = Pack::broadcast(input);
#pragma GCC unroll 8
        for (int v = V - 1; v >= 0; --v) {
            const Pack X = inputOf(Y2, v, x, r.S[v]);
            const Pack Y = output(r.C, v, X, X1[v], X2[v], Y1[v], Y2[v], offset);
            X2[v] = X, Y2[v] = Y;
            Y.toLanes(row + v * L);
        }
    }

    // The steps where every lane is busy, with the lanes in local variables.
    void middle() {
        Registers r;
        load(r);
        const Pack offset = Pack::broadcast(kQbDenormalOffset);
        for (uint32_t t = lead; t < n;) {
            const uint32_t from = t, to = n - t > kHistory ? t + kHistory : n;
            for (; t + 2 <= to; t += 2) {
                busyStep(r, r.X1, r.X2, r.Y1, r.Y2, in[t], history[t - from], offset);
                busyStep(r, r.X2, r.X1, r.Y2, r.Y1, in[t + 1], history[t + 1 - from], offset);
            }
            if (t < to) {
                busyStep(r, r.X1, r.X2, r.Y1, r.Y2, in[t], history[t - from], offset);
                for (int v = 0; v < V; ++v) std::swap(r.X1[v], r.X2[v]), std::swap(r.Y1[v], r.Y2[v]);
                ++t;
            }
            flush(from, to);
        }
        store(r);
    }

    // Steps from to to - 1 at the start (from 0) or the end (from n) of the run: a lane
    // whose section has no sample at the step computes one but keeps its state. before
    // and last: every lane's output two steps and one step back.
    template <bool Starting>
    void edge(uint32_t from, uint32_t to, const float* before, const float* last) {
        Registers r;
        load(r);
        Pack Before[V], Last[V];
#pragma GCC unroll 8
        for (int v = 0; v < V; ++v)
            Before[v] = Pack::fromLanes(before + v * L), Last[v] = Pack::fromLanes(last + v * L);
        const Pack offset = Pack::broadcast(kQbDenormalOffset);
        for (uint32_t t = from; t < to;) {
            const uint32_t chunk = t, end = to - t > kHistory ? t + kHistory : to;
            for (; t < end; ++t) {
                const Pack x = Pack::broadcast(Starting ? in[t] : 0.0f);
                // Lanes at positions up to m: at the start, those that have begun; at
                // the end, those that are done.
                const int32_t m = static_cast<int32_t>((t - from) / 2u);
                Pack Y[V];
#pragma GCC unroll 8
                for (int v = 0; v < V; ++v) {
                    const Mask P = Pack::atMost(position + v * L, m);
                    const Pack X = inputOf(Before, v, x, r.S[v]);
                    Pack& X1 = r.X1[v], &X2 = r.X2[v], &Y1 = r.Y1[v], &Y2 = r.Y2[v];
                    Y[v] = output(r.C, v, X, X1, X2, Y1, Y2, offset);
                    if (Starting) {
                        X2 = Pack::select(P, X1, X2), X1 = Pack::select(P, X, X1);
                        Y2 = Pack::select(P, Y1, Y2), Y1 = Pack::select(P, Y[v], Y1);
                    } else {
                        X2 = Pack::select(P, X2, X1), X1 = Pack::select(P, X1, X);
                        Y2 = Pack::select(P, Y2, Y1), Y1 = Pack::select(P, Y1, Y[v]);
                    }
                }
#pragma GCC unroll 8
                for (int v = 0; v < V; ++v) {
                    Before[v] = Last[v], Last[v] = Y[v];
                    Y[v].toLanes(history[t - chunk] + v * L);
                }
            }
            flush(chunk, end);
        }
        store(r);
    }
};

template <class Pack, int V>
void runWith(const QB_ChainPlan& plan, const QB_CascadeJob* jobs, uint32_t n) {
    Chains<Pack, V>(plan, jobs, n).run();
}

// A kernel file's entry: plans the jobs for up to MaxV vectors and runs the pass with as
// few vectors as the lanes need. False when the plan does not take them (nothing ran).
template <class Pack, int MaxV>
bool run(const QB_CascadeJob* jobs, int m, uint32_t n) {
    QB_ChainPlan plan;
    if (!qbPlanChains(jobs, m, MaxV * Pack::kLanes, n, plan)) return false;
    const int vectors = (plan.lanes + Pack::kLanes - 1) / Pack::kLanes;
    static_assert(MaxV >= 1 && MaxV <= 5, "one to five vectors");
    switch (vectors) {
        case 1: runWith<Pack, 1>(plan, jobs, n); break;
        case 2: if constexpr (MaxV >= 2) runWith<Pack, 2>(plan, jobs, n); break;
        case 3: if constexpr (MaxV >= 3) runWith<Pack, 3>(plan, jobs, n); break;
        case 4: if constexpr (MaxV >= 4) runWith<Pack, 4>(plan, jobs, n); break;
        default: if constexpr (MaxV >= 5) runWith<Pack, 5>(plan, jobs, n); break;
    }
    return true;
}

}  // namespace qb_chains
