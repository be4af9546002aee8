#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ignoring_failures.hpp"
#include "engine/migration_call.hpp"
#include "engine/progress_text.hpp"
#include "fs/path_names.hpp"
#include "fs/text.hpp"

namespace ferrowick {
namespace {

// Only files whose names end in ".msg", in any letter case, are imported.
bool IsMessageFile(const std::u16string& path) {
    const std::u16string name = fs::FileNameOf(path);
    if (name.size() < 4) return false;
    std::u16string ending = name.substr(name.size() - 4);
    for (auto& c : ending)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ending == u".msg";
}

std::vector<std::u16string> QueuedPaths(const KeyedQueue& queue) {
    std::vector<std::u16string> paths;
    paths.reserve(queue.Count());
    for (const auto& entry : queue.Entries()) paths.push_back(entry.path);
    return paths;
}

}  // namespace

// Every queued file in order: message files are imported, every file counts in the
// progress, and a pending Skip or Stop is answered after each one.
MigrationCall::ImportEnd MigrationCall::ImportMessages() {
    messageNumber_ = 1;
    // A copy: the status window may drop the queues while the loop yields.
    const auto queued = std::make_shared<const std::vector<std::u16string>>(QueuedPaths(state_.MessageQueue));
    if (session_)
        session_->ExpectImports([queued, at = std::size_t{0}]() mutable -> std::optional<std::u16string> {
            while (at < queued->size()) {
                const std::u16string& path = (*queued)[at++];
                if (IsMessageFile(path)) return path;
            }
            return std::nullopt;
        });
    for (const auto& item : *queued) {
        if (IsMessageFile(item)) ImportMessage(item);

        const std::int32_t count = state_.Settings.MessageCount;
        seams_.board.SetFrameConversion(u"Reading Messages && Email Metadata - (" + DecimalText(messageNumber_) +
                                        u" of " + DecimalText(count) + u") File(s)");
        const float percent = ProgressPercent(messageNumber_, count);
        seams_.board.SetProgressValue(percent);
        ++messageNumber_;
        seams_.board.SetProgressText(PercentCompleteText(percent));

        if (state_.Flags.SkipRequested && SkipConfirmed()) return ImportEnd::Skipped;
        if (state_.Flags.StopRequested && StopConfirmed()) return ImportEnd::Stopped;
    }
    return ImportEnd::Finished;
}

// One message file into the store folder that mirrors its source folder. It is saved
// only when it was imported, so a file that cannot be read leaves no empty message.
void MigrationCall::ImportMessage(const std::u16string& item) {
    seams_.yielder.Yield();
    seams_.board.SetCurrentDbx(u"Converting Messages... from (" + item + u")");
    const std::u16string target = MessageTargetPath(item);

    std::shared_ptr<StoreFolder> folder;
    auto failure = Attempt([&] { folder = session_->GetFolderFromPath(FullStorePath(target)); });
    if (failure) folder = CreateTargetFolder(target, failure);
    std::shared_ptr<StoreMessage> message;
    if (!failure) failure = Attempt([&] { message = Held(Held(folder).Items()).Add(kMailMessageType); });
    seams_.yielder.Yield();
    if (!failure) failure = Attempt([&] { Held(message).Import(item, kMsgImportType); });
    if (!failure) {
        bool hasAttachments = false;
        std::int32_t source = 0;
        Attempt([&] { hasAttachments = message->HasAttachments(); });
        Attempt([&] { source = message->ImportedFlags(); });
        // Read, as every imported message is; a draft stays a draft that can still be sent.
        const std::int32_t flags =
            (source & kMessageFlagsKeptOnImport) | kMessageFlagRead | (hasAttachments ? kMessageFlagHasAttachment : 0);
        Attempt([&] { Held(seams_.store.CreateUtility()).HrSetOneProp(*message, kTagMessageFlags, flags, true); });
        seams_.yielder.Yield();
        failure = Attempt([&] { message->Save(); });
    }

    if (failure)
        report_->notConverted.push_back(NotConvertedFile{item, *failure});
    else
        report_->AddConverted(item, target);
}

bool MigrationCall::SkipConfirmed() {
    MessageBoxRequest box;
    box.text = u"Do you really want to \"Skip\" conversion of this folder ?";
    box.title = u"Confirm Skip";
    box.icon = MessageIcon::None;
    box.buttons = MessageButtons::YesNo;
    if (seams_.prompts.ShowMessage(box) != MessageAnswer::Yes) {
        state_.Flags.SkipRequested = false;
        return false;
    }
    seams_.yielder.Yield();
    seams_.board.SetProgressText(u"Skipped... at " + seams_.board.ProgressText());
    seams_.board.SetCount1(u"Checking Next Folder...");
    return true;  // the request stays raised; the driver clears it before the next folder
}

bool MigrationCall::StopConfirmed() {
    MessageBoxRequest box;
    box.text =
        u"This action will STOP complete conversion process.\r\n"
        u"Do you really want to \"STOP\" on-going conversion ?";
    box.title = u"Confirm Stop";
    box.icon = MessageIcon::None;
    box.buttons = MessageButtons::YesNo;
    if (seams_.prompts.ShowMessage(box) != MessageAnswer::Yes) {
        state_.Flags.StopRequested = false;
        return false;
    }
    seams_.yielder.Yield();
    seams_.board.SetProgressText(u"Stopped... at " + seams_.board.ProgressText());
    seams_.board.SetCount1(u"Stopped...");
    seams_.prompts.CloseSingleFolderWindow();
    return true;  // the request stays raised, so the driver ends the run
}

// The store could not be opened: none of the folder's message files arrived.
void MigrationCall::ReportFolderNotConverted(const std::u16string& reason) {
    for (const auto& entry : state_.MessageQueue.Entries())
        if (IsMessageFile(entry.path)) report_->notConverted.push_back(NotConvertedFile{entry.path, reason});
}

}  // namespace ferrowick
