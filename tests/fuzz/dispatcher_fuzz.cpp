// Any opcode with any index, value, option and a buffer of any size and contents, mixed
// with parameter calls and processing. The host keeps the interface's promises: buffers
// the plug-in writes into hold at least 256 bytes, texts it reads are terminated, a chunk
// size never exceeds its buffer, events and speaker arrangements point at real records.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_host.h"

namespace {

// Opcodes whose ptr carries data to the plug-in rather than room for an answer.
bool ptrIsInput(VstInt32 opcode) {
    return opcode == effSetChunk || opcode == effSetProgramName || opcode == effCanDo;
}

void callDispatcher(fuzz::Instance& plugin, fuzz::Reader& in) {
    // Mostly the opcodes of the interface, sometimes any number at all.
    const uint8_t pick = in.byte();
    VstInt32 opcode = pick < 240 ? static_cast<VstInt32>(pick % 82) : in.raw<VstInt32>();
    if (opcode == effClose) opcode = effMainsChanged;  // the instance is closed at the end
    const VstInt32 index = in.byte() < 200 ? static_cast<VstInt32>(in.byte()) - 8 : in.raw<VstInt32>();
    VstIntPtr value = in.byte() < 200 ? static_cast<VstIntPtr>(in.raw<int16_t>()) : in.raw<VstIntPtr>();
    const float opt = in.byte() < 128 ? static_cast<float>(in.raw<uint16_t>()) * 8.f
                                      : fuzz::sampleOf(in.byte(), in.raw<float>());
    const size_t size = in.below(2048);
    const uint8_t mode = in.byte();

    std::vector<uint8_t> buffer = in.bytes(size);
    buffer.resize(ptrIsInput(opcode) ? buffer.size() + 1 : (buffer.size() < 256 ? 256 : buffer.size()), 0);
    buffer.back() = 0;  // texts are terminated
    void* ptr = (mode & 7u) == 0 ? nullptr : buffer.data();

    // Events: a real list of MIDI records built from the buffer's bytes.
    std::vector<VstMidiEvent> midi;
    std::vector<VstEvent*> list;
    std::vector<uint8_t> eventsRecord;
    if (opcode == effProcessEvents && ptr != nullptr) {
        const size_t count = buffer.size() / 8;
        midi.resize(count);
        for (size_t i = 0; i < count; ++i) {
            VstMidiEvent& e = midi[i];
            std::memset(&e, 0, sizeof e);
            e.type = buffer[8 * i] & 1 ? kVstMidiType : buffer[8 * i] % 8;
            e.byteSize = sizeof e;
            std::memcpy(&e.deltaFrames, &buffer[8 * i + 1], 2);
            std::memcpy(e.midiData, &buffer[8 * i + 3], 4);
        }
        for (VstMidiEvent& e : midi) list.push_back(reinterpret_cast<VstEvent*>(&e));
        eventsRecord.assign(sizeof(VstEvents) + list.size() * sizeof(VstEvent*), 0);
        auto* events = reinterpret_cast<VstEvents*>(eventsRecord.data());
        events->numEvents = static_cast<VstInt32>(list.size());
        if (!list.empty()) std::memcpy(events->events, list.data(), list.size() * sizeof(VstEvent*));
        ptr = events;
    }
    // Speaker arrangements travel through value (and ptr) as pointers.
    VstSpeakerArrangement arrangement{};
    VstSpeakerArrangement* slots[2] = {&arrangement, &arrangement};
    if (opcode == effGetSpeakerArrangement || opcode == effSetSpeakerArrangement) {
        value = reinterpret_cast<VstIntPtr>(opcode == effGetSpeakerArrangement ? static_cast<void*>(&slots[0])
                                                                               : static_cast<void*>(&arrangement));
        if (ptr != nullptr) ptr = opcode == effGetSpeakerArrangement ? static_cast<void*>(&slots[1])
                                                                     : static_cast<void*>(&arrangement);
    }
    if (opcode == effSetChunk && value > static_cast<VstIntPtr>(buffer.size())) value = static_cast<VstIntPtr>(buffer.size());

    plugin.dispatch(opcode, index, value, ptr, opt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    fuzz::Instance plugin;
    int calls = 0;
    while (!in.empty() && calls++ < 64) {
        switch (in.byte() % 8) {
            case 0: {
                const VstInt32 frames = static_cast<VstInt32>(in.below(1500));
                plugin.process(frames);
                FUZZ_CHECK(plugin.outputFinite());  // the played signal is always finite
                break;
            }
            case 1: plugin.setParameter(in.raw<VstInt32>() % 40, fuzz::sampleOf(in.byte(), in.raw<float>())); break;
            case 2: (void)plugin.getParameter(in.raw<VstInt32>()); break;
            default: callDispatcher(plugin, in); break;
        }
    }
    // Whatever happened, the instance still answers and processes.
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.process(256);
    FUZZ_CHECK(plugin.outputFinite());
    plugin.checkReadBack();
    return 0;
}
