// Parameters: scaling into graph units, names and displays.
#include <cmath>
#include <cstring>

#include "plugin/dsp_vst.h"
#include "plugin/float2string.h"
#include "plugin/text_copy.h"

namespace {

// Normalised values outside 0..1 are a host's or a chunk's fault: NaN reads as 0 and
// everything else is clamped, so the record and the graph always hold the same value.
float sanitiseNormalised(float x) {
    if (!(x >= 0.f)) return 0.f;  // NaN and negatives
    return x > 1.f ? 1.f : x;
}

const QB_ControlDescriptor& descriptorOf(int32_t control) {
    return kControlTable[qbControlMaps().parameterEntry[control]];
}

}  // namespace

QB_ProgramRecord* QB_DSP_VST::recordFor(int32_t param) {
    return descriptorOf(param).isGlobal() ? globalRecord : currentRecord;
}

void QB_DSP_VST::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumControls) return;
    const float x = sanitiseNormalised(value);
    if (onAudioThread()) {
        const QB_ControlDescriptor& d = descriptorOf(index);
        const float v = ((d.max - d.min) * x + d.min) * 0.1f;
        applyControl(index, v);
        toHost.push({index, v, x});
        tellEditor(index, x);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(hostMutex);
        syncFromAudio();
        setParameterLocked(index, x);
    }
    // Outside the mutex: on the editor's thread the editor's widgets answer at once, and
    // may set further controls.
    tellEditor(index, x);
}

void QB_DSP_VST::setParameterLocked(int32_t index, float value) {
    const float x = sanitiseNormalised(value);
    const QB_ControlDescriptor& d = descriptorOf(index);
    const float v = ((d.max - d.min) * x + d.min) * 0.1f;
    controlValues[index].store(v, std::memory_order_relaxed);
    if (index < kNumParams && bank != nullptr) recordFor(index)->values[index] = x;
    toGraph.push({index, v, x});
}

float QB_DSP_VST::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumParams) return 0.f;
    std::lock_guard<std::mutex> lock(hostMutex);
    syncFromAudio();
    return bank != nullptr ? recordFor(index)->values[index] : 0.f;
}

void QB_DSP_VST::getParameterLabel(VstInt32 index, char* label) { qbCopyText(label, "", 0); }

void QB_DSP_VST::getParameterName(VstInt32 index, char* text) {
    if (text == nullptr) return;
    if (index < 0) {
        text[0] = '\0';
    } else if (index < kNumParams) {
        const char* name = descriptorOf(index).name;
        qbCopyText(text, name != nullptr ? name : "z|", 20);
    } else {
        qbCopyText(text, "z-", 8);
    }
}

void QB_DSP_VST::getParameterDisplay(VstInt32 index, char* text) {
    if (text == nullptr) return;
    text[0] = '\0';
    if (index < 0 || index >= kNumParams) return;
    std::lock_guard<std::mutex> lock(hostMutex);
    syncFromAudio();
    const QB_ControlDescriptor& d = descriptorOf(index);
    const float x = bank != nullptr ? sanitiseNormalised(recordFor(index)->values[index]) : 0.f;
    if (QB_Kind::isSelector(d.kind)) {
        const int32_t n = qbControlMaps().optionCount(index);
        if (n <= 0) return;
        const int32_t i = static_cast<int32_t>(static_cast<float>(n - 1) * x);
        const char* item = d.options;
        for (int32_t k = 0; item != nullptr && k < i; ++k) {
            item = std::strchr(item, ',');
            if (item != nullptr) ++item;
        }
        if (item != nullptr && *item != '\0' && i >= 0 && i < n) {
            const char* end = std::strchr(item, ',');
            const int32_t len = end != nullptr ? static_cast<int32_t>(end - item) : static_cast<int32_t>(std::strlen(item));
            qbCopyText(text, item, len < 8 ? len : 8);
            return;
        }
    } else if (d.kind == QB_Kind::kGlobalNumberDisplay || d.kind == QB_Kind::kGlobalNameDisplay) {
        return;
    }
    float2string(controlValues[index].load(std::memory_order_relaxed) * 10.f, text, 8);
}
