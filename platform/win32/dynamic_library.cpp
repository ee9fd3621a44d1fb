#include "platform/dynamic_library.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace {

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n > 0 && text != nullptr ? std::string(text, n) : "LoadLibrary failed";
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

void* qbOpenLibrary(const char* path, std::string* error) {
    HMODULE library = path != nullptr ? LoadLibraryW(qbFullWidePath(path).c_str()) : nullptr;
    if (library == nullptr && error != nullptr) *error = lastErrorText();
    return library;
}

void* qbLibrarySymbol(void* library, const char* name) {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void qbCloseLibrary(void* library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

bool qbLibraryIsLoaded(const char* path) {
    HMODULE module = nullptr;
    return path != nullptr &&
           GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, qbFullWidePath(path).c_str(), &module) &&
           module != nullptr;
}
