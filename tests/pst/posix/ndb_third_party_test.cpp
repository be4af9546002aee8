// pffinfo (pff-tools) as a black-box validator of the node database layer: it opens what we
// write and reads the header, the encoding and the B-trees. Folders and messages come with
// the messaging layer; here the file holds only a message store property context.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ndb_test_support.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/run_command.hpp"

namespace ferrowick::pst {
namespace {

TEST(NdbThirdParty, PffinfoOpensOurFilesInBothEncodings) {
    ASSERT_TRUE(ferrowick::testing::Installed("pffinfo"))
        << "pffinfo (pff-tools) is missing (scripts/install-deps.sh installs it)";
    testing::ScratchDir dir("pffinfo");
    for (CryptMethod crypt : {CryptMethod::Permute, CryptMethod::None}) {
        const auto path = dir / (crypt == CryptMethod::None ? "none.pst" : "permute.pst");
        {
            auto db = NodeDatabase::Create(path, CreateOptions{crypt});
            PropertyBag store;
            store.Set(0x3001, PropertyValue::String(u"Ferrowick test store"));
            db.PutNode(NodeId(0x21), NodeId(), WritePropertyContext(store));
            for (std::uint32_t i = 0; i < 50; ++i)  // enough for a node B-tree over several pages
                db.PutNode(NodeId::Make(NidType::NormalMessage, 0x10000 + i), NodeId(0x8022),
                           testing::Noise(1, 200, i));
            db.Commit();
        }
        const auto [code, output] = ferrowick::testing::RunCommand("pffinfo '" + path.string() + "' 2>&1");
        EXPECT_EQ(code, 0) << output;
        EXPECT_NE(output.find("64-bit"), std::string::npos) << output;
        EXPECT_NE(output.find(crypt == CryptMethod::None ? "none" : "compressible"), std::string::npos) << output;
    }
}

}  // namespace
}  // namespace ferrowick::pst
