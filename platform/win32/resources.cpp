// Resources of the library's own module, found with FindResource. Resource compilers
// store names in capitals and FindResource capitalises the name asked for, so names and
// types match without regard to case.
#include "platform/resources.h"

#include <windows.h>

#include <cctype>
#include <list>
#include <mutex>
#include <string>

#include "platform/win32/module_handle.h"
#include "platform/win32/module_resources.h"

namespace {

struct CachedResource {
    std::string type, name;
    QB_Resource record;
};

std::string capitals(const char* text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool qbModuleResource(void* module, const char* type, const char* name, const unsigned char** data, size_t* size) {
    // "#123" would ask for a numbered resource; ours have names only.
    if (module == nullptr || type == nullptr || name == nullptr || *type == '\0' || *name == '\0' || *type == '#' ||
        *name == '#')
        return false;
    HMODULE m = static_cast<HMODULE>(module);
    HRSRC info = FindResourceA(m, name, type);
    if (info == nullptr) return false;
    HGLOBAL loaded = LoadResource(m, info);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return false;
    *data = static_cast<const unsigned char*>(bytes);
    *size = SizeofResource(m, info);
    return true;
}

const QB_Resource* qbFindResource(const char* type, const char* name) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!qbModuleResource(qbOwnModule(), type, name, &data, &size)) return nullptr;

    // Loaded resources stay mapped as long as the module; their records are kept here so
    // the answer stays valid too. One record per resource, however often it is asked for.
    static std::mutex mutex;
    static std::list<CachedResource> cache;
    std::lock_guard<std::mutex> lock(mutex);
    for (const CachedResource& c : cache)
        if (c.record.data == data) return &c.record;
    cache.push_back({capitals(type), capitals(name), {}});
    CachedResource& c = cache.back();
    c.record = {c.type.c_str(), c.name.c_str(), data, size};
    return &c.record;
}
