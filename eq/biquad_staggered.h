// Sections in series run side by side: lane k of a vector holds section k, and the
// sections are staggered two samples apart, so one vector step advances every section by
// one sample (section k at sample t - 2k). Each lane computes exactly the scalar
// recursion of qbBiquadOutput, in the same order, so output and states are bit for bit
// those of running the sections one after the other. Two samples of stagger give a
// section's input two steps to arrive from the section before it, which keeps the
// feedback through y1, not the chain between sections, the longest path of a step.
//
// Included only by the kernel files, each with its own Pack of lanes (internal linkage):
//   kLanes; broadcast(x); fromLanes(const float*); toLanes(float*) const;
//   +, -, *; shiftIn(v, x) = {x, v[0], ..., v[kLanes - 2]};
//   select(mask, yes, no): yes in the lanes whose mask bits are all set, else no;
//   fromBits(const uint32_t*): lanes with these bit patterns (masks);
//   steps4(p, v): v[i] = {p[0][i], ..., p[4][i], 0, ...} (lanes 0 to 4 only), or a
//   SetRows type of its own (see TransposedRows);
//   and, where the Pack has a cheaper way than a row in memory: storeLane(p, k), lane k
//   alone to p; withLane(v, k, x), v with lane k set to x.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "eq/biquad_section.h"

// The scalar section runs, compiled out of line with the baseline instruction set.
void qbBiquadRunBaseline(const QB_BiquadCoefficients& c, QB_BiquadState& s, const float* in, float* out,
                         uint32_t n);
void qbBiquadCascadeBaseline(const QB_BiquadCoefficients& c, QB_BiquadState* states, int count, const float* in,
                             float* out, uint32_t n);
void qbBiquadRunVaryingBaseline(const QB_CoefficientStreams& c, uint32_t offset, QB_BiquadState& s,
                                const float* in, float* out, uint32_t n);

// The steps of a cascade must be inlined into the loops that make them, or the lanes they
// keep in local variables go to memory and every step waits for a reload.
#if defined(__GNUC__) || defined(__clang__)
#define QB_STEP_INLINE __attribute__((always_inline))
#else
#define QB_STEP_INLINE
#endif

namespace qb_staggered {

constexpr uint32_t kStagger = 2;

// kFirstLanes[m]: all bits set in lanes 0 to m - 1, a mask for select.
struct FirstLanes {
    uint32_t bits[9][8];
    constexpr FirstLanes() : bits() {
        for (int m = 0; m <= 8; ++m)
            for (int k = 0; k < m; ++k) bits[m][k] = ~0u;
    }
    constexpr const uint32_t* operator[](int m) const { return bits[m]; }
};
inline constexpr FirstLanes kFirstLanes{};

// Stores lane k of v at p: by Pack::storeLane where the Pack has one, else through a row.
template <class Pack, class = void>
struct LaneStore {
    static QB_STEP_INLINE void at(const Pack& v, int k, float* p) {
        float lanes[Pack::kLanes];
        v.toLanes(lanes);
        *p = lanes[k];
    }
};
template <class Pack>
struct LaneStore<Pack, std::void_t<decltype(std::declval<const Pack&>().storeLane(nullptr, 0))>> {
    static QB_STEP_INLINE void at(const Pack& v, int k, float* p) { v.storeLane(p, k); }
};

// The sets of an edge step, lane by lane: in registers where the Pack can set one lane
// of a vector (Pack::withLane(v, k, x)), which spares each step a row of scalar stores
// read back as a vector; else in rows of floats, loaded as vectors when used.
template <class Pack, class = void>
struct EdgeSets {
    float c[5][Pack::kLanes];
    explicit EdgeSets(const float* const (&fixed)[5]) {
        for (int j = 0; j < 5; ++j)
            for (int k = 0; k < Pack::kLanes; ++k) c[j][k] = fixed[j][k];
    }
    QB_STEP_INLINE void set(int j, int k, float x) { c[j][k] = x; }
    QB_STEP_INLINE Pack operator[](int j) const { return Pack::fromLanes(c[j]); }
};
template <class Pack>
struct EdgeSets<Pack, std::void_t<decltype(Pack::withLane(std::declval<const Pack&>(), 0, 0.0f))>> {
    Pack c[5];
    explicit EdgeSets(const float* const (&fixed)[5]) {
        for (int j = 0; j < 5; ++j) c[j] = Pack::fromLanes(fixed[j]);
    }
    QB_STEP_INLINE void set(int j, int k, float x) { c[j] = Pack::withLane(c[j], k, x); }
    QB_STEP_INLINE Pack operator[](int j) const { return c[j]; }
};

// One set for every section.
struct SameSet {
    const QB_BiquadCoefficients* c;
    void run(int, QB_BiquadState& s, const float* in, float* out, uint32_t, uint32_t n) const {
        qbBiquadRunBaseline(*c, s, in, out, n);
    }
    bool staggers(int) const { return true; }
    QB_BiquadCoefficients at(int) const { return *c; }
    bool perSample(int) const { return false; }
    const float* stream(int, int) const { return nullptr; }
};

// The most sections the staggered loop takes when one reads its sets per sample.
constexpr int kMaxPerSampleSections = 5;

// A source of its own per section. With a per-sample section, every step reads each
// section's set at its own sample; the sets of four steps are read as a row per section
// and turned into four vectors, one per step. That reads lanes 0 to 4 only (the multi
// engine has five bands): more sections with a per-sample one run one after the other.
struct OwnSets {
    const QB_SectionCoefficients* sections;
    void run(int k, QB_BiquadState& s, const float* in, float* out, uint32_t from, uint32_t n) const {
        if (sections[k].perSample) qbBiquadRunVaryingBaseline(sections[k].streams, from, s, in, out, n);
        else qbBiquadRunBaseline(sections[k].streams.at(0), s, in, out, n);
    }
    QB_BiquadCoefficients at(int k) const { return sections[k].streams.at(0); }
    bool perSample(int k) const { return sections[k].perSample; }
    bool staggers(int count) const {
        for (int k = 0; k < count; ++k)
            if (sections[k].perSample) return count <= kMaxPerSampleSections;
        return true;
    }
    // Coefficient j (b0, b1, b2, a1, a2) of section k.
    const float* stream(int k, int j) const {
        const QB_CoefficientStreams& s = sections[k].streams;
        const float* const all[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
        return all[j];
    }
};

template <class Sets>
bool anyPerSample(const Sets& sets, int count) {
    bool perSample = false;
    for (int k = 0; k < count; ++k) perSample = perSample || sets.perSample(k);
    return perSample;
}

// One cascade of count sections (2 <= count <= Pack::kLanes, at most five when one reads
// per sample) over n samples, n > 2 (count - 1), while it runs staggered. Step t moves
// section k to sample t - 2k; the whole run takes steps 0 to n + lead - 1. In the first
// and last lead steps (the edges) some sections have no sample yet or no more: those
// lanes keep their state, so the edges run in the vector too. begin loads the lanes and
// runs the start edge, inRegisters gives the steps between, finish runs the end edge and
// stores the states.
template <class Pack, class Sets>
struct Staggered {
    static constexpr int L = Pack::kLanes;
    Sets sets;
    QB_BiquadState* states;
    int count;
    const float* in;
    float* out;
    uint32_t n;
    uint32_t lead;
    // The lanes between runs, as floats: vector types are loaded and stored, never copied
    // as objects (some compilers move a copied pair of vectors through integer registers).
    // Lanes past count filter nothing (zero coefficients) and are never read.
    float b0[L] = {}, b1[L] = {}, b2[L] = {}, a1[L] = {}, a2[L] = {};
    float x1[L] = {}, x2[L] = {}, y1[L] = {}, y2[L] = {};

    // Loads the lanes; begin also runs the start edge.
    void load(const Sets& with, QB_BiquadState* st, int c, const float* i, float* o, uint32_t length) {
        sets = with, states = st, count = c, in = i, out = o, n = length;
        lead = kStagger * static_cast<uint32_t>(c - 1);
        for (int k = 0; k < count; ++k) {
            const QB_BiquadCoefficients cs = sets.at(k);
            b0[k] = cs.b0, b1[k] = cs.b1, b2[k] = cs.b2, a1[k] = cs.a1, a2[k] = cs.a2;
            x1[k] = states[k].x1, x2[k] = states[k].x2, y1[k] = states[k].y1, y2[k] = states[k].y2;
        }
    }
    void begin(const Sets& with, QB_BiquadState* st, int c, const float* i, float* o, uint32_t length) {
        load(with, st, c, i, o, length);
        Staggered* const self[1] = {this};
        edges(self, 0, lead);
    }

    // Calls body(step, stepWith) with the lanes in local variables, so that they can live
    // in registers: step(t) advances every section by one sample with the sets loaded at
    // begin, stepWith(t, C0, C1, C2, D1, D2) with the sets given. Every lane is busy in
    // these steps, so section k's input, section k - 1's output two steps back, is its y2.
    // The lanes are stored back when body returns.
    template <class Body>
    QB_STEP_INLINE void inRegisters(Body body) {
        const Pack B0 = Pack::fromLanes(b0), B1 = Pack::fromLanes(b1), B2 = Pack::fromLanes(b2);
        const Pack A1 = Pack::fromLanes(a1), A2 = Pack::fromLanes(a2);
        Pack X1 = Pack::fromLanes(x1), X2 = Pack::fromLanes(x2), Y1 = Pack::fromLanes(y1), Y2 = Pack::fromLanes(y2);
        const float* const input = in;
        float* const output = out;
        const uint32_t delay = lead;
        const int top = count - 1;
        const Pack offset = Pack::broadcast(kQbDenormalOffset);
        const auto stepWith = [&](uint32_t t, const Pack& C0, const Pack& C1, const Pack& C2, const Pack& D1,
                                  const Pack& D2) QB_STEP_INLINE {
            const Pack X = Pack::shiftIn(Y2, input[t]);
            const Pack Y = C0 * X + C1 * X1 + C2 * X2 - D2 * Y2 - (D1 * Y1 + offset);
            X2 = X1, X1 = X, Y2 = Y1, Y1 = Y;
            LaneStore<Pack>::at(Y, top, output + (t - delay));
        };
        const auto step = [&](uint32_t t) QB_STEP_INLINE { stepWith(t, B0, B1, B2, A1, A2); };
        body(step, stepWith);
        X1.toLanes(x1), X2.toLanes(x2), Y1.toLanes(y1), Y2.toLanes(y2);
    }

    void finish() {
        Staggered* const self[1] = {this};
        edges(self, n, n + lead);
        storeStates();
    }
    void storeStates() const {
        for (int k = 0; k < count; ++k) states[k] = {x1[k], x2[k], y1[k], y2[k]};
    }

    // Steps from to to - 1 of the start edge (from 0) or the end edge (from n), for jobs
    // with the same sets and count (the first job's sets are read, once for all): a lane
    // whose section has no sample at the step computes one but keeps its state. A
    // section's input is the output of the lane before two steps back, as a busy
    // section's input always is: zeros before the start, the outputs of the last two
    // steps at the end.
    template <int M>
    static void edges(Staggered* const (&jobs)[M], uint32_t from, uint32_t to) {
        const Staggered& s = *jobs[0];
        const bool start = from < s.n;
        Pack X1[M], X2[M], Y1[M], Y2[M], Before[M], Last[M];
        for (int q = 0; q < M; ++q) {
            const Staggered& j = *jobs[q];
            X1[q] = Pack::fromLanes(j.x1), X2[q] = Pack::fromLanes(j.x2);
            Y1[q] = Pack::fromLanes(j.y1), Y2[q] = Pack::fromLanes(j.y2);
            Before[q] = start ? Pack::broadcast(0.0f) : Y2[q];
            Last[q] = start ? Pack::broadcast(0.0f) : Y1[q];
        }
        const Pack offset = Pack::broadcast(kQbDenormalOffset);
        const float* const fixed[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
        EdgeSets<Pack> C(fixed);
        const bool varies = anyPerSample(s.sets, s.count);
        for (uint32_t t = from; t < to; ++t) {
            const uint32_t m = (start ? t : t - s.n) / kStagger + 1;
            if (varies)
                for (int k = 0; k < s.count; ++k) {
                    const uint32_t behind = kStagger * static_cast<uint32_t>(k);
                    if (s.sets.perSample(k) && t >= behind && t - behind < s.n)
                        for (int j = 0; j < 5; ++j) C.set(j, k, s.sets.stream(k, j)[t - behind]);
                }
            // Lanes below m: at the start, those that have begun; at the end, those done.
            const Pack P = Pack::fromBits(kFirstLanes[m < L ? m : L]);
            for (int q = 0; q < M; ++q) {
                const Pack X = Pack::shiftIn(Before[q], start ? jobs[q]->in[t] : 0.0f);
                const Pack Y = C[0] * X + C[1] * X1[q] + C[2] * X2[q] - C[4] * Y2[q] - (C[3] * Y1[q] + offset);
                if (start) {
                    X2[q] = Pack::select(P, X1[q], X2[q]), X1[q] = Pack::select(P, X, X1[q]);
                    Y2[q] = Pack::select(P, Y1[q], Y2[q]), Y1[q] = Pack::select(P, Y, Y1[q]);
                } else {
                    X2[q] = Pack::select(P, X2[q], X1[q]), X1[q] = Pack::select(P, X1[q], X);
                    Y2[q] = Pack::select(P, Y2[q], Y1[q]), Y1[q] = Pack::select(P, Y1[q], Y);
                }
                Before[q] = Last[q], Last[q] = Y;
                if (t >= s.lead) LaneStore<Pack>::at(Y, s.count - 1, jobs[q]->out + (t - s.lead));
            }
        }
        for (int q = 0; q < M; ++q) {
            Staggered& j = *jobs[q];
            X1[q].toLanes(j.x1), X2[q].toLanes(j.x2), Y1[q].toLanes(j.y1), Y2[q].toLanes(j.y2);
        }
    }
};

// The sets of Rows::kSteps steps from rows[j][k], where coefficient j of lane k is read
// for them: by default four steps, turned into vectors by Pack::steps4; a Pack may bring
// a SetRows of its own (a constructor from the rows and at(i, sets) for step i).
template <class Pack>
struct TransposedRows {
    static constexpr uint32_t kSteps = 4;
    Pack c[5][4];
    explicit TransposedRows(const float* const (&rows)[5][kMaxPerSampleSections]) {
        for (int j = 0; j < 5; ++j) Pack::steps4(rows[j], c[j]);
    }
    QB_STEP_INLINE void at(uint32_t i, Pack* sets) const {
        for (int j = 0; j < 5; ++j) sets[j] = c[j][i];
    }
};
template <class Pack, class = void>
struct RowsOf {
    using type = TransposedRows<Pack>;
};
template <class Pack>
struct RowsOf<Pack, std::void_t<typename Pack::SetRows>> {
    using type = typename Pack::SetRows;
};

// The steps from t to n with sets read per sample, given as stepWith(t, C0, C1, C2, D1,
// D2) of one or more jobs with the same sets (their sets are read once for all); s is
// one of them, begun.
template <class Pack, class Sets, class... StepWith>
QB_STEP_INLINE inline void perSampleSteps(const Staggered<Pack, Sets>& s, uint32_t t, uint32_t n,
                                          const StepWith&... stepWith) {
    const Sets& sets = s.sets;
    const int count = s.count;
    using Rows = typename RowsOf<Pack>::type;
    constexpr uint32_t kSteps = Rows::kSteps;
    // Sections with one set read copies of it; lanes past count read zeros.
    float fixed[5][kMaxPerSampleSections][kSteps] = {}, zeros[kSteps] = {};
    const float* const columns[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
    for (int j = 0; j < 5; ++j)
        for (int k = 0; k < count; ++k)
            for (float& v : fixed[j][k]) v = columns[j][k];
    // first[j][k]: where coefficient j of lane k is read for the first steps; a lane that
    // reads per sample moves on by the steps done (moves[k] keeps all their bits), the
    // others stay. Working the places out from one count spares the loop a store per
    // lane and block.
    const float* first[5][kMaxPerSampleSections];
    uint32_t moves[kMaxPerSampleSections] = {};
    for (int k = 0; k < kMaxPerSampleSections; ++k) {
        const bool varies = k < count && sets.perSample(k);
        moves[k] = varies ? ~0u : 0u;
        for (int j = 0; j < 5; ++j)
            first[j][k] = k >= count ? zeros
                          : varies   ? sets.stream(k, j) + (t - kStagger * static_cast<uint32_t>(k))
                                     : fixed[j][k];
    }
    for (uint32_t done = 0; t + kSteps <= n; t += kSteps, done += kSteps) {
        const float* rows[5][kMaxPerSampleSections];
        for (int j = 0; j < 5; ++j)
            for (int k = 0; k < kMaxPerSampleSections; ++k) rows[j][k] = first[j][k] + (done & moves[k]);
        const Rows block(rows);
        for (uint32_t i = 0; i < kSteps; ++i) {
            Pack C[5];
            block.at(i, C);
            (stepWith(t + i, C[0], C[1], C[2], C[3], C[4]), ...);
        }
    }
    // The last steps one by one, from a row of lanes.
    constexpr int L = Pack::kLanes;
    float b0[L], b1[L], b2[L], a1[L], a2[L];
    for (int k = 0; k < L; ++k) b0[k] = s.b0[k], b1[k] = s.b1[k], b2[k] = s.b2[k], a1[k] = s.a1[k], a2[k] = s.a2[k];
    for (; t < n; ++t) {
        for (int k = 0; k < count; ++k) {
            if (!sets.perSample(k)) continue;
            const uint32_t at = t - kStagger * static_cast<uint32_t>(k);
            b0[k] = sets.stream(k, 0)[at], b1[k] = sets.stream(k, 1)[at], b2[k] = sets.stream(k, 2)[at];
            a1[k] = sets.stream(k, 3)[at], a2[k] = sets.stream(k, 4)[at];
        }
        const Pack C0 = Pack::fromLanes(b0), C1 = Pack::fromLanes(b1), C2 = Pack::fromLanes(b2);
        const Pack D1 = Pack::fromLanes(a1), D2 = Pack::fromLanes(a2);
        (stepWith(t, C0, C1, C2, D1, D2), ...);
    }
}

template <class Pack, class Sets>
inline void cascade(const Sets& sets, QB_BiquadState* states, int count, const float* in, float* out, uint32_t n) {
    Staggered<Pack, Sets> s;
    s.begin(sets, states, count, in, out, n);
    const bool perSample = anyPerSample(sets, count);
    s.inRegisters([&](const auto& step, const auto& stepWith) QB_STEP_INLINE {
        if (perSample) perSampleSteps(s, s.lead, n, stepWith);
        else
            for (uint32_t t = s.lead; t < n; ++t) step(t);
    });
    s.finish();
}

// Two channels through the same series of sections, each channel with its own states,
// side by side: the sets, read per sample or not, serve both.
template <class Pack>
inline void seriesPair(const OwnSets& sets, int count, QB_BiquadState* const* states, const float* const* in,
                       float* const* out, uint32_t n) {
    using Job = Staggered<Pack, OwnSets>;
    Job a, b;
    a.load(sets, states[0], count, in[0], out[0], n);
    b.load(sets, states[1], count, in[1], out[1], n);
    Job* const both[2] = {&a, &b};
    Job::edges(both, 0, a.lead);
    const bool perSample = anyPerSample(sets, count);
    a.inRegisters([&](const auto& stepA, const auto& withA) QB_STEP_INLINE {
        b.inRegisters([&](const auto& stepB, const auto& withB) QB_STEP_INLINE {
            if (perSample) perSampleSteps(a, a.lead, n, withA, withB);
            else
                for (uint32_t t = a.lead; t < n; ++t) stepA(t), stepB(t);
        });
    });
    Job::edges(both, n, n + a.lead);
    a.storeStates();
    b.storeStates();
}

// Whether count sections over n samples can run staggered at all.
inline bool canStagger(int count, uint32_t n) { return count >= 2 && n > kStagger * static_cast<uint32_t>(count - 1); }

// Calls done(step...) with the step of every job, each job's lanes in local variables:
// the next job's go into locals inside this one's, and so on.
template <class Done>
QB_STEP_INLINE inline void withSteps(const Done& done) {
    done();
}
template <class Done, class Job, class... Rest>
QB_STEP_INLINE inline void withSteps(const Done& done, Job& job, Rest&... rest) {
    job.inRegisters([&](const auto& step, const auto&) QB_STEP_INLINE {
        withSteps([&](const auto&... others) QB_STEP_INLINE { done(step, others...); }, rest...);
    });
}

// Independent cascades advancing side by side, so that their recursions overlap instead
// of waiting for each other: each job's own steps up to the latest start, then every job
// one step at a time. The jobs are distinct objects, not an array, so that their lanes
// can stay in registers.
template <class... Jobs>
inline void lockstep(uint32_t n, Jobs&... s) {
    uint32_t start = 0;
    ((start = s.lead > start ? s.lead : start), ...);
    const auto alone = [start](auto& job) {
        job.inRegisters([&](const auto& step, const auto&) {
            for (uint32_t t = job.lead; t < start; ++t) step(t);
        });
    };
    (alone(s), ...);
    withSteps(
        [start, n](const auto&... steps) QB_STEP_INLINE {
            for (uint32_t t = start; t < n; ++t) (steps(t), ...);
        },
        s...);
    (s.finish(), ...);
}

// Two cascades of identical sections that can both stagger, side by side.
template <class Pack>
inline void pairOf(const QB_CascadeJob& first, const QB_CascadeJob& second, uint32_t n) {
    Staggered<Pack, SameSet> a, b;
    a.begin(SameSet{&first.c}, first.states, first.count, first.in, first.out, n);
    b.begin(SameSet{&second.c}, second.states, second.count, second.in, second.out, n);
    lockstep(n, a, b);
}

// A kernel file's entry for independent cascades: those that cannot stagger one after
// the other, the others in pairs. Pairs, not more: with three or four jobs the lanes no
// longer fit the registers, and the spills cost more than the overlap gains.
template <class Pack>
inline void runJobs(const QB_CascadeJob* jobs, int m, uint32_t n) {
    const QB_CascadeJob* waiting = nullptr;
    for (int j = 0; j < m; ++j) {
        const QB_CascadeJob& job = jobs[j];
        if (!canStagger(job.count, n) || job.count > Pack::kLanes)
            qbBiquadCascadeBaseline(job.c, job.states, job.count, job.in, job.out, n);
        else if (waiting == nullptr)
            waiting = &job;
        else
            pairOf<Pack>(*waiting, job, n), waiting = nullptr;
    }
    if (waiting != nullptr)
        cascade<Pack>(SameSet{&waiting->c}, waiting->states, waiting->count, waiting->in, waiting->out, n);
}

// A kernel file's entry: the sections one after the other where the stagger cannot
// start or does not pay, Narrow's lanes for up to Narrow::kLanes sections, Wide's beyond.
template <class Narrow, class Wide, class Sets>
inline void run(const Sets& sets, QB_BiquadState* states, int count, const float* in, float* out, uint32_t n) {
    if (!canStagger(count, n) || !sets.staggers(count))
        for (int k = 0; k < count; ++k) sets.run(k, states[k], k == 0 ? in : out, out, 0, n);
    else if (count <= Narrow::kLanes)
        cascade<Narrow>(sets, states, count, in, out, n);
    else
        cascade<Wide>(sets, states, count, in, out, n);
}


// A kernel file's entry for two channels through one series: side by side on Pack's
// lanes where the stagger can start, else each channel as the single series runs it.
template <class Pack>
inline void runPair(const QB_SectionCoefficients* sections, int count, QB_BiquadState* const* states,
                    const float* const* in, float* const* out, uint32_t n) {
    const OwnSets sets{sections};
    if (canStagger(count, n) && sets.staggers(count) && count <= Pack::kLanes) {
        seriesPair<Pack>(sets, count, states, in, out, n);
        return;
    }
    for (int ch = 0; ch < 2; ++ch) run<Pack, Pack>(sets, states[ch], count, in[ch], out[ch], n);
}

}  // namespace qb_staggered
