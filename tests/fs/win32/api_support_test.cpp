// The capability probe: which form of the file functions it picks, down every branch of
// its version query, on made-up exports and on the real kernel32.
#include <windows.h>
#include <gtest/gtest.h>

#include "fs/path_attributes.hpp"
#include "fs/win32/api_support.hpp"

namespace ferrowick::fs::win32 {
namespace {

int versionCalls = 0;  // which variants the chain reached, one digit each: W=1, A=2, plain=3

BOOL WINAPI FailingW(OSVERSIONINFOW*) {
    versionCalls = versionCalls * 10 + 1;
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
BOOL WINAPI FailingA(OSVERSIONINFOA*) {
    versionCalls = versionCalls * 10 + 2;
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
template <DWORD platform>
BOOL WINAPI AnswersA(OSVERSIONINFOA* info) {
    versionCalls = versionCalls * 10 + 2;
    EXPECT_EQ(info->dwOSVersionInfoSize, 148u);
    info->dwPlatformId = platform;
    return TRUE;
}
template <DWORD platform>
BOOL WINAPI AnswersW(OSVERSIONINFOW* info) {
    versionCalls = versionCalls * 10 + 1;
    EXPECT_EQ(info->dwOSVersionInfoSize, 276u);
    info->dwPlatformId = platform;
    return TRUE;
}
template <DWORD version>
DWORD WINAPI Version() {
    versionCalls = versionCalls * 10 + 3;
    return version;
}

bool AllWide(const ApiSupport& s) {
    return s.WideAttributes && s.WideFindFirst && s.WideFindNext && s.WideCompressedSize && s.WideShortPath;
}
bool NoneWide(const ApiSupport& s) {
    return !s.WideAttributes && !s.WideFindFirst && !s.WideFindNext && !s.WideCompressedSize && !s.WideShortPath;
}

KernelExports Exports() {
    KernelExports exports;
    exports.Loaded = true;
    exports.GetVersion = Version<0x0A00>;
    exports.HasGetCompressedFileSizeA = true;
    exports.HasGetShortPathNameA = true;
    return exports;
}

TEST(ApiProbe, AFailingWideVersionQueryEndsOnTheNarrowOne) {
    KernelExports exports = Exports();
    exports.GetVersionExW = FailingW;
    exports.GetVersionExA = AnswersA<VER_PLATFORM_WIN32_NT>;
    versionCalls = 0;
    const ApiSupport s = ProbeApiSupport(exports);
    EXPECT_EQ(versionCalls, 12);
    EXPECT_TRUE(s.ProbeDone);
    EXPECT_TRUE(s.IsNT);
    EXPECT_FALSE(s.VersionExWPresent) << "a failing variant switches itself off";
    EXPECT_TRUE(s.VersionExAPresent);
    EXPECT_TRUE(AllWide(s));
}

TEST(ApiProbe, BothExtendedQueriesFailingEndsOnGetVersion) {
    KernelExports exports = Exports();
    exports.GetVersionExW = FailingW;
    exports.GetVersionExA = FailingA;
    versionCalls = 0;
    ApiSupport s = ProbeApiSupport(exports);
    EXPECT_EQ(versionCalls, 123);
    EXPECT_FALSE(s.VersionExWPresent);
    EXPECT_FALSE(s.VersionExAPresent);
    EXPECT_TRUE(s.IsNT) << "bit 31 clear";
    EXPECT_TRUE(AllWide(s));

    exports.GetVersion = Version<0x80000004>;  // bit 31 set: the Windows 95 family
    s = ProbeApiSupport(exports);
    EXPECT_FALSE(s.IsNT);
    EXPECT_TRUE(NoneWide(s));
    EXPECT_TRUE(s.NarrowCompressedSizePresent);
    EXPECT_TRUE(s.NarrowShortPathPresent);
}

TEST(ApiProbe, OnlyTheNTPlatformGetsTheWideForms) {
    KernelExports exports = Exports();
    exports.GetVersionExW = AnswersW<VER_PLATFORM_WIN32_WINDOWS>;
    exports.HasGetShortPathNameA = false;
    versionCalls = 0;
    ApiSupport s = ProbeApiSupport(exports);
    EXPECT_EQ(versionCalls, 1) << "the first variant that answers ends the chain";
    EXPECT_FALSE(s.IsNT);
    EXPECT_TRUE(NoneWide(s));
    EXPECT_FALSE(s.NarrowShortPathPresent);

    exports.GetVersionExW = AnswersW<VER_PLATFORM_WIN32_NT>;
    s = ProbeApiSupport(exports);
    EXPECT_TRUE(s.IsNT);
    EXPECT_TRUE(AllWide(s));
}

TEST(ApiProbe, AnUnloadableKernelLeavesTheNarrowFormsThroughout) {
    const ApiSupport s = ProbeApiSupport(KernelExports{});
    EXPECT_TRUE(s.ProbeDone);
    EXPECT_FALSE(s.IsNT);
    EXPECT_TRUE(NoneWide(s));
    EXPECT_FALSE(s.NarrowCompressedSizePresent);
    EXPECT_FALSE(s.NarrowShortPathPresent);
}

TEST(ApiProbe, TheRealKernelIsNTWithEveryExport) {
    const KernelExports exports = ExportsOf(GetModuleHandleW(L"kernel32"));
    EXPECT_TRUE(exports.Loaded);
    EXPECT_NE(exports.GetVersionExW, nullptr);
    EXPECT_NE(exports.GetVersionExA, nullptr);
    EXPECT_TRUE(exports.HasGetCompressedFileSizeA);
    EXPECT_TRUE(exports.HasGetShortPathNameA);
    EXPECT_TRUE(AllWide(ProbeApiSupport(exports)));
}

TEST(ApiProbe, TheFirstOperationRunsTheProbe) {
    ReplaceApiSupport(ApiSupport{});
    EXPECT_FALSE(CurrentApiSupport().ProbeDone);
    EXPECT_TRUE(NoneWide(CurrentApiSupport())) << "nothing is wide before the probe";
    GetPathAttributes(u"C:\\");
    EXPECT_TRUE(CurrentApiSupport().ProbeDone);
    EXPECT_TRUE(CurrentApiSupport().IsNT);
    EXPECT_TRUE(AllWide(CurrentApiSupport()));
}

}  // namespace
}  // namespace ferrowick::fs::win32
