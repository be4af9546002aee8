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

// 0 for ".", 1 for "..", 2 for every other name: the first thing compared.
int ListingRank(std::u16string_view name);

// Whether name a is listed before name b.
bool ListsBefore(std::u16string_view a, std::u16string_view b);

// Appends the sort key of a name: its upper-cased units as big-endian byte pairs, so that
// comparing keys bytewise orders names of equal rank as ListsBefore does (bar the
// tie-break). Sorting a whole folder this way costs far less than unit-by-unit compares.
void AppendListingKey(std::u16string_view name, std::string& keys);

}  // namespace ferrowick::fs
