#pragma once
// Paths as the two forms of the Windows file functions take them, and names back from them.
#include <string>
#include <string_view>

namespace ferrowick::fs::win32 {

// The path for a wide call. An absolute drive or UNC path with "\" separators and no "."
// or ".." names takes the extended-length form (ToLongPath), which lifts the length limit
// and reaches names such as "nul" or "a." as the names they are. Any other path (relative,
// with "/" or dot names, a device or an already extended path) would mean nothing in that
// form, where the system resolves nothing: it goes to the system as given, made absolute
// first when it is too long for that.
std::wstring WidePath(std::u16string_view path);

// UTF-16 text as wchar_t and back (the same units on Windows).
std::wstring Wide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// The path in the system's ANSI code page, for the narrow calls, and names back from it.
std::string AnsiPath(std::u16string_view path);
std::u16string FromAnsi(std::string_view text);

}  // namespace ferrowick::fs::win32
