#pragma once
// Fitting a progress line into the columns of a terminal: a path is shortened in its middle
// with "…", and what still does not fit is dropped a whole word at a time, never mid-word.
#include <cstddef>
#include <cstdio>
#include <string>

namespace ferrowick::cli {

// The columns `text` (UTF-8) takes: two for East Asian wide characters, none for
// combining marks, one otherwise.
std::size_t DisplayWidth(const std::string& text);

// `text` itself when it fits `width` columns, otherwise a shortened form that does.
std::string FitToWidth(const std::string& text, std::size_t width);

// The width to fit lines written to `stream`: COLUMNS when set to a number, else the
// terminal's own width, else 80.
std::size_t LineWidthFor(std::FILE* stream);

}  // namespace ferrowick::cli
