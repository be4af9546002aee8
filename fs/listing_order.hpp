#pragma once
// The order in which a listing hands out names, the same on every file system so that
// runs are repeatable: "." and ".." first, then by the upper-cased name compared unit by
// unit, ties (names differing only in case) by the name itself.
// Upper-casing covers ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic, one
// UTF-16 unit at a time; other units compare as they are.
#include <string>
#include <string_view>

namespace ferrowick::fs {

char16_t UpperCaseUnit(char16_t unit);
std::u16string ListingKey(std::u16string_view name);

// a before b, given their keys.
bool ListsBefore(std::u16string_view nameA, std::u16string_view keyA,
                 std::u16string_view nameB, std::u16string_view keyB);

}  // namespace ferrowick::fs
