#include "engine/progress_text.hpp"

#include <cmath>

#include "fs/text.hpp"

namespace ferrowick {

float ProgressPercent(std::int32_t done, std::int32_t total) {
    if (total == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

std::int64_t RoundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    auto whole = static_cast<std::int64_t>(below);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0)) ++whole;
    return whole;
}

std::u16string PercentCompleteText(float percent) { return DecimalText(RoundHalfToEven(percent)) + u"% Complete"; }

}  // namespace ferrowick
