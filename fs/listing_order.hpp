#pragma once
// The order in which a listing hands out names, the same on every file system so that
// runs are repeatable: "." and ".." first, then by the upper-cased name compared unit by
// unit, ties (names differing only in case) by the name itself.
#include <string>
#include <string_view>

namespace ferrowick::fs {

// One UTF-16 unit upper-cased as folder names are compared, here and for the folders of a
// store (where two names that differ only in case are one folder): the simple upper-case
// mapping of ASCII, Latin-1, Latin Extended-A, basic Greek, Cyrillic and full-width Latin.
// Final sigma U+03C2 becomes capital sigma, since it is the same letter as U+03C3 at the end
// of a word. Letters whose capital belongs to another letter (dotless i U+0131, long s U+017F,
// micro sign U+00B5) stay as they are; so do all other units. The compound-file names of a
// .msg follow a different rule (msg/cfb/entry_name.hpp), which leaves final sigma alone.
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
