// Property and table contexts written through the node database to a real file and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "pst/check/ltp_checks.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {
namespace {

class LtpFileRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("ferrowick_ltp_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".pst");
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::filesystem::path path_;
};

PropertyBag Message(std::uint32_t n) {
    PropertyBag bag;
    bag.Set(0x001A, PropertyValue::String(u"IPM.Note"));
    bag.Set(0x0037, PropertyValue::String(u"Message " + std::u16string(n % 40, u'x')));
    bag.Set(0x0E07, PropertyValue::Integer32(17));
    bag.Set(0x0E06, PropertyValue::Time(0x01DA000000000000ULL + n));
    PropertyValue::Bytes body(n * 997 % 60000);
    std::mt19937 random(n);
    for (auto& b : body) b = static_cast<std::uint8_t>(random());
    bag.Set(0x1000, PropertyValue::Binary(std::move(body)));
    bag.Set(0x8005,
            PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>(n % 4, u"keyword")));
    return bag;
}

TEST_F(LtpFileRoundTrip, ContextsSurviveTheFile) {
    constexpr std::uint32_t kMessages = 60;
    constexpr PropertyTag kSubject{0x0037, PropertyType::String};
    constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
    TableContext contents({kSubject, kSize});
    for (std::uint32_t i = 0; i < 100000; ++i)
        contents.PutRow(0x200024 + 32 * i,
                        {{kSubject, PropertyValue::String(u"Subject " + std::u16string(i % 13, u's'))},
                         {kSize, PropertyValue::Integer32(static_cast<std::int32_t>(i))}});
    const NodeId tableNid = NodeId::Make(NidType::ContentsTable, 0x401);
    {
        auto db = NodeDatabase::Create(path_);
        for (std::uint32_t n = 0; n < kMessages; ++n)
            db.PutNode(NodeId::Make(NidType::NormalMessage, 0x10000 + n), NodeId(), WritePropertyContext(Message(n)));
        db.PutNode(tableNid, NodeId(), contents.Write());
        db.Commit();
    }
    const auto db = NodeDatabase::Open(path_);
    for (std::uint32_t n = 0; n < kMessages; ++n) {
        const NodeId nid = NodeId::Make(NidType::NormalMessage, 0x10000 + n);
        const NodeData node = db.ReadNode(nid);
        EXPECT_TRUE(CheckLtpNode(nid, node, "message").empty());
        ASSERT_EQ(ReadPropertyContext(node), Message(n)) << n;
    }
    const NodeData tableNode = db.ReadNode(tableNid);
    EXPECT_TRUE(CheckLtpNode(tableNid, tableNode, "contents").empty());
    const TableContext back = TableContext::Read(tableNode);
    ASSERT_EQ(back.RowCount(), contents.RowCount());
    for (std::size_t i = 0; i < back.RowCount(); i += 11) {
        ASSERT_EQ(back.Rows()[i].id, contents.Rows()[i].id);
        ASSERT_EQ(back.Rows()[i].cells, contents.Rows()[i].cells);
    }
}

}  // namespace
}  // namespace ferrowick::pst
