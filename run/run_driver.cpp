#include "run/run_driver.hpp"

#include <cstddef>
#include <string>

#include "engine/path_names.hpp"
#include "engine/start_migration.hpp"
#include "fs/text.hpp"
#include "run/scan_folder.hpp"

namespace ferrowick {
namespace {

class RunInProgressMark {
public:
    explicit RunInProgressMark(RunState& state) : state_(state) { state_.RunInProgress = true; }
    ~RunInProgressMark() { state_.RunInProgress = false; }
    RunInProgressMark(const RunInProgressMark&) = delete;
    RunInProgressMark& operator=(const RunInProgressMark&) = delete;

private:
    RunState& state_;
};

// Discovery of one source folder into freshly emptied queues; sets MessageCount.
void PrepareAndScan(RunState& state, RunSeams& seams, const std::u16string& sourceFolder) {
    RunSettings& settings = state.Settings;
    settings.SourceFolder = sourceFolder;
    settings.FilePattern = u"*.*";
    state.MessageQueue.Drop();
    state.FolderQueue.Drop();
    settings.NextMessageNumber = 1;
    seams.yielder.Yield();
    ScanFolder(settings.SourceFolder, settings.FilePattern, settings.NextMessageNumber,
               settings.NextFolderNumber, state.MessageQueue, state.FolderQueue, seams.board,
               seams.yielder);
    settings.MessageCount = settings.NextMessageNumber - 1;
}

void ClearRequests(RunState& state) {
    state.Flags.SkipRequested = false;
    state.Flags.StopRequested = false;
}

void RunSingleFolder(RunState& state, RunSeams& seams) {
    seams.yielder.Yield();
    if (state.Flags.StopRequested) return;
    seams.board.SetSkipEnabled(false);
    PrepareAndScan(state, seams, seams.selection.SourceMailbox());
    seams.yielder.Yield();
    seams.board.SetCount1(u"Migrating " + DecimalText(state.Settings.MessageCount) + u" items from " +
                          state.Settings.SourceFolder);
    if (state.Settings.MessageCount < 1) return;
    ClearRequests(state);
    seams.board.SetWindowCaption(u"Conversion Status");
    const std::u16string folderPath = seams.selection.SourceMailbox();
    StartMigration(state, seams, FileNameOf(folderPath), folderPath);
}

void RunMultipleFolders(RunState& state, RunSeams& seams) {
    const std::size_t rowCount = seams.selection.RowCount();
    for (std::size_t i = 1; i <= rowCount; ++i) {
        seams.yielder.Yield();
        const FolderRow row = seams.selection.Row(i);
        if (!row.Checked) continue;
        seams.yielder.Yield();
        if (state.Flags.StopRequested) break;
        seams.board.SetSkipEnabled(false);
        seams.selection.MarkRowStarted(i);
        PrepareAndScan(state, seams, row.Path);
        seams.yielder.Yield();
        seams.board.SetCount1(u"Converting " + DecimalText(state.Settings.MessageCount) +
                              u" items from " + row.Path);
        if (state.Settings.MessageCount < 1) continue;
        ClearRequests(state);
        seams.board.SetWindowCaption(u"Converting " + DecimalText(static_cast<std::int64_t>(i)) + u" of " +
                                     DecimalText(static_cast<std::int64_t>(rowCount)) + u" Folders");
        StartMigration(state, seams, row.Text, row.Path);
    }
}

// The "Completed" box after every run. When files could not be converted it says how
// many were and were not, with a warning icon, and their list goes into the details: a
// success line above a failure count would read as success.
void Complete(RunState& state, RunSeams& seams) {
    const bool single = state.Settings.Mode == RunMode::SingleFolder;
    const std::u16string openLine =
        single ? u"Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages."
               : u"Open Converted Outlook Data file(s) in Microsoft Outlook to View Individual files.";
    MessageBoxRequest box;
    box.title = u"Completed";
    box.icon = MessageIcon::Information;
    box.buttons = MessageButtons::Ok;
    box.text = (single ? u"Messages Converted Successfully.\r\n" : u"All Folders Converted Successfully.\r\n") +
               openLine;
    if (const std::size_t failed = state.Report.NotConvertedCount(); failed > 0) {
        const std::size_t converted = state.Report.ConvertedCount();
        box.icon = MessageIcon::Warning;
        box.text = DecimalText(static_cast<std::int64_t>(converted)) +
                   (converted == 1 ? u" message converted, " : u" messages converted, ") +
                   DecimalText(static_cast<std::int64_t>(failed)) + u" could not be converted.";
        if (converted > 0) box.text += u"\r\n" + openLine;
        box.details = state.Report.FailureDetails();
    }
    seams.prompts.ShowMessage(box);

    if (state.Flags.StopRequested) seams.prompts.CloseSingleFolderWindow();
    seams.board.SetSkipEnabled(false);
    seams.board.SetStopEnabled(false);
    seams.board.SetStopVisible(false);
}

}  // namespace

void StartConversion_Click(RunState& state, RunSeams& seams) {
    if (state.RunInProgress) return;
    const RunInProgressMark mark(state);

    state.Flags.StopRequested = false;
    state.Settings.Mode = seams.selection.OptSingle() ? RunMode::SingleFolder : RunMode::MultipleFolders;
    state.Report.Clear();

    if (state.Settings.Mode == RunMode::SingleFolder) RunSingleFolder(state, seams);
    else RunMultipleFolders(state, seams);
    Complete(state, seams);
}

}  // namespace ferrowick
