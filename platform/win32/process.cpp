#include "platform/process.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace {

// One argument quoted so that the program's runtime splits it back unchanged: inside
// quotes, backslashes count only before a quote.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') line.append(backslashes * 2 + 1, L'\\');
        else line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

}  // namespace

int qbRunAndWait(const std::vector<std::string>& argv, const std::string& errorPath) {
    if (argv.empty()) return -1;
    std::wstring line;
    for (const std::string& a : argv) appendQuoted(line, qbWide(a));

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE errors = CreateFileW(qbFullWidePath(errorPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (errors == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    const std::wstring program = qbFullWidePath(argv[0]);
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(errors);
    if (!started) return -1;
    CloseHandle(process.hThread);
    DWORD status = 0;
    const bool waited = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    // Exception codes (0xC0000000 and up) are how a crashed program ends, not an exit status.
    if (!waited || status >= 0xC0000000u) return -1;
    return static_cast<int>(status);
}
