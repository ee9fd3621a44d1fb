// Where orvan-render looks for a plug-in given without a folder: beside itself (the
// build folder), its own installation's plug-in folder, then the folders Linux hosts
// search for VST 2.4 plug-ins.
#pragma once

#include <string>
#include <vector>

// The plug-in loaded when --plugin is not given.
constexpr const char* kDefaultPluginName = "OrvanEq.so";

// The folders in search order, without repeats: the executable's folder, installedFolder
// (relative to the executable's folder unless absolute; skipped when empty), every folder
// of VST_PATH and LXVST_PATH (colon separated), ~/.vst, /usr/local/lib/vst, /usr/lib/vst.
std::vector<std::string> pluginSearchFolders(const std::string& installedFolder);

// The first folder holding a file of that name. Throws ToolError naming every folder
// tried and --plugin when none does.
std::string findPlugin(const std::string& name, const std::vector<std::string>& folders);

// The library --plugin names: a path with a slash as given; a bare name from the current
// folder, else from the search folders.
std::string resolvePluginOption(const std::string& given, const std::vector<std::string>& folders);
