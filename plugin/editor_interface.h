// The editor as the host reaches it through the dispatcher. The plug-in's window
// class derives from this; the base answers "not handled" everywhere.
#pragma once

#include "platform/vst2.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // UI thread (the effect destroys its editor with itself).
    virtual ~AEffEditor() = default;
    // Any thread.
    virtual AudioEffect* getEffect() { return effect; }
    // UI thread: effEditGetRect; stores the window rectangle in *rect, answers true.
    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    // UI thread: effEditOpen inside the host's parent window.
    virtual bool open(void* parentWindow) {
        systemWindow = parentWindow;
        return false;
    }
    // UI thread: effEditClose.
    virtual void close() { systemWindow = nullptr; }
    // UI thread.
    virtual bool isOpen() { return systemWindow != nullptr; }
    // UI thread: effEditIdle.
    virtual void idle() {}
    // UI thread: effEditKeyDown / effEditKeyUp; true when the key was used.
    virtual bool onKeyDown(VstKeyCode& keyCode) { return false; }
    virtual bool onKeyUp(VstKeyCode& keyCode) { return false; }
    // UI thread: mouse wheel; true when used.
    virtual bool onWheel(float distance) { return false; }
    // UI thread: effSetEditKnobMode; true when the mode was taken.
    virtual bool setKnobMode(VstInt32 mode) { return false; }
    // Dispatcher or parameter thread: a parameter changed (index, normalised value).
    virtual void setParameter(VstInt32 index, float value) {}
    // Dispatcher thread, editor closed: draws the window off-screen at the present values
    // into a PNG file. True when it was written.
    virtual bool writeSnapshot(const char* path) { return false; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
