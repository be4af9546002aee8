// The reader against Outlook's own files: every node of every Unicode store reads back, and
// ANSI stores are refused with a message that says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ndb_test_support.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::pst {
namespace {

struct CorpusFile {
    std::filesystem::path path;
    bool unicode = false;
};

std::vector<CorpusFile> CorpusPstFiles() {
    std::vector<CorpusFile> files;
    std::ifstream manifest(::ferrowick::testing::CorpusDir() / "pst" / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> cols;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cols.push_back(line.substr(start, tab - start));
        cols.push_back(line.substr(start));
        if (cols.size() < 8) continue;
        files.push_back({::ferrowick::testing::CorpusDir() / cols[0], cols[7] == "unicode"});
    }
    return files;
}

TEST(NdbCorpus, ReadsEveryNodeOfEveryUnicodeStore) {
    FERROWICK_REQUIRE_CORPUS();
    int stores = 0;
    for (const auto& file : CorpusPstFiles()) {
        if (!file.unicode) continue;
        SCOPED_TRACE(file.path.string());
        auto db = NodeDatabase::Open(file.path);
        std::size_t nodes = 0, bytes = 0;
        for (const NodeEntry& e : db.Nodes()) {
            NodeData data;
            ASSERT_NO_THROW(data = db.ReadNode(e.nid)) << std::hex << e.nid.Value();
            bytes += data.TotalSize();
            ++nodes;
        }
        EXPECT_GT(nodes, 20u);
        EXPECT_TRUE(db.Contains(NodeId(0x21)));  // the message store node exists in every store
        EXPECT_EQ(db.Crypt(), CryptMethod::Permute);
        ++stores;
    }
    EXPECT_EQ(stores, 18);
}

TEST(NdbCorpus, RefusesAnsiStoresSayingWhy) {
    FERROWICK_REQUIRE_CORPUS();
    int refused = 0;
    for (const auto& file : CorpusPstFiles()) {
        if (file.unicode) continue;
        try {
            NodeDatabase::Open(file.path);
            ADD_FAILURE() << file.path << " opened";
        } catch (const PstError& e) {
            EXPECT_EQ(e.Kind(), ErrorKind::UnsupportedFormat) << e.what();
            EXPECT_NE(std::string(e.what()).find("ANSI"), std::string::npos) << e.what();
            ++refused;
        }
    }
    EXPECT_EQ(refused, 3);
}

TEST(NdbCorpus, CheckerFindsEveryUnicodeStoreSoundAndRefusesAnsiOnes) {
    FERROWICK_REQUIRE_CORPUS();
    for (const auto& file : CorpusPstFiles()) {
        SCOPED_TRACE(file.path.string());
        if (!file.unicode) {
            EXPECT_THROW(CheckPstFile(file.path), PstError);
            continue;
        }
        const Findings findings = CheckPstFile(file.path);
        std::string text;
        for (const auto& f : findings)
            if (f.severity == Severity::Corruption) text += f.kind + ": " + f.where + ": " + f.what + "\n";
        EXPECT_TRUE(IsSound(findings)) << text;  // leaked space is allowed: Outlook leaves some
    }
}

TEST(NdbCorpus, OutlookStoresTakeChangesAndStaySound) {
    FERROWICK_REQUIRE_CORPUS();
    testing::ScratchDir dir("corpus-rw");
    for (const auto& file : CorpusPstFiles()) {
        if (!file.unicode) continue;
        SCOPED_TRACE(file.path.string());
        const auto copy = dir / "copy.pst";
        testing::CopyOver(file.path, copy);
        std::filesystem::permissions(copy, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        std::vector<NodeEntry> before;
        {
            auto db = NodeDatabase::Open(copy, OpenMode::ReadWrite);
            before = db.Nodes();
            const NodeId added = db.AllocateNodeId(NidType::NormalMessage);
            db.PutNode(added, NodeId(0x8022), testing::Noise(30, 8176, 1));  // an XBLOCK tree
            db.Commit();
            db.RemoveNode(added);
            db.Commit();
        }
        const Findings findings = CheckPstFile(copy);
        EXPECT_TRUE(IsSound(findings)) << (findings.empty() ? "" : findings[0].kind + ": " + findings[0].what);
        auto db = NodeDatabase::Open(copy);
        ASSERT_EQ(db.Nodes().size(), before.size());
        for (const NodeEntry& e : before) EXPECT_NO_THROW(db.ReadNode(e.nid));
    }
}

}  // namespace
}  // namespace ferrowick::pst
