// `ferrowick inspect FILE.pst [--json]`: the folder tree below the top of the store with each
// folder's message count, read with our own reader.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/argument_paths.hpp"
#include "cli/commands.hpp"
#include "cli/console_output.hpp"
#include "fs/text.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::cli {
namespace {

using Json = nlohmann::ordered_json;

std::size_t Messages(const pst::FolderObject& f) { return f.contents.RowCount(); }

void PrintText(const pst::PstStore& store, pst::NodeId nid, int depth) {
    const pst::FolderObject& f = store.Folder(nid);
    PrintTo(stdout, "%*s%s (%zu)\n", depth * 2, "", ToUtf8(f.DisplayName()).c_str(), Messages(f));
    for (pst::NodeId child : store.Subfolders(nid))
        if (store.HasFolder(child)) PrintText(store, child, depth + 1);
}

Json FolderJson(const pst::PstStore& store, pst::NodeId nid) {
    const pst::FolderObject& f = store.Folder(nid);
    Json folder{{"name", ToUtf8(f.DisplayName())}, {"messages", Messages(f)}, {"unread", f.UnreadCount()}};
    Json children = Json::array();
    for (pst::NodeId child : store.Subfolders(nid))
        if (store.HasFolder(child)) children.push_back(FolderJson(store, child));
    folder["folders"] = std::move(children);
    return folder;
}

std::size_t CountAll(const pst::PstStore& store, pst::NodeId nid) {
    std::size_t n = Messages(store.Folder(nid));
    for (pst::NodeId child : store.Subfolders(nid))
        if (store.HasFolder(child)) n += CountAll(store, child);
    return n;
}

int Inspect(const std::string& file, bool json) {
    try {
        const pst::PstStore store = pst::PstStore::Open(PathFromUtf8(file), pst::OpenMode::ReadOnly);
        const pst::NodeId top = store.IpmSubtree();
        if (json) {
            const Json doc{{"file", file},
                           {"display_name", ToUtf8(store.DisplayName())},
                           {"messages", CountAll(store, top)},
                           {"root", FolderJson(store, top)}};
            // Names that are not valid UTF-8 are shown with replacement characters.
            WriteText(stdout, doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
        } else {
            PrintTo(stdout, "%s\n", ToUtf8(store.DisplayName()).c_str());
            PrintText(store, top, 1);
            PrintTo(stdout, "%zu messages\n", CountAll(store, top));
        }
    } catch (const pst::PstError& e) {
        PrintTo(stderr, "ferrowick inspect: %s: %s\n", file.c_str(), e.what());
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace

void AddInspectCommand(CLI::App& app, CommandAction& action) {
    struct Options {
        std::string file;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* sub = app.add_subcommand("inspect", "folder tree of a .pst with message counts");
    sub->footer("Exit status: 0 shown, 2 usage error or a file that cannot be read as a .pst.");
    sub->add_option("FILE.pst", options->file, "the store to show")->required()->check(ExistingFileArgument());
    sub->add_flag("--json", options->json, "print the tree as JSON");
    sub->callback([options, &action] { action = [options] { return Inspect(options->file, options->json); }; });
}

}  // namespace ferrowick::cli
