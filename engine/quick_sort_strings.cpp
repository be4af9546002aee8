#include <utility>

#include "engine/string_list.hpp"

namespace ferrowick {
namespace {

// (low + high) / 2 rounded to the nearest whole number, a half going to the even one.
std::int64_t MiddleIndex(std::int64_t low, std::int64_t high) {
    const std::int64_t sum = low + high;
    if (sum % 2 == 0) return sum / 2;
    const std::int64_t below = (sum - 1) / 2;  // sum is odd: the two neighbours differ by one
    return below % 2 == 0 ? below : below + 1;
}

}  // namespace

// The two parts of a partition are disjoint, so the order in which they are sorted does
// not change the result: the smaller one recurses and the larger one loops, which keeps
// the depth logarithmic whatever the input.
void QuickSortStrings(StringList& list, std::int64_t low, std::int64_t high, Yielder& yielder) {
    if (list.empty() || low < 0 || high >= static_cast<std::int64_t>(list.size())) return;
    while (low < high) {
        const std::u16string pivot = list[MiddleIndex(low, high)];
        std::int64_t i = low;
        std::int64_t j = high;
        while (i <= j) {
            yielder.Yield();
            while (list[i] < pivot && i < high) {
                ++i;
                yielder.Yield();
            }
            while (pivot < list[j] && j > low) {
                --j;
                yielder.Yield();
            }
            if (i <= j) {
                yielder.Yield();
                std::swap(list[i], list[j]);
                ++i;
                --j;
            }
        }
        yielder.Yield();
        if (j - low < high - i) {
            if (low < j) QuickSortStrings(list, low, j, yielder);
            low = i;
        } else {
            if (i < high) QuickSortStrings(list, i, high, yielder);
            high = j;
        }
    }
}

}  // namespace ferrowick
