#include "host/plugin_instance.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/tool_error.h"

namespace {

// The instance whose entry point is running: callbacks made before the descriptor
// exists (or before its user field is set) belong to it.
thread_local PluginInstance* tlsCreating = nullptr;

constexpr size_t kTextBuffer = 256;  // far above every VST text limit: plug-ins overrun them

void copyText(void* ptr, const char* text, size_t limit) {
    std::strncpy(static_cast<char*>(ptr), text, limit);
    static_cast<char*>(ptr)[limit] = '\0';
}

}  // namespace

PluginLibrary::PluginLibrary(std::string path) : path_(std::move(path)) {
    // A name without a slash would make dlopen search the library path instead.
    const std::string openName = path_.find('/') == std::string::npos ? "./" + path_ : path_;
    if (access(openName.c_str(), F_OK) != 0) throw ToolError("plug-in " + path_ + " not found");
    handle_ = dlopen(openName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        throw ToolError("cannot load plug-in " + path_ + ": " + (why != nullptr ? why : "dlopen failed"));
    }
    entry_ = reinterpret_cast<EntryProc>(dlsym(handle_, "VSTPluginMain"));
    if (entry_ == nullptr) entry_ = reinterpret_cast<EntryProc>(dlsym(handle_, "main"));
    if (entry_ == nullptr) {
        dlclose(handle_);
        throw ToolError("plug-in " + path_ + " has no VST 2.4 entry point (VSTPluginMain or main)");
    }
}

PluginLibrary::~PluginLibrary() { dlclose(handle_); }

std::string PluginLibrary::shortName() const {
    const size_t slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

PluginInstance::PluginInstance(PluginLibrary& library, double sampleRate, int blockSize)
    : name_(library.path()), sampleRate_(sampleRate), blockSize_(blockSize) {
    tlsCreating = this;
    effect_ = library.entry_(&PluginInstance::hostCallback);
    tlsCreating = nullptr;
    if (effect_ == nullptr) throw ToolError("plug-in " + name_ + " refused to load (its entry point gave no effect)");
    if (effect_->magic != kEffectMagic) {
        effect_ = nullptr;  // not a descriptor: nothing may be called through it
        throw ToolError("plug-in " + name_ + " is not a VST 2.4 effect (bad descriptor magic)");
    }
    effect_->user = this;
    if ((effect_->flags & effFlagsCanReplacing) == 0 || effect_->processReplacing == nullptr) {
        dispatch(effClose);
        effect_ = nullptr;
        throw ToolError("plug-in " + name_ + " cannot process with processReplacing");
    }
    if (effect_->numInputs < 0 || effect_->numOutputs < 1 || effect_->numParams < 0 || effect_->numPrograms < 0) {
        dispatch(effClose);
        effect_ = nullptr;
        throw ToolError("plug-in " + name_ + " announces impossible channel, parameter or program counts");
    }
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate_));
    dispatch(effSetBlockSize, 0, blockSize_);

    silence_.assign(static_cast<size_t>(blockSize_), 0.f);
    const int numOut = effect_->numOutputs;
    spare_.assign(static_cast<size_t>(blockSize_) * static_cast<size_t>(std::max(numOut - 1, 1)), 0.f);
    inputs_.assign(static_cast<size_t>(std::max(effect_->numInputs, 1)), silence_.data());
    outputs_.assign(static_cast<size_t>(numOut), nullptr);
}

PluginInstance::~PluginInstance() {
    if (effect_ == nullptr) return;
    if (running_) stop();
    dispatch(effClose);
}

VstIntPtr VSTCALLBACK PluginInstance::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                   VstIntPtr value, void* ptr, float opt) {
    PluginInstance* self = (effect != nullptr && effect->user != nullptr)
                               ? static_cast<PluginInstance*>(effect->user)
                               : tlsCreating;
    if (opcode == audioMasterVersion) return kVstVersion;
    return self != nullptr ? self->answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr PluginInstance::answer(VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate_);
    case audioMasterGetBlockSize:
        return blockSize_;
    case audioMasterGetVendorString:
        if (ptr != nullptr) copyText(ptr, "Orvan", kVstMaxVendorStrLen);
        return 1;
    case audioMasterGetProductString:
        if (ptr != nullptr) copyText(ptr, "orvan-render", kVstMaxProductStrLen);
        return 1;
    case audioMasterGetVendorVersion:
        return 1000;
    default:
        // Automation, idle, time info, MIDI and window requests mean nothing offline.
        return 0;
    }
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer, 0.f);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

std::string PluginInstance::effectName() { return text(effGetEffectName); }
std::string PluginInstance::vendor() { return text(effGetVendorString); }
std::string PluginInstance::product() { return text(effGetProductString); }
VstIntPtr PluginInstance::vendorVersion() { return dispatch(effGetVendorVersion); }
std::string PluginInstance::paramName(int index) { return text(effGetParamName, index); }
std::string PluginInstance::paramDisplay(int index) { return text(effGetParamDisplay, index); }
std::string PluginInstance::paramLabel(int index) { return text(effGetParamLabel, index); }
float PluginInstance::param(int index) { return effect_->getParameter(effect_, index); }
void PluginInstance::setParam(int index, float value) { effect_->setParameter(effect_, index, value); }
int PluginInstance::program() { return static_cast<int>(dispatch(effGetProgram)); }
void PluginInstance::setProgram(int index) { dispatch(effSetProgram, 0, index); }
bool PluginInstance::drawEditor(const std::string& pngPath) {
    // effVendorSpecific with the index 'OrvS' and the file's path.
    return dispatch(effVendorSpecific, vstFourCC('O', 'r', 'v', 'S'), 0, const_cast<char*>(pngPath.c_str())) == 1;
}

std::string PluginInstance::programName() { return text(effGetProgramName); }

void PluginInstance::setProgramName(const std::string& name) {
    char buffer[kVstMaxProgNameLen + 1];
    copyText(buffer, name.c_str(), kVstMaxProgNameLen);
    dispatch(effSetProgramName, 0, 0, buffer);
}

std::string PluginInstance::programNameAt(int index) {
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof buffer);
    if (dispatch(effGetProgramNameIndexed, index, -1, buffer) != 0) {
        buffer[sizeof buffer - 1] = '\0';
        return buffer;
    }
    const int current = program();
    setProgram(index);
    std::string name = programName();
    setProgram(current);
    return name;
}

std::vector<uint8_t> PluginInstance::chunk(bool isProgram) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, isProgram ? 1 : 0, 0, &data);
    if (size <= 0 || size > INT32_MAX || data == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

void PluginInstance::setChunk(const std::vector<uint8_t>& data, bool isProgram) {
    // The plug-in may keep reading from the buffer during the call only; a copy it may
    // write to keeps the caller's data untouched.
    std::vector<uint8_t> copy(data);
    dispatch(effSetChunk, isProgram ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data());
}

void PluginInstance::start() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running_ = true;
}

void PluginInstance::stop() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running_ = false;
}

void PluginInstance::process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
    inputs_[0] = const_cast<float*>(inL);
    if (inputs_.size() > 1) inputs_[1] = const_cast<float*>(inR);
    outputs_[0] = outL;
    if (outputs_.size() > 1) outputs_[1] = outR;
    for (size_t c = 2; c < outputs_.size(); ++c) outputs_[c] = spare_.data() + (c - 2) * static_cast<size_t>(blockSize_);
    effect_->processReplacing(effect_, inputs_.data(), outputs_.data(), frames);
    if (outputs_.size() == 1) std::copy(outL, outL + frames, outR);
}
