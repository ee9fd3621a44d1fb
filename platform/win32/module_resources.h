// Resources of any loaded module: a plug-in DLL's, seen from the program that loaded it.
#pragma once

#include <cstddef>

// Finds the resource of type and name (both without regard to case) in module (an
// HMODULE, as qbOpenLibrary answers). Answers false when there is none; else *data and
// *size describe its bytes, valid while the module stays loaded.
bool qbModuleResource(void* module, const char* type, const char* name, const unsigned char** data, size_t* size);
