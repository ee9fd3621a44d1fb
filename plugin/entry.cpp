// The library's entry point. Hosts look it up as VSTPluginMain, older ones as main;
// both names lead to this one function, and nothing else is exported. It assembles the
// layers: the processor gets the editor layer's factory for its window.
#include "editor/editor.h"
#include "platform/plugin_export.h"
#include "plugin/dsp_vst.h"

QB_PLUGIN_ENTRY(VSTPluginMain) {
    // A host that does not answer its version cannot be served: create nothing.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0)
        return nullptr;
    AudioEffect* effect = qbCreateEffect(audioMaster, qbCreateEditor);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

QB_PLUGIN_MAIN_ALIAS(VSTPluginMain)
