// What the plug-in tells a host about itself.
#pragma once

#include "platform/vst2.h"

constexpr const char* kQbEffectName = "Orvan EQ";
constexpr const char* kQbVendorString = "Lumetra (Ostrin)";
constexpr const char* kQbProductString = "Orvan EQ";
constexpr VstInt32 kQbVendorVersion = 1000;
constexpr VstInt32 kQbUniqueId = vstFourCC('Z', 'w', 'M', 't');
constexpr VstInt32 kQbEffectVersion = 1;
// The answer to effIdentify.
constexpr VstInt32 kQbIdentify = vstFourCC('N', 'v', 'E', 'f');
// effVendorSpecific with this index and a file path in ptr: the editor, closed, draws
// itself off-screen into that PNG file (answers 1 when written). Offline hosts use it.
constexpr VstInt32 kQbEditorSnapshot = vstFourCC('O', 'r', 'v', 'S');

// The web addresses the command module's ports 0..3 open: the product's home page, its
// manual, its support page, and a spare entry (empty: the port does nothing).
constexpr int kQbCommandAddressCount = 4;
constexpr const char* kQbCommandAddresses[kQbCommandAddressCount] = {
    "https://orvan-eq.example/",
    "https://orvan-eq.example/manual",
    "https://orvan-eq.example/support",
    "",
};
