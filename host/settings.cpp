#include "host/settings.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/param_values.h"
#include "host/plugin_instance.h"
#include "host/preset_file.h"
#include "host/tool_error.h"

namespace {

int findProgram(PluginInstance& plugin, const std::string& name) {
    for (int i = 0; i < plugin.numPrograms(); ++i)
        if (strcasecmp(plugin.programNameAt(i).c_str(), name.c_str()) == 0) return i;
    return -1;
}

void requireChunks(PluginInstance& plugin, const std::string& path) {
    if (!plugin.hasChunks())
        throw ToolError(path + ": the preset holds a chunk, but the plug-in takes no chunks");
}

void applyParamsProgram(PluginInstance& plugin, const PresetProgram& program) {
    plugin.setProgramName(program.name);
    const size_t n = std::min(program.params.size(), static_cast<size_t>(plugin.numParams()));
    for (size_t i = 0; i < n; ++i) plugin.setParam(static_cast<int>(i), program.params[i]);
}

}  // namespace

void selectProgram(PluginInstance& plugin, const std::string& which) {
    const int count = plugin.numPrograms();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(which.c_str(), &end, 10);
    if (!which.empty() && *end == '\0' && errno == 0) {
        if (number < 0 || number >= count)
            throw ToolError("program " + which + " does not exist (the plug-in has programs 0 to " +
                            std::to_string(count - 1) + ")");
        plugin.setProgram(static_cast<int>(number));
        return;
    }
    const int index = findProgram(plugin, which);
    if (index < 0) throw ToolError("unknown program '" + which + "' (--info lists them)");
    plugin.setProgram(index);
}

bool selectProgramIfPresent(PluginInstance& plugin, const std::string& name) {
    const int index = findProgram(plugin, name);
    if (index >= 0) plugin.setProgram(index);
    return index >= 0;
}

std::vector<uint8_t> readWholeFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw ToolError("cannot open " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw ToolError("cannot read " + path);
    return bytes;
}

void loadPresetFile(PluginInstance& plugin, const std::string& path) {
    Preset preset;
    try {
        preset = parsePreset(readWholeFile(path), plugin.uniqueId());
    } catch (const ToolError& e) {
        const std::string what = e.what();
        throw ToolError(what.rfind("cannot ", 0) == 0 ? what : path + ": " + what);
    }
    switch (preset.kind) {
    case Preset::ProgramChunk:
        requireChunks(plugin, path);
        plugin.setChunk(preset.chunk, true);
        break;
    case Preset::BankChunk:
        requireChunks(plugin, path);
        plugin.setChunk(preset.chunk, false);
        if (preset.currentProgram >= 0 && preset.currentProgram < plugin.numPrograms())
            plugin.setProgram(preset.currentProgram);
        break;
    case Preset::ProgramParams:
        applyParamsProgram(plugin, preset.programs[0]);
        break;
    case Preset::BankParams: {
        const int current = plugin.program();
        const size_t n = std::min(preset.programs.size(), static_cast<size_t>(plugin.numPrograms()));
        for (size_t k = 0; k < n; ++k) {
            plugin.setProgram(static_cast<int>(k));
            applyParamsProgram(plugin, preset.programs[k]);
        }
        const bool recorded = preset.currentProgram >= 0 && preset.currentProgram < plugin.numPrograms();
        plugin.setProgram(recorded ? preset.currentProgram : current);
        break;
    }
    }
}

std::vector<uint8_t> presetFileBytes(PluginInstance& plugin, const std::string& path) {
    if (!plugin.hasChunks()) throw ToolError("--save: the plug-in keeps no chunks, so there is nothing to save");
    const bool bank = hasExtension(path, ".fxb");
    const std::vector<uint8_t> chunk = plugin.chunk(!bank);
    if (chunk.empty()) throw ToolError("--save: the plug-in gave no " + std::string(bank ? "bank" : "program") + " chunk");
    const int32_t version = plugin.effect()->version;
    if (bank) return writeBankFile(plugin.uniqueId(), version, plugin.numPrograms(), plugin.program(), chunk);
    return writeProgramFile(plugin.uniqueId(), version, plugin.numParams(), plugin.programName(), chunk);
}

void applyActions(PluginInstance& plugin, const std::vector<SettingAction>& actions) {
    for (const SettingAction& a : actions) {
        switch (a.kind) {
        case SettingAction::Program:
            selectProgram(plugin, a.text);
            break;
        case SettingAction::Set:
            applySetting(plugin, a.text);
            break;
        case SettingAction::Load:
            loadPresetFile(plugin, a.text);
            break;
        }
    }
}
