// The library's entry point. Hosts look it up as VSTPluginMain, older ones as main;
// both names lead to this one function, and nothing else is exported.
#include "platform/vst2.h"
#include "plugin/dsp_vst.h"

#define QB_EXPORT __attribute__((visibility("default")))

extern "C" QB_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    // A host that does not answer its version cannot be served: create nothing.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0)
        return nullptr;
    AudioEffect* effect = qbCreateEffect(audioMaster);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

// The second export name, an alias of the same function.
extern "C" QB_EXPORT AEffect* qbMainAlias(audioMasterCallback audioMaster) asm("main")
    __attribute__((alias("VSTPluginMain")));
