#include <gtest/gtest.h>

#include "migration_fixture.hpp"

namespace ferrowick::testing {
namespace {

using Paths = std::vector<std::u16string>;

class ImportMessages : public MigrationTest {
protected:
    // n message files a1.msg ... an.msg directly in tree/Src.
    Paths MessageFiles(int n) {
        Paths files;
        for (int i = 1; i <= n; ++i) files.push_back(tree_.File("Src/a" + std::to_string(i) + ".msg"));
        state_.FolderQueue.Drop();
        state_.MessageQueue.Drop();
        int number = 1;
        for (const auto& f : files) state_.MessageQueue.Add(DecimalText(number++) + u"K", f);
        state_.Settings.MessageCount = n;
        return files;
    }
    // Raises a request once, while the given file is being imported.
    void RequestDuring(const std::string& fileName, bool RequestFlags::*flag) {
        yielder_.onYield = [this, fileName, flag, fired = false](long) mutable {
            if (!fired && board_.currentDbx.find(FromUtf8(fileName + ")")) != std::u16string::npos) {
                state_.Flags.*flag = true;
                fired = true;
            }
        };
    }
};

TEST_F(ImportMessages, EachMessageGoesIntoTheFolderMirroringItsSourceFolder) {
    const auto top = tree_.File("Src/a.msg");
    const auto deep = tree_.File("Src/Projects/2014/a.MSG");
    const auto text = tree_.File("Src/Projects/notes.txt");
    const auto sent2014 = tree_.File("Src/Sent/2014/b.msg");
    Queue({tree_.Path("Src/Projects"), tree_.Path("Src/Sent"), tree_.Path("Src/Projects/2014"),
           tree_.Path("Src/Sent/2014")},
          {top, text, deep, sent2014});
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().SavedIn(u""), Paths{top});
    EXPECT_EQ(Out().SavedIn(u"Projects\\2014"), Paths{deep});
    EXPECT_EQ(Out().SavedIn(u"Sent\\2014"), Paths{sent2014});  // below a plain top folder Sent
    EXPECT_EQ(Out().SavedCount(), 3u);
    EXPECT_EQ(state_.Report.folders[0].converted.size(), 3u);
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
    EXPECT_EQ(board_.Writes("FrameConversion").back(), "Reading Messages && Email Metadata - (4 of 4) File(s)");
    EXPECT_EQ(board_.Writes("LblCurrentDBX").back(), "Converting Messages... from (" + U8(sent2014) + ")");
}

TEST_F(ImportMessages, MessagesDirectlyInSentBelowARootWithoutSeparatorGetAFolderMadeForThem) {
    // "\Sent" is one of the names the folder tree never creates, and the lookup goes to a
    // plain top folder named Sent, not to Sent Items: that folder is made when a message
    // needs it, so the message is not lost.
    const auto sent = tree_.File("Src/Sent/b.msg");
    Queue({tree_.Path("Src/Sent")}, {sent});
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_EQ(Out().SavedIn(u"Sent"), Paths{sent});
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}

TEST_F(ImportMessages, MessagesBelowAnUncreatedDefaultFolderNameKeepTheirPlace) {
    const auto kept = tree_.File("Src/Archive/Calendar/c.msg");
    Queue({tree_.Path("Src/Archive"), tree_.Path("Src/Archive/Calendar")}, {kept});
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_EQ(Out().SavedIn(u"Archive\\Calendar"), Paths{kept});
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}

TEST_F(ImportMessages, ARootEndingInItsSeparatorSendsSentAndInboxToTheStoresFolders) {
    store_.inboxName = u"Posteingang";
    store_.sentItemsName = u"Gesendete Elemente";
    const auto sent = tree_.File("Src/Sent/b.msg");
    const auto sent2014 = tree_.File("Src/Sent/2014/c.msg");
    const auto inboxOld = tree_.File("Src/Inbox/Old/d.msg");
    const auto inbox = tree_.File("Src/Inbox/e.msg");
    Queue({tree_.Path("Src/Inbox"), tree_.Path("Src/Sent"), tree_.Path("Src/Inbox/Old"), tree_.Path("Src/Sent/2014")},
          {inbox, inboxOld, sent, sent2014});
    Migrate(u"Src", tree_.Path("Src") + kSep);

    EXPECT_EQ(Out().SavedIn(u"Posteingang"), Paths{inbox});
    EXPECT_EQ(Out().SavedIn(u"Posteingang\\Old"), Paths{inboxOld});
    EXPECT_EQ(Out().SavedIn(u"Gesendete Elemente"), Paths{sent});
    EXPECT_EQ(Out().SavedIn(u"Gesendete Elemente\\2014"), Paths{sent2014});
}

TEST_F(ImportMessages, ProgressAfterEveryQueuedFile) {
    MessageFiles(8);
    Migrate(u"Src", tree_.Path("Src"));

    const auto values = board_.Writes("ProgressValue");
    const auto texts = board_.Writes("lblProgress");
    ASSERT_EQ(values.size(), 8u);
    EXPECT_EQ(values[0], "12.5");
    EXPECT_EQ(texts[0], "12% Complete");
    EXPECT_EQ(values[2], "37.5");
    EXPECT_EQ(texts[2], "38% Complete");
    EXPECT_EQ(values[7], "100");
    EXPECT_EQ(texts[7], "100% Complete");
    EXPECT_EQ(board_.Writes("FrameConversion")[2], "Reading Messages && Email Metadata - (3 of 8) File(s)");
}

TEST_F(ImportMessages, FilesThatAreNotMessagesAreCountedButNotImported) {
    const auto msg = tree_.File("Src/a.msg");
    const auto txt = tree_.File("Src/b.txt");
    const auto bare = tree_.File("Src/msg");
    Queue({}, {txt, msg, bare});
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_EQ(Out().messages.size(), 1u);
    EXPECT_EQ(board_.Writes("lblProgress"),
              (std::vector<std::string>{"33% Complete", "67% Complete", "100% Complete"}));
}

TEST_F(ImportMessages, TheStoreIsToldOfTheMessageFilesToComeInTheirOrder) {
    const auto txt = tree_.File("Src/b.txt");
    const auto first = tree_.File("Src/z.msg");
    const auto bare = tree_.File("Src/msg");
    const auto second = tree_.File("Src/Deep/a.MSG");
    Queue({tree_.Path("Src/Deep")}, {txt, first, bare, second});
    Migrate(u"Src", tree_.Path("Src"));
    ASSERT_EQ(store_.expectedImports.size(), 1u);
    EXPECT_EQ(store_.expectedImports[0], (Paths{first, second}));
    EXPECT_EQ(Out().messages.size(), 2u);
}

TEST_F(ImportMessages, ReadFlagAlwaysAttachmentFlagOnlyWithAttachmentsDraftsStayDrafts) {
    const auto files = MessageFiles(5);
    store_.hasAttachments = {files[1], files[4]};
    store_.importedFlags[files[2]] = 0x08 | 0x20;         // a draft of mine: unsent, from me
    store_.importedFlags[files[3]] = 0x10 | 0x04 | 0x02;  // says attachments, submitted, unmodified
    store_.importedFlags[files[4]] = 0x2000 | 0x400 | 0x100 | 0x40 | 0x80;
    Migrate(u"Src", tree_.Path("Src"));
    ASSERT_EQ(Out().messages.size(), 5u);
    EXPECT_EQ(Out().messages[0]->flags, 0x01);
    EXPECT_EQ(Out().messages[1]->flags, 0x11);
    EXPECT_EQ(Out().messages[2]->flags, 0x29);
    EXPECT_EQ(Out().messages[3]->flags, 0x01);    // mailbox state is not carried, attachments are counted
    EXPECT_EQ(Out().messages[4]->flags, 0x2091);  // Internet origin and resend stay; read receipts, FAI do not
}

TEST_F(ImportMessages, AFileThatCannotBeImportedLeavesNoMessageAndIsReported) {
    const auto files = MessageFiles(3);
    store_.importFailsFor = {files[1]};
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().SavedIn(u""), (Paths{files[0], files[2]}));
    EXPECT_FALSE(Out().messages[1]->Saved());
    const auto& report = state_.Report.folders.at(0);
    ASSERT_EQ(report.notConverted.size(), 1u);
    EXPECT_EQ(report.notConverted[0].path, files[1]);
    EXPECT_EQ(U8(report.notConverted[0].reason), "The file is not a valid message file");
    EXPECT_EQ(report.converted, (Paths{files[0], files[2]}));
    EXPECT_EQ(board_.Writes("lblProgress").back(), "100% Complete");
}

TEST_F(ImportMessages, AFailureOfAnyKindInOneImportIsThatFilesAloneAndTheRunGoesOn) {
    const auto files = MessageFiles(4);
    store_.importOutOfMemoryFor = {files[1]};
    store_.importThrowsFor = {{files[2], "the disk went away"}};
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().SavedIn(u""), (Paths{files[0], files[3]}));
    EXPECT_FALSE(Out().messages[1]->Saved());
    EXPECT_FALSE(Out().messages[2]->Saved());
    const auto& report = state_.Report.folders.at(0);
    ASSERT_EQ(report.notConverted.size(), 2u);
    EXPECT_EQ(report.notConverted[0].path, files[1]);
    EXPECT_EQ(U8(report.notConverted[0].reason), "out of memory");
    EXPECT_EQ(report.notConverted[1].path, files[2]);
    EXPECT_EQ(U8(report.notConverted[1].reason), "the disk went away");
    EXPECT_EQ(report.converted, (Paths{files[0], files[3]}));
    EXPECT_TRUE(Out().loggedOff);  // the store is closed normally, the saved messages kept
    EXPECT_EQ(board_.Writes("lblProgress").back(), "100% Complete");
}

TEST_F(ImportMessages, AMessageBelowAFolderWithABangGoesToTheFolderBeforeIt) {
    const auto bang = tree_.File("Src/Proj!2/a.msg");
    Queue({tree_.Path("Src/Proj!2")}, {bang});
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_EQ(Out().SavedIn(u"Proj"), Paths{bang});
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);
}

TEST_F(ImportMessages, AMessageWhoseFolderCannotBeMadeIsReportedWithTheStoresWording) {
    store_.addFailsFor = {u"Proj"};
    const auto bang = tree_.File("Src/Proj!2/a.msg");
    Queue({tree_.Path("Src/Proj!2")}, {bang});
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_TRUE(Out().messages.empty());
    ASSERT_EQ(state_.Report.NotConvertedCount(), 1u);
    EXPECT_EQ(U8(state_.Report.folders[0].notConverted[0].reason),
              "Folder \"Proj\" does not exist (The folder could not be created)");
}

TEST_F(ImportMessages, TheNormalEndClosesTheStoreAndDropsTheQueues) {
    MessageFiles(2);
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_FALSE(state_.MessageQueue.Present());
    EXPECT_FALSE(state_.FolderQueue.Present());
    EXPECT_EQ(store_.CallCount("Logoff"), 1);
    EXPECT_EQ(store_.CallCount("SessionReleased"), 1);
    EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(ImportMessages, AStoreThatCannotBeWrittenTurnsEveryConvertedFileIntoAFailure) {
    MessageFiles(2);
    store_.logoffFailure = u"Disk full";
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_TRUE(state_.Report.folders[0].converted.empty());
    ASSERT_EQ(state_.Report.NotConvertedCount(), 2u);
    EXPECT_EQ(U8(state_.Report.folders[0].notConverted[0].reason), "the output store could not be written: Disk full");
}

TEST_F(ImportMessages, SkipAnsweredNoFinishesTheFolderAndClearsTheRequest) {
    MessageFiles(5);
    RequestDuring("a2.msg", &RequestFlags::SkipRequested);
    prompts_.answers = {MessageAnswer::No};
    Migrate(u"Src", tree_.Path("Src"));

    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(prompts_.shown[0].text), "Do you really want to \"Skip\" conversion of this folder ?");
    EXPECT_EQ(U8(prompts_.shown[0].title), "Confirm Skip");
    EXPECT_EQ(prompts_.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(prompts_.shown[0].icon, MessageIcon::None);
    EXPECT_FALSE(state_.Flags.SkipRequested);
    EXPECT_EQ(Out().SavedCount(), 5u);
}

TEST_F(ImportMessages, SkipAnsweredYesClosesTheStoreNormallyAfterTheCurrentFile) {
    MessageFiles(5);
    RequestDuring("a2.msg", &RequestFlags::SkipRequested);
    Migrate(u"Src", tree_.Path("Src"));

    EXPECT_EQ(Out().SavedCount(), 2u);
    EXPECT_EQ(board_.progressText, u"Skipped... at 40% Complete");
    EXPECT_EQ(board_.count1, u"Checking Next Folder...");
    EXPECT_TRUE(state_.Flags.SkipRequested);
    EXPECT_EQ(store_.CallCount("Logoff"), 1);
    EXPECT_FALSE(state_.MessageQueue.Present());
    EXPECT_EQ(state_.Report.NotConvertedCount(), 0u);  // the user chose to leave them
}

TEST_F(ImportMessages, StopAnsweredYesKeepsTheSavedMessagesAndReturnsAtOnce) {
    MessageFiles(10);
    RequestDuring("a3.msg", &RequestFlags::StopRequested);
    Migrate(u"Src", tree_.Path("Src"));

    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(prompts_.shown[0].text),
              "This action will STOP complete conversion process.\r\n"
              "Do you really want to \"STOP\" on-going conversion ?");
    EXPECT_EQ(U8(prompts_.shown[0].title), "Confirm Stop");
    EXPECT_EQ(Out().SavedCount(), 3u);
    EXPECT_EQ(board_.progressText, u"Stopped... at 30% Complete");
    EXPECT_EQ(board_.count1, u"Stopped...");
    EXPECT_EQ(prompts_.singleWindowCloses, 1);
    EXPECT_TRUE(state_.Flags.StopRequested);
    // The store is written out, but the rest of the normal close does not happen.
    EXPECT_EQ(store_.CallCount("Logoff"), 1);
    EXPECT_TRUE(Out().loggedOff);
    EXPECT_TRUE(state_.MessageQueue.Present());
}

TEST_F(ImportMessages, StopAnsweredNoGoesOn) {
    MessageFiles(4);
    RequestDuring("a1.msg", &RequestFlags::StopRequested);
    prompts_.answers = {MessageAnswer::No};
    Migrate(u"Src", tree_.Path("Src"));
    EXPECT_FALSE(state_.Flags.StopRequested);
    EXPECT_EQ(Out().SavedCount(), 4u);
    EXPECT_EQ(prompts_.singleWindowCloses, 0);
}

TEST_F(ImportMessages, SkipIsAnsweredBeforeStopAndAConfirmedSkipLeavesStopPending) {
    MessageFiles(3);
    yielder_.onYield = [this](long) {
        if (board_.currentDbx.find(u"a1.msg)") != std::u16string::npos)
            state_.Flags.SkipRequested = state_.Flags.StopRequested = true;
    };
    Migrate(u"Src", tree_.Path("Src"));
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(U8(prompts_.shown[0].title), "Confirm Skip");
    EXPECT_TRUE(state_.Flags.StopRequested);  // the driver sees it before the next folder
}

}  // namespace
}  // namespace ferrowick::testing
