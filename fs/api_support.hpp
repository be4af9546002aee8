#pragma once
// Which form of the platform's file calls each operation uses. Windows offers a wide
// (UTF-16, extended-length path) and a narrow (ANSI code page) form; POSIX has one form
// that takes any name, so the probe fixes the set to the wide form. The probe runs
// lazily, on the first operation that needs it, and never again.

namespace ferrowick::fs {

struct ApiSupport {
    bool ProbeDone = false;
    bool IsNT = false;
    bool WideAttributes = false;
    bool WideFindFirst = false;
    bool WideFindNext = false;
    bool WideCompressedSize = false;
    bool WideShortPath = false;
    bool NarrowCompressedSizePresent = false;
    bool NarrowShortPathPresent = false;
    bool VersionExWidePresent = false;
    bool VersionExNarrowPresent = false;
};

// The capability set as it stands; all false until the first file operation.
const ApiSupport& CurrentApiSupport();

void InitApiSupport();

// Runs the probe when it has not run yet; every operation that picks a form calls this first.
inline void EnsureApiSupport() {
    if (!CurrentApiSupport().ProbeDone) InitApiSupport();
}

}  // namespace ferrowick::fs
