// --info: what a host sees of the plug-in.
#pragma once

#include <cstdio>

class PluginInstance;

// Name, vendor, unique ID, every parameter with its name, display and the values
// --set takes, and every program name.
void printInfo(PluginInstance& plugin, std::FILE* out);
