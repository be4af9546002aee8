#pragma once
// Which names a search pattern selects. "*" and "*.*" select every name, also names
// without a dot; otherwise "?" stands for one UTF-16 unit and "*" for any run of them.
// Names compare case-sensitively, as the Linux file system does.
#include <string_view>

namespace ferrowick::fs {

bool HasWildcards(std::u16string_view pattern);
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);

}  // namespace ferrowick::fs
