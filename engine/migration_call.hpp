#pragma once
// The state of one engine call and its phases: open the output store, mirror the folder
// tree, import the messages, close the store. Nothing of one call is reused by the next.
//
// Failures are handled in three ways, by phase: a cancelled save prompt closes the
// single-folder window and converts nothing; from the session's creation until the folder
// list is built, a store failure ends the call with the "Outlook Error" box; from folder
// creation on, each store call is attempted on its own and a failure skips only it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/store_folder_names.hpp"
#include "engine/string_list.hpp"
#include "seams/conversion_report.hpp"
#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"
#include "seams/store_service.hpp"

namespace ferrowick {

class MigrationCall {
public:
    MigrationCall(RunState& state, RunSeams& seams);
    void Run(const std::u16string& folderName, const std::u16string& folderPath);

    // The store folder path ("\"-separated, no leading "\", empty for the top folder) that
    // mirrors the folder of one queued file.
    std::u16string MessageTargetPath(const std::u16string& item) const;

private:
    enum class ImportEnd { Finished, Skipped, Stopped };

    void OpenOutputStore(const std::u16string& folderName);
    bool ChooseOutputPath(const std::u16string& folderName);
    void PrepareBoard();
    void BuildFolderList();
    void CreateStoreFolders();
    void CreateTopLevelFolder(std::u16string& entry);
    void CreateNestedFolder(const std::u16string& entry);
    std::shared_ptr<StoreFolder> CreateMissingParents(const std::u16string& parentPath, std::u16string failure);
    std::u16string FullStorePath(const std::u16string& path) const;
    std::shared_ptr<StoreFolder> CreateTargetFolder(const std::u16string& target,
                                                    std::optional<std::u16string>& failure);
    std::u16string DefaultFolderName(int which) const;
    ImportEnd ImportMessages();
    void ImportMessage(const std::u16string& item);
    bool SkipConfirmed();
    bool StopConfirmed();
    void CloseOutputStore();
    void LogoffAndRelease();
    void OutlookErrorReport(const std::u16string& description);
    void ReportFolderNotConverted(const std::u16string& reason);

    RunState& state_;
    RunSeams& seams_;
    FolderReport* report_ = nullptr;

    std::u16string creationStamp_;
    std::u16string storeDisplayName_;
    std::shared_ptr<StoreSession> session_;
    std::shared_ptr<MessageStore> store_;
    std::u16string storeEntryId_;
    std::u16string inboxName_;
    std::u16string sentItemsName_;
    std::u16string sourceRoot_;
    StoreFolderNames folderNames_;  // disk names as store folder names, for this tree
    StringList folderList_;
    std::int32_t folderIndex_ = 0;
    std::int32_t messageNumber_ = 0;
};

}  // namespace ferrowick
