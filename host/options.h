// The command line of orvan-render.
#pragma once

#include <string>
#include <vector>

// Settings applied to the plug-in before rendering, in command-line order.
struct SettingAction {
    enum Kind { Program, Set, Load };
    Kind kind;
    std::string text;  // N|NAME, NAME=VALUE, or a preset file
};

struct Options {
    std::string pluginPath;  // empty: OrvanEq.so beside the executable
    std::string vsPath;      // second plug-in for --bench
    std::vector<SettingAction> actions;
    // --vs-set: settings of the second plug-in. When there are any, actions apply to the
    // first plug-in only (the two seldom share parameter names).
    std::vector<SettingAction> vsActions;
    std::string input;   // empty with --demo
    std::string output;  // may be empty with --demo, --plot, --bench, --info, --save
    std::string savePath;
    std::string plotPath;
    std::string editorPngPath;  // --editor-png: the plug-in's window drawn off-screen
    std::string dryPath;
    std::string benchArgument;  // the non-number that followed --bench, for a clearer error
    int blockSize = 512;
    double plotRangeDb = 6.0;  // the gain panel's colour scale: -range to +range dB
    bool clipIsError = false;  // --clip error: clipping in a file fails the render
    int benchRuns = 0;  // 0: no benchmark
    bool demo = false;
    bool info = false;
    bool quiet = false;
    bool verbose = false;
    bool help = false;

    bool renders() const { return demo || !input.empty(); }
};

constexpr int kMaxBlockSize = 65536;
constexpr int kDefaultBenchRuns = 10;
constexpr int kMaxBenchRuns = 1000;
constexpr double kMaxPlotRangeDb = 60.0;

// Parses and checks the arguments; throws UsageError naming the problem.
Options parseOptions(int argc, const char* const* argv);
const char* usageText();

// Audio file formats by extension; empty when the extension is not one we write.
std::string audioFormatName(const std::string& path);
bool hasExtension(const std::string& path, const char* extension);
