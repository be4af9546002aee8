#include <windows.h>

#include "cli/win32/command_line_quoting.hpp"
#include "fs/text.hpp"
#include "support/run_program.hpp"

namespace ferrowick::testing {

ProgramRun RunFerrowick(const std::vector<std::string>& args) {
    ProgramRun run;
    std::u16string line = cli::QuoteArgument(FromUtf8(FERROWICK_BINARY));
    for (const std::string& a : args) line += u" " + cli::QuoteArgument(FromUtf8(a));
    std::wstring commandLine(line.begin(), line.end());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null;
    startup.hStdOutput = writeEnd;
    startup.hStdError = null;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) run.out.append(buffer, n);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.status = static_cast<int>(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    // Standard output is in text mode on Windows: lines end in CR LF, as Windows programs
    // expect of redirected text. The tests compare lines.
    for (std::size_t at; (at = run.out.find("\r\n")) != std::string::npos;) run.out.erase(at, 1);
    return run;
}

}  // namespace ferrowick::testing
