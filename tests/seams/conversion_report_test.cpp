#include <gtest/gtest.h>

#include "fs/text.hpp"
#include "seams/conversion_report.hpp"

namespace ferrowick {
namespace {

FolderReport WithFailures(int files, int folders) {
    FolderReport report{u"Mail", u"/m/Mail", u"/o/Mail.pst", {}, {}};
    for (int i = 0; i < folders; ++i)
        report.notConverted.emplace_back(u"/m/Mail/F", u"could not be listed: Permission denied",
                                         NotConvertedKind::Folder);
    for (int i = 0; i < files; ++i) report.notConverted.emplace_back(u"/m/Mail/a.msg", u"damaged");
    return report;
}

TEST(ConversionReport, SummaryCountsFilesAndFoldersApart) {
    struct Case {
        int files, folders;
        const char* summary;
    };
    for (const Case& c :
         {Case{0, 0, ""}, Case{1, 0, "1 file could not be converted."}, Case{3, 0, "3 files could not be converted."},
          Case{0, 1, "1 folder could not be converted."}, Case{0, 2, "2 folders could not be converted."},
          Case{2, 1, "2 files and 1 folder could not be converted."}}) {
        ConversionReport report;
        report.folders.push_back(WithFailures(c.files, 0));
        report.folders.push_back(WithFailures(0, c.folders));
        EXPECT_EQ(ToUtf8(report.FailureSummary()), c.summary) << c.files << " " << c.folders;
        EXPECT_EQ(report.NotConvertedCount(), static_cast<std::size_t>(c.files + c.folders));
    }
}

}  // namespace
}  // namespace ferrowick
