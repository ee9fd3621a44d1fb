#include "support/vst_host.h"

#include <cstring>

#include "platform/dynamic_library.h"

namespace {
// The host that is running an entry point: callbacks made before the descriptor exists
// (or before its user field is set) belong to it.
thread_local VstHost* tlsInstantiating = nullptr;
}  // namespace

VstHost::VstHost(const std::string& libraryPath) {
    library_ = qbOpenLibrary(libraryPath.c_str(), &error_);
}

VstHost::~VstHost() {
    if (effect_ != nullptr) close();
    qbCloseLibrary(library_);
}

VstHost::EntryProc VstHost::entry(const char* name) const {
    if (library_ == nullptr) return nullptr;
    return reinterpret_cast<EntryProc>(qbLibrarySymbol(library_, name));
}

AEffect* VstHost::instantiate(const char* entryName) {
    EntryProc proc = entry(entryName);
    if (proc == nullptr) return nullptr;
    tlsInstantiating = this;
    effect_ = proc(&VstHost::callback);
    tlsInstantiating = nullptr;
    if (effect_ != nullptr) effect_->user = this;
    return effect_;
}

VstIntPtr VstHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt) {
    VstHost* host = (effect != nullptr && effect->user != nullptr) ? static_cast<VstHost*>(effect->user)
                                                                   : tlsInstantiating;
    if (host == nullptr) return 0;
    return host->answer({effect, opcode, index, value, ptr, opt});
}

VstIntPtr VstHost::answer(const Call& call) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(call);
    }
    switch (call.opcode) {
    case audioMasterVersion:
        return versionAnswer;
    default:
        return 0;
    }
}

VstIntPtr VstHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_ != nullptr ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

void VstHost::setParameter(VstInt32 index, float value) {
    if (effect_ != nullptr) effect_->setParameter(effect_, index, value);
}

float VstHost::getParameter(VstInt32 index) {
    return effect_ != nullptr ? effect_->getParameter(effect_, index) : 0.f;
}

void VstHost::processReplacing(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames) {
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    if (effect_ != nullptr) effect_->processReplacing(effect_, inputs, outputs, frames);
}

std::string VstHost::getString(VstInt32 opcode, VstInt32 index) {
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer, 0.f);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

VstIntPtr VstHost::close() {
    if (effect_ == nullptr) return 0;
    const VstIntPtr result = dispatch(effClose);
    effect_ = nullptr;
    return result;
}

std::vector<VstHost::Call> VstHost::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

int VstHost::countCalls(VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const Call& c : calls_)
        if (c.opcode == opcode) ++n;
    return n;
}

void VstHost::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}
