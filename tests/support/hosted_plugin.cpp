#include "support/hosted_plugin.h"

HostedPlugin::HostedPlugin(const std::string& libraryPath, float sampleRate, int32_t blockSize, int32_t program)
    : host_(libraryPath), rate_(sampleRate), block_(blockSize) {
    if (!host_.loaded() || host_.instantiate() == nullptr) return;
    host_.dispatch(effOpen);
    host_.dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    host_.dispatch(effSetBlockSize, 0, blockSize);
    host_.dispatch(effSetProgram, 0, program);
    host_.dispatch(effMainsChanged, 0, 1);
}

StereoBlockFn HostedPlugin::processor() {
    return [this](const float* inL, const float* inR, float* outL, float* outR, int32_t frames) {
        host_.processReplacing(inL, inR, outL, outR, frames);
    };
}
