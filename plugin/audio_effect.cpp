#include "plugin/audio_effect.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "plugin/identity.h"
#include "plugin/text_copy.h"

namespace {

// Host values arrive as pointer-sized integers; anything beyond 32 bits is saturated.
VstInt32 saturateToInt32(VstIntPtr value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<VstInt32>(value);
}

// The key modifier arrives as a float; out-of-range and NaN values mean no modifier.
unsigned char modifierFromFloat(float opt) {
    return (opt >= 0.f && opt < 256.f) ? static_cast<unsigned char>(opt) : 0;
}

template <class Sample>
bool channelsValid(Sample** buffers, VstInt32 count) {
    if (buffers == nullptr) return false;
    for (VstInt32 c = 0; c < count; ++c)
        if (buffers[c] == nullptr) return false;
    return true;
}

AudioEffect* effectOf(AEffect* e) { return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr; }

bool fillPin(VstInt32 index, VstPinProperties* properties, const char* left, const char* right) {
    if (index != 0 && index != 1) return false;
    qbCopyText(properties->label, index == 0 ? left : right, kVstMaxLabelLen - 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    properties->arrangementType = kSpeakerArrStereo;
    return true;
}

void setStereo(VstSpeakerArrangement& arrangement) {
    std::memset(&arrangement, 0, sizeof arrangement);
    arrangement.type = kSpeakerArrStereo;
    arrangement.numChannels = 2;
    arrangement.speakers[0].type = kSpeakerL;
    qbCopyText(arrangement.speakers[0].name, "L", kVstMaxLabelLen - 1);
    arrangement.speakers[1].type = kSpeakerR;
    qbCopyText(arrangement.speakers[1].name, "R", kVstMaxLabelLen - 1);
}

}  // namespace

// ---- AudioEffect ---------------------------------------------------------------

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams), numControls(numParams) {
    std::memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchTrampoline;
    cEffect.process = processTrampoline;
    cEffect.setParameter = setParameterTrampoline;
    cEffect.getParameter = getParameterTrampoline;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.ioRatio = 1.f;
    cEffect.object = this;
    cEffect.version = kQbEffectVersion;
    cEffect.processReplacing = processReplacingTrampoline;
    cEffect.processDoubleReplacing = processDoubleReplacingTrampoline;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setEditor(AEffEditor* newEditor) {
    delete editor;
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return audioMaster != nullptr ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    // Controls beyond the host parameters exist only between the editor and the graph.
    if (isParameterIndex(index)) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    for (VstInt32 c = 0; c < cEffect.numOutputs; ++c)
        std::memset(outputs[c], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        return 0;
    case effClose:
        // The trampoline destroys the effect after this call.
        return 1;
    case effSetProgram:
        if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text != nullptr) setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr) getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr && isParameterIndex(index)) getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr && isParameterIndex(index)) getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr && index >= 0) getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        // The rate is later truncated to an integer and divided by: take only finite
        // rates of at least 1 Hz that fit an int.
        if (std::isfinite(opt) && opt >= 1.f && opt < 2147483648.f) setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        if (value > 0) setBlockSize(saturateToInt32(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return (editor != nullptr && ptr != nullptr && editor->getRect(static_cast<ERect**>(ptr))) ? 1 : 0;
    case effEditOpen:
        return (editor != nullptr && editor->open(ptr)) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr) editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr) editor->idle();
        return 0;
    case effIdentify:
        return kQbIdentify;
    case effGetChunk:
        if (ptr == nullptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        // A chunk size must be positive and fit the int the operations take.
        if (ptr == nullptr || value <= 0 || value > INT32_MAX) return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0;
    }
}

// ---- trampolines ---------------------------------------------------------------

VstIntPtr AudioEffect::dispatchTrampoline(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt) {
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr) return 0;
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffect::processTrampoline(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    AudioEffect* effect = effectOf(e);
    if (effect != nullptr) effect->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processReplacingTrampoline(AEffect* e, float** inputs, float** outputs,
                                             VstInt32 sampleFrames) {
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr || sampleFrames <= 0) return;
    if (!channelsValid(outputs, effect->cEffect.numOutputs)) return;
    if (!channelsValid(inputs, effect->cEffect.numInputs)) {
        // Nothing to read: answer silence rather than stale output.
        for (VstInt32 c = 0; c < effect->cEffect.numOutputs; ++c)
            std::memset(outputs[c], 0, sizeof(float) * static_cast<size_t>(sampleFrames));
        return;
    }
    effect->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processDoubleReplacingTrampoline(AEffect* e, double** inputs, double** outputs,
                                                   VstInt32 sampleFrames) {
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr || sampleFrames <= 0) return;
    if (!channelsValid(outputs, effect->cEffect.numOutputs) || !channelsValid(inputs, effect->cEffect.numInputs))
        return;
    effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::setParameterTrampoline(AEffect* e, VstInt32 index, float value) {
    AudioEffect* effect = effectOf(e);
    // The host reaches every control number (it uses 0..numParams-1, the editor all); a
    // NaN has no position on any control.
    if (effect == nullptr || index < 0 || index >= effect->numControls || std::isnan(value)) return;
    effect->setParameter(index, value);
}

float AudioEffect::getParameterTrampoline(AEffect* e, VstInt32 index) {
    AudioEffect* effect = effectOf(e);
    if (effect == nullptr || !effect->isParameterIndex(index)) return 0.f;
    return effect->getParameter(index);
}

// ---- AudioEffectX --------------------------------------------------------------

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {
    setStereo(inputArrangement);
    setStereo(outputArrangement);
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents:
        return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return (isParameterIndex(index) && canParameterBeAutomated(index)) ? 1 : 0;
    case effGetProgramNameIndexed:
        if (text == nullptr || index < 0 || index >= numPrograms) return 0;
        return getProgramNameIndexed(saturateToInt32(value), index, text) ? 1 : 0;
    case effGetInputProperties:
        return (ptr != nullptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr))) ? 1 : 0;
    case effGetOutputProperties:
        return (ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetEffectName:
        return (text != nullptr && getEffectName(text)) ? 1 : 0;
    case effGetVendorString:
        return (text != nullptr && getVendorString(text)) ? 1 : 0;
    case effGetProductString:
        return (text != nullptr && getProductString(text)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return text != nullptr ? canDo(text) : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr) return 0;
        VstKeyCode key{index, static_cast<unsigned char>(value & 0xFF), modifierFromFloat(opt)};
        const bool used = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return (editor != nullptr && editor->setKnobMode(saturateToInt32(value))) ? 1 : 0;
    case effGetSpeakerArrangement: {
        auto** pluginInput = reinterpret_cast<VstSpeakerArrangement**>(value);
        auto** pluginOutput = static_cast<VstSpeakerArrangement**>(ptr);
        if (pluginInput == nullptr || pluginOutput == nullptr) return 0;
        return getSpeakerArrangement(pluginInput, pluginOutput) ? 1 : 0;
    }
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effSetTotalSampleToProcess:
        return value;
    // Refused: host bypass, speaker changes, text entry of values, offline processing,
    // MIDI programs, precision changes and the rest of the 2.x range.
    case effString2Parameter:
    case effSetSpeakerArrangement:
    case effSetBypass:
    case effGetTailSize:
    case effGetParameterProperties:
    case effBeginSetProgram:
    case effEndSetProgram:
    case effSetProcessPrecision:
    case effGetNumMidiOutputChannels:
        return 0;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

bool AudioEffectX::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return fillPin(index, properties, "Left In", "Right In");
}

bool AudioEffectX::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return fillPin(index, properties, "Left Out", "Right Out");
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
    // Hosts read the records through the pointers; re-state them in case a host wrote
    // into an earlier answer.
    setStereo(inputArrangement);
    setStereo(outputArrangement);
    *pluginInput = &inputArrangement;
    *pluginOutput = &outputArrangement;
    return true;
}

bool AudioEffectX::getEffectName(char* name) {
    qbCopyText(name, kQbEffectName, kVstMaxEffectNameLen);
    return true;
}

bool AudioEffectX::getVendorString(char* text) {
    qbCopyText(text, kQbVendorString, kVstMaxVendorStrLen);
    return true;
}

bool AudioEffectX::getProductString(char* text) {
    qbCopyText(text, kQbProductString, kVstMaxProductStrLen);
    return true;
}

VstInt32 AudioEffectX::getVendorVersion() { return kQbVendorVersion; }

VstInt32 AudioEffectX::canDo(const char* text) {
    struct Answer {
        const char* text;
        VstInt32 answer;
    };
    static constexpr Answer kAnswers[] = {
        {"receiveVstEvents", 1},   {"receiveVstMidiEvents", 1}, {"receiveVstTimeInfo", 1},
        {"sendVstMidiEvent", -1},  {"sendVstEvents", -1},       {"offline", -1},
        {"bypass", -1},            {"midiProgramNames", -1},
    };
    for (const Answer& a : kAnswers)
        if (std::strcmp(text, a.text) == 0) return a.answer;
    return 0;
}
