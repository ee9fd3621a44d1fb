// VST 2 preset files as hosts exchange them: .fxp holds one program, .fxb a bank.
// All integers and floats are 32-bit big-endian. This plug-in announces chunks, so
// we write the chunk forms ('FPCh', 'FBCh'); the parameter forms ('FxCk', 'FxBk')
// of plug-ins without chunks are read as well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PresetProgram {
    std::string name;
    std::vector<float> params;
};

struct Preset {
    enum Kind { ProgramChunk, BankChunk, ProgramParams, BankParams };
    Kind kind = ProgramChunk;
    int32_t version = 1;
    int32_t uniqueId = 0;
    int32_t fxVersion = 0;
    std::string name;              // program forms
    int32_t currentProgram = -1;   // banks of format version 2, else -1
    std::vector<uint8_t> chunk;    // chunk forms
    std::vector<PresetProgram> programs;  // parameter forms (one for a program file)

    bool isBank() const { return kind == BankChunk || kind == BankParams; }
};

// Layout constants of both files.
constexpr size_t kProgramHeaderSize = 60;  // up to and including the chunk size
constexpr size_t kBankHeaderSize = 160;
constexpr size_t kPresetNameSize = 28;

// Reads a preset file's bytes; throws ToolError naming what is wrong: the magic, the
// form, the unique ID (when it is not expectedId) or sizes that disagree with the
// file's length.
Preset parsePreset(const std::vector<uint8_t>& bytes, int32_t expectedId);

// A program file in chunk form.
std::vector<uint8_t> writeProgramFile(int32_t uniqueId, int32_t fxVersion, int32_t numParams,
                                      const std::string& name, const std::vector<uint8_t>& chunk);
// A bank file in chunk form, format version 2 (it records the current program).
std::vector<uint8_t> writeBankFile(int32_t uniqueId, int32_t fxVersion, int32_t numPrograms,
                                   int32_t currentProgram, const std::vector<uint8_t>& chunk);

std::string fourCCText(int32_t id);
