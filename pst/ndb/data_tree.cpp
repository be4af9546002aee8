// [MS-PST 2.2.2.8.3.2 Data Tree]
#include "pst/ndb/data_tree.hpp"

#include <algorithm>
#include <exception>
#include <string>

#include "pst/ndb/hex_text.hpp"
#include "pst/ndb/xblock.hpp"
#include "pst/node_data.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

XBlock ReadXBlock(BlockStore& store, BlockId bid, std::uint8_t level) {
    Problem problem;
    auto x = XBlock::Read(store.ReadBlock(bid), &problem);
    if (!x) throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + ": " + problem.what);
    if (x->cLevel != level)
        throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + " is a data tree block of level " +
                                                        std::to_string(x->cLevel) + " where level " +
                                                        std::to_string(level) + " was expected");
    return *x;
}

// `kept` is empty or names, per piece, a block already written to share instead.
BlockId WritePieces(BlockStore& store, const Pieces& pieces, const std::vector<BlockId>& kept,
                    std::vector<BlockId>* placed) {
    if (!kept.empty() && kept.size() != pieces.size())
        throw PstError(ErrorKind::InvalidArgument, "kept blocks listed for another number of pieces");
    if (placed) placed->clear();
    if (pieces.empty()) return BlockId();
    if (pieces.size() > XBlock::kMaxEntries * XBlock::kMaxEntries)
        throw PstError(ErrorKind::LimitExceeded, "node data needs more blocks than an XXBLOCK tree holds");
    std::vector<BlockId> blocks(pieces.size());
    std::vector<std::uint32_t> sizes(pieces.size());
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool isKept = !kept.empty() && !kept[i].IsNull();
        if (!isKept && pieces[i].size() > kMaxDataBlockPayload)
            throw PstError(ErrorKind::LimitExceeded, "a data piece is larger than one block can carry");
        if (isKept) {
            if (kept[i].IsInternal())
                throw PstError(ErrorKind::InvalidArgument, "a kept piece names an internal block");
            sizes[i] = store.ShareBlock(kept[i]);
            blocks[i] = kept[i];
        } else {
            sizes[i] = static_cast<std::uint32_t>(pieces[i].size());
            blocks[i] = store.WriteBlock(pieces[i], false);
        }
        total += sizes[i];
        if (total > 0xFFFFFFFFull)
            throw PstError(ErrorKind::LimitExceeded, "node data of 4 GiB or more cannot be stored");
    }
    if (placed) *placed = blocks;
    if (blocks.size() == 1) return blocks[0];

    const std::size_t per = XBlock::kMaxEntries;
    std::vector<XBlock> xblocks;
    for (std::size_t i = 0; i < blocks.size(); i += per) {
        XBlock x;
        x.cLevel = 1;
        for (std::size_t k = i; k < std::min(blocks.size(), i + per); ++k) {
            x.children.push_back(blocks[k]);
            x.lcbTotal += sizes[k];
        }
        xblocks.push_back(std::move(x));
    }
    if (xblocks.size() == 1) return store.WriteBlock(xblocks[0].Write(), true);
    XBlock top;
    top.cLevel = 2;
    top.lcbTotal = static_cast<std::uint32_t>(total);
    for (const XBlock& x : xblocks) top.children.push_back(store.WriteBlock(x.Write(), true));
    return store.WriteBlock(top.Write(), true);
}

}  // namespace

BlockId WriteDataTree(BlockStore& store, const Pieces& pieces) { return WritePieces(store, pieces, {}, nullptr); }

BlockId WriteDataTree(BlockStore& store, const NodeData& data) {
    if (!data.stream) return WritePieces(store, data.pieces, data.kept, &data.placed);
    const std::uint64_t total = data.stream->Size();
    if (total > 0xFFFFFFFFull) throw PstError(ErrorKind::LimitExceeded, "node data of 4 GiB or more cannot be stored");
    if (total == 0) return BlockId();
    std::vector<std::uint8_t> piece;
    const auto writePiece = [&](std::uint64_t offset) {
        piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kMaxDataBlockPayload, total - offset)));
        try {
            data.stream->ReadAt(offset, piece);
        } catch (const PstError&) {
            throw;
        } catch (const std::exception& e) {
            // The source's own error (a damaged or changed file), told as one of the store's.
            throw PstError(ErrorKind::CorruptStructure,
                           std::string("a value's source cannot be read to its end: ") + e.what());
        }
        return store.WriteBlock(piece, false);
    };
    if (total <= kMaxDataBlockPayload) return writePiece(0);

    const std::size_t per = XBlock::kMaxEntries;
    const std::uint64_t count = (total + kMaxDataBlockPayload - 1) / kMaxDataBlockPayload;
    if (count > per * per)
        throw PstError(ErrorKind::LimitExceeded, "node data needs more blocks than an XXBLOCK tree holds");
    XBlock top;
    top.cLevel = 2;
    top.lcbTotal = static_cast<std::uint32_t>(total);
    XBlock x;
    x.cLevel = 1;
    BlockId last;
    for (std::uint64_t offset = 0; offset < total; offset += kMaxDataBlockPayload) {
        x.children.push_back(writePiece(offset));
        x.lcbTotal += static_cast<std::uint32_t>(piece.size());
        if (x.children.size() == per || offset + kMaxDataBlockPayload >= total) {
            last = store.WriteBlock(x.Write(), true);
            top.children.push_back(last);
            x.children.clear();
            x.lcbTotal = 0;
        }
    }
    if (top.children.size() == 1) return last;
    return store.WriteBlock(top.Write(), true);
}

Pieces ReadDataTree(BlockStore& store, BlockId root, std::set<std::uint64_t>& seen) {
    Pieces pieces;
    if (root.IsNull()) return pieces;
    auto visit = [&](BlockId bid) {
        if (!seen.insert(bid.Value()).second)
            throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + " is listed twice in one node");
    };
    visit(root);
    if (!root.IsInternal()) {
        pieces.push_back(store.ReadBlock(root));
        return pieces;
    }
    // The top block tells the level: XXBLOCK (2) or XBLOCK (1).
    Problem problem;
    auto top = XBlock::Read(store.ReadBlock(root), &problem);
    if (!top) throw PstError(ErrorKind::CorruptStructure, "block " + Hex(root.Value()) + ": " + problem.what);
    std::vector<XBlock> xblocks;
    if (top->cLevel == 2) {
        std::uint64_t sum = 0;
        for (BlockId child : top->children) {
            visit(child);
            if (!child.IsInternal())
                throw PstError(ErrorKind::CorruptStructure, "XXBLOCK " + Hex(root.Value()) + " lists a data block");
            xblocks.push_back(ReadXBlock(store, child, 1));
            sum += xblocks.back().lcbTotal;
        }
        if (sum != top->lcbTotal)
            throw PstError(ErrorKind::CorruptStructure,
                           "XXBLOCK " + Hex(root.Value()) + " gives a total size its XBLOCKs do not add up to");
    } else {
        xblocks.push_back(*top);
    }
    for (const XBlock& x : xblocks) {
        std::uint64_t sum = 0;
        for (BlockId child : x.children) {
            visit(child);
            if (child.IsInternal())
                throw PstError(ErrorKind::CorruptStructure, "an XBLOCK lists an internal block " + Hex(child.Value()));
            pieces.push_back(store.ReadBlock(child));
            sum += pieces.back().size();
        }
        if (sum != x.lcbTotal)
            throw PstError(ErrorKind::CorruptStructure,
                           "an XBLOCK gives a total size its data blocks do not add up to");
    }
    return pieces;
}

}  // namespace ferrowick::pst
