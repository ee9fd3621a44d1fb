// Helpers for the host tool's tests: running orvan-render as a user does, scratch
// folders, audio files, and rendering the same material in-process through the
// plug-in for comparison.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "host/audio_io.h"
#include "support/vst_host.h"

struct ToolResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs orvan-render with these arguments and waits for it.
ToolResult runTool(const std::vector<std::string>& args);
// Runs any program with these arguments in this process's environment changed by
// env: "NAME=VALUE" sets a variable, a plain "NAME" removes it.
ToolResult runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {});
// Starts orvan-render without waiting; its output goes nowhere.
pid_t startTool(const std::vector<std::string>& args);
int waitTool(pid_t pid);

// A fresh folder, removed with its contents afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> files() const;

private:
    std::string path_;
};

// Test material: the demo's music, cut to `seconds` at the given rate.
StereoBuffer testMaterial(int sampleRate, double seconds);
// Writes 32-bit float WAV with 1, 2 or more channels (extra channels copy the right).
void writeWav(const std::string& path, const StereoBuffer& audio, int channels);
struct AudioFileContents {
    StereoBuffer audio;
    int channels = 0;
    int format = 0;
};
AudioFileContents readAudio(const std::string& path);

// Processes the material the way a host does, in blocks of blockSize, through an
// instance of the built plug-in that setup() has configured.
StereoBuffer renderInProcess(const StereoBuffer& input, int blockSize, const std::function<void(VstHost&)>& setup);

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b);
std::vector<uint8_t> fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
