#pragma once
// The description of the store failure a call ends in, for tests that check what a user is told.
#include <functional>
#include <string>

#include "seams/store_service.hpp"

namespace ferrowick::testing {

inline std::u16string FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const StoreFailure& f) {
        return f.Description();
    }
    return u"(no failure)";
}

}  // namespace ferrowick::testing
