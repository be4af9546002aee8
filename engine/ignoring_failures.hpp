#pragma once
// Once folder creation has started, a failing store call is skipped and the work goes on
// with the next statement. Attempt runs one such statement: it swallows the store's
// failure and hands back its description, so a caller that must know (a missing parent
// folder, a message that could not be imported) can look at it, and others can ignore it.
#include <memory>
#include <optional>
#include <string>

#include "engine/store_service.hpp"

namespace ferrowick {

// A store object from an earlier statement that may have failed: using one that was never
// obtained fails like any other store call.
template <typename T>
T& Held(const std::shared_ptr<T>& object) {
    if (!object) throw StoreFailure(u"Object variable not set");
    return *object;
}

template <typename Statement>
std::optional<std::u16string> Attempt(Statement&& statement) {
    try {
        statement();
        return std::nullopt;
    } catch (const StoreFailure& failure) {
        return failure.Description();
    }
}

}  // namespace ferrowick
