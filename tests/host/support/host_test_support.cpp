#include "support/host_test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "host/demo_material.h"

extern char** environ;

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// environ without the variables env names, plus those env sets.
std::vector<std::string> changedEnvironment(const std::vector<std::string>& env) {
    std::vector<std::string> result;
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& change : env) replaced = replaced || nameOf(change) == nameOf(entry);
        if (!replaced) result.push_back(entry);
    }
    for (const std::string& change : env)
        if (change.find('=') != std::string::npos) result.push_back(change);
    return result;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
            std::string program = ORVAN_RENDER_PATH, const std::vector<std::string>& env = {}) {
    std::vector<char*> argv;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> environment = changedEnvironment(env);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + program);
    return pid;
}

}  // namespace

int waitTool(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

ToolResult runTool(const std::vector<std::string>& args) {
    ScratchDir logs;
    ToolResult result;
    result.status = waitTool(spawn(args, logs / "out", logs / "err"));
    result.out = readText(logs / "out");
    result.err = readText(logs / "err");
    return result;
}

ToolResult runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env) {
    ScratchDir logs;
    ToolResult result;
    result.status = waitTool(spawn(args, logs / "out", logs / "err", program, env));
    result.out = readText(logs / "out");
    result.err = readText(logs / "err");
    return result;
}

pid_t startTool(const std::vector<std::string>& args) { return spawn(args, "/dev/null", "/dev/null"); }

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvan-host-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

StereoBuffer testMaterial(int sampleRate, double seconds) {
    StereoBuffer audio = synthesiseDemo(sampleRate);
    const auto frames = std::min(audio.left.size(), static_cast<size_t>(seconds * sampleRate));
    audio.left.resize(frames);
    audio.right.resize(frames);
    return audio;
}

void writeWav(const std::string& path, const StereoBuffer& audio, int channels) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = audio.sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) throw std::runtime_error("cannot write " + path);
    std::vector<float> frame(static_cast<size_t>(channels));
    for (size_t i = 0; i < audio.left.size(); ++i) {
        for (int c = 0; c < channels; ++c) frame[static_cast<size_t>(c)] = c == 0 ? audio.left[i] : audio.right[i];
        sf_writef_float(f, frame.data(), 1);
    }
    sf_close(f);
}

AudioFileContents readAudio(const std::string& path) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr) throw std::runtime_error("cannot read " + path);
    AudioFileContents contents;
    contents.channels = info.channels;
    contents.format = info.format;
    contents.audio.sampleRate = info.samplerate;
    std::vector<float> all(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_float(f, all.data(), info.frames);
    sf_close(f);
    for (sf_count_t i = 0; i < got; ++i) {
        contents.audio.left.push_back(all[static_cast<size_t>(i * info.channels)]);
        contents.audio.right.push_back(all[static_cast<size_t>(i * info.channels + info.channels - 1)]);
    }
    return contents;
}

StereoBuffer renderInProcess(const StereoBuffer& input, int blockSize, const std::function<void(VstHost&)>& setup) {
    VstHost host(ORVAN_PLUGIN_PATH);
    if (host.instantiate() == nullptr) throw std::runtime_error("the plug-in did not load: " + host.error());
    host.dispatch(effOpen);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(input.sampleRate));
    host.dispatch(effSetBlockSize, 0, blockSize);
    if (setup) setup(host);
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effStartProcess);
    StereoBuffer out;
    out.sampleRate = input.sampleRate;
    out.left.resize(input.left.size());
    out.right.resize(input.right.size());
    std::vector<float> inL(static_cast<size_t>(blockSize)), inR(static_cast<size_t>(blockSize));
    for (size_t at = 0; at < input.left.size(); at += static_cast<size_t>(blockSize)) {
        const size_t n = std::min(static_cast<size_t>(blockSize), input.left.size() - at);
        std::copy_n(input.left.begin() + static_cast<ptrdiff_t>(at), n, inL.begin());
        std::copy_n(input.right.begin() + static_cast<ptrdiff_t>(at), n, inR.begin());
        host.processReplacing(inL.data(), inR.data(), out.left.data() + at, out.right.data() + at,
                              static_cast<VstInt32>(n));
    }
    host.dispatch(effStopProcess);
    host.dispatch(effMainsChanged, 0, 0);
    return out;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    const std::string text = readText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
