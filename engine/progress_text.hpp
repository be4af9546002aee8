#pragma once
// The progress of one folder: the bar's value as a single-precision percentage and the
// label's whole-number text, a half rounding to the even neighbour (12.5 gives 12).
#include <cstdint>
#include <string>

namespace ferrowick {

float ProgressPercent(std::int32_t done, std::int32_t total);
std::int64_t RoundHalfToEven(double value);
std::u16string PercentCompleteText(float percent);

}  // namespace ferrowick
