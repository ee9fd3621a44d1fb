#include "platform/open_address.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

bool qbOpenAddress(const char* url) {
    if (url == nullptr || *url == '\0') return false;
    // The address goes in quotes, where the interpreter takes & and | literally; a quote
    // inside it is written as it is in a web address, %22. The empty title keeps start
    // from taking the quoted address as a window title.
    std::string quoted;
    for (const char* p = url; *p != '\0'; ++p) {
        if (*p == '"') quoted += "%22";
        else quoted += *p;
    }
    std::wstring line = L"cmd.exe /C start \"\" \"" + qbWide(quoted) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &startup, &process))
        return false;
    // Never waited for: the handles are released at once and the process runs on alone.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
