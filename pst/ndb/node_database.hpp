#pragma once
// The node database of a Unicode .pst [MS-PST 2.2.2 NDB layer]: nodes, each a data stream
// split into data blocks plus a tree of sub-nodes, found through the node B-tree; blocks
// found through the block B-tree; free space kept in the allocation map pages.
//
// Changes (PutNode, RemoveNode, AllocateNodeId) become durable at Commit(); a crash at any
// moment leaves the state of the last Commit(). A database open for writing holds the
// file's writer lock (a second writer gets FileInUse; readers take none), and after a
// failed write it writes nothing more. The whole protocol, with what a crash leaves at each
// point, is written down once, at the top of node_database.cpp.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "pst/ndb/btree_page.hpp"
#include "pst/ndb/crypt_method.hpp"
#include "pst/ndb/ids.hpp"
#include "pst/node_data.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {

enum class OpenMode { ReadOnly, ReadWrite };

struct CreateOptions {
    CryptMethod crypt = CryptMethod::Permute;  // what Outlook writes
    // The store goes into the existing, empty file at the path (one made without a name)
    // instead of a file made there; a file with content is refused either way.
    bool fill_empty_file = false;
};

class NodeDatabase {
public:
    // A new, empty Unicode file at `path`, already committed. Throws FileExists when a file
    // is there already: nothing is ever replaced or emptied.
    static NodeDatabase Create(const std::filesystem::path& path, CreateOptions options = CreateOptions());
    // Throws PstError for ANSI files, files that are no .pst and damaged ones.
    static NodeDatabase Open(const std::filesystem::path& path, OpenMode mode = OpenMode::ReadOnly);

    NodeDatabase(NodeDatabase&&) noexcept;
    NodeDatabase& operator=(NodeDatabase&&) noexcept;
    ~NodeDatabase();  // does not commit: uncommitted changes are dropped

    // A fresh NID of the given type from the header's rgnid counters [MS-PST 2.2.2.6]. The
    // counters cover every NID in the file, sub-nodes included, so the NID is unique in the
    // whole file, not only among top-level nodes (Outlook numbers attachments that way).
    NodeId AllocateNodeId(NidType type);
    // A fresh NID of `type` whose index no NID of the `sharing` types uses either; those
    // counters move on to it too (a folder's tables take the folder's index).
    NodeId AllocateNodeId(NidType type, std::initializer_list<NidType> sharing);

    // Inserts or replaces a top-level node; replacing releases the blocks of the old content.
    // The rgnid counters rise to cover the node's NID and its sub-nodes' NIDs.
    void PutNode(NodeId nid, NodeId parent, const NodeData& data);
    void RemoveNode(NodeId nid);
    bool Contains(NodeId nid) const;
    std::optional<NodeEntry> FindNode(NodeId nid) const;
    NodeData ReadNode(NodeId nid) const;

    // Every node entry in NID order.
    std::vector<NodeEntry> Nodes() const;
    void ForEachNode(const std::function<void(const NodeEntry&)>& visit) const;

    // Makes every change since the last Commit() durable (see the top of node_database.cpp).
    void Commit();

    // For tests: stop a Commit() just before the header is written (as a crash would), and
    // start allocations far into the file (to reach past 4 GiB in a sparse file quickly).
    void StopCommitBeforeHeaderForTesting(bool stop);
    // For tests: the process kills itself (SIGKILL) at the n-th moment between two writes
    // where a crash can find the file; n counts from 0, negative never.
    void KillAtCrashPointForTesting(long n);
    void SetAllocationFloorForTesting(FileOffset ib);

    // Gives the open file the further name `target`, which must not exist; from then on
    // Path() and errors name `target`. Returns 0 or the errno of the failure.
    int LinkAs(const std::filesystem::path& target);

    CryptMethod Crypt() const;
    const std::filesystem::path& Path() const;
    std::uint64_t FileSize() const;  // ibFileEof of the state in memory

    struct Impl;

private:
    explicit NodeDatabase(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace ferrowick::pst
