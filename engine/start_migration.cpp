#include "engine/start_migration.hpp"

#include "engine/creation_stamp.hpp"
#include "engine/ignoring_failures.hpp"
#include "engine/migration_call.hpp"
#include "engine/trim_blanks.hpp"
#include "fs/path_separator.hpp"

namespace ferrowick {
namespace {

constexpr char16_t kPstFilter[] = u"Outlook Data File(s) (*.pst)|*.pst";

}  // namespace

void StartMigration(RunState& state, RunSeams& seams, const std::u16string& folderName,
                    const std::u16string& folderPath) {
    MigrationCall(state, seams).Run(folderName, folderPath);
}

MigrationCall::MigrationCall(RunState& state, RunSeams& seams) : state_(state), seams_(seams) {}

void MigrationCall::Run(const std::u16string& folderName, const std::u16string& folderPath) {
    creationStamp_ = ferrowick::CreationStamp(seams_.clock.Now());
    if (!ChooseOutputPath(folderName)) return;

    seams_.yielder.Yield();
    PrepareBoard();
    seams_.yielder.Yield();

    state_.Report.folders.push_back(FolderReport{folderName, folderPath, state_.OutputPstPath, {}, {}, {}});
    report_ = &state_.Report.folders.back();

    try {
        OpenOutputStore(folderName);
        seams_.board.SetCurrentDbx(u"Reading Folder(s)...");
        sourceRoot_ = folderPath;
        BuildFolderList();
    } catch (const StoreFailure& failure) {
        OutlookErrorReport(failure.Description());
        ReportFolderNotConverted(u"the output store could not be opened: " + failure.Description());
        return;
    } catch (const std::exception& failure) {
        const std::u16string description =
            dynamic_cast<const std::bad_alloc*>(&failure) ? std::u16string(kOutOfMemory) : FromUtf8(failure.what());
        OutlookErrorReport(description);
        ReportFolderNotConverted(u"the output store could not be opened: " + description);
        return;
    }

    CreateStoreFolders();
    if (ImportMessages() == ImportEnd::Stopped) {
        LogoffAndRelease();  // saved messages reach the disk; the queues stay as they are
        return;
    }
    CloseOutputStore();
}

bool MigrationCall::ChooseOutputPath(const std::u16string& folderName) {
    state_.OutputPstPath.clear();
    if (seams_.selection.OptSingle()) {
        const auto chosen = seams_.prompts.AskSavePath(kPstFilter, folderName + creationStamp_ + u".pst");
        if (!chosen) {
            seams_.prompts.CloseSingleFolderWindow();
            return false;
        }
        state_.OutputPstPath = *chosen;
    } else {
        state_.OutputFolder = TrimBlanks(seams_.selection.OutputFolder());
        state_.OutputPstPath = state_.OutputFolder + fs::kPathSeparator + folderName + u".pst";
    }
    return !state_.OutputPstPath.empty();
}

void MigrationCall::PrepareBoard() {
    seams_.board.SetProgressRange(0, 100);
    seams_.board.SetLocateEnabled(true);
    seams_.board.SetStopVisible(true);
    seams_.board.SetStopEnabled(true);
    seams_.board.SetSkipEnabled(true);
}

// Any StoreFailure here ends the call through the "Outlook Error" box (see Run).
void MigrationCall::OpenOutputStore(const std::u16string& folderName) {
    session_ = seams_.store.CreateSession();
    if (!session_) throw StoreFailure(u"The message-store session could not be created.");
    seams_.board.SetCurrentDbx(u"Outlook Session Created...");

    // The folder's name as the store can show it: a "\" in it would split every folder path.
    storeDisplayName_ = StoreFolderName(folderName) + u" : Created - " + creationStamp_;
    store_ = session_->LogonPstStore(TrimBlanks(state_.OutputPstPath), kUnicodePstFormat, storeDisplayName_);
    if (!store_) throw StoreFailure(u"The output store could not be created.");

    storeEntryId_ = store_->EntryID();
    state_.StoreEntryID = storeEntryId_;
    store_->ValidateIPMTree();

    inboxName_ = DefaultFolderName(kDefaultFolderInbox);
    sentItemsName_ = DefaultFolderName(kDefaultFolderSentItems);
}

// The display name of one of the store's default folders, looking the store up by its id.
std::u16string MigrationCall::DefaultFolderName(int which) const {
    const auto store = session_->GetStoreFromID(storeEntryId_);
    if (!store) throw StoreFailure(u"The output store could not be found by its id.");
    const auto folder = store->GetDefaultFolder(which);
    if (!folder) throw StoreFailure(u"A default folder of the output store is missing.");
    return folder->Name();
}

void MigrationCall::CloseOutputStore() {
    state_.MessageQueue.Drop();
    state_.FolderQueue.Drop();
    sourceRoot_.clear();
    seams_.yielder.Yield();
    LogoffAndRelease();
}

// Logging off commits the store file: after a confirmed Stop this keeps the messages
// saved so far. If the store cannot be written, none of this folder's messages arrived.
void MigrationCall::LogoffAndRelease() {
    if (session_) {
        if (const auto failure = Attempt([&] { session_->Logoff(); })) {
            for (auto& path : report_->converted)
                report_->notConverted.push_back(
                    NotConvertedFile{path, u"the output store could not be written: " + *failure});
            report_->converted.clear();
            report_->convertedStoreFolders.clear();
        }
    }
    store_.reset();
    session_.reset();
}

}  // namespace ferrowick
