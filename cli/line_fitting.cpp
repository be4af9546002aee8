#include "cli/line_fitting.hpp"

#include <cstdlib>

#include "cli/console_output.hpp"

namespace ferrowick::cli {
namespace {

constexpr char32_t kEllipsis = U'…';
constexpr std::size_t kShortestPath = 12;  // shorter than this a path says nothing

std::u32string Decode(const std::string& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        char32_t value = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k) value = (value << 6) | (text[i + k] & 0x3F);
        out.push_back(value);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::string Encode(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::size_t Columns(char32_t c) {
    if ((c >= 0x300 && c <= 0x36F) || c == 0x200B) return 0;
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                      (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::size_t Columns(const std::u32string& text) {
    std::size_t n = 0;
    for (char32_t c : text) n += Columns(c);
    return n;
}

// The first `columns` columns of `text`, or its last ones.
std::u32string Head(const std::u32string& text, std::size_t columns) {
    std::u32string out;
    std::size_t used = 0;
    for (char32_t c : text) {
        if (used + Columns(c) > columns) break;
        used += Columns(c);
        out.push_back(c);
    }
    return out;
}

std::u32string Tail(const std::u32string& text, std::size_t columns) {
    std::size_t used = 0, from = text.size();
    while (from > 0 && used + Columns(text[from - 1]) <= columns) used += Columns(text[--from]);
    return text.substr(from);
}

// Whole words from the front while they fit, then "…" when something was dropped.
std::u32string WholeWords(const std::u32string& text, std::size_t width) {
    std::size_t end = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text[at] != U' ') continue;
        if (Columns(text.substr(0, at)) + 2 > width) break;  // room for " …"
        end = at;
    }
    std::u32string kept = text.substr(0, end);
    while (!kept.empty() && kept.back() == U' ') kept.pop_back();
    if (kept.empty()) return Columns(text) <= width ? text : std::u32string(width > 0 ? 1 : 0, kEllipsis);
    return kept + U' ' + kEllipsis;
}

}  // namespace

std::size_t DisplayWidth(const std::string& text) { return Columns(Decode(text)); }

std::string FitToWidth(const std::string& text, std::size_t width) {
    const std::u32string line = Decode(text);
    const std::size_t total = Columns(line);
    if (total <= width) return text;

    // The path runs from its first separator to the end of the line, or to the bracket
    // closing the one it opens with.
    std::size_t start = line.find_first_of(U"/\\");
    if (start != std::u32string::npos && start >= 2 && line[start - 1] == U':' &&
        ((line[start - 2] >= U'A' && line[start - 2] <= U'Z') || (line[start - 2] >= U'a' && line[start - 2] <= U'z')))
        start -= 2;  // a drive root, C:\ ...
    if (start != std::u32string::npos) {
        std::size_t end = line.size();
        if (start > 0 && line[start - 1] == U'(') {
            const std::size_t close = line.rfind(U')');
            if (close != std::u32string::npos && close > start) end = close;
        }
        const std::u32string path = line.substr(start, end - start);
        const std::size_t excess = total - width;
        const std::size_t pathColumns = Columns(path);
        if (pathColumns >= excess + 1 && pathColumns - excess - 1 >= kShortestPath) {
            const std::size_t keep = pathColumns - excess - 1;  // one column for "…"
            const std::size_t tail = keep * 3 / 5;              // the file's name matters most
            const std::u32string shortened = Head(path, keep - tail) + kEllipsis + Tail(path, tail);
            return Encode(line.substr(0, start) + shortened + line.substr(end));
        }
    }
    return Encode(WholeWords(line, width));
}

std::size_t LineWidthFor(std::FILE* stream) {
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long n = std::strtol(columns, &end, 10);
        if (end != columns && *end == '\0' && n > 0) return static_cast<std::size_t>(n);
    }
    if (const std::size_t columns = TerminalColumns(stream); columns > 0) return columns;
    return 80;
}

}  // namespace ferrowick::cli
