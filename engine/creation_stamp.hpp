#pragma once
// The start time of one engine call as it appears in the proposed file name and the
// store's display name: "d.m.YY H.m.ss" (6 December 2026, 21:05:09 gives 6.12.26 21.5.09).
#include <string>

#include "seams/clock.hpp"

namespace ferrowick {

std::u16string CreationStamp(const LocalDateTime& time);

}  // namespace ferrowick
