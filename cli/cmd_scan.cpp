#include <cstdio>
#include <string>

#include "cli/commands.hpp"
#include "fs/existence.hpp"
#include "fs/text.hpp"
#include "run/keyed_queue.hpp"
#include "run/run_settings.hpp"
#include "run/scan_folder.hpp"
#include "run/status_board.hpp"
#include "run/yielder.hpp"

namespace ferrowick::cli {
namespace {

// The scan prints its result at the end; the running count has nowhere to go.
class SilentBoard : public StatusBoard {
public:
    void SetWindowCaption(const std::u16string&) override {}
    void SetCount1(const std::u16string&) override {}
    void SetCurrentDbx(const std::u16string&) override {}
    void SetProgressText(const std::u16string& text) override { progressText_ = text; }
    std::u16string ProgressText() const override { return progressText_; }
    void SetFrameConversion(const std::u16string&) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressValue(float value) override { progressValue_ = value; }
    float ProgressValue() const override { return progressValue_; }
    void SetSkipEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetStopVisible(bool) override {}
    void SetLocateEnabled(bool) override {}

private:
    std::u16string progressText_;
    float progressValue_ = 0;
};

class NoWindowYielder : public Yielder {
public:
    void Yield() override {}
};

void PrintQueue(const char* heading, const KeyedQueue& queue) {
    std::printf("%s\n", heading);
    for (const QueueEntry& entry : queue.Entries())
        std::printf("%s\t%s\n", ToNative(entry.key).c_str(), ToNative(entry.path).c_str());
}

}  // namespace

int CmdScan(const Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0] == "-h" || args[0] == "--help") {
        std::fputs("Usage: ferrowick scan FOLDER\n", stderr);
        return kExitUsage;
    }
    RunSettings settings;
    settings.SourceFolder = FromNative(args[0]);
    settings.FilePattern = u"*.*";
    settings.NextMessageNumber = 1;
    if (!fs::FolderExists(settings.SourceFolder))
        std::fprintf(stderr, "ferrowick scan: '%s' is not a folder; nothing found\n", args[0].c_str());

    KeyedQueue messageQueue, folderQueue;
    SilentBoard board;
    NoWindowYielder yielder;
    ScanFolder(settings.SourceFolder, settings.FilePattern, settings.NextMessageNumber, settings.NextFolderNumber,
               messageQueue, folderQueue, board, yielder);
    settings.MessageCount = settings.NextMessageNumber - 1;

    PrintQueue("FolderQueue", folderQueue);
    PrintQueue("MessageQueue", messageQueue);
    std::printf("MessageCount %d\n", settings.MessageCount);
    return kExitOk;
}

}  // namespace ferrowick::cli
