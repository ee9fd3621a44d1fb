#include "host/info.h"

#include <string>

#include "host/param_values.h"
#include "host/plugin_instance.h"
#include "host/preset_file.h"

namespace {

std::string describeScale(const ParamScale& scale) {
    char text[96];
    switch (scale.kind) {
    case ParamScale::Number:
        std::snprintf(text, sizeof text, "number %g .. %g", scale.displayAt0, scale.displayAt1);
        return text;
    case ParamScale::Options: {
        std::string list = "one of ";
        for (size_t k = 0; k < scale.options.size(); ++k) list += (k > 0 ? ", " : "") + scale.options[k];
        return list;
    }
    case ParamScale::Opaque:
        break;
    }
    return "no value text";
}

}  // namespace

void printInfo(PluginInstance& plugin, std::FILE* out) {
    AEffect* e = plugin.effect();
    std::fprintf(out, "plug-in     %s\n", plugin.pluginName().c_str());
    std::fprintf(out, "name        %s\n", plugin.effectName().c_str());
    std::fprintf(out, "vendor      %s\n", plugin.vendor().c_str());
    std::fprintf(out, "product     %s\n", plugin.product().c_str());
    std::fprintf(out, "unique ID   '%s' (0x%08X)\n", fourCCText(e->uniqueID).c_str(),
                 static_cast<unsigned>(e->uniqueID));
    std::fprintf(out, "version     %d (vendor version %ld)\n", e->version, static_cast<long>(plugin.vendorVersion()));
    std::fprintf(out, "channels    %d in, %d out\n", e->numInputs, e->numOutputs);
    std::fprintf(out, "latency     %d samples\n", e->initialDelay);
    std::fprintf(out, "chunks      %s\n", plugin.hasChunks() ? "yes" : "no");

    std::fprintf(out, "parameters  %d\n", plugin.numParams());
    for (int i = 0; i < plugin.numParams(); ++i) {
        const std::string display = plugin.paramDisplay(i);
        const std::string labelText = plugin.paramLabel(i);
        const std::string shown = display.empty() ? "-" : display + (labelText.empty() ? "" : " " + labelText);
        std::fprintf(out, "  %3d  %-16s %-12s %s\n", i, plugin.paramName(i).c_str(), shown.c_str(),
                     describeScale(probeScale(plugin, i)).c_str());
    }
    const int current = plugin.program();
    std::fprintf(out, "programs    %d\n", plugin.numPrograms());
    for (int i = 0; i < plugin.numPrograms(); ++i)
        std::fprintf(out, "  %3d  %s%s\n", i, plugin.programNameAt(i).c_str(), i == current ? "  (current)" : "");
}
