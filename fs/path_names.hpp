#pragma once
// String rules for paths; none of them touches the file system. File-system paths use the
// platform separator (kPathSeparator); ftp paths use "/".
#include <string>
#include <string_view>

#include "fs/file_entry.hpp"
#include "fs/path_kind.hpp"
#include "fs/path_separator.hpp"

namespace ferrowick::fs {

// The extended-length form the wide Windows calls take: "\\?\" in front, or "\\?\UNC\" in
// place of a UNC path's leading pair of backslashes, NUL-terminated. Nothing else is
// examined. Only a Windows build hands paths to such calls.
std::u16string ToLongPath(std::u16string_view path);

// ftp:// (any case) first, then two leading separators for UNC, else local.
PathKind PathKindOf(std::u16string_view path);

// Sets the entry's Kind and, for local and UNC paths, its ParentFolder: the path up to and
// including the last separator before the final character ("" when there is none; a UNC
// path's leading pair never counts). An ftp path leaves ParentFolder as it was.
void ParsePath(std::u16string_view path, FileEntry& entry);

// Trims spaces at both ends and makes the text end in the separator ("" becomes the
// separator alone).
std::u16string AddBackslash(std::u16string_view path);

// The text before the first NUL, or all of it.
std::u16string TrimAtNull(std::u16string_view text);
// The same as a view into `text`, for loops that should not copy each name.
std::u16string_view TrimAtNullView(std::u16string_view text);

// The text after the last dot of a name, without the dot; "" when there is no dot.
std::u16string ExtensionOf(std::u16string_view name);

// The parent folder (which already ends in its separator) followed by the name.
std::u16string FullPathOf(std::u16string_view parentFolder, std::u16string_view name);

// The text after the last separator; the whole text when there is none; empty when the
// path ends in a separator.
std::u16string FileNameOf(const std::u16string& path, char16_t separator = kPathSeparator);

// The text up to and including the last separator; empty when there is none.
std::u16string ParentFolderOf(const std::u16string& path, char16_t separator = kPathSeparator);

}  // namespace ferrowick::fs
