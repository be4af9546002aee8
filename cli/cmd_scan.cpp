// `ferrowick scan FOLDER`: the two queues discovery makes of a source tree, as the
// converter sees it.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/argument_paths.hpp"
#include "cli/commands.hpp"
#include "cli/console_output.hpp"
#include "fs/text.hpp"
#include "run/scan_folder.hpp"
#include "seams/keyed_queue.hpp"
#include "seams/run_settings.hpp"
#include "seams/silent_status_board.hpp"

namespace ferrowick::cli {
namespace {

void PrintQueue(const char* heading, const KeyedQueue& queue) {
    PrintTo(stdout, "%s\n", heading);
    for (const QueueEntry& entry : queue.Entries())
        PrintTo(stdout, "%s\t%s\n", ToNative(entry.key).c_str(), ToNative(entry.path).c_str());
}

int Scan(const std::string& folder) {
    RunSettings settings;
    settings.SourceFolder = FromNative(folder);
    settings.FilePattern = u"*.*";
    settings.NextMessageNumber = 1;

    KeyedQueue messageQueue, folderQueue;
    SilentBoard board;
    NoWindowYielder yielder;
    ScanFolder(settings.SourceFolder, settings.FilePattern, settings.NextMessageNumber, settings.NextFolderNumber,
               messageQueue, folderQueue, board, yielder);
    settings.MessageCount = settings.NextMessageNumber - 1;

    PrintQueue("FolderQueue", folderQueue);
    PrintQueue("MessageQueue", messageQueue);
    PrintTo(stdout, "MessageCount %d\n", settings.MessageCount);
    return kExitOk;
}

}  // namespace

void AddScanCommand(CLI::App& app, CommandAction& action) {
    auto folder = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("scan", "list a source tree as the converter sees it");
    sub->footer("Exit status: 0 listed, 2 usage error or FOLDER is not a folder.");
    sub->add_option("FOLDER", *folder, "the source folder tree")->required()->check(ExistingFolderArgument());
    sub->callback([folder, &action] { action = [folder] { return Scan(*folder); }; });
}

}  // namespace ferrowick::cli
