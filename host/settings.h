// Bringing a plug-in instance into the state the command line asks for: programs,
// parameter settings and preset files, and saving that state as a preset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/options.h"

class PluginInstance;

// Applies the actions in order; throws ToolError naming the first one that fails.
void applyActions(PluginInstance& plugin, const std::vector<SettingAction>& actions);

// "N" (from 0) or a program name, case ignored.
void selectProgram(PluginInstance& plugin, const std::string& which);
// Selects the program of that name when the plug-in has one; answers whether it did.
bool selectProgramIfPresent(PluginInstance& plugin, const std::string& name);

void loadPresetFile(PluginInstance& plugin, const std::string& path);
// The current program (.fxp) or the whole bank (.fxb), by the path's extension.
std::vector<uint8_t> presetFileBytes(PluginInstance& plugin, const std::string& path);

std::vector<uint8_t> readWholeFile(const std::string& path);
