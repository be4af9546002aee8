#include <gtest/gtest.h>

#include "fs/file_times.hpp"

namespace ferrowick::fs {
namespace {

TEST(FileTimes, CountsHundredNanosecondsSince1601) {
    EXPECT_EQ(FileTimeFromPosix(0, 0), 116444736000000000ull);
    EXPECT_EQ(FileTimeFromPosix(1, 999), 116444736010000009ull);
    EXPECT_EQ(FileTimeFromPosix(-11644473600, 0), 0u);
    EXPECT_EQ(FileTimeFromPosix(-11644473601, 0), 0u) << "before 1601 cannot be written";

    FileTimeInfo info;
    ConvertFileTime(FileTimeFromPosix(951782400 + 3723, 500000000), info);  // 2000-02-29 01:02:03.5
    EXPECT_FALSE(info.Failed);
    EXPECT_EQ(info.Value, (CalendarTime{2000, 2, 29, 1, 2, 3}));
    ConvertFileTime(0, info);
    EXPECT_EQ(info.Value, (CalendarTime{1601, 1, 1, 0, 0, 0}));
}

TEST(FileTimes, BeyondYear9999FailsAndKeepsThePreviousValue) {
    FileTimeInfo info;
    ConvertFileTime(FileTimeFromPosix(0, 0), info);
    const CalendarTime before = info.Value;
    const std::uint64_t year10000 = FileTimeFromPosix(253402300800, 0);
    ConvertFileTime(year10000, info);
    EXPECT_TRUE(info.Failed);
    EXPECT_EQ(info.Raw, year10000);
    EXPECT_EQ(info.Value, before);
    ConvertFileTime(0xFFFFFFFFFFFFFFFFull, info);
    EXPECT_TRUE(info.Failed);
    EXPECT_EQ(info.Raw, 0xFFFFFFFFFFFFFFFFull);
    ConvertFileTime(FileTimeFromPosix(253402300799, 0), info);  // the last second of 9999
    EXPECT_FALSE(info.Failed);
    EXPECT_EQ(info.Value, (CalendarTime{9999, 12, 31, 23, 59, 59}));
}

}  // namespace
}  // namespace ferrowick::fs
