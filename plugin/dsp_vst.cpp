#include "plugin/dsp_vst.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

#include "platform/open_address.h"
#include "platform/timer_resolution.h"
#include "plugin/graph_table.h"
#include "plugin/identity.h"

namespace {

// The processor whose audio callback is running on this thread, so that setParameter
// from MIDI input and write-backs from modules take the audio path.
thread_local const QB_DSP_VST* tlsProcessing = nullptr;

struct AudioScope {
    const QB_DSP_VST* saved;
    explicit AudioScope(const QB_DSP_VST* p) : saved(tlsProcessing) { tlsProcessing = p; }
    ~AudioScope() { tlsProcessing = saved; }
};

// Entry i of a host's event list. The list is longer than the two entries its record
// type declares, so it is read from its address rather than through the array type.
const VstEvent* eventAt(const VstEvents* events, VstInt32 i) {
    const char* list = reinterpret_cast<const char*>(events) + offsetof(VstEvents, events);
    const VstEvent* e = nullptr;
    std::memcpy(&e, list + static_cast<size_t>(i) * sizeof e, sizeof e);
    return e;
}

// Sample rates a host may set: anything else (zero, negative, NaN, absurd) is ignored.
constexpr float kMinSampleRate = 1000.f;
constexpr float kMaxSampleRate = 1536000.f;

}  // namespace

QB_DSP_VST::QB_DSP_VST(audioMasterCallback audioMaster, QB_EditorFactory editorFactory)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams), addressOpener(qbOpenAddress),
      graphDefinition(&kShippedGraph) {
    timerPeriodResult = qbTimeBeginPeriod(1);
    for (auto& v : controlValues) v.store(0.f, std::memory_order_relaxed);
    qbControlMaps();
    for (auto& m : midiMap) m.store(-1, std::memory_order_relaxed);

    setNumControls(kNumControls);
    curProgram.store(0, std::memory_order_relaxed);
    emptyNameCounter = 0;
    programsAreChunks(true);
    bank = new (std::nothrow) QB_ProgramRecord[kNumPrograms];
    globalRecord = bank;
    currentRecord = bank;
    if (bank != nullptr) seedBank();
    if (editorFactory != nullptr) setEditor(editorFactory(this));
    if (bank != nullptr) loadFactoryBank(kFactoryBankName);

    sampleRateInt = static_cast<int32_t>(sampleRate);
    samplesPerMs = sampleRate * 0.001f;
    rebuildTablesIfNeeded();

    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kQbUniqueId);
    noSoundInStop(false);
    canProcessReplacing(true);
    wantEvents(1);

    if (bank != nullptr) {
        float loaded[kNumParams];
        {
            std::lock_guard<std::mutex> lock(hostMutex);
            setProgramLocked(0, loaded);
            refreshMidiMap();
        }
        finishProgramChange(loaded);
    }
}

QB_DSP_VST::~QB_DSP_VST() {
    // A host may end the instance with its window open: close it while the processor it
    // reports to still exists (the editor object itself goes with the base).
    if (editor != nullptr) editor->close();
    // A save or an opening asked for just before the host closed still happens.
    stopService();
    serviceRequests();
    if (timerPeriodResult == 0) qbTimeEndPeriod(1);
    delete[] bank;
    bank = globalRecord = currentRecord = nullptr;
    destroyGraph();
}

bool QB_DSP_VST::onAudioThread() const { return tlsProcessing == this; }

void QB_DSP_VST::rebuildTablesIfNeeded() {
    if (sampleRateInt == tablesSampleRate) return;
    pitchCeiling = sampleRateInt / 2;
    tables.build(sampleRateInt, pitchCeiling);
    tablesSampleRate = sampleRateInt;
}

void QB_DSP_VST::setSampleRate(float rate) {
    std::lock_guard<std::mutex> lock(hostMutex);
    if (!(rate >= kMinSampleRate && rate <= kMaxSampleRate)) return;
    sampleRate = rate;
    samplesPerMs = rate * 0.001f;
    sampleRateInt = static_cast<int32_t>(rate);
    rebuildTablesIfNeeded();
}

void QB_DSP_VST::setBlockSize(VstInt32 size) {
    std::lock_guard<std::mutex> lock(hostMutex);
    if (size < 1) return;
    blockSize = size;
    internalBlockSize = size < kMaxRing ? size : kMaxRing;
    lastEventFrame.store(size - 1, std::memory_order_relaxed);
}

void QB_DSP_VST::suspend() {
    std::lock_guard<std::mutex> lock(hostMutex);
    suspended.store(-1, std::memory_order_relaxed);
    suspendModules();
    // The sample clock runs on across a stop: modules keep sample times (held peaks,
    // design windows, glide deadlines, last crossings, queued events), and restarting the
    // clock at 0 would leave them hours in the future.
    ringPosition = 0;
}

void QB_DSP_VST::resume() {
    std::lock_guard<std::mutex> lock(hostMutex);
    syncFromAudio();
    if (internalBlockSize != builtBlockSize || sampleRateInt != builtSampleRate) {
        builtBlockSize = internalBlockSize;
        builtSampleRate = sampleRateInt;
        destroyGraph();
        ringPosition = 0;
        glideSuppressed[0] = glideSuppressed[1] = -1;
        buildGraph(*graphDefinition);
        prepareModules();
        startService();
        // Every pending change is already in controlValues, which all go out now.
        toGraph.clear();
        for (int32_t k = 0; k < kNumControls; ++k) {
            const float v = controlValues[k].load(std::memory_order_relaxed);
            graphControlValues[k] = v;
            sendControlEvent(samplePosition, k, 0, qbDisplayRound(v), v);
        }
    } else {
        resumeModules();
    }
    suspended.store(0, std::memory_order_relaxed);
}

void QB_DSP_VST::beforeSubBlock() {
    toGraph.drain([this](const QB_ControlMessage& m) {
        if (m.control == QB_ControlMailbox::kProgramChange) glideSuppressed[0] = -1;
        else applyControl(m.control, m.value);
    });
}

void QB_DSP_VST::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    AudioScope scope(this);
    QB_SignalGraph::process(inputs, outputs, sampleFrames);
}

VstInt32 QB_DSP_VST::processEvents(VstEvents* events) {
    if (events == nullptr) return 1;
    AudioScope scope(this);
    // Changes queued by the host before these events must not arrive after them.
    beforeSubBlock();
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* e = eventAt(events, i);
        if (e == nullptr || e->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(e);
        const auto* d = reinterpret_cast<const unsigned char*>(midi->midiData);
        const uint32_t status = d[0];
        if (status >= 0xF0) continue;
        // An event lies within the coming block. A host's offset outside it is brought to
        // the block's nearer end: an event stamped hours ahead would hold an event record
        // until then, and enough of them would leave none for later changes.
        const int32_t last = lastEventFrame.load(std::memory_order_relaxed);
        const int32_t delta = midi->deltaFrames < 0 ? 0 : (midi->deltaFrames > last ? last : midi->deltaFrames);
        const uint32_t when = samplePosition + static_cast<uint32_t>(delta);
        const uint32_t message = status | (uint32_t{d[1]} << 8) | (uint32_t{d[2]} << 16) | (uint32_t{d[3]} << 24);
        sendControlEvent(when, QB_Control::kMidiInput, 0, static_cast<int32_t>(message), 0.f);
        if ((status & 0xF0) != 0xB0) continue;
        const int16_t cc = d[1];
        const float v = static_cast<float>(d[2]) * 0.007874016f;
        const uint32_t saved = samplePosition;
        samplePosition = when;
        // Parameter 0 never follows a controller.
        for (int32_t p = 1; p < kNumParams; ++p)
            if (midiMap[p].load(std::memory_order_relaxed) == cc) setParameter(p, v);
        samplePosition = saved;
    }
    return 1;
}

void QB_DSP_VST::setControlFromModule(int32_t control, float v, int32_t send) {
    if (control < 0 || control >= kNumControls || !std::isfinite(v)) return;
    const QB_ControlDescriptor& d = kControlTable[qbControlMaps().parameterEntry[control]];
    const float span = d.max - d.min;
    const float x = span != 0.f ? (v * 10.f - d.min) / span : 0.f;
    if (onAudioThread()) {
        graphControlValues[control] = v;
        if (send != 0) sendControlEvent(samplePosition, control, 0, qbDisplayRound(v), v);
        toHost.push({control, v, x});
        tellEditor(control, x);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(hostMutex);
        syncFromAudio();
        controlValues[control].store(v, std::memory_order_relaxed);
        if (control < kNumParams && bank != nullptr) recordFor(control)->values[control] = x;
        if (send != 0) toGraph.push({control, v, x});
    }
    tellEditor(control, x);
}

void QB_DSP_VST::syncFromAudio() {
    toHost.drain([this](const QB_ControlMessage& m) {
        if (m.control < 0 || m.control >= kNumControls) return;
        controlValues[m.control].store(m.value, std::memory_order_relaxed);
        if (m.control < kNumParams && bank != nullptr) recordFor(m.control)->values[m.control] = m.normalised;
    });
}

void QB_DSP_VST::openAddress(int32_t index) {
    if (index < 0 || index >= kQbCommandAddressCount) return;
    if (onAudioThread()) {
        openRequests[index].fetch_add(1, std::memory_order_release);
        return;
    }
    if (kQbCommandAddresses[index][0] != '\0') addressOpener(kQbCommandAddresses[index]);
}

void QB_DSP_VST::serviceRequests() {
    // Saves asked for together write the same bank once; every press opens its address.
    if (saveRequested.load(std::memory_order_relaxed) && saveRequested.exchange(false, std::memory_order_acquire))
        writeBankFile();
    for (int32_t i = 0; i < kQbCommandAddressCount; ++i) {
        if (openRequests[i].load(std::memory_order_relaxed) == 0) continue;
        for (uint32_t n = openRequests[i].exchange(0, std::memory_order_acquire); n > 0; --n) openAddress(i);
    }
}

void QB_DSP_VST::startService() {
    if (serviceThread.joinable()) return;
    try {
        serviceThread = std::thread([this] {
            constexpr std::chrono::milliseconds kServicePeriod{50};
            std::unique_lock<std::mutex> lock(serviceMutex);
            while (!serviceStopping) {
                serviceWake.wait_for(lock, kServicePeriod);
                lock.unlock();
                serviceRequests();
                lock.lock();
            }
        });
    } catch (...) {
        // No thread: requests wait for the destructor.
    }
}

void QB_DSP_VST::stopService() {
    if (!serviceThread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(serviceMutex);
        serviceStopping = true;
    }
    serviceWake.notify_one();
    serviceThread.join();
}

void QB_DSP_VST::setGraphDefinition(const QB_GraphDefinition& graph) {
    std::lock_guard<std::mutex> lock(hostMutex);
    graphDefinition = &graph;
    builtBlockSize = 0;  // the next resume builds it
}

VstIntPtr QB_DSP_VST::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (index != kQbEditorSnapshot || ptr == nullptr || editor == nullptr) return 0;
    return editor->writeSnapshot(static_cast<const char*>(ptr)) ? 1 : 0;
}

AudioEffect* qbCreateEffect(audioMasterCallback audioMaster, QB_EditorFactory editorFactory) {
    try {
        return new (std::nothrow) QB_DSP_VST(audioMaster, editorFactory);
    } catch (...) {
        // A member allocation failed inside the constructor: no instance.
        return nullptr;
    }
}
