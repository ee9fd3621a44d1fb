// The developer's bank file: the 16 programs in their streamed layout.
#pragma once

#include <cstddef>

// The file the bank is written to: "C:/VST_PatchMemoryBanks.mem" on Windows,
// "VST_PatchMemoryBanks.mem" in the working directory elsewhere.
extern const char* const kQbBankFilePath;

// Creates or truncates the bank file and writes size bytes. Answers false when the file
// cannot be opened or written; nothing is reported.
bool qbWriteBankFile(const void* data, size_t size);
