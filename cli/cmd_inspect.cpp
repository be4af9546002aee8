// `ferrowick inspect FILE.pst [--json]`: the folder tree below the top of the store with each
// folder's message count, read with our own reader.
#include <cstdio>
#include <string>

#include "cli/commands.hpp"
#include "fs/text.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::cli {
namespace {

std::string JsonText(const std::u16string& text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::size_t Messages(const pst::FolderObject& f) { return f.contents.RowCount(); }

void PrintText(const pst::PstStore& store, pst::NodeId nid, int depth) {
    const pst::FolderObject& f = store.Folder(nid);
    std::printf("%*s%s (%zu)\n", depth * 2, "", ToUtf8(f.DisplayName()).c_str(), Messages(f));
    for (pst::NodeId child : store.Subfolders(nid))
        if (store.HasFolder(child)) PrintText(store, child, depth + 1);
}

void PrintJson(const pst::PstStore& store, pst::NodeId nid, int depth) {
    const pst::FolderObject& f = store.Folder(nid);
    const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
    std::printf("{\"name\": %s, \"messages\": %zu, \"unread\": %d, \"folders\": [", JsonText(f.DisplayName()).c_str(),
                Messages(f), f.UnreadCount());
    bool first = true;
    for (pst::NodeId child : store.Subfolders(nid)) {
        if (!store.HasFolder(child)) continue;
        std::printf("%s\n%s  ", first ? "" : ",", pad.c_str());
        PrintJson(store, child, depth + 1);
        first = false;
    }
    std::printf("%s]}", first ? "" : ("\n" + pad).c_str());
}

std::size_t CountAll(const pst::PstStore& store, pst::NodeId nid) {
    std::size_t n = Messages(store.Folder(nid));
    for (pst::NodeId child : store.Subfolders(nid))
        if (store.HasFolder(child)) n += CountAll(store, child);
    return n;
}

}  // namespace

int CmdInspect(const Args& args) {
    bool json = false;
    std::string file;
    for (const auto& a : args) {
        if (a == "--json") json = true;
        else if (a == "-h" || a == "--help") {
            std::fputs("Usage: ferrowick inspect FILE.pst [--json]\n", stdout);
            return kExitOk;
        } else if (file.empty() && !a.empty() && a[0] != '-') file = a;
        else {
            std::fputs("Usage: ferrowick inspect FILE.pst [--json]\n", stderr);
            return kExitUsage;
        }
    }
    if (file.empty()) {
        std::fputs("Usage: ferrowick inspect FILE.pst [--json]\n", stderr);
        return kExitUsage;
    }
    try {
        const pst::PstStore store = pst::PstStore::Open(file, pst::OpenMode::ReadOnly);
        const pst::NodeId top = store.IpmSubtree();
        if (json) {
            std::printf("{\"file\": %s, \"display_name\": %s, \"messages\": %zu, \"root\": ", JsonText(FromNative(file)).c_str(),
                        JsonText(store.DisplayName()).c_str(), CountAll(store, top));
            PrintJson(store, top, 1);
            std::printf("}\n");
        } else {
            std::printf("%s\n", ToUtf8(store.DisplayName()).c_str());
            PrintText(store, top, 1);
            std::printf("%zu messages\n", CountAll(store, top));
        }
    } catch (const pst::PstError& e) {
        std::fprintf(stderr, "ferrowick inspect: %s\n", e.what());
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace ferrowick::cli
