// --bench: CPU time the plug-in spends per second of audio, over repeated renders of
// the same material, optionally alternated with a second plug-in in the same run so
// both see the same machine load.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/audio_io.h"

class PluginLibrary;
class PluginInstance;

struct BenchFigures {
    std::string name;
    std::vector<double> fractions;  // CPU seconds per second of audio, one per run
    double min() const;
    double median() const;
    double max() const;
};

// Renders the material runs times with each library (a fresh instance per render, set
// up by configure, which is told the library's index); prints the figures and, for two
// libraries, their ratio.
std::vector<BenchFigures> runBench(const std::vector<PluginLibrary*>& libraries, const StereoBuffer& material,
                                   int blockSize, int runs,
                                   const std::function<void(PluginInstance&, size_t)>& configure,
                                   std::FILE* out);
