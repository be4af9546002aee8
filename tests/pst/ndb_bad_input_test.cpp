// Damaged and hostile files: the reader answers with PstError, the checker with findings,
// and neither crashes, hangs or runs out of memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "ndb_test_support.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

using testing::Noise;
using testing::ScratchDir;

NodeId Msg(std::uint32_t i) { return NodeId::Make(NidType::NormalMessage, 0x10000 + i); }

// Reads everything the way a user of the library would; true when it all read.
bool ReadEverything(const std::filesystem::path& path) {
    try {
        auto db = NodeDatabase::Open(path);
        for (const NodeEntry& e : db.Nodes()) (void)db.ReadNode(e.nid);
        return true;
    } catch (const PstError&) {
        return false;
    }
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        NodeData withSubnodes = Noise(2, 4000, 1);
        withSubnodes.subnodes[NodeId(0x1F)] = Noise(1, 70, 2);
        auto db = NodeDatabase::Create(dir_ / "good.pst");
        for (std::uint32_t i = 0; i < 40; ++i) db.PutNode(Msg(i), NodeId(), Noise(1 + i % 3, 900, i));
        db.PutNode(Msg(99), NodeId(), withSubnodes);
        db.Commit();
        good_ = std::filesystem::file_size(dir_ / "good.pst");
    }
    std::filesystem::path Copy() {
        const auto path = dir_ / "bad.pst";
        testing::CopyOver(dir_ / "good.pst", path);
        return path;
    }
    ScratchDir dir_{"bad-input"};
    std::uint64_t good_ = 0;
};

TEST_F(BadInput, TruncatedFilesAreRefusedOrReportedAtEveryLength) {
    for (std::uint64_t length :
         std::vector<std::uint64_t>{0, 10, 563, 564, 0x4400, 0x4500, 0x6000, good_ / 2, good_ - 1}) {
        SCOPED_TRACE(length);
        const auto path = Copy();
        RandomAccessFile(path, RandomAccessFile::Access::ReadWrite).Resize(length);
        (void)ReadEverything(path);  // the reader reads only what it needs: it may still succeed
        try {
            const Findings findings = CheckPstFile(path);
            EXPECT_FALSE(IsSound(findings));
        } catch (const PstError&) {
            EXPECT_LT(length, 564u);  // only files without a whole header are unreadable
        }
    }
}

TEST_F(BadInput, RandomDamageNeverCrashesTheReaderOrTheChecker) {
    std::mt19937_64 gen(2024);
    int refused = 0, reported = 0;
    for (int round = 0; round < 300; ++round) {
        const auto path = Copy();
        {
            RandomAccessFile f(path, RandomAccessFile::Access::ReadWrite);
            const int hits = 1 + static_cast<int>(gen() % 8);
            for (int h = 0; h < hits; ++h) {
                // Mostly where the structures are: header, B-tree pages, block trailers.
                const std::uint64_t at = gen() % 2 ? gen() % 600 : 0x4400 + gen() % (good_ - 0x4400);
                std::uint8_t byte = static_cast<std::uint8_t>(gen());
                f.WriteAt(at, std::span(&byte, 1));
            }
        }
        refused += ReadEverything(path) ? 0 : 1;
        try {
            reported += IsSound(CheckPstFile(path, CheckOptions{false})) ? 0 : 1;
        } catch (const PstError&) {
            ++reported;  // the header no longer says .pst
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_GE(reported, refused);  // whatever the reader trips over, the checker reports
}

TEST_F(BadInput, NonPstFilesAreRefusedWithAClearMessage) {
    const auto path = dir_ / "text.pst";
    {
        RandomAccessFile f(path, RandomAccessFile::Access::CreateNew);
        const std::string text(2000, 'x');
        f.WriteAt(0, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    try {
        NodeDatabase::Open(path);
        FAIL();
    } catch (const PstError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::UnsupportedFormat) << e.what();
    }
    try {
        NodeDatabase::Open(dir_ / "missing.pst");
        FAIL();
    } catch (const PstError& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::Io) << e.what();
    }
}

}  // namespace
}  // namespace ferrowick::pst
