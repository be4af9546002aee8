#pragma once
// Locating the shared corpus beside the checkout. A fresh clone has none: tests that
// need it call FERROWICK_REQUIRE_CORPUS() and are skipped with a clear message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ferrowick::testing {

inline std::filesystem::path SharedDir() { return std::filesystem::path(FERROWICK_SHARED_DIR); }
inline std::filesystem::path CorpusDir() { return SharedDir() / "corpus"; }
inline bool CorpusAvailable() { return std::filesystem::is_directory(CorpusDir()); }

// The Unicode stores Outlook wrote: those the corpus's pst/MANIFEST.tsv marks "unicode" in its
// eighth column.
inline std::vector<std::filesystem::path> UnicodeCorpusStores() {
    std::vector<std::filesystem::path> files;
    std::ifstream manifest(CorpusDir() / "pst" / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> cols;
        std::stringstream fields(line);
        for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
        if (cols.size() >= 8 && cols[7] == "unicode") files.push_back(CorpusDir() / cols[0]);
    }
    return files;
}

}  // namespace ferrowick::testing

#define FERROWICK_REQUIRE_CORPUS()                                                                      \
    do {                                                                                                \
        if (!::ferrowick::testing::CorpusAvailable())                                                   \
            GTEST_SKIP() << "shared corpus not found at " << ::ferrowick::testing::CorpusDir().string() \
                         << " (it sits beside the checkout in CI; a fresh clone has none)";             \
    } while (0)
