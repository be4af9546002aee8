#include "engine/store_folder_names.hpp"

#include <set>

#include "engine/store_paths.hpp"
#include "fs/listing_order.hpp"
#include "fs/text.hpp"

namespace ferrowick {
namespace {

// Windows-1252 for 0x80..0x9F; the five bytes it leaves undefined have no reading.
constexpr char16_t kWindows1252High[32] = {
    u'\u20AC', u'\uFFFD', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\uFFFD', u'\u017D', u'\uFFFD',
    u'\uFFFD', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\uFFFD', u'\u017E', u'\u0178',
};

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string Folded(std::u16string_view name) {
    std::u16string out(name);
    for (char16_t& c : out) c = fs::UpperCaseUnit(c);
    return out;
}

std::vector<std::u16string_view> Components(std::u16string_view path, char16_t separator) {
    std::vector<std::u16string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = path.find(separator, start);
        parts.push_back(path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start));
        if (end == std::u16string_view::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

std::u16string StoreFolderName(std::u16string_view diskName, char16_t separator) {
    std::u16string out;
    out.reserve(diskName.size());
    for (std::size_t i = 0; i < diskName.size(); ++i) {
        const char16_t c = diskName[i];
        if (IsHigh(c) && i + 1 < diskName.size() && IsLow(diskName[i + 1])) {
            out += c;
            out += diskName[++i];
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            const auto byte = static_cast<unsigned>(c - 0xDC00);
            out += byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte);
        } else if (IsHigh(c) || IsLow(c)) {
            out += u'\uFFFD';
        } else if (c == u'\\' && separator != u'\\') {
            out += kBackslashStandIn;
        } else {
            out += c;
        }
    }
    return out;
}

void StoreFolderNames::Learn(const std::vector<std::u16string>& relativePaths, char16_t separator) {
    // Every folder once, by parent: its children's disk names.
    std::map<std::u16string, std::set<std::u16string>> children;
    for (const auto& path : relativePaths) {
        std::u16string parent;
        for (const auto part : Components(path, separator)) {
            if (part.empty()) continue;
            children[parent].insert(std::u16string(part));
            parent += separator;
            parent += part;
        }
    }
    for (const auto& [parent, names] : children) {
        std::set<std::u16string> taken;
        for (const auto& name : names)
            if (StoreFolderName(name, separator) == name) taken.insert(Folded(name));
        for (const auto& name : names) {
            const std::u16string rendered = StoreFolderName(name, separator);
            if (rendered == name) continue;
            std::u16string chosen = rendered;
            for (int n = 2; taken.count(Folded(chosen)); ++n) chosen = rendered + u" (" + DecimalText(n) + u")";
            taken.insert(Folded(chosen));
            if (chosen != rendered) renamed_[parent + separator + name] = chosen;
        }
    }
}

std::u16string StoreFolderNames::StorePath(std::u16string_view relativePath, char16_t separator) const {
    std::u16string out, key;
    bool first = true;
    for (const auto part : Components(relativePath, separator)) {
        if (!first) out += kStoreSeparator;
        first = false;
        if (part.empty()) continue;
        key += separator;
        key += part;
        const auto renamed = renamed_.find(key);
        out += renamed != renamed_.end() ? renamed->second : StoreFolderName(part, separator);
    }
    return out;
}

}  // namespace ferrowick
