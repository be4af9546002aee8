#include "fs/win32/api_support.hpp"

#include <atomic>
#include <mutex>

#include "fs/last_error.hpp"

namespace ferrowick::fs::win32 {
namespace {

constexpr DWORD kPlatformNT = 2;  // VER_PLATFORM_WIN32_NT

ApiSupport support;
std::mutex probeMutex;
std::atomic<bool> probed{false};

// The platform identifier. A variant that fails switches itself off and the next is tried,
// so the chain always ends with an answer (GetVersion never fails).
DWORD PlatformId(const KernelExports& exports, ApiSupport& set) {
    for (;;) {
        if (set.VersionExWPresent) {
            OSVERSIONINFOW info{};
            info.dwOSVersionInfoSize = sizeof info;  // 276
            if (exports.GetVersionExW(&info)) return info.dwPlatformId;
            RecordLastError();
            set.VersionExWPresent = false;
            continue;
        }
        if (set.VersionExAPresent) {
            OSVERSIONINFOA info{};
            info.dwOSVersionInfoSize = sizeof info;  // 148
            if (exports.GetVersionExA(&info)) return info.dwPlatformId;
            RecordLastError();
            set.VersionExAPresent = false;
            continue;
        }
        const DWORD version = exports.GetVersion != nullptr ? exports.GetVersion() : ::GetVersion();
        return (version & 0x80000000u) != 0 ? 1 : kPlatformNT;
    }
}

}  // namespace

ApiSupport ProbeApiSupport(const KernelExports& exports) {
    ApiSupport set;
    set.ProbeDone = true;
    if (!exports.Loaded) return set;  // narrow forms throughout
    set.VersionExAPresent = exports.GetVersionExA != nullptr;
    set.VersionExWPresent = exports.GetVersionExW != nullptr;
    set.IsNT = PlatformId(exports, set) == kPlatformNT;
    set.NarrowCompressedSizePresent = exports.HasGetCompressedFileSizeA;
    set.NarrowShortPathPresent = exports.HasGetShortPathNameA;
    if (set.IsNT) {
        set.WideAttributes = set.WideFindFirst = set.WideFindNext = true;
        set.WideCompressedSize = set.WideShortPath = true;
    }
    return set;
}

KernelExports ExportsOf(HMODULE kernel) {
    KernelExports exports;
    if (kernel == nullptr) return exports;
    exports.Loaded = true;
    // Through void(*)(): the generic pointer type that any function pointer may pass through.
    const auto find = [kernel](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)); };
    exports.GetVersionExW = reinterpret_cast<BOOL(WINAPI*)(OSVERSIONINFOW*)>(find("GetVersionExW"));
    exports.GetVersionExA = reinterpret_cast<BOOL(WINAPI*)(OSVERSIONINFOA*)>(find("GetVersionExA"));
    exports.GetVersion = reinterpret_cast<DWORD(WINAPI*)()>(find("GetVersion"));
    exports.HasGetCompressedFileSizeA = find("GetCompressedFileSizeA") != nullptr;
    exports.HasGetShortPathNameA = find("GetShortPathNameA") != nullptr;
    return exports;
}

// Listing threads may reach the first operation together: one of them probes.
void InitApiSupport() {
    std::lock_guard lock(probeMutex);
    if (probed.load(std::memory_order_acquire)) return;
    support.ProbeDone = true;
    HMODULE kernel = LoadLibraryA("kernel32");
    support = ProbeApiSupport(ExportsOf(kernel));
    if (kernel != nullptr) FreeLibrary(kernel);
    probed.store(true, std::memory_order_release);
}

ApiSupport& Api() {
    if (!probed.load(std::memory_order_acquire)) InitApiSupport();
    return support;
}

const ApiSupport& CurrentApiSupport() { return support; }

void ReplaceApiSupport(const ApiSupport& replacement) {
    std::lock_guard lock(probeMutex);
    support = replacement;
    probed.store(replacement.ProbeDone, std::memory_order_release);
}

}  // namespace ferrowick::fs::win32
