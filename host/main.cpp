// orvan-render: renders audio files through a VST 2.4 effect, with presets, a demo,
// a plot of what the equaliser did, and a benchmark. See usageText() for the options.
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "host/atomic_file.h"
#include "host/audio_io.h"
#include "host/bench.h"
#include "host/demo_material.h"
#include "host/info.h"
#include "host/options.h"
#include "host/plot.h"
#include "host/plugin_instance.h"
#include "host/progress.h"
#include "host/render.h"
#include "host/settings.h"
#include "host/frequency_analysis.h"
#include "host/tool_error.h"

namespace {

std::string fileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int run(const Options& o) {
    PluginLibrary library(o.pluginPath.empty() ? defaultPluginPath() : o.pluginPath);
    std::unique_ptr<PluginLibrary> other;
    if (!o.vsPath.empty()) other = std::make_unique<PluginLibrary>(o.vsPath);

    // The input first: its sample rate sets up the plug-in, and a bad file fails early.
    StereoBuffer material;
    std::unique_ptr<AudioSource> source;
    if (o.demo || o.benchRuns > 0) {
        material = o.demo ? synthesiseDemo() : readWholeAudioFile(o.input);
        source = std::make_unique<MemorySource>(material);
    } else if (!o.input.empty()) {
        source = std::make_unique<FileSource>(o.input);
    }
    const int sampleRate = source != nullptr ? source->sampleRate() : kDemoSampleRate;

    const auto configure = [&o](PluginInstance& plugin) {
        if (o.demo) selectProgramIfPresent(plugin, kDemoProgram);
        applyActions(plugin, o.actions);
    };
    PluginInstance plugin(library, sampleRate, o.blockSize);
    configure(plugin);

    // Every file is written under a temporary name and renamed only once all succeeded.
    std::unique_ptr<AtomicFile> preset;
    if (!o.savePath.empty()) {
        const std::vector<uint8_t> bytes = presetFileBytes(plugin, o.savePath);
        preset = std::make_unique<AtomicFile>(o.savePath);
        preset->write(bytes.data(), bytes.size());
    }
    if (o.info) printInfo(plugin, stdout);

    if (o.benchRuns > 0) {
        if (material.left.empty()) throw ToolError(o.input + " holds no audio to measure");
        std::vector<PluginLibrary*> libraries{&library};
        if (other != nullptr) libraries.push_back(other.get());
        runBench(libraries, material, o.blockSize, o.benchRuns, configure, stdout);
    } else if (source != nullptr && (!o.output.empty() || !o.plotPath.empty() || !o.dryPath.empty())) {
        std::unique_ptr<AudioFileWriter> output, dry;
        if (!o.output.empty()) output = std::make_unique<AudioFileWriter>(o.output, sampleRate);
        if (!o.dryPath.empty()) dry = std::make_unique<AudioFileWriter>(o.dryPath, sampleRate);
        std::unique_ptr<AtomicFile> plotFile;
        std::unique_ptr<SpectrumAnalyser> analyser;
        if (!o.plotPath.empty()) {
            plotFile = std::make_unique<AtomicFile>(o.plotPath);
            analyser = std::make_unique<SpectrumAnalyser>(sampleRate, source->frames(), kPlotColumns, kPlotRows,
                                                          kPlotMinHz, kPlotMaxHz);
        }
        ProgressBar progress(source->frames(), sampleRate, !o.quiet);
        renderAll(
            plugin, *source,
            [&](const BlockView& b) {
                if (dry) dry->write(b.inL, b.inR, b.frames);
                if (analyser) analyser->addInput(b.inL, b.inR, b.frames);
            },
            [&](const BlockView& b) {
                if (output) output->write(b.outL, b.outR, b.frames);
                if (analyser) analyser->addOutput(b.outL, b.outR, b.frames);
            },
            &progress);
        progress.finish();
        if (output) output->finish();
        if (dry) dry->finish();
        if (analyser) {
            const std::string title = plugin.effectName() + ", program \"" + plugin.programName() + "\": " +
                                      (o.demo ? std::string("demo material") : fileName(o.input));
            drawPlot(*analyser, title, *plotFile);
        }
        if (output) output->commit();
        if (dry) dry->commit();
        if (plotFile) plotFile->commit();
    }
    if (preset) preset->commit();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    installTempFileCleanup();
    try {
        const Options options = parseOptions(argc, argv);
        if (options.help) {
            std::fputs(usageText(), stdout);
            return 0;
        }
        return run(options);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orvan-render: %s\n", e.what());
        return 2;
    } catch (const ToolError& e) {
        std::fprintf(stderr, "orvan-render: %s\n", e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "orvan-render: out of memory\n");
        return 1;
    }
}
