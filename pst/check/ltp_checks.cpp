// Checks of the lists/tables layer [MS-PST 2.3].
#include "pst/check/ltp_checks.hpp"

#include <optional>

#include "pst/ltp/bth.hpp"
#include "pst/ltp/heap.hpp"
#include "pst/ltp/heap_header.hpp"
#include "pst/ltp/property_context.hpp"
#include "pst/ltp/table_context.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

Finding Corruption(std::string kind, const std::string& where, std::string what) {
    return Finding{Severity::Corruption, std::move(kind), where, std::move(what)};
}

bool LooksLikeHeap(const NodeData& node) {
    return !node.pieces.empty() && node.pieces[0].size() >= HeapHeader::kSize &&
           HeapHeader::Read(node.pieces[0]).signature == kHeapSignature;
}

std::optional<std::uint8_t> ClientSignature(const NodeData& node) {
    if (!LooksLikeHeap(node)) return std::nullopt;
    return node.pieces[0][3];
}

// Opens the heap, adding a finding when it cannot be read.
std::optional<HeapReader> OpenHeap(const NodeData& node, const std::string& where, Findings& findings) {
    try {
        return HeapReader(node);
    } catch (const PstError& e) {
        findings.push_back(Corruption("heap", where, e.what()));
        return std::nullopt;
    }
}

void CheckHeapBlocks(const NodeData& node, const HeapReader& heap, const std::string& where, Findings& findings) {
    for (std::size_t b = 0; b < heap.BlockCount(); ++b) {
        const auto s = heap.Summary(b);
        const std::string block = "heap block " + std::to_string(b) + ": ";
        if (s.size > kMaxDataBlockPayload)
            findings.push_back(
                Corruption("heap", where, block + std::to_string(s.size) + " bytes, more than a data block holds"));
        if (s.free_count > s.empty_items)
            findings.push_back(Corruption("heap", where,
                                          block + "cFree " + std::to_string(s.free_count) +
                                              " counts more freed items than the page map has"));
    }
    (void)node;
    if (!heap.UserRoot().IsNull() && !heap.Contains(heap.UserRoot()))
        findings.push_back(Corruption("heap", where, "hidUserRoot names no allocation"));
}

bool ExpectsHeap(NidType type) {
    switch (type) {
        case NidType::NormalFolder:
        case NidType::SearchFolder:
        case NidType::NormalMessage:
        case NidType::Attachment:
        case NidType::AssocMessage:
        case NidType::HierarchyTable:
        case NidType::ContentsTable:
        case NidType::AssocContentsTable:
        case NidType::SearchContentsTable:
        case NidType::AttachmentTable:
        case NidType::RecipientTable:
            return true;
        default:
            return false;
    }
}

}  // namespace

Findings CheckHeap(const NodeData& node, const std::string& where) {
    Findings findings;
    if (const auto heap = OpenHeap(node, where, findings)) CheckHeapBlocks(node, *heap, where, findings);
    return findings;
}

Findings CheckBth(const NodeData& node, const std::string& where) {
    Findings findings;
    const auto heap = OpenHeap(node, where, findings);
    if (!heap) return findings;
    try {
        BthReader bth(*heap, heap->UserRoot());
    } catch (const PstError& e) {
        findings.push_back(Corruption("bth", where, e.what()));
    }
    return findings;
}

Findings CheckPropertyContext(const NodeData& node, const std::string& where) {
    Findings findings = CheckBth(node, where);
    if (!findings.empty()) return findings;
    try {
        ReadPropertyContext(node);
    } catch (const PstError& e) {
        findings.push_back(Corruption("property-context", where, e.what()));
    }
    return findings;
}

Findings CheckTableContext(const NodeData& node, const std::string& where) {
    Findings findings;
    const auto heap = OpenHeap(node, where, findings);
    if (!heap) return findings;
    CheckHeapBlocks(node, *heap, where, findings);
    try {
        TableContext::Read(node);
    } catch (const PstError& e) {
        const std::string what = e.what();
        findings.push_back(Corruption(what.rfind("BTH", 0) == 0 ? "bth" : "table-context", where, what));
    }
    return findings;
}

Findings CheckLtpNode(NodeId nid, const NodeData& node, const std::string& where) {
    Findings findings;
    const auto signature = ClientSignature(node);
    if (!signature) {
        if (ExpectsHeap(nid.Type()) && !node.pieces.empty())
            findings.push_back(
                Corruption("heap", where, "the node should hold a heap-on-node but has no 0xEC signature"));
    } else {
        Findings more;
        switch (*signature) {
            case static_cast<std::uint8_t>(HeapClient::PropertyContext):
                more = CheckHeap(node, where);
                if (more.empty()) more = CheckPropertyContext(node, where);
                break;
            case static_cast<std::uint8_t>(HeapClient::TableContext):
                more = CheckTableContext(node, where);
                break;
            case static_cast<std::uint8_t>(HeapClient::Bth):
                more = CheckHeap(node, where);
                if (more.empty()) more = CheckBth(node, where);
                break;
            default:
                more = CheckHeap(node, where);
                break;
        }
        findings.insert(findings.end(), more.begin(), more.end());
    }
    for (const auto& [sub_nid, sub] : node.subnodes) {
        if (!ExpectsHeap(sub_nid.Type())) continue;
        char text[32];
        std::snprintf(text, sizeof text, ", sub-node 0x%X", sub_nid.Value());
        Findings more = CheckLtpNode(sub_nid, sub, where + text);
        findings.insert(findings.end(), more.begin(), more.end());
    }
    return findings;
}

}  // namespace ferrowick::pst
