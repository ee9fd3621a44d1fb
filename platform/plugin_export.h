// How the library exports its entry point. Hosts look it up as VSTPluginMain, older ones
// as main; both names lead to one function and nothing else is exported.
//
//   QB_PLUGIN_ENTRY(name)   declares the exported entry function `name`;
//   QB_PLUGIN_MAIN_ALIAS(name)   exports it a second time as `main`.
//
// ELF: default visibility (everything else is hidden) and an alias symbol named main.
// Windows: the module definition file lists both names (main=VSTPluginMain), so nothing
// is needed here.
#pragma once

#include "platform/vst2.h"

#if defined(_WIN32)
#define QB_PLUGIN_ENTRY(name) extern "C" AEffect* name(audioMasterCallback audioMaster)
#define QB_PLUGIN_MAIN_ALIAS(name)
#else
#define QB_PLUGIN_ENTRY(name) \
    extern "C" __attribute__((visibility("default"))) AEffect* name(audioMasterCallback audioMaster)
#define QB_PLUGIN_MAIN_ALIAS(name)                                                                    \
    extern "C" __attribute__((visibility("default"))) AEffect* qbMainAlias(audioMasterCallback) asm("main") \
        __attribute__((alias(#name)));
#endif
