#include "run/conversion_report.hpp"

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

std::u16string ConversionReport::FailureSummary() const {
    const std::size_t count = NotConvertedCount();
    if (count == 0) return {};
    return DecimalText(static_cast<std::int64_t>(count)) +
           (count == 1 ? u" file could not be converted." : u" files could not be converted.");
}

std::u16string ConversionReport::FailureDetails() const {
    std::u16string details;
    for (const auto& folder : folders) {
        if (folder.notConverted.empty()) continue;
        if (!details.empty()) details += u"\r\n";
        details += folder.folderPath + u" (" +
                   DecimalText(static_cast<std::int64_t>(folder.notConverted.size())) +
                   u" not converted):";
        for (const auto& file : folder.notConverted)
            details += u"\r\n" + file.path + u": " + file.reason;
    }
    return details;
}

}  // namespace ferrowick
