// Builds the factory bank resource from its text source.
// Usage: orvan_make_bank SOURCE.txt OUTPUT
// The source lists the 16 factory programs, one per line: a quoted name of at most 24
// characters, then the 18 normalised parameter values. Blank lines and lines starting
// with # are skipped. The output holds 32 streamed program records of 390 bytes,
// little-endian: the 16 programs, then "Empty 17" .. "Empty 32" with all values zero.
// Every MIDI controller is -1 (none); reserved and unused bytes are zero.
// A malformed source fails with a message naming the line, and leaves OUTPUT untouched.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "plugin/program_record.h"

namespace {

constexpr int kResourceRecords = static_cast<int>(kFactoryResourceSize / kProgramStreamSize);
constexpr int kNumValues = kNumParams;
constexpr size_t kNameLength = sizeof(QB_ProgramRecord::name);

struct Program {
    std::string name;
    float values[kNumValues] = {};
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Parses one program line; on failure sets `error` and answers false.
bool parseProgram(const std::string& line, Program& out, std::string& error) {
    size_t pos = 0;
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '"') {
        error = "expected a quoted program name";
        return false;
    }
    const size_t close = line.find('"', pos + 1);
    if (close == std::string::npos) {
        error = "the program name has no closing quote";
        return false;
    }
    out.name = line.substr(pos + 1, close - pos - 1);
    if (out.name.empty() || out.name.size() > kNameLength) {
        error = "a program name has 1 to " + std::to_string(kNameLength) + " characters";
        return false;
    }
    for (char c : out.name) {
        if (c < 0x20 || c > 0x7e) {
            error = "the program name holds a character that is not printable ASCII";
            return false;
        }
    }
    pos = close + 1;
    int count = 0;
    while (true) {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size()) break;
        size_t end = pos;
        while (end < line.size() && !isBlank(line[end])) ++end;
        const std::string token = line.substr(pos, end - pos);
        pos = end;
        if (count == kNumValues) {
            error = "more than " + std::to_string(kNumValues) + " values";
            return false;
        }
        char* stop = nullptr;
        errno = 0;
        const float v = std::strtof(token.c_str(), &stop);
        if (stop == token.c_str() || *stop != '\0' || errno == ERANGE || !std::isfinite(v)) {
            error = "value " + std::to_string(count) + " (\"" + token + "\") is not a number";
            return false;
        }
        if (v < 0.0f || v > 1.0f) {
            error = "value " + std::to_string(count) + " (" + token + ") is outside 0..1";
            return false;
        }
        out.values[count++] = v;
    }
    if (count != kNumValues) {
        error = "expected " + std::to_string(kNumValues) + " values, found " + std::to_string(count);
        return false;
    }
    return true;
}

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, static_cast<uint16_t>(v));
    put16(p + 2, static_cast<uint16_t>(v >> 16));
}

// Writes one streamed record; the bytes not written here stay zero.
void putRecord(uint8_t* record, const Program& program) {
    for (int i = 0; i < kNumValues; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &program.values[i], sizeof bits);
        put32(record + offsetof(QB_ProgramRecord, values) + 4 * i, bits);
    }
    for (int i = 0; i < kNumValues; ++i)
        put16(record + offsetof(QB_ProgramRecord, midiControllers) + 2 * i, 0xffffu);
    std::memcpy(record + offsetof(QB_ProgramRecord, name), program.name.data(), program.name.size());
}

int fail(const std::string& message) {
    std::fprintf(stderr, "orvan_make_bank: %s\n", message.c_str());
    // The message must be in the file or pipe before the exit status can be seen.
    std::fflush(stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE.txt OUTPUT\n", argc > 0 ? argv[0] : "orvan_make_bank");
        return 2;
    }
    const std::string sourcePath = argv[1];
    const std::string outPath = argv[2];

    std::ifstream source(sourcePath);
    if (!source) return fail(sourcePath + ": cannot be read");

    std::vector<Program> programs;
    std::string line;
    int lineNumber = 0;
    while (std::getline(source, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        Program program;
        std::string error;
        if (!parseProgram(line, program, error))
            return fail(sourcePath + ":" + std::to_string(lineNumber) + ": " + error);
        if (static_cast<int>(programs.size()) == kNumPrograms)
            return fail(sourcePath + ":" + std::to_string(lineNumber) + ": more than " +
                        std::to_string(kNumPrograms) + " programs");
        programs.push_back(program);
    }
    if (source.bad()) return fail(sourcePath + ": read error");
    if (static_cast<int>(programs.size()) != kNumPrograms)
        return fail(sourcePath + ": expected " + std::to_string(kNumPrograms) + " programs, found " +
                    std::to_string(programs.size()));

    for (int k = kNumPrograms; k < kResourceRecords; ++k) {
        Program empty;
        empty.name = "Empty " + std::to_string(k + 1);
        programs.push_back(empty);
    }
    std::vector<uint8_t> image(kFactoryResourceSize, 0);
    for (int k = 0; k < kResourceRecords; ++k) putRecord(image.data() + k * kProgramStreamSize, programs[k]);

    // Written beside the output and renamed, so a failed run leaves no partial file.
    const std::string tmpPath = outPath + ".tmp";
    FILE* out = std::fopen(tmpPath.c_str(), "wb");
    if (out == nullptr) return fail(tmpPath + ": " + std::strerror(errno));
    const bool written = std::fwrite(image.data(), 1, image.size(), out) == image.size();
    const bool closed = std::fclose(out) == 0;
    // The Windows runtime's rename does not replace an existing file: a rebuild removes
    // the old bank first (the new one is complete beside it by then).
    bool renamed = closed && written && std::rename(tmpPath.c_str(), outPath.c_str()) == 0;
    if (closed && written && !renamed && std::remove(outPath.c_str()) == 0)
        renamed = std::rename(tmpPath.c_str(), outPath.c_str()) == 0;
    if (!renamed) {
        const int err = errno;
        std::remove(tmpPath.c_str());
        return fail(outPath + ": cannot be written: " + std::strerror(err));
    }
    return 0;
}
