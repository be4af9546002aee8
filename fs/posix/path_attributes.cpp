#include "fs/path_attributes.hpp"

#include "fs/last_error.hpp"
#include "fs/path_separator.hpp"
#include "fs/posix/item_status.hpp"
#include "fs/posix/native_location.hpp"

namespace ferrowick::fs {
namespace {

// The last name of a path, trailing separators ignored; decides the hidden bit.
std::u16string_view LeafOf(std::u16string_view path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.remove_suffix(1);
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::int32_t GetPathAttributes(std::u16string_view path) {
    const NativeLocation location(path);
    if (location.Error() != 0) {
        RecordLastError(location.Error());
        return kInvalidAttributes;
    }
    int error = 0;
    const auto status = ReadItemStatus(location.Folder(), location.Rest(), LeafOf(path), false, error);
    if (!status) {
        RecordLastError(error);
        return kInvalidAttributes;
    }
    SetLastError(0);
    return static_cast<std::int32_t>(status->Attributes);
}

}  // namespace ferrowick::fs
