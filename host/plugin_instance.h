// Loading a VST 2.4 effect the way a host does: dlopen, the entry point, and from then
// on only the descriptor's dispatcher, parameter and process functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vst2.h"

// One loaded library; instances are created from it. Throws ToolError when the file
// cannot be loaded or exports no entry point.
class PluginLibrary {
public:
    explicit PluginLibrary(std::string path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    // The file name without its folder, for messages.
    std::string shortName() const;

private:
    friend class PluginInstance;
    using EntryProc = AEffect* (*)(audioMasterCallback);

    std::string path_;
    void* handle_ = nullptr;
    EntryProc entry_ = nullptr;
};

// One effect instance, set up for a sample rate and a maximum block size.
// Every call is made on the thread that created it.
class PluginInstance {
public:
    // Creates the instance, checks the descriptor, and sends effOpen, the sample rate
    // and the block size. Throws ToolError when the plug-in refuses.
    PluginInstance(PluginLibrary& library, double sampleRate, int blockSize);
    // Stops processing when running, then effClose.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* effect() const { return effect_; }
    const std::string& pluginName() const { return name_; }
    double sampleRate() const { return sampleRate_; }
    int blockSize() const { return blockSize_; }

    int numParams() const { return effect_->numParams; }
    int numPrograms() const { return effect_->numPrograms; }
    VstInt32 uniqueId() const { return effect_->uniqueID; }
    bool hasChunks() const { return (effect_->flags & effFlagsProgramChunks) != 0; }

    std::string effectName();
    std::string vendor();
    std::string product();
    VstIntPtr vendorVersion();

    std::string paramName(int index);
    std::string paramDisplay(int index);
    std::string paramLabel(int index);
    float param(int index);
    void setParam(int index, float value);

    int program();
    void setProgram(int index);
    std::string programName();
    // Asks the plug-in to draw its window into a PNG file (a request only Orvan EQ
    // answers); false when it did not.
    bool drawEditor(const std::string& pngPath);
    void setProgramName(const std::string& name);
    // Name of program `index` without switching; falls back to switching and back
    // for plug-ins that do not answer effGetProgramNameIndexed.
    std::string programNameAt(int index);

    // The program (isProgram) or bank chunk, copied; empty when the plug-in gives none.
    std::vector<uint8_t> chunk(bool isProgram);
    void setChunk(const std::vector<uint8_t>& data, bool isProgram);

    // effMainsChanged on and effStartProcess; then process() may run.
    void start();
    // effStopProcess and effMainsChanged off.
    void stop();
    // Runs frames (at most blockSize) through processReplacing. The tool's audio is
    // stereo: extra plug-in inputs get silence, a mono output feeds both channels.
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames);

private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f);
    std::string text(VstInt32 opcode, VstInt32 index = 0);

    AEffect* effect_ = nullptr;
    std::string name_;
    double sampleRate_;
    int blockSize_;
    bool running_ = false;
    std::vector<float> silence_;
    std::vector<float> spare_;
    std::vector<float*> inputs_;
    std::vector<float*> outputs_;
};
