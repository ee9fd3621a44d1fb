#include "platform/dynamic_library.h"

#include <dlfcn.h>

void* qbOpenLibrary(const char* path, std::string* error) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && error != nullptr) {
        const char* message = dlerror();
        *error = message != nullptr ? message : "dlopen failed";
    }
    return library;
}

void* qbLibrarySymbol(void* library, const char* name) {
    return library != nullptr ? dlsym(library, name) : nullptr;
}

void qbCloseLibrary(void* library) {
    if (library != nullptr) dlclose(library);
}

bool qbLibraryIsLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}
