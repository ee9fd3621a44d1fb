// Programs, chunks, MIDI assignments and the bank file.
#include <cstdio>
#include <cstring>

#include "platform/bank_file.h"
#include "platform/resources.h"
#include "plugin/dsp_vst.h"
#include "plugin/text_copy.h"

void QB_DSP_VST::seedBank() {
    for (int32_t k = 0; k < kNumPrograms; ++k) {
        QB_ProgramRecord& r = bank[k];
        std::memset(&r, 0, sizeof r);
        for (auto& c : r.midiControllers) c = -1;
        for (int32_t i = 1; i < kControlTableLength && kControlTable[i].kind < QB_Kind::kEndOfTable; ++i) {
            const QB_ControlDescriptor& d = kControlTable[i];
            if (d.controlNumber() < kNumParams && d.kind < QB_Kind::kFirstNonParameter)
                r.midiControllers[d.controlNumber()] = d.aux;
        }
        char name[32] = {};
        std::snprintf(name, sizeof name, "Empty %2.0f", static_cast<double>(emptyNameCounter + 1));
        std::memcpy(r.name, name, sizeof r.name < sizeof name ? sizeof r.name : sizeof name);
        r.terminator = 0;
        ++emptyNameCounter;
    }
}

void QB_DSP_VST::loadFactoryBank(const char* name) {
    const QB_Resource* res = qbFindResource("DATA", name);
    if (res == nullptr || bank == nullptr) return;
    int64_t remaining = static_cast<int64_t>(res->size);
    for (int32_t k = 0; k < kNumPrograms; ++k) {
        remaining -= static_cast<int64_t>(kProgramStreamSize);
        if (remaining < 0) break;
        std::memcpy(&bank[k], res->data + k * kProgramStreamSize, kProgramStreamSize);
    }
}

void QB_DSP_VST::setProgram(VstInt32 program) {
    if (static_cast<uint32_t>(program) >= static_cast<uint32_t>(kNumPrograms) || bank == nullptr) return;
    float loaded[kNumParams];
    {
        std::lock_guard<std::mutex> lock(hostMutex);
        syncFromAudio();
        setProgramLocked(program, loaded);
    }
    finishProgramChange(loaded);
}

void QB_DSP_VST::setProgramLocked(int32_t program, float (&loaded)[kNumParams]) {
    curProgram.store(program, std::memory_order_relaxed);
    editorState_.setProgramChanging(true);
    // The glides jump to the new program's values instead of sliding there.
    toGraph.push({QB_ControlMailbox::kProgramChange, 0.f, 0.f});
    currentRecord = &bank[program];
    for (int32_t i = 0; i < kNumParams; ++i) {
        setParameterLocked(i, recordFor(i)->values[i]);
        // The record now holds the value as the graph took it: a broken chunk's NaN or
        // out-of-range value never reaches the editor.
        loaded[i] = recordFor(i)->values[i];
        editorState_.setLoadedProgramValue(i, loaded[i]);
    }
}

void QB_DSP_VST::finishProgramChange(const float (&loaded)[kNumParams]) {
    for (int32_t i = 0; i < kNumParams; ++i) tellEditor(i, loaded[i]);
    editorState_.setProgramChanging(false);
}

void QB_DSP_VST::setProgramName(char* name) {
    if (name == nullptr || bank == nullptr) return;
    std::lock_guard<std::mutex> lock(hostMutex);
    int32_t i = 0;
    for (; i < 24 && name[i] != '\0'; ++i) currentRecord->name[i] = name[i];
    if (i < 24) currentRecord->name[i] = '\0';
    currentRecord->terminator = 0;
}

void QB_DSP_VST::getProgramName(char* name) {
    if (name == nullptr) return;
    std::lock_guard<std::mutex> lock(hostMutex);
    qbCopyText(name, bank != nullptr ? currentRecord->name : "", 24);
}

bool QB_DSP_VST::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms || bank == nullptr) return false;
    std::lock_guard<std::mutex> lock(hostMutex);
    qbCopyText(text, bank[index].name, 24);
    return true;
}

VstInt32 QB_DSP_VST::getChunk(void** data, bool isPreset) {
    if (data == nullptr || bank == nullptr) return 0;
    std::lock_guard<std::mutex> lock(hostMutex);
    syncFromAudio();
    if (isPreset) {
        programChunk = *currentRecord;
        *data = &programChunk;
        return static_cast<VstInt32>(kProgramStreamSize);
    }
    std::memcpy(bankChunk, bank, kBankImageSize);
    *data = bankChunk;
    return static_cast<VstInt32>(kBankImageSize);
}

VstInt32 QB_DSP_VST::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    if (data == nullptr || byteSize < 0 || bank == nullptr) return 0;
    float loaded[kNumParams];
    {
        std::lock_guard<std::mutex> lock(hostMutex);
        syncFromAudio();
        if (static_cast<size_t>(byteSize) == kProgramStreamSize) {
            std::memcpy(currentRecord, data, kProgramStreamSize);
        } else {
            const size_t n =
                static_cast<size_t>(byteSize) < kBankImageSize ? static_cast<size_t>(byteSize) : kBankImageSize;
            std::memcpy(bank, data, n);
        }
        setProgramLocked(curProgram.load(std::memory_order_relaxed), loaded);
        refreshMidiMap();
    }
    finishProgramChange(loaded);
    return byteSize;
}

void QB_DSP_VST::setMidiController(VstInt32 param, VstInt32 controller) {
    if (param < 0 || param >= kNumParams || bank == nullptr) return;
    std::lock_guard<std::mutex> lock(hostMutex);
    globalRecord->midiControllers[param] = static_cast<int16_t>(controller);
    refreshMidiMap();
}

VstInt32 QB_DSP_VST::getMidiController(VstInt32 param) {
    if (param < 0 || param >= kNumParams || bank == nullptr) return -1;
    std::lock_guard<std::mutex> lock(hostMutex);
    return globalRecord->midiControllers[param];
}

void QB_DSP_VST::refreshMidiMap() {
    for (int32_t p = 0; p < kNumParams; ++p)
        midiMap[p].store(globalRecord->midiControllers[p], std::memory_order_relaxed);
}

void QB_DSP_VST::writeBankFile() {
    if (onAudioThread()) {
        saveRequested.store(true, std::memory_order_release);
        return;
    }
    if (bank == nullptr) return;
    unsigned char image[kBankFileSize];
    {
        std::lock_guard<std::mutex> lock(hostMutex);
        syncFromAudio();
        bankFileImage(image);
    }
    // Outside the mutex: the flush to the disk may take a while.
    qbWriteBankFile(image, sizeof image);
}

void QB_DSP_VST::bankFileImage(unsigned char (&image)[kBankFileSize]) {
    for (int32_t k = 0; k < kNumPrograms; ++k)
        std::memcpy(image + k * kProgramStreamSize, &bank[k], kProgramStreamSize);
}
