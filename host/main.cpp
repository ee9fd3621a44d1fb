// orvan-render: renders audio files through a VST 2.4 effect, with presets, a demo,
// a plot of what the equaliser did, and a benchmark. See usageText() for the options.
#include <cmath>
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
#include "host/frequency_analysis.h"
#include "host/plugin_instance.h"
#include "host/plugin_search.h"
#include "host/progress.h"
#include "host/render.h"
#include "host/same_file.h"
#include "host/settings.h"
#include "host/tool_error.h"

// The installation's plug-in folder, relative to the tool's folder or absolute; the
// build sets it from the install rules.
#ifndef ORVAN_INSTALLED_VST_DIR
#define ORVAN_INSTALLED_VST_DIR ""
#endif

namespace {

std::string fileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Refuses an output that would overwrite the input, or two outputs that are one file.
void checkDistinctFiles(const Options& o) {
    struct Named {
        const char* what;
        const std::string& path;
    };
    const Named outputs[] = {{"OUTPUT", o.output},     {"--dry", o.dryPath},
                             {"--plot", o.plotPath},   {"--save", o.savePath},
                             {"--editor-png", o.editorPngPath}};
    for (const Named& out : outputs) {
        if (out.path.empty()) continue;
        if (!o.input.empty() && sameFile(out.path, o.input))
            throw UsageError(std::string(out.what) + " " + out.path + " is the INPUT file " + o.input +
                             ": refusing to overwrite it, choose another name");
        for (const Named& other : outputs)
            if (&other < &out && !other.path.empty() && sameFile(out.path, other.path))
                throw UsageError(std::string(other.what) + " and " + out.what + " both write " + out.path);
    }
}

// The one line that reports samples beyond full scale in a file that cannot keep them.
std::string clipReport(const AudioFileWriter& file, bool failing) {
    char figures[96];
    std::snprintf(figures, sizeof figures, "%lld sample%s beyond full scale (peak %.3g, %+.1f dBFS)",
                  static_cast<long long>(file.oversCount()), file.oversCount() == 1 ? "" : "s",
                  static_cast<double>(file.peak()), 20 * std::log10(static_cast<double>(file.peak())));
    const char* fate = file.clipsInFile() ? (failing ? " would be clipped in this format" : " clipped in this format")
                                          : " that players clip";
    return file.path() + ": " + figures + fate + "; .wav keeps 32-bit float with no clipping";
}

// What --verbose prints once everything is written.
void printSummary(const Options& o, PluginInstance& plugin, int64_t frames, int sampleRate) {
    std::string files;
    for (const std::string* path : {&o.output, &o.dryPath, &o.plotPath, &o.savePath})
        if (!path->empty()) files += (files.empty() ? "" : ", ") + *path;
    std::printf("rendered %.2f s (%lld frames at %d Hz) of %s through %s, program \"%s\"; wrote %s\n",
                static_cast<double>(frames) / sampleRate, static_cast<long long>(frames), sampleRate,
                o.demo ? "synthesised demo music" : fileName(o.input).c_str(), plugin.effectName().c_str(),
                plugin.programName().c_str(), files.c_str());
}

int run(const Options& o) {
    checkDistinctFiles(o);
    const std::vector<std::string> folders = pluginSearchFolders(ORVAN_INSTALLED_VST_DIR);
    PluginLibrary library(o.pluginPath.empty() ? findPlugin(kDefaultPluginName, folders)
                                               : resolvePluginOption(o.pluginPath, folders));
    std::unique_ptr<PluginLibrary> other;
    if (!o.vsPath.empty()) other = std::make_unique<PluginLibrary>(resolvePluginOption(o.vsPath, folders));

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
    if (!o.editorPngPath.empty()) {
        AtomicFile png(o.editorPngPath);
        if (!plugin.drawEditor(png.tempPath()))
            throw ToolError(plugin.effectName() + " cannot draw its window into " + o.editorPngPath);
        png.commit();
    }

    if (o.benchRuns > 0) {
        if (material.left.empty()) throw ToolError(o.input + " holds no audio to measure");
        std::vector<PluginLibrary*> libraries{&library};
        if (other != nullptr) libraries.push_back(other.get());
        const auto configureEach = [&](PluginInstance& instance, size_t which) {
            if (which == 0 || o.vsActions.empty()) {
                configure(instance);
            } else {
                if (o.demo) selectProgramIfPresent(instance, kDemoProgram);
                applyActions(instance, o.vsActions);
            }
        };
        runBench(libraries, material, o.blockSize, o.benchRuns, configureEach, stdout);
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
        const int64_t frames = renderAll(
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
        std::vector<std::string> clipped;
        for (const AudioFileWriter* file : {output.get(), dry.get()})
            if (file != nullptr && file->clips() && file->oversCount() > 0) clipped.push_back(clipReport(*file, o.clipIsError));
        if (o.clipIsError && !clipped.empty()) throw ToolError(clipped[0] + " (--clip error)");
        if (analyser) {
            const PlotTitle title = plotTitle(plugin.effectName(), plugin.programName(), o.actions,
                                                o.demo ? std::string("demo material") : fileName(o.input));
            drawPlot(*analyser, title, o.plotRangeDb, *plotFile);
        }
        if (output) output->commit();
        if (dry) dry->commit();
        if (plotFile) plotFile->commit();
        if (preset) preset->commit();
        for (const std::string& line : clipped) std::fprintf(stderr, "orvan-render: warning: %s\n", line.c_str());
        if (o.verbose) printSummary(o, plugin, frames, sampleRate);
        return 0;
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
