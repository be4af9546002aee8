// Node IDs, block IDs and file offsets refuse values they cannot hold where they are made.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {
namespace {

template <typename F>
ErrorKind KindThrownBy(F f) {
    try {
        f();
    } catch (const PstError& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no PstError thrown";
    return ErrorKind::InvalidArgument;
}

TEST(NdbIds, NodeIdKeepsTypeAndIndexUpToTheLargestIndex) {
    const NodeId top = NodeId::Make(NidType::NormalMessage, NodeId::kMaxIndex);
    EXPECT_EQ(top.Type(), NidType::NormalMessage);
    EXPECT_EQ(top.Index(), NodeId::kMaxIndex);
    EXPECT_EQ(NodeId::Make(NidType::NormalFolder, 0x401).Value(), 0x8022u);
}

TEST(NdbIds, NodeIdRefusesAnIndexBeyondTwentySevenBits) {
    // Dropping the high bits would alias index 0x08000001 onto index 1.
    EXPECT_EQ(KindThrownBy([] { NodeId::Make(NidType::NormalMessage, NodeId::kMaxIndex + 1); }),
              ErrorKind::LimitExceeded);
    EXPECT_EQ(KindThrownBy([] { NodeId::Make(NidType::NormalFolder, 0xFFFFFFFFu); }), ErrorKind::LimitExceeded);
}

TEST(NdbIds, BlockIdCounterNeverWrapsToZero) {
    EXPECT_EQ(BlockId(4).Advanced(4), BlockId(8));
    const auto max = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(BlockId(max - 4).Advanced(4).Value(), max);
    EXPECT_EQ(KindThrownBy([&] { BlockId(max - 3).Advanced(4); }), ErrorKind::LimitExceeded);
}

TEST(NdbIds, FileOffsetBeyondSignedRangeIsALimitWhenMadeAndDamageWhenRead) {
    EXPECT_EQ(FileOffset(FileOffset::kMax).Value(), FileOffset::kMax);
    EXPECT_EQ(FileOffset::FromFile(0x4400).Value(), 0x4400u);
    EXPECT_EQ(KindThrownBy([] { FileOffset(FileOffset::kMax + 1); }), ErrorKind::LimitExceeded);
    EXPECT_EQ(KindThrownBy([] { FileOffset::FromFile(~std::uint64_t{0}); }), ErrorKind::CorruptStructure);
}

}  // namespace
}  // namespace ferrowick::pst
