// setChunk with any bytes and any size, as a program or as a bank, then processing and
// reading everything back. A chunk is either the raw input or the instance's own chunk
// with fuzz-chosen bytes and hostile floats written over it, which reaches deep into
// well-formed records quickly.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "plugin/parameters.h"

namespace {

std::vector<uint8_t> ownChunk(fuzz::Instance& plugin, bool program) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    FUZZ_CHECK(data != nullptr && size > 0);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

// Writes patches over chunk: single bytes, or hostile floats at four-byte offsets.
void patch(std::vector<uint8_t>& chunk, fuzz::Reader& in) {
    const uint32_t count = in.below(64);
    for (uint32_t i = 0; i < count && !chunk.empty(); ++i) {
        const uint32_t at = in.below(static_cast<uint32_t>(chunk.size()));
        if (in.byte() & 1u) {
            const float v = fuzz::sampleOf(in.byte(), in.raw<float>());
            const uint32_t aligned = at & ~3u;
            if (aligned + 4 <= chunk.size()) std::memcpy(&chunk[aligned], &v, 4);
        } else {
            chunk[at] = in.byte();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    fuzz::Instance plugin;
    const VstInt32 block = fuzz::kHostBlocks[in.below(12)];
    plugin.start(fuzz::kHostRates[in.below(10)], block);
    plugin.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(in.below(16)));
    plugin.process(block < 256 ? block : 256);

    const uint8_t mode = in.byte();
    const bool asProgram = (mode & 1u) != 0;
    std::vector<uint8_t> chunk;
    if (mode & 2u) {
        chunk = ownChunk(plugin, (mode & 4u) != 0);
        patch(chunk, in);
        // Sometimes a size other than the chunk's own: shorter or longer by a little.
        if (mode & 8u) chunk.resize(chunk.size() + in.below(16) - 8);
    } else {
        chunk = in.bytes(8192);
    }
    if (chunk.empty()) chunk.push_back(0);

    const VstIntPtr n = static_cast<VstIntPtr>(chunk.size());
    FUZZ_CHECK(plugin.dispatch(effSetChunk, asProgram ? 1 : 0, n, chunk.data()) == n);
    plugin.checkReadBack();
    for (int k = 0; k < 2; ++k) {
        plugin.process(block < 256 ? block : 256);
        FUZZ_CHECK(plugin.outputFinite());
    }

    // Every program the chunk may have touched can be selected and read back, and the
    // bank it leaves restores the same values in a fresh instance.
    std::vector<uint8_t> bank = ownChunk(plugin, false);
    fuzz::Instance copy;
    FUZZ_CHECK(copy.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), bank.data()) ==
               static_cast<VstIntPtr>(bank.size()));
    for (VstIntPtr k = 0; k < kNumPrograms; ++k) {
        plugin.dispatch(effSetProgram, 0, k);
        copy.dispatch(effSetProgram, 0, k);
        plugin.checkReadBack();
        for (VstInt32 p = 0; p < kNumParams; ++p) FUZZ_CHECK(plugin.getParameter(p) == copy.getParameter(p));
    }
    plugin.process(block < 256 ? block : 256);
    FUZZ_CHECK(plugin.outputFinite());
    return 0;
}
