#pragma once
// Runs the real ferrowick binary as a user or a script would, keeping its standard output,
// standard error and exit status apart; and starts one to be signalled while it runs.
#ifdef _WIN32
#include <windows.h>

#include "cli/win32/command_line_quoting.hpp"
#include "fs/text.hpp"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace ferrowick::cli::testing {

struct CliResult {
    int status = -1;  // the exit status; -1 when ended by a signal
    std::string out, err;
};

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

#ifdef _WIN32
// Started with its output going to files in `dir`; `env` entries ("NAME=value", or "NAME"
// alone to remove it) change the environment it inherits. ferrowick.exe is a Windows
// program like the test itself (under Wine both are).
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
               const std::vector<std::string>& env = {})
        : out_(dir / ".stdout"), err_(dir / ".stderr") {
        std::u16string line = QuoteArgument(FromUtf8(FERROWICK_BINARY));
        for (const std::string& a : args) line += u" " + QuoteArgument(FromUtf8(a));
        std::wstring commandLine(line.begin(), line.end());
        std::wstring environment = Environment(env);
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const auto open = [&](const std::filesystem::path& path, DWORD access, DWORD disposition) {
            return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0,
                               nullptr);
        };
        const HANDLE in = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
        const HANDLE out = open(out_, GENERIC_WRITE, CREATE_ALWAYS);
        const HANDLE err = open(err_, GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                           environment.data(), nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
        for (HANDLE h : {in, out, err})
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    ~CliProcess() {
        if (process_) CloseHandle(process_);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    std::string ErrSoFar() const { return ReadText(err_); }

    // Waits (up to a minute) until standard error holds `text`; false when it never did.
    bool WaitForErr(const std::string& text) const {
        for (int i = 0; i < 6000; ++i) {
            if (ErrSoFar().find(text) != std::string::npos) return true;
            if (!process_ || WaitForSingleObject(process_, 10) == WAIT_OBJECT_0)
                return ErrSoFar().find(text) != std::string::npos;
        }
        return false;
    }

    CliResult Wait() {
        CliResult r;
        if (process_) {
            WaitForSingleObject(process_, INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(process_, &code);
            r.status = static_cast<int>(code);
        }
        r.out = ReadText(out_);
        r.err = ReadText(err_);
        return r;
    }

private:
    static std::wstring Environment(const std::vector<std::string>& changes) {
        std::vector<std::wstring> entries;
        if (wchar_t* block = GetEnvironmentStringsW()) {
            for (const wchar_t* at = block; *at; at += wcslen(at) + 1) entries.emplace_back(at);
            FreeEnvironmentStringsW(block);
        }
        for (const std::string& change : changes) {
            const std::u16string c = FromUtf8(change);
            const std::wstring wide(c.begin(), c.end());
            const std::wstring name = wide.substr(0, wide.find(L'=')) + L"=";
            std::erase_if(entries,
                          [&](const std::wstring& e) { return _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0; });
            if (wide.find(L'=') != std::wstring::npos) entries.push_back(wide);
        }
        std::wstring block;
        for (const auto& e : entries) block.append(e).push_back(L'\0');
        block.push_back(L'\0');
        return block;
    }

    std::filesystem::path out_, err_;
    HANDLE process_ = nullptr;
};
#else
// Started with its output going to files in `dir`; `env` entries ("NAME=value", or "NAME"
// alone to remove it) change the environment it inherits.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
               const std::vector<std::string>& env = {})
        : out_(dir / ".stdout"), err_(dir / ".stderr") {
        pid_ = ::fork();
        if (pid_ == 0) {
            for (const std::string& e : env) {
                const auto eq = e.find('=');
                if (eq == std::string::npos)
                    ::unsetenv(e.c_str());
                else
                    ::setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
            }
            const int in = ::open("/dev/null", O_RDONLY);
            const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv{const_cast<char*>(FERROWICK_BINARY)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(FERROWICK_BINARY, argv.data());
            ::_exit(127);
        }
    }

    pid_t Pid() const { return pid_; }
    std::string ErrSoFar() const { return ReadText(err_); }

    // Waits (up to a minute) until standard error holds `text`; false when it never did.
    bool WaitForErr(const std::string& text) const {
        for (int i = 0; i < 6000; ++i) {
            if (ErrSoFar().find(text) != std::string::npos) return true;
            if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
            if (reaped_) return ErrSoFar().find(text) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    CliResult Wait() {
        if (!reaped_) ::waitpid(pid_, &status_, 0);
        reaped_ = true;
        CliResult r;
        r.status = WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
        r.out = ReadText(out_);
        r.err = ReadText(err_);
        return r;
    }

private:
    std::filesystem::path out_, err_;
    pid_t pid_ = -1;
    mutable int status_ = 0;
    mutable bool reaped_ = false;
};

#endif

inline CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& dir,
                        const std::vector<std::string>& env = {}) {
    return CliProcess(args, dir, env).Wait();
}

}  // namespace ferrowick::cli::testing
