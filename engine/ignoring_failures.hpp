#pragma once
// Once folder creation has started, a failing store call is skipped and the work goes on
// with the next statement. Attempt runs one such statement: it swallows the failure and
// hands back its description, so a caller that must know (a missing parent folder, a
// message that could not be imported) can look at it, and others can ignore it. A failure
// of any kind counts, running out of memory included: one file too big for the machine
// must not end the run and take the messages saved so far with it.
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "fs/text.hpp"
#include "seams/store_service.hpp"

namespace ferrowick {

// A store object from an earlier statement that may have failed: using one that was never
// obtained fails like any other store call.
template <typename T>
T& Held(const std::shared_ptr<T>& object) {
    if (!object) throw StoreFailure(u"Object variable not set");
    return *object;
}

inline constexpr char16_t kOutOfMemory[] = u"out of memory";

template <typename Statement>
std::optional<std::u16string> Attempt(Statement&& statement) {
    try {
        statement();
        return std::nullopt;
    } catch (const StoreFailure& failure) {
        return failure.Description();
    } catch (const std::bad_alloc&) {
        return std::u16string(kOutOfMemory);
    } catch (const std::exception& failure) {
        return FromUtf8(failure.what());
    }
}

}  // namespace ferrowick
