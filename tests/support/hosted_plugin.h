// One instance of a plug-in library set up the way a host prepares it for playback:
// sample rate, block size and program, then switched on. Audio goes through the
// descriptor's processReplacing, parameters through its setParameter.
#pragma once

#include <cstdint>
#include <string>

#include "support/response_probe.h"
#include "support/vst_host.h"

class HostedPlugin {
public:
    HostedPlugin(const std::string& libraryPath, float sampleRate, int32_t blockSize = 512, int32_t program = 0);

    // The instance exists and is switched on.
    bool ok() const { return host_.effect() != nullptr; }
    const std::string& error() const { return host_.error(); }

    VstHost& host() { return host_; }
    void set(int32_t parameter, float x) { host_.setParameter(parameter, x); }
    float get(int32_t parameter) { return host_.getParameter(parameter); }
    // A processing function for a ResponseProbe.
    StereoBlockFn processor();
    ResponseProbe probe() { return ResponseProbe(processor(), rate_, block_); }

private:
    VstHost host_;
    float rate_;
    int32_t block_;
};
