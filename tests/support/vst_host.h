// A small host for boundary tests: loads a plug-in library with dlopen, creates an
// instance through its entry point and talks to it only through the descriptor,
// recording every callback the plug-in makes.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/vst2.h"

class VstHost {
public:
    struct Call {
        AEffect* effect;
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        void* ptr;
        float opt;
    };
    using EntryProc = AEffect* (*)(audioMasterCallback);

    // Opens the library; check loaded() and error().
    explicit VstHost(const std::string& libraryPath);
    // Closes a live instance, then the library.
    ~VstHost();
    VstHost(const VstHost&) = delete;
    VstHost& operator=(const VstHost&) = delete;

    bool loaded() const { return library_ != nullptr; }
    const std::string& error() const { return error_; }
    // The exported function of that name, or nullptr.
    EntryProc entry(const char* name) const;

    // Calls the named entry point with this host's callback; answers the descriptor
    // (also kept as effect()) or nullptr.
    AEffect* instantiate(const char* entryName = "VSTPluginMain");
    AEffect* effect() const { return effect_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.f);
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);
    // Runs one stereo block through processReplacing.
    void processReplacing(const float* inL, const float* inR, float* outL, float* outR, VstInt32 frames);
    // Asks a text opcode (names, strings) into a zero-filled 256-byte buffer.
    std::string getString(VstInt32 opcode, VstInt32 index = 0);
    // effClose; the descriptor is gone afterwards. Answers the plug-in's answer.
    VstIntPtr close();

    // What the host answers to audioMasterVersion (0 refuses the plug-in).
    VstIntPtr versionAnswer = 2400;

    std::vector<Call> calls() const;
    int countCalls(VstInt32 opcode) const;
    void clearCalls();

private:
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt);
    VstIntPtr answer(const Call& call);

    void* library_ = nullptr;
    std::string error_;
    AEffect* effect_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};
