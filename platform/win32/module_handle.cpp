#include "platform/win32/module_handle.h"

#include <windows.h>

#include <atomic>

namespace {
// Written once by the loader's attach call, before any other call can reach the library.
std::atomic<HMODULE> gModule{nullptr};
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) gModule.store(instance);
    return TRUE;
}

void* qbOwnModule() {
    HMODULE module = gModule.load();
    if (module != nullptr) return module;
    // Linked into a program, where DllMain never runs: the module holding this function.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&qbOwnModule), &module))
        return nullptr;
    return module;
}
