// Loading a shared library and finding its symbols, as a host loads a plug-in.
#pragma once

#include <string>

// Loads the library at path; answers its handle, or nullptr with the system's reason in
// *error (when error is not null).
void* qbOpenLibrary(const char* path, std::string* error);
// The address of an exported symbol, or nullptr.
void* qbLibrarySymbol(void* library, const char* name);
// Releases a handle from qbOpenLibrary; nullptr is ignored.
void qbCloseLibrary(void* library);
// True when the library at path is loaded in this process; never loads it.
bool qbLibraryIsLoaded(const char* path);
