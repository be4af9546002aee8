#pragma once
// A list of texts kept in order of UTF-16 code units (ordinal, case-sensitive), sorted
// and cleaned in place. Both helpers yield at every step so a long list keeps the
// windows live.
#include <cstdint>
#include <string>
#include <vector>

#include "seams/yielder.hpp"

namespace ferrowick {

using StringList = std::vector<std::u16string>;

// Sorts list[low..high] ascending (Hoare partitioning, middle pivot rounded half to even).
void QuickSortStrings(StringList& list, std::int64_t low, std::int64_t high, Yielder& yielder);

// On a sorted list: removes repeats and empty entries. A list left with no entry at all
// keeps its size and its empty entries.
void RemoveAdjacentDuplicates(StringList& list, Yielder& yielder);

}  // namespace ferrowick
