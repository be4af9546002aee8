#include <gtest/gtest.h>

#include "engine/creation_stamp.hpp"
#include "engine/progress_text.hpp"
#include "fs/text.hpp"

namespace ferrowick {
namespace {

TEST(CreationStamp, DropsLeadingZerosExceptInYearAndSeconds) {
    EXPECT_EQ(ToUtf8(CreationStamp({2026, 12, 6, 21, 5, 9})), "6.12.26 21.5.09");
    EXPECT_EQ(ToUtf8(CreationStamp({2003, 1, 31, 0, 0, 0})), "31.1.03 0.0.00");
    EXPECT_EQ(ToUtf8(CreationStamp({2100, 7, 4, 23, 59, 59})), "4.7.00 23.59.59");
}

TEST(Progress, HalvesRoundToTheEvenNeighbour) {
    EXPECT_FLOAT_EQ(ProgressPercent(1, 8), 12.5f);
    EXPECT_EQ(ToUtf8(PercentCompleteText(ProgressPercent(1, 8))), "12% Complete");
    EXPECT_FLOAT_EQ(ProgressPercent(3, 8), 37.5f);
    EXPECT_EQ(ToUtf8(PercentCompleteText(ProgressPercent(3, 8))), "38% Complete");
    EXPECT_EQ(ToUtf8(PercentCompleteText(ProgressPercent(8, 8))), "100% Complete");
    EXPECT_EQ(RoundHalfToEven(0.5), 0);
    EXPECT_EQ(RoundHalfToEven(1.5), 2);
    EXPECT_EQ(RoundHalfToEven(2.5), 2);
    EXPECT_EQ(RoundHalfToEven(66.67), 67);
    EXPECT_EQ(RoundHalfToEven(33.3), 33);
}

TEST(Progress, TheBarIsSinglePrecision) {
    EXPECT_EQ(ProgressPercent(1, 3), static_cast<float>(1.0 / 3.0 * 100.0));
    EXPECT_EQ(ToUtf8(PercentCompleteText(ProgressPercent(2, 3))), "67% Complete");
}

}  // namespace
}  // namespace ferrowick
