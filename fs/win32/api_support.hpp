#pragma once
// Which form of the Windows file functions the layer calls: the wide form (UTF-16 names,
// extended-length paths) or the narrow form (names in the ANSI code page, paths as given).
// Decided once per process, on the first call that needs it: on the NT family every file
// operation is wide; elsewhere narrow, and the narrow compressed-size and short-path calls
// only where kernel32 exports them.
#include <windows.h>

namespace ferrowick::fs::win32 {

struct ApiSupport {
    bool ProbeDone = false;
    bool IsNT = false;
    bool WideAttributes = false;
    bool WideFindFirst = false;
    bool WideFindNext = false;
    bool WideCompressedSize = false;  // switched off when the system says it is not implemented
    bool WideShortPath = false;
    bool NarrowCompressedSizePresent = false;
    bool NarrowShortPathPresent = false;
    bool VersionExWPresent = false;  // switched off when the call fails
    bool VersionExAPresent = false;
};

// What the probe looks at in kernel32: each entry null when not exported. `Loaded` false
// when the module itself could not be loaded.
struct KernelExports {
    bool Loaded = false;
    BOOL(WINAPI* GetVersionExW)(OSVERSIONINFOW*) = nullptr;
    BOOL(WINAPI* GetVersionExA)(OSVERSIONINFOA*) = nullptr;
    DWORD(WINAPI* GetVersion)() = nullptr;
    bool HasGetCompressedFileSizeA = false;
    bool HasGetShortPathNameA = false;
};

// The capability set decided from `exports`; the probe proper, apart so it can be run on
// made-up exports.
ApiSupport ProbeApiSupport(const KernelExports& exports);

// The exports of a loaded kernel32 (null: not loaded), found by GetProcAddress.
KernelExports ExportsOf(HMODULE kernel);

// Loads kernel32, probes it and releases it, once per process; later calls do nothing.
void InitApiSupport();

// The process's capability set, probed first when it has not been. Operations read it
// and may switch single flags off.
ApiSupport& Api();

// The set as it stands, without probing (all false before the first operation).
const ApiSupport& CurrentApiSupport();

// For tests: replace the set (ProbeDone included), e.g. to force the narrow forms.
void ReplaceApiSupport(const ApiSupport& support);

}  // namespace ferrowick::fs::win32
