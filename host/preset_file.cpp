#include "host/preset_file.h"

#include <algorithm>
#include <cstring>

#include "host/tool_error.h"
#include "platform/vst2.h"

namespace {

constexpr int32_t kChunkMagic = vstFourCC('C', 'c', 'n', 'K');
constexpr int32_t kProgramChunkForm = vstFourCC('F', 'P', 'C', 'h');
constexpr int32_t kBankChunkForm = vstFourCC('F', 'B', 'C', 'h');
constexpr int32_t kProgramParamsForm = vstFourCC('F', 'x', 'C', 'k');
constexpr int32_t kBankParamsForm = vstFourCC('F', 'x', 'B', 'k');
constexpr size_t kParamsProgramHeader = 56;  // an 'FxCk' record before its values
constexpr size_t kParamsBankHeader = 156;    // an 'FxBk' file before its programs

// Bounds-checked big-endian reads over the file's bytes.
class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, size_t begin, size_t end) : bytes_(bytes), begin_(begin), end_(end) {}
    size_t size() const { return end_ - begin_; }
    int32_t i32(size_t offset) const {
        need(offset + 4);
        const uint8_t* p = &bytes_[begin_ + offset];
        return static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]);
    }
    float f32(size_t offset) const {
        const uint32_t bits = static_cast<uint32_t>(i32(offset));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    std::string name(size_t offset) const {
        need(offset + kPresetNameSize);
        const char* p = reinterpret_cast<const char*>(&bytes_[begin_ + offset]);
        return std::string(p, strnlen(p, kPresetNameSize));
    }
    std::vector<uint8_t> bytes(size_t offset, size_t count) const {
        need(offset + count);
        return std::vector<uint8_t>(bytes_.begin() + static_cast<ptrdiff_t>(begin_ + offset),
                                    bytes_.begin() + static_cast<ptrdiff_t>(begin_ + offset + count));
    }

private:
    void need(size_t end) const {
        if (end > size()) throw ToolError("the file is truncated (its sizes promise more bytes than it has)");
    }
    const std::vector<uint8_t>& bytes_;
    size_t begin_;
    size_t end_;
};

class Writer {
public:
    void i32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        const uint8_t b[4] = {static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 8),
                              static_cast<uint8_t>(u)};
        out.insert(out.end(), b, b + 4);
    }
    void zeros(size_t n) { out.insert(out.end(), n, 0); }
    void name(const std::string& text) {
        const size_t n = std::min(text.size(), kPresetNameSize - 1);  // keeps a terminator
        out.insert(out.end(), text.begin(), text.begin() + static_cast<ptrdiff_t>(n));
        zeros(kPresetNameSize - n);
    }
    void bytes(const std::vector<uint8_t>& b) { out.insert(out.end(), b.begin(), b.end()); }
    // Fills in the byte size of the rest of the file, after the magic and the size.
    std::vector<uint8_t> finish() {
        const auto rest = static_cast<uint32_t>(out.size() - 8);
        for (int k = 0; k < 4; ++k) out[4 + static_cast<size_t>(k)] = static_cast<uint8_t>(rest >> (24 - 8 * k));
        return std::move(out);
    }
    std::vector<uint8_t> out;
};

void sizeMismatch() { throw ToolError("its size fields disagree with the file's length (truncated or corrupt)"); }

// Header common to every form: magic, byte size, form, version, unique ID, fx version.
int32_t checkHeader(const Reader& r, int32_t expectedId, Preset& preset) {
    if (r.size() < 8 || r.i32(0) != kChunkMagic) throw ToolError("not a VST preset file (no 'CcnK' magic)");
    const int64_t byteSize = r.i32(4);
    if (byteSize < 0 || static_cast<uint64_t>(byteSize) + 8 != r.size()) sizeMismatch();
    const int32_t form = r.i32(8);
    if (form != kProgramChunkForm && form != kBankChunkForm && form != kProgramParamsForm && form != kBankParamsForm)
        throw ToolError("unknown preset form '" + fourCCText(form) + "'");
    preset.version = r.i32(12);
    preset.uniqueId = r.i32(16);
    preset.fxVersion = r.i32(20);
    if (preset.uniqueId != expectedId)
        throw ToolError("the preset belongs to plug-in '" + fourCCText(preset.uniqueId) + "', not '" +
                        fourCCText(expectedId) + "'");
    const bool bank = form == kBankChunkForm || form == kBankParamsForm;
    const int32_t newest = bank ? 2 : 1;
    if (preset.version < 1 || preset.version > newest)
        throw ToolError("unsupported preset format version " + std::to_string(preset.version));
    return form;
}

// One 'FxCk' record, a whole .fxp or a program inside an 'FxBk' bank.
PresetProgram readParamsProgram(const Reader& r) {
    const int64_t count = r.i32(24);
    if (count < 0 || kParamsProgramHeader + 4 * static_cast<uint64_t>(count) != r.size()) sizeMismatch();
    PresetProgram program;
    program.name = r.name(28);
    for (int64_t i = 0; i < count; ++i) program.params.push_back(r.f32(kParamsProgramHeader + 4 * static_cast<size_t>(i)));
    return program;
}

std::vector<uint8_t> readChunk(const Reader& r, size_t header) {
    if (r.size() < header) sizeMismatch();
    const int64_t size = r.i32(header - 4);
    if (size < 0 || header + static_cast<uint64_t>(size) != r.size()) sizeMismatch();
    return r.bytes(header, static_cast<size_t>(size));
}

}  // namespace

std::string fourCCText(int32_t id) {
    const auto u = static_cast<uint32_t>(id);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((u >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

Preset parsePreset(const std::vector<uint8_t>& bytes, int32_t expectedId) {
    Preset preset;
    const Reader file(bytes, 0, bytes.size());
    const int32_t form = checkHeader(file, expectedId, preset);
    if (form == kProgramChunkForm) {
        preset.kind = Preset::ProgramChunk;
        preset.name = file.name(28);
        preset.chunk = readChunk(file, kProgramHeaderSize);
    } else if (form == kBankChunkForm) {
        preset.kind = Preset::BankChunk;
        if (preset.version >= 2) preset.currentProgram = file.i32(28);
        preset.chunk = readChunk(file, kBankHeaderSize);
    } else if (form == kProgramParamsForm) {
        preset.kind = Preset::ProgramParams;
        preset.programs.push_back(readParamsProgram(file));
        preset.name = preset.programs[0].name;
    } else {
        preset.kind = Preset::BankParams;
        const int64_t count = file.i32(24);
        if (preset.version >= 2) preset.currentProgram = file.i32(28);
        if (count < 0 || bytes.size() < kParamsBankHeader) sizeMismatch();
        size_t offset = kParamsBankHeader;
        for (int64_t k = 0; k < count; ++k) {
            if (bytes.size() - offset < 8) sizeMismatch();
            const Reader head(bytes, offset, bytes.size());
            const int64_t recordSize = static_cast<int64_t>(static_cast<uint32_t>(head.i32(4))) + 8;
            if (recordSize > static_cast<int64_t>(bytes.size() - offset)) sizeMismatch();
            const Reader record(bytes, offset, offset + static_cast<size_t>(recordSize));
            Preset inner;
            if (checkHeader(record, expectedId, inner) != kProgramParamsForm)
                throw ToolError("a bank of parameters holds a record that is not a program ('FxCk')");
            preset.programs.push_back(readParamsProgram(record));
            offset += static_cast<size_t>(recordSize);
        }
        if (offset != bytes.size()) sizeMismatch();
    }
    return preset;
}

std::vector<uint8_t> writeProgramFile(int32_t uniqueId, int32_t fxVersion, int32_t numParams, const std::string& name,
                                      const std::vector<uint8_t>& chunk) {
    Writer w;
    w.i32(kChunkMagic);
    w.i32(0);
    w.i32(kProgramChunkForm);
    w.i32(1);
    w.i32(uniqueId);
    w.i32(fxVersion);
    w.i32(numParams);
    w.name(name);
    w.i32(static_cast<int32_t>(chunk.size()));
    w.bytes(chunk);
    return w.finish();
}

std::vector<uint8_t> writeBankFile(int32_t uniqueId, int32_t fxVersion, int32_t numPrograms, int32_t currentProgram,
                                   const std::vector<uint8_t>& chunk) {
    Writer w;
    w.i32(kChunkMagic);
    w.i32(0);
    w.i32(kBankChunkForm);
    w.i32(2);
    w.i32(uniqueId);
    w.i32(fxVersion);
    w.i32(numPrograms);
    w.i32(currentProgram);
    w.zeros(124);
    w.i32(static_cast<int32_t>(chunk.size()));
    w.bytes(chunk);
    return w.finish();
}
