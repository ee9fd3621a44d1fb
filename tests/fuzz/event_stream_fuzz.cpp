// MIDI events, parameter and program changes, controller assignments and suspend/resume
// interleaved with processing of ordinary or hostile audio. Findings: a crash, undefined
// behaviour, a lost control event, non-finite output once the input has been ordinary
// for a block, or a value the host cannot read back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "plugin/dsp_vst.h"

namespace {

// Input a mixing desk could send: finite and within +-1e6 (far beyond full scale).
bool ordinary(float x) { return std::isfinite(x) && std::fabs(x) <= 1.0e6f; }

struct Stream {
    fuzz::Instance plugin;
    QB_DSP_VST* processor = nullptr;
    VstInt32 block = 512;
    // Ordinary input frames since the last hostile sample; output must be finite once a
    // whole ring (at most 128 frames) of them has passed.
    int64_t sinceHostile = 1 << 20;
    // MIDI events sent since the last processed frame. A flood of thousands between two
    // blocks may exhaust the event records, which is not a fault we look for here.
    uint32_t pendingEvents = 0;
    bool flooded = false;

    void process(fuzz::Reader& in) { run(static_cast<VstInt32>(in.below(2 * 1024)), in); }

    void run(VstInt32 frames, fuzz::Reader& in) {
        const uint8_t kind = in.byte();
        std::vector<float> input;
        if (kind & 1u) {
            // Hostile samples at fuzz-chosen places on top of a square wave at full scale.
            input.assign(2 * static_cast<size_t>(frames), 0.f);
            for (size_t i = 0; i < input.size(); ++i) input[i] = (i / 37) % 2 ? 1.f : -1.f;
            const uint32_t hits = in.below(8);
            for (uint32_t h = 0; h < hits && !input.empty(); ++h)
                input[in.below(static_cast<uint32_t>(input.size()))] = fuzz::sampleOf(in.byte(), in.raw<float>());
        }
        plugin.process(frames, input);
        if (frames > 0) pendingEvents = 0;
        for (VstInt32 i = 0; i < frames; ++i) {
            const bool hostile = !input.empty() && (!ordinary(input[i]) || !ordinary(input[frames + i]));
            sinceHostile = hostile ? 0 : sinceHostile + 1;
            if (sinceHostile > 128)
                FUZZ_CHECK(std::isfinite(plugin.outputLeft()[i]) && std::isfinite(plugin.outputRight()[i]));
        }
    }

    void events(fuzz::Reader& in) {
        const uint32_t count = in.below(48);
        pendingEvents += count;
        flooded = flooded || pendingEvents > 512;
        std::vector<VstMidiEvent> midi(count);
        std::vector<uint8_t> record(sizeof(VstEvents) + count * sizeof(VstEvent*), 0);
        auto* list = reinterpret_cast<VstEvents*>(record.data());
        list->numEvents = static_cast<VstInt32>(count);
        for (uint32_t i = 0; i < count; ++i) {
            VstMidiEvent& e = midi[i];
            std::memset(&e, 0, sizeof e);
            e.type = in.byte() < 240 ? kVstMidiType : kVstSysExType;
            e.byteSize = sizeof e;
            const uint8_t when = in.byte();
            e.deltaFrames = when < 200 ? static_cast<VstInt32>(when) * 4 : in.raw<VstInt32>();
            // Mostly control changes, on any channel.
            e.midiData[0] = static_cast<char>(in.byte() < 160 ? 0xB0 | (in.byte() & 15) : in.byte());
            e.midiData[1] = static_cast<char>(in.byte());
            e.midiData[2] = static_cast<char>(in.byte());
            e.midiData[3] = static_cast<char>(in.byte());
            // The list runs past the two entries its type declares: write it as bytes.
            VstEvent* entry = reinterpret_cast<VstEvent*>(&e);
            std::memcpy(record.data() + offsetof(VstEvents, events) + i * sizeof entry, &entry, sizeof entry);
        }
        FUZZ_CHECK(plugin.dispatch(effProcessEvents, 0, 0, list) == 1);
    }

    // Assigns fuzz-chosen controllers to parameters through a program chunk, as a host
    // restoring a project with MIDI-learn assignments does.
    void assignControllers(fuzz::Reader& in) {
        void* data = nullptr;
        FUZZ_CHECK(plugin.dispatch(effGetChunk, 1, 0, &data) == 390);
        uint8_t chunk[390];
        std::memcpy(chunk, data, sizeof chunk);
        for (int p = 0; p < kNumParams; ++p) {
            const int16_t cc = in.byte() < 128 ? static_cast<int16_t>(in.byte() & 127) : in.raw<int16_t>();
            std::memcpy(chunk + 72 + 2 * p, &cc, 2);
        }
        // Controllers live in program 0; the chunk replaces the current program.
        plugin.dispatch(effSetProgram, 0, 0);
        plugin.dispatch(effSetChunk, 1, sizeof chunk, chunk);
    }

    void restart(fuzz::Reader& in) {
        plugin.dispatch(effMainsChanged, 0, 0);
        if (in.byte() & 1u) {
            plugin.dispatch(effSetSampleRate, 0, 0, nullptr, fuzz::kHostRates[in.below(10)]);
            block = fuzz::kHostBlocks[in.below(12)];
            plugin.dispatch(effSetBlockSize, 0, block);
        }
        plugin.dispatch(effMainsChanged, 0, 1);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    Stream s;
    s.processor = static_cast<QB_DSP_VST*>(static_cast<AudioEffect*>(s.plugin.effect()->object));
    s.block = fuzz::kHostBlocks[in.below(12)];
    s.plugin.start(fuzz::kHostRates[in.below(10)], s.block);
    int steps = 0;
    while (!in.empty() && steps++ < 200) {
        switch (in.byte() % 10) {
            case 0:
            case 1:
            case 2: s.process(in); break;
            case 3:
            case 4: s.events(in); break;
            case 5: s.plugin.setParameter(static_cast<VstInt32>(in.below(20)), fuzz::sampleOf(in.byte(), in.raw<float>())); break;
            case 6: s.plugin.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(in.below(17))); break;
            case 7: s.assignControllers(in); break;
            case 8: s.restart(in); break;
            default: s.plugin.checkReadBack(); break;
        }
    }
    s.plugin.checkReadBack();
    fuzz::Reader none(nullptr, 0);
    s.run(1024, none);
    // Every control change reached the modules: none was dropped for want of an event record.
    FUZZ_CHECK(s.flooded || s.processor->eventPool.dropped() == 0);
    return 0;
}
