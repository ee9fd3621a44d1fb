#include "platform/bank_file.h"

#include <cstdio>

#if defined(_WIN32)
const char* const kQbBankFilePath = "C:/VST_PatchMemoryBanks.mem";
#else
const char* const kQbBankFilePath = "VST_PatchMemoryBanks.mem";
#endif

bool qbWriteBankFile(const void* data, size_t size) {
    FILE* f = std::fopen(kQbBankFilePath, "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, f) == size;
    return (std::fclose(f) == 0) && written;
}
