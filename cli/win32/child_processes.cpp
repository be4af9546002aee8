// Children by CreateProcessW of this program's own file, without a console of their own;
// a thread per child reads its standard error, and the stop reaches them through an event.
#include "cli/child_processes.hpp"

#include <windows.h>

#include <memory>
#include <mutex>
#include <thread>

#include "cli/win32/command_line_quoting.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

struct Child {
    std::size_t index = 0;
    PROCESS_INFORMATION process{};
    HANDLE output = nullptr;  // the read end of the child's standard error
    std::thread reader;
    std::mutex lock;
    std::string received;  // read, not yet passed on
    bool ended = false;    // the child closed its end
};

std::wstring SelfPath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool Start(Child& child, const std::wstring& self, const std::vector<std::string>& arguments,
           const std::wstring& stopEvent) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    OPEN_EXISTING, 0, nullptr);

    std::u16string line = QuoteArgument(std::u16string(self.begin(), self.end()));
    for (const std::string& a : arguments) line += u" " + QuoteArgument(FromUtf8(a));
    std::wstring commandLine(line.begin(), line.end());

    // This process's environment and the stop event's name.
    std::wstring environment;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* at = block; *at; at += wcslen(at) + 1)
            if (_wcsnicmp(at, L"FERROWICK_STOP_EVENT=", 21) != 0) environment.append(at).push_back(L'\0');
        FreeEnvironmentStringsW(block);
    }
    environment.append(L"FERROWICK_STOP_EVENT=" + stopEvent).push_back(L'\0');
    environment.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null;
    startup.hStdOutput = null;  // the parent prints the last lines for all folders
    startup.hStdError = writeEnd;
    const BOOL started = CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS, environment.data(), nullptr,
                                        &startup, &child.process);
    CloseHandle(writeEnd);
    if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    CloseHandle(child.process.hThread);
    child.output = readEnd;
    child.reader = std::thread([&child] {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(child.output, buffer, sizeof buffer, &n, nullptr) && n > 0) {
            std::lock_guard<std::mutex> hold(child.lock);
            child.received.append(buffer, n);
        }
        std::lock_guard<std::mutex> hold(child.lock);
        child.ended = true;
    });
    return true;
}

}  // namespace

std::vector<ChildResult> RunChildren(const std::vector<std::vector<std::string>>& argumentLists, unsigned jobs,
                                     const StopRequests& stop,
                                     const std::function<void(std::size_t, std::string_view)>& onOutput,
                                     const std::function<void(std::size_t)>& onEnd) {
    const std::wstring self = SelfPath();
    const std::wstring stopEventName =
        L"ferrowick-stop-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    const HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, stopEventName.c_str());

    std::vector<ChildResult> results(argumentLists.size());
    std::vector<std::unique_ptr<Child>> running;
    std::size_t next = 0;
    bool forwarded = false;
    int endedBy = 0;
    while (true) {
        const int signal = stop.first();
        if (signal != 0 && !forwarded) {
            if (stopEvent) SetEvent(stopEvent);
            forwarded = true;
        }
        if (const int again = stop.second(); again != 0 && endedBy == 0) {
            endedBy = again;
            for (const auto& child : running) TerminateProcess(child->process.hProcess, 128 + again);
        }
        while (signal == 0 && running.size() < jobs && next < argumentLists.size()) {
            auto child = std::make_unique<Child>();
            child->index = next;
            if (!self.empty() && stopEvent && Start(*child, self, argumentLists[next], stopEventName)) {
                results[next].started = true;
                running.push_back(std::move(child));
            } else {
                results[next].failedToStart = true;
                onEnd(next);
            }
            ++next;
        }
        if (running.empty()) break;

        Sleep(100);
        for (auto& child : running) {
            std::string received;
            bool ended = false;
            {
                std::lock_guard<std::mutex> hold(child->lock);
                received.swap(child->received);
                ended = child->ended;
            }
            if (!received.empty()) onOutput(child->index, received);
            if (!ended) continue;
            child->reader.join();
            CloseHandle(child->output);
            child->output = nullptr;
            WaitForSingleObject(child->process.hProcess, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(child->process.hProcess, &code);
            CloseHandle(child->process.hProcess);
            ChildResult& result = results[child->index];
            if (endedBy != 0 && code == static_cast<DWORD>(128 + endedBy))
                result.signal = endedBy;
            else
                result.exitStatus = static_cast<int>(code);
            onEnd(child->index);
        }
        std::erase_if(running, [](const auto& child) { return child->output == nullptr; });
    }
    if (stopEvent) CloseHandle(stopEvent);
    return results;
}

}  // namespace ferrowick::cli
