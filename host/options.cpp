#include "host/options.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/tool_error.h"

namespace {

// Whole numbers only, in [lo, hi]; anything else is a usage error naming the option.
int parseCount(const std::string& text, const char* option, int lo, int hi) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        throw UsageError(std::string(option) + " expects a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + text + "'");
    return static_cast<int>(v);
}

// A number in (0, hi] dB.
double parseDecibels(const std::string& text, const char* option, double hi) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(v > 0 && v <= hi))
        throw UsageError(std::string(option) + " expects a number of dB above 0 and up to " + std::to_string(static_cast<int>(hi)) +
                         ", not '" + text + "'");
    return v;
}

bool isDigits(const char* s) {
    if (*s == '\0') return false;
    for (; *s != '\0'; ++s)
        if (*s < '0' || *s > '9') return false;
    return true;
}

class ArgReader {
public:
    ArgReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
    bool done() const { return next_ >= argc_; }
    const char* peek() const { return done() ? nullptr : argv_[next_]; }
    std::string take() { return argv_[next_++]; }
    // The value of an option given as "--opt VALUE" or "--opt=VALUE".
    std::string value(const std::string& option, const char* inlineValue) {
        if (inlineValue != nullptr) return inlineValue;
        if (done()) throw UsageError(option + " needs a value");
        return take();
    }

private:
    int argc_;
    const char* const* argv_;
    int next_ = 1;
};

void checkCombinations(Options& o, const std::vector<std::string>& positional, bool plotRangeGiven) {
    if (o.help) return;
    const size_t maxPositional = o.demo ? 1 : 2;
    if (positional.size() > maxPositional)
        throw UsageError(o.demo ? "--demo takes at most one file name, the OUTPUT"
                                : "too many file names: expected INPUT OUTPUT");
    if (o.demo) {
        if (!positional.empty()) o.output = positional[0];
    } else {
        if (!positional.empty()) o.input = positional[0];
        if (positional.size() > 1) o.output = positional[1];
    }
    if (o.benchRuns > 0) {
        // "--bench abc" meant a run count more likely than an OUTPUT.
        if (!o.benchArgument.empty() && !o.output.empty() && audioFormatName(o.benchArgument).empty())
            throw UsageError("--bench expects a whole number of runs from 1 to " + std::to_string(kMaxBenchRuns) +
                             ", not '" + o.benchArgument + "'");
        if (!o.renders()) throw UsageError("--bench needs an INPUT or --demo");
        if (!o.output.empty())
            throw UsageError("--bench writes no audio: drop the OUTPUT " + o.output);
        if (!o.plotPath.empty() || !o.dryPath.empty())
            throw UsageError("--bench writes no audio or plot: drop --plot and --dry");
    } else if (!o.vsPath.empty()) {
        throw UsageError("--vs only works with --bench");
    }
    if (!o.vsActions.empty() && o.vsPath.empty()) throw UsageError("--vs-set only works with --vs");
    if (!o.input.empty() && o.output.empty() && o.plotPath.empty() && o.benchRuns == 0)
        throw UsageError("missing OUTPUT after INPUT " + o.input);
    if (o.demo && o.output.empty() && o.plotPath.empty() && o.dryPath.empty() && o.benchRuns == 0 && !o.info &&
        o.savePath.empty() && o.editorPngPath.empty())
        throw UsageError("--demo needs somewhere to write: an OUTPUT, --plot or --dry");
    if (!o.renders() && (!o.plotPath.empty() || !o.dryPath.empty()))
        throw UsageError("--plot and --dry need an INPUT or --demo");
    if (!o.renders() && !o.info && o.savePath.empty() && o.editorPngPath.empty())
        throw UsageError("nothing to do: give INPUT OUTPUT, --demo, --info, --save or --editor-png (see --help)");
    if (!o.editorPngPath.empty() && !hasExtension(o.editorPngPath, ".png"))
        throw UsageError("--editor-png writes PNG files: " + o.editorPngPath + " must end in .png");
    for (const std::string* path : {&o.output, &o.dryPath})
        if (!path->empty() && audioFormatName(*path).empty())
            throw UsageError("cannot tell the audio format of " + *path +
                             ": use .wav, .flac, .aif, .aiff or .ogg");
    if (o.plotPath.empty() && plotRangeGiven)
        throw UsageError("--plot-range only works with --plot");
    if (!o.plotPath.empty() && !hasExtension(o.plotPath, ".png"))
        throw UsageError("--plot writes PNG files: " + o.plotPath + " must end in .png");
    if (!o.savePath.empty() && !hasExtension(o.savePath, ".fxp") && !hasExtension(o.savePath, ".fxb"))
        throw UsageError("--save writes .fxp (program) or .fxb (bank) files, not " + o.savePath);
}

}  // namespace

bool hasExtension(const std::string& path, const char* extension) {
    const size_t n = std::strlen(extension);
    return path.size() > n && strcasecmp(path.c_str() + path.size() - n, extension) == 0;
}

std::string audioFormatName(const std::string& path) {
    if (hasExtension(path, ".wav")) return "WAV";
    if (hasExtension(path, ".flac")) return "FLAC";
    if (hasExtension(path, ".aif") || hasExtension(path, ".aiff")) return "AIFF";
    if (hasExtension(path, ".ogg")) return "OGG";
    return "";
}

Options parseOptions(int argc, const char* const* argv) {
    Options o;
    std::vector<std::string> positional;
    ArgReader args(argc, argv);
    bool onlyFiles = false;
    bool plotRangeGiven = false;
    while (!args.done()) {
        std::string arg = args.take();
        if (onlyFiles || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        // "--opt=VALUE" carries its value inline.
        std::string name = arg;
        std::string inlineText;
        const size_t eq = arg.find('=');
        const bool hasInline = arg.compare(0, 2, "--") == 0 && eq != std::string::npos;
        if (hasInline) {
            name = arg.substr(0, eq);
            inlineText = arg.substr(eq + 1);
        }
        const char* inlineValue = hasInline ? inlineText.c_str() : nullptr;

        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--plugin") {
            o.pluginPath = args.value(name, inlineValue);
        } else if (name == "--vs") {
            o.vsPath = args.value(name, inlineValue);
        } else if (name == "--program") {
            o.actions.push_back({SettingAction::Program, args.value(name, inlineValue)});
        } else if (name == "--set" || name == "--vs-set") {
            const std::string setting = args.value(name, inlineValue);
            const size_t sep = setting.find('=');
            if (sep == std::string::npos || sep == 0 || sep + 1 == setting.size())
                throw UsageError(name + " expects NAME=VALUE, not '" + setting + "'");
            (name == "--set" ? o.actions : o.vsActions).push_back({SettingAction::Set, setting});
        } else if (name == "--load") {
            o.actions.push_back({SettingAction::Load, args.value(name, inlineValue)});
        } else if (name == "--save") {
            o.savePath = args.value(name, inlineValue);
        } else if (name == "--block") {
            o.blockSize = parseCount(args.value(name, inlineValue), "--block", 1, kMaxBlockSize);
        } else if (name == "--plot") {
            o.plotPath = args.value(name, inlineValue);
        } else if (name == "--dry") {
            o.dryPath = args.value(name, inlineValue);
        } else if (name == "--bench") {
            // The run count is optional: taken only when the next argument is a number.
            if (inlineValue != nullptr)
                o.benchRuns = parseCount(inlineValue, "--bench", 1, kMaxBenchRuns);
            else if (!args.done() && isDigits(args.peek()))
                o.benchRuns = parseCount(args.take(), "--bench", 1, kMaxBenchRuns);
            else
                o.benchRuns = kDefaultBenchRuns;
            if (inlineValue == nullptr && !args.done() && args.peek()[0] != '-') o.benchArgument = args.peek();
        } else if (name == "--editor-png") {
            o.editorPngPath = args.value(name, inlineValue);
        } else if (name == "--plot-range") {
            o.plotRangeDb = parseDecibels(args.value(name, inlineValue), "--plot-range", kMaxPlotRangeDb);
            plotRangeGiven = true;
        } else if (name == "--clip") {
            const std::string mode = args.value(name, inlineValue);
            if (mode != "warn" && mode != "error")
                throw UsageError("--clip expects warn or error, not '" + mode + "'");
            o.clipIsError = mode == "error";
        } else if (name == "--demo" || name == "--info" || name == "--quiet" || name == "-q" ||
                   name == "--verbose" || name == "-v") {
            if (inlineValue != nullptr) throw UsageError(name + " takes no value");
            if (name == "--demo") o.demo = true;
            else if (name == "--info") o.info = true;
            else if (name == "--verbose" || name == "-v") o.verbose = true;
            else o.quiet = true;
        } else {
            throw UsageError("unknown option " + name + " (see --help)");
        }
    }
    checkCombinations(o, positional, plotRangeGiven);
    return o;
}

const char* usageText() {
    return "usage: orvan-render [options] INPUT OUTPUT\n"
           "       orvan-render --demo [options] [OUTPUT]\n"
           "       orvan-render --info [options]\n"
           "       orvan-render --bench [N] [options] INPUT|--demo\n"
           "\n"
           "Renders an audio file (WAV, FLAC, AIFF, OGG) through a VST 2.4 effect.\n"
           "Mono input is processed as two equal channels.\n"
           "\n"
           "  --plugin PATH     plug-in library (default: OrvanEq.so found beside this program,\n"
           "                    in its installation, VST_PATH, LXVST_PATH, ~/.vst,\n"
           "                    /usr/local/lib/vst or /usr/lib/vst)\n"
           "  --program N|NAME  select program N (from 0) or the program of that name\n"
           "  --set NAME=VALUE  set a parameter in the units its display shows\n"
           "                    (Bass=3, Response=200, Style=German)\n"
           "  --load FILE       apply a preset: .fxp program or .fxb bank\n"
           "                    (--program, --set and --load apply in the order given)\n"
           "  --save FILE       save the resulting settings as .fxp program or .fxb bank\n"
           "  --block N         host block size in frames (default 512)\n"
           "  --demo            render about 10 s of synthesised music with a factory program\n"
           "  --dry FILE        also write the unprocessed input (the demo material)\n"
           "  --plot FILE.png   draw the input spectrogram and the gain over time\n"
           "  --plot-range DB   the gain colour scale, -DB to +DB (default 6)\n"
           "  --clip warn|error clipping in a .flac or .ogg file: warn (default) or fail\n"
           "  --info            print name, vendor, unique ID, parameters and programs\n"
           "  --editor-png FILE draw the plug-in's window at the resulting settings (Orvan EQ)\n"
           "  --bench [N]       render N times (default 10), print CPU time per second of audio\n"
           "  --vs PLUGIN.so    with --bench: alternate with a second plug-in, print the ratio\n"
           "  --vs-set NAME=VALUE  a setting of the --vs plug-in; with any, --program, --set\n"
           "                    and --load apply to the first plug-in only\n"
           "  --quiet           no progress bar\n"
           "  --verbose         say what was rendered: length, rate, plug-in, program, files\n"
           "  --help            this text\n";
}
