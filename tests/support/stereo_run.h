// Drives audio through a test graph the way the processor does: copies host input into
// the input module's buffers at the ring position, runs the sub-block, and collects what
// one module wrote.
#pragma once

#include <cstdint>
#include <vector>

#include "support/test_graph.h"

struct StereoCapture {
    std::vector<float> out0;
    std::vector<float> out1;  // empty when the module has no output 1
};

// Runs left/right (equal lengths) through g in sub-blocks whose sizes cycle through
// blockSizes (each cut at the ring's end) and returns outputs 0 and 1 of tap over the
// same frames.
StereoCapture runStereo(TestGraph& g, QB_ModuleBase* tap, const std::vector<float>& left,
                        const std::vector<float>& right, const std::vector<uint32_t>& blockSizes = {128});

// Runs frames of silence and returns what tap wrote.
StereoCapture runSilence(TestGraph& g, QB_ModuleBase* tap, uint32_t frames);

// Events a RecordingModule has handled on one port, as (time, rateFlag) pairs.
std::vector<std::pair<uint32_t, uint16_t>> rateEvents(const RecordingModule& m, int16_t port);
