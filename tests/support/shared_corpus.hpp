#pragma once
// Locating the shared corpus beside the checkout. A fresh clone has none: tests that
// need it call FERROWICK_REQUIRE_CORPUS() and are skipped with a clear message.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ferrowick::testing {

inline std::filesystem::path SharedDir() { return std::filesystem::path(FERROWICK_SHARED_DIR); }
inline std::filesystem::path CorpusDir() { return SharedDir() / "corpus"; }
inline bool CorpusAvailable() { return std::filesystem::is_directory(CorpusDir()); }

}  // namespace ferrowick::testing

#define FERROWICK_REQUIRE_CORPUS()                                                                      \
    do {                                                                                                \
        if (!::ferrowick::testing::CorpusAvailable())                                                   \
            GTEST_SKIP() << "shared corpus not found at " << ::ferrowick::testing::CorpusDir().string() \
                         << " (it sits beside the checkout in CI; a fresh clone has none)";             \
    } while (0)
