#include "pst/ndb/node_database.hpp"

namespace ferrowick::pst {

struct NodeDatabase::Impl {
    std::filesystem::path path;
};

NodeDatabase::NodeDatabase(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
NodeDatabase::NodeDatabase(NodeDatabase&&) noexcept = default;
NodeDatabase& NodeDatabase::operator=(NodeDatabase&&) noexcept = default;
NodeDatabase::~NodeDatabase() = default;

NodeDatabase NodeDatabase::Create(const std::filesystem::path&, CreateOptions) { throw PstError("not yet"); }
NodeDatabase NodeDatabase::Open(const std::filesystem::path&, OpenMode) { throw PstError("not yet"); }
NodeId NodeDatabase::AllocateNodeId(NidType) { throw PstError("not yet"); }
void NodeDatabase::PutNode(NodeId, NodeId, const NodeData&) { throw PstError("not yet"); }
void NodeDatabase::RemoveNode(NodeId) { throw PstError("not yet"); }
bool NodeDatabase::Contains(NodeId) const { return false; }
std::optional<NodeEntry> NodeDatabase::FindNode(NodeId) const { return std::nullopt; }
NodeData NodeDatabase::ReadNode(NodeId) const { throw PstError("not yet"); }
std::vector<NodeEntry> NodeDatabase::Nodes() const { return {}; }
void NodeDatabase::ForEachNode(const std::function<void(const NodeEntry&)>&) const {}
void NodeDatabase::Commit() { throw PstError("not yet"); }
CryptMethod NodeDatabase::Crypt() const { return CryptMethod::Permute; }
const std::filesystem::path& NodeDatabase::Path() const { return impl_->path; }
std::uint64_t NodeDatabase::FileSize() const { return 0; }

}  // namespace ferrowick::pst
