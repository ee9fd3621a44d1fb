// Placeholder entry point until the host boundary lands.
extern "C" __attribute__((visibility("default"))) void* VSTPluginMain(void*) { return nullptr; }
