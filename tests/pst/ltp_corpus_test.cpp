// The lists/tables layer against Outlook's own files: every heap, BTH, property context and
// table context of the Unicode stores parses, passes the checks, and survives a rewrite.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pst/check/ltp_checks.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/heap_header.hpp"
#include "pst/ltp/packed_table.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/ndb/node_database.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::pst {
namespace {

std::vector<std::filesystem::path> UnicodeStores() {
    std::vector<std::filesystem::path> files;
    std::ifstream manifest(testing::CorpusDir() / "pst" / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::vector<std::string> cols;
        std::stringstream fields(line);
        for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
        if (cols.size() >= 8 && cols[7] == "unicode") files.push_back(testing::CorpusDir() / cols[0]);
    }
    return files;
}

std::string Hex(std::uint32_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << std::uppercase << v;
    return s.str();
}

struct Tally {
    int property_contexts = 0, table_contexts = 0, other_heaps = 0, rows = 0;
};

void Visit(NodeId nid, const NodeData& node, const std::string& where, Tally& tally) {
    if (!node.pieces.empty() && node.pieces[0].size() >= HeapHeader::kSize &&
        HeapHeader::Read(node.pieces[0]).signature == kHeapSignature) {
        const std::uint8_t client = node.pieces[0][3];
        if (client == 0xBC) {
            ++tally.property_contexts;
            PropertyBag bag;
            ASSERT_NO_THROW(bag = ReadPropertyContext(node)) << where;
            const NodeData again = WritePropertyContext(bag, node.subnodes);
            EXPECT_EQ(ReadPropertyContext(again), bag) << where;
            EXPECT_TRUE(CheckPropertyContext(again, where).empty()) << where;
        } else if (client == 0x7C) {
            ++tally.table_contexts;
            std::optional<TableContext> table;
            try {
                table.emplace(TableContext::Read(node));
            } catch (const PstError& e) {
                ADD_FAILURE() << where << ": " << e.what();
                return;
            }
            tally.rows += static_cast<int>(table->RowCount());
            const TableContext again = TableContext::Read(table->Write(node.subnodes));
            ASSERT_EQ(again.RowCount(), table->RowCount()) << where;
            for (std::size_t i = 0; i < again.RowCount(); ++i)
                EXPECT_EQ(again.Rows()[i].cells, table->Rows()[i].cells) << where;
            // Held packed, Outlook's table writes the same bytes as decoded.
            const NodeData decoded = table->Write(node.subnodes);
            const NodeData packed = PackedTable(*table).Write(node.subnodes);
            EXPECT_TRUE(packed.pieces == decoded.pieces) << where;
            ASSERT_EQ(packed.subnodes.size(), decoded.subnodes.size()) << where;
            for (auto a = packed.subnodes.begin(), b = decoded.subnodes.begin(); a != packed.subnodes.end(); ++a, ++b)
                EXPECT_TRUE(a->first == b->first && a->second.pieces == b->second.pieces) << where;
        } else {
            ++tally.other_heaps;
        }
    }
    for (const auto& [sub_nid, sub] : node.subnodes)
        Visit(sub_nid, sub, where + " sub-node " + Hex(sub_nid.Value()), tally);
    (void)nid;
}

TEST(LtpCorpus, EveryHeapOfEveryUnicodeStoreParsesChecksAndRoundTrips) {
    FERROWICK_REQUIRE_CORPUS();
    Tally tally;
    int stores = 0, unreadableNodes = 0;
    for (const auto& path : UnicodeStores()) {
        SCOPED_TRACE(path.filename().string());
        auto db = NodeDatabase::Open(path);
        for (const NodeEntry& e : db.Nodes()) {
            NodeData node;
            try {
                node = db.ReadNode(e.nid);
            } catch (const PstError&) {
                ++unreadableNodes;  // the node database's own tests report these
                continue;
            }
            const std::string where = path.filename().string() + " node " + Hex(e.nid.Value());
            for (const Finding& f : CheckLtpNode(e.nid, node, where))
                ADD_FAILURE() << f.kind << " at " << f.where << ": " << f.what;
            Visit(e.nid, node, where, tally);
        }
        ++stores;
    }
    EXPECT_EQ(stores, 18);
    EXPECT_GT(tally.property_contexts, 18 * 20);
    EXPECT_GT(tally.table_contexts, 18 * 10);
    RecordProperty("property_contexts", tally.property_contexts);
    RecordProperty("table_contexts", tally.table_contexts);
    RecordProperty("rows", tally.rows);
    RecordProperty("unreadable_nodes", unreadableNodes);
    std::cout << "[ corpus ] " << tally.property_contexts << " property contexts, " << tally.table_contexts
              << " table contexts (" << tally.rows << " rows), " << tally.other_heaps << " other heaps, "
              << unreadableNodes << " nodes the node database could not read\n";
}

}  // namespace
}  // namespace ferrowick::pst
