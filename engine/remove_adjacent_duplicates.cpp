#include <cstddef>

#include "engine/string_list.hpp"

namespace ferrowick {

void RemoveAdjacentDuplicates(StringList& list, Yielder& yielder) {
    if (list.empty()) return;
    const std::size_t upper = list.size() - 1;

    // Blanking: each entry swallows the equal entries that follow it. d reaches past the
    // blanks already made, so a run of three or more equal entries is cleared entirely.
    yielder.Yield();
    std::size_t d = 1;
    for (std::size_t j = 0; j <= upper;) {
        yielder.Yield();
        if (j + d > upper) break;
        if (!list[j].empty() && list[j + d] == list[j]) {
            list[j + d].clear();
            ++d;
            continue;  // the same j against the next one
        }
        if (!list[j].empty()) d = 1;
        ++j;
    }

    // Compaction: the non-empty entries move to the front, in order.
    yielder.Yield();
    std::size_t k = 0;
    for (std::size_t l = 0; l <= upper; ++l) {
        yielder.Yield();
        if (list[l].empty()) continue;
        if (k != l) list[k] = std::move(list[l]);
        ++k;
    }
    if (k > 0) list.resize(k);
}

}  // namespace ferrowick
