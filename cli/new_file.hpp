#pragma once
// A new file written whole and flushed to the disk; an existing file of the name is left as
// it is and makes this fail.
#include <string>
#include <string_view>

namespace ferrowick::cli {

// `path` in UTF-8. Returns why it failed, empty on success.
std::string WriteNewFile(const std::string& path, std::string_view text);

}  // namespace ferrowick::cli
