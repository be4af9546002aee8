#include "seams/conversion_report.hpp"

#include "fs/text.hpp"

namespace ferrowick {

std::size_t ConversionReport::ConvertedCount() const {
    std::size_t count = 0;
    for (const auto& folder : folders) count += folder.converted.size();
    return count;
}

std::size_t ConversionReport::NotConvertedCount() const {
    std::size_t count = 0;
    for (const auto& folder : folders) count += folder.notConverted.size();
    return count;
}

namespace {

std::u16string Counted(std::size_t count, std::u16string_view one, std::u16string_view many) {
    return DecimalText(static_cast<std::int64_t>(count)) + u" " + std::u16string(count == 1 ? one : many);
}

}  // namespace

std::u16string ConversionReport::FailureSummary() const {
    std::size_t folderCount = 0;
    for (const auto& folder : folders)
        for (const auto& item : folder.notConverted)
            if (item.kind == NotConvertedKind::Folder) ++folderCount;
    const std::size_t fileCount = NotConvertedCount() - folderCount;
    if (fileCount == 0 && folderCount == 0) return {};
    std::u16string text;
    if (fileCount != 0) text = Counted(fileCount, u"file", u"files");
    if (fileCount != 0 && folderCount != 0) text += u" and ";
    if (folderCount != 0) text += Counted(folderCount, u"folder", u"folders");
    return text + u" could not be converted.";
}

std::u16string ConversionReport::FailureDetails() const {
    std::u16string details;
    for (const auto& folder : folders) {
        if (folder.notConverted.empty()) continue;
        if (!details.empty()) details += u"\r\n";
        details += folder.folderPath + u" (" + DecimalText(static_cast<std::int64_t>(folder.notConverted.size())) +
                   u" not converted):";
        for (const auto& file : folder.notConverted) details += u"\r\n" + file.path + u": " + file.reason;
    }
    return details;
}

}  // namespace ferrowick
