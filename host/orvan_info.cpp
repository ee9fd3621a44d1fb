// Prints what a host sees of a plug-in library: loads it with dlopen, creates one
// instance through VSTPluginMain and asks the descriptor and the identity opcodes.
//
//   orvan_info path/to/OrvanEq.so
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "platform/vst2.h"

namespace {

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void printText(AEffect* e, const char* label, VstInt32 opcode) {
    char text[256];
    std::memset(text, 0, sizeof text);
    e->dispatcher(e, opcode, 0, 0, text, 0.f);
    text[sizeof text - 1] = '\0';
    std::printf("%-12s %s\n", label, text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PLUGIN.so\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    using EntryProc = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<EntryProc>(dlsym(library, "VSTPluginMain"));
    AEffect* e = entry != nullptr ? entry(hostCallback) : nullptr;
    if (e == nullptr || e->magic != kEffectMagic) {
        std::fprintf(stderr, "%s: no plug-in instance\n", argv[1]);
        dlclose(library);
        return 1;
    }

    printText(e, "name", effGetEffectName);
    printText(e, "vendor", effGetVendorString);
    printText(e, "product", effGetProductString);
    const auto id = static_cast<uint32_t>(e->uniqueID);
    std::printf("%-12s '%c%c%c%c' (0x%08X)\n", "unique ID", static_cast<char>(id >> 24),
                static_cast<char>(id >> 16), static_cast<char>(id >> 8), static_cast<char>(id), id);
    std::printf("%-12s %ld\n", "version", static_cast<long>(e->dispatcher(e, effGetVendorVersion, 0, 0, nullptr, 0.f)));
    std::printf("%-12s %d\n", "parameters", e->numParams);
    std::printf("%-12s %d\n", "programs", e->numPrograms);
    std::printf("%-12s %d in, %d out\n", "channels", e->numInputs, e->numOutputs);

    e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
    dlclose(library);
    return 0;
}
