#include "support/stereo_run.h"

#include <algorithm>

StereoCapture runStereo(TestGraph& g, QB_ModuleBase* tap, const std::vector<float>& left,
                        const std::vector<float>& right, const std::vector<uint32_t>& blockSizes) {
    StereoCapture c;
    const float* o0 = tap->outputBuffer(0);
    const float* o1 = tap->outputBuffer(1);
    size_t done = 0;
    size_t k = 0;
    while (done < left.size()) {
        uint32_t n = std::max<uint32_t>(1u, blockSizes[k++ % blockSizes.size()]);
        n = std::min<uint32_t>(n, static_cast<uint32_t>(left.size() - done));
        n = std::min<uint32_t>(n, static_cast<uint32_t>(g.internalBlockSize) - g.ringPosition);
        const uint32_t p = g.ringPosition;
        for (uint32_t i = 0; i < n; ++i) {
            if (g.inputCopyTarget[0] != nullptr) g.inputCopyTarget[0][p + i] = left[done + i];
            if (g.inputCopyTarget[1] != nullptr) g.inputCopyTarget[1][p + i] = right[done + i];
        }
        g.runSubBlock(n);
        for (uint32_t i = 0; i < n; ++i) {
            if (o0 != nullptr) c.out0.push_back(o0[p + i]);
            if (o1 != nullptr) c.out1.push_back(o1[p + i]);
        }
        done += n;
    }
    return c;
}

StereoCapture runSilence(TestGraph& g, QB_ModuleBase* tap, uint32_t frames) {
    const std::vector<float> zeros(frames, 0.0f);
    return runStereo(g, tap, zeros, zeros);
}

std::vector<std::pair<uint32_t, uint16_t>> rateEvents(const RecordingModule& m, int16_t port) {
    std::vector<std::pair<uint32_t, uint16_t>> r;
    for (const auto& h : m.handled)
        if (h.event.port == port) r.emplace_back(h.event.time, h.event.rateFlag);
    return r;
}
