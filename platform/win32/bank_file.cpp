#include "platform/bank_file.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/wide_text.h"

// On Windows the bank keeps its historical place.
std::string qbBankFilePath() { return "C:/VST_PatchMemoryBanks.mem"; }

bool qbWriteBankFile(const void* data, size_t size) { return qbReplaceFile(qbBankFilePath(), data, size); }

bool qbReplaceFile(const std::string& path, const void* data, size_t size) {
    // Written whole beside the old file, flushed, then moved over it.
    const std::wstring target = qbWide(path);
    const std::wstring partial = target + L".partial";
    HANDLE f = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        ok = WriteFile(f, p, chunk, &written, nullptr) != 0 && written == chunk;
        p += chunk;
        size -= chunk;
    }
    ok = FlushFileBuffers(f) != 0 && ok;
    ok = CloseHandle(f) != 0 && ok;
    if (ok) ok = MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(partial.c_str());
    return ok;
}
