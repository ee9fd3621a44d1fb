// The render loop: audio from a source through the plug-in in host-sized blocks, with
// every block handed to the consumers (audio files, the plot's analyser).
#pragma once

#include <cstdint>
#include <functional>

class AudioSource;
class PluginInstance;
class ProgressBar;

struct BlockView {
    const float* inL;
    const float* inR;
    const float* outL;
    const float* outR;
    int frames;
};

// Starts the plug-in, processes the whole source in blocks of at most the plug-in's
// block size (the last one shorter), and stops it. onInput sees each block before the
// plug-in does (a plug-in might write to its inputs), onOutput sees input and output
// after. Answers the number of frames rendered.
int64_t renderAll(PluginInstance& plugin, AudioSource& source, const std::function<void(const BlockView&)>& onInput,
                  const std::function<void(const BlockView&)>& onOutput, ProgressBar* progress);
