#include "run/run_driver.hpp"

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "engine/start_migration.hpp"
#include "fs/path_names.hpp"
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

// Discovery of one source folder into freshly emptied queues; sets MessageCount. Returns
// the folders of the tree it passed over.
std::vector<NotConvertedFile> PrepareAndScan(RunState& state, RunSeams& seams, const std::u16string& sourceFolder) {
    RunSettings& settings = state.Settings;
    settings.SourceFolder = sourceFolder;
    settings.FilePattern = u"*.*";
    state.MessageQueue.Drop();
    state.FolderQueue.Drop();
    settings.NextMessageNumber = 1;
    seams.yielder.Yield();
    std::vector<NotConvertedFile> passedOver;
    ScanFolder(settings.SourceFolder, settings.FilePattern, settings.NextMessageNumber, settings.NextFolderNumber,
               state.MessageQueue, state.FolderQueue, seams.board, seams.yielder, passedOver);
    settings.MessageCount = settings.NextMessageNumber - 1;
    return passedOver;
}

// The folders discovery passed over head the source folder's list of what was not
// converted; the folder gets a report of its own when the engine made none (nothing to
// convert, or no store chosen).
void ReportPassedOver(RunState& state, std::size_t reportsBefore, const std::u16string& folderName,
                      const std::u16string& folderPath, std::vector<NotConvertedFile> passedOver) {
    if (passedOver.empty()) return;
    std::vector<FolderReport>& reports = state.Report.folders;
    if (reports.size() == reportsBefore) reports.push_back(FolderReport{folderName, folderPath, {}, {}, {}, {}});
    std::vector<NotConvertedFile>& list = reports.back().notConverted;
    list.insert(list.begin(), std::make_move_iterator(passedOver.begin()), std::make_move_iterator(passedOver.end()));
}

void ClearRequests(RunState& state) {
    state.Flags.SkipRequested = false;
    state.Flags.StopRequested = false;
}

void RunSingleFolder(RunState& state, RunSeams& seams) {
    seams.yielder.Yield();
    if (state.Flags.StopRequested) return;
    seams.board.SetSkipEnabled(false);
    const std::size_t reportsBefore = state.Report.folders.size();
    std::vector<NotConvertedFile> passedOver = PrepareAndScan(state, seams, seams.selection.SourceMailbox());
    seams.yielder.Yield();
    seams.board.SetCount1(u"Migrating " + DecimalText(state.Settings.MessageCount) + u" items from " +
                          state.Settings.SourceFolder);
    const std::u16string folderPath = seams.selection.SourceMailbox();
    if (state.Settings.MessageCount >= 1) {
        ClearRequests(state);
        seams.board.SetWindowCaption(u"Conversion Status");
        StartMigration(state, seams, fs::FileNameOf(folderPath), folderPath);
    }
    ReportPassedOver(state, reportsBefore, fs::FileNameOf(folderPath), folderPath, std::move(passedOver));
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
        const std::size_t reportsBefore = state.Report.folders.size();
        std::vector<NotConvertedFile> passedOver = PrepareAndScan(state, seams, row.Path);
        seams.yielder.Yield();
        seams.board.SetCount1(u"Converting " + DecimalText(state.Settings.MessageCount) + u" items from " + row.Path);
        if (state.Settings.MessageCount >= 1) {
            ClearRequests(state);
            seams.board.SetWindowCaption(u"Converting " + DecimalText(static_cast<std::int64_t>(i)) + u" of " +
                                         DecimalText(static_cast<std::int64_t>(rowCount)) + u" Folders");
            StartMigration(state, seams, row.Text, row.Path);
        }
        ReportPassedOver(state, reportsBefore, row.Text, row.Path, std::move(passedOver));
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
    box.text =
        (single ? u"Messages Converted Successfully.\r\n" : u"All Folders Converted Successfully.\r\n") + openLine;
    if (const std::size_t failed = state.Report.NotConvertedCount(); failed > 0) {
        const std::size_t converted = state.Report.ConvertedCount();
        box.icon = MessageIcon::Warning;
        box.text = DecimalText(static_cast<std::int64_t>(converted)) +
                   (converted == 1 ? u" message converted, " : u" messages converted, ") +
                   state.Report.FailureSummary();
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

void StartConversionClick(RunState& state, RunSeams& seams) {
    if (state.RunInProgress) return;
    const RunInProgressMark mark(state);

    state.Flags.StopRequested = false;
    state.Settings.Mode = seams.selection.OptSingle() ? RunMode::SingleFolder : RunMode::MultipleFolders;
    state.Report.Clear();

    if (state.Settings.Mode == RunMode::SingleFolder)
        RunSingleFolder(state, seams);
    else
        RunMultipleFolders(state, seams);
    Complete(state, seams);
}

}  // namespace ferrowick
