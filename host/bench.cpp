#include "host/bench.h"

#include <algorithm>
#include <ctime>

#include "host/plugin_instance.h"
#include "host/render.h"

namespace {

double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double timeOneRender(PluginLibrary& library, size_t which, const StereoBuffer& material, int blockSize,
                     const std::function<void(PluginInstance&, size_t)>& configure) {
    PluginInstance plugin(library, material.sampleRate, blockSize);
    configure(plugin, which);
    MemorySource source(material);
    const double start = cpuSeconds();
    renderAll(plugin, source, nullptr, nullptr, nullptr);
    const double seconds = static_cast<double>(material.left.size()) / material.sampleRate;
    return (cpuSeconds() - start) / seconds;
}

}  // namespace

double BenchFigures::min() const { return *std::min_element(fractions.begin(), fractions.end()); }
double BenchFigures::max() const { return *std::max_element(fractions.begin(), fractions.end()); }
double BenchFigures::median() const {
    std::vector<double> sorted(fractions);
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : 0.5 * (sorted[n / 2 - 1] + sorted[n / 2]);
}

std::vector<BenchFigures> runBench(const std::vector<PluginLibrary*>& libraries, const StereoBuffer& material,
                                   int blockSize, int runs,
                                   const std::function<void(PluginInstance&, size_t)>& configure,
                                   std::FILE* out) {
    std::vector<BenchFigures> figures;
    // Plain file names unless two libraries share one.
    const bool sameNames = libraries.size() > 1 && libraries[0]->shortName() == libraries[1]->shortName();
    for (PluginLibrary* library : libraries)
        figures.push_back({sameNames ? library->path() : library->shortName(), {}});
    for (int run = 0; run < runs; ++run) {
        // Alternate the order too, so neither plug-in always runs on a warmer cache.
        for (size_t k = 0; k < libraries.size(); ++k) {
            const size_t which = run % 2 == 0 ? k : libraries.size() - 1 - k;
            figures[which].fractions.push_back(timeOneRender(*libraries[which], which, material, blockSize, configure));
        }
    }
    const double seconds = static_cast<double>(material.left.size()) / material.sampleRate;
    std::fprintf(out, "bench: %d render%s of %.2f s at %d Hz, block %d; CPU seconds per second of audio\n", runs,
                 runs == 1 ? "" : "s", seconds, material.sampleRate, blockSize);
    size_t width = 0;
    for (const BenchFigures& f : figures) width = std::max(width, f.name.size());
    for (const BenchFigures& f : figures)
        std::fprintf(out, "  %-*s  min %.5f  median %.5f  max %.5f\n", static_cast<int>(width), f.name.c_str(), f.min(),
                     f.median(), f.max());
    if (figures.size() == 2 && figures[1].median() > 0)
        std::fprintf(out, "  ratio %s / %s (medians): %.3f\n", figures[0].name.c_str(), figures[1].name.c_str(),
                     figures[0].median() / figures[1].median());
    return figures;
}
