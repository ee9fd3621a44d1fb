// The developer's bank file: the 16 programs in their streamed layout, saved in the
// user's data folder.
#pragma once

#include <cstddef>
#include <string>

// Where the bank is written: VST_PatchMemoryBanks.mem in the folder "Orvan EQ" of the
// user's data folder ($XDG_DATA_HOME when it is an absolute path, else ~/.local/share);
// on Windows "C:/VST_PatchMemoryBanks.mem". Empty when no data folder can be named (no
// home folder).
std::string qbBankFilePath();

// Writes size bytes to the bank file, creating its folders as needed. The bytes go to a
// temporary file beside it that replaces the old file only once completely written and
// flushed to the disk, so a failed write (a full disk, a crash, a read-only folder)
// leaves the previous file whole. Answers false when nothing was replaced; nothing is
// reported.
bool qbWriteBankFile(const void* data, size_t size);

// The same for any path whose folder exists.
bool qbReplaceFile(const std::string& path, const void* data, size_t size);
