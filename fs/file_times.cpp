#include "fs/file_times.hpp"

#include <chrono>
#include <limits>

namespace ferrowick::fs {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kLargestConvertible = 0x7FFFFFFFFFFFFFFF;  // the platform refuses above
constexpr std::int32_t kLastYear = 9999;

}  // namespace

std::uint64_t FileTimeFromPosix(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -kSecondsFrom1601To1970) return 0;
    const auto since1601 = static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970);
    if (since1601 > (std::numeric_limits<std::uint64_t>::max() - 9999999) / kTicksPerSecond)
        return std::numeric_limits<std::uint64_t>::max();
    return since1601 * kTicksPerSecond + nanoseconds / 100;
}

void ConvertFileTime(std::uint64_t raw, FileTimeInfo& info) {
    using namespace std::chrono;
    info.Raw = raw;
    if (raw > kLargestConvertible) {
        info.Failed = true;
        return;
    }
    const std::int64_t posixSeconds = static_cast<std::int64_t>(raw / kTicksPerSecond) - kSecondsFrom1601To1970;
    const sys_seconds instant{seconds{posixSeconds}};
    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    if (static_cast<int>(date.year()) > kLastYear) {
        info.Failed = true;
        return;
    }
    const hh_mm_ss<seconds> time{instant - day};
    info.Value = CalendarTime{static_cast<int>(date.year()),
                              static_cast<int>(static_cast<unsigned>(date.month())),
                              static_cast<int>(static_cast<unsigned>(date.day())),
                              static_cast<int>(time.hours().count()),
                              static_cast<int>(time.minutes().count()),
                              static_cast<int>(time.seconds().count())};
    info.Failed = false;
}

}  // namespace ferrowick::fs
