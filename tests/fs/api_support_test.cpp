#include <gtest/gtest.h>

#include <cstdlib>

#include "fs/api_support.hpp"
#include "fs/directory_listing.hpp"
#include "fs/path_attributes.hpp"

namespace ferrowick::fs {
namespace {

// Each check runs in a freshly started copy of the test program, where no file operation
// has run yet.
class ApiSupportDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void ExitWith(bool ok) { std::exit(ok ? 0 : 1); }

TEST_F(ApiSupportDeathTest, NothingIsSetBeforeTheFirstOperation) {
    EXPECT_EXIT(
        {
            const ApiSupport& s = CurrentApiSupport();
            ExitWith(!s.ProbeDone && !s.IsNT && !s.WideAttributes && !s.WideFindFirst && !s.WideFindNext &&
                     !s.WideCompressedSize && !s.WideShortPath);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ApiSupportDeathTest, StartingASearchRunsTheProbeWhichPicksTheWideForm) {
    EXPECT_EXIT(
        {
            FileEntry entry;
            FindFirstEntry(u"/*", entry);
            CloseFind(entry);
            const ApiSupport& s = CurrentApiSupport();
            ExitWith(s.ProbeDone && s.IsNT && s.WideAttributes && s.WideFindFirst && s.WideFindNext &&
                     s.WideCompressedSize && s.WideShortPath && !s.NarrowCompressedSizePresent &&
                     !s.NarrowShortPathPresent);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ApiSupportDeathTest, AnAttributeQueryRunsTheProbeToo) {
    EXPECT_EXIT(
        {
            GetPathAttributes(u"/");
            ExitWith(CurrentApiSupport().ProbeDone && CurrentApiSupport().WideAttributes);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ferrowick::fs
