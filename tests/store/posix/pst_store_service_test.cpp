// The store service on our .pst library, call for call as the engine uses it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fs/text.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "store/pst_message.hpp"
#include "store/pst_session.hpp"
#include "store/pst_store_service.hpp"
#include "support/run_command.hpp"
#include "support/shared_corpus.hpp"
#include "support/store_failure.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using testing::FailureOf;

class PstStoreServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fsys::temp_directory_path() / ("ferrowick-store-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fsys::remove_all(dir_);
        fsys::create_directories(dir_);
        path_ = FromNative((dir_ / "out.pst").string());
    }
    void TearDown() override { fsys::remove_all(dir_); }

    std::shared_ptr<MessageStore> Logon(const std::u16string& name = u"Mail : Created - 1.1.26 1.1.01") {
        session_ = service_.CreateSession();
        return session_->LogonPstStore(path_, kUnicodePstFormat, name);
    }

    // A message as the engine saves it, with a subject set through the store-internal route.
    void SaveMessage(StoreFolder& folder, const std::u16string& subject) {
        auto message = folder.Items()->Add(kMailMessageType);
        static_cast<PstMessage&>(*message).Content().properties.Set(pst::tags::kSubject.id,
                                                                    pst::PropertyValue::String(subject));
        service_.CreateUtility()->HrSetOneProp(*message, kTagMessageFlags, 0x11, true);
        message->Save();
    }

    PstStoreService service_;
    std::shared_ptr<StoreSession> session_;
    fsys::path dir_;
    std::u16string path_;
};

TEST_F(PstStoreServiceTest, LogonLeavesACommittedStoreAtThePathAndNothingElse) {
    auto store = Logon(u"Projects : Created - 6.12.26 21.5.09");
    EXPECT_TRUE(fsys::is_regular_file(ToNative(path_)));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fsys::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1u);  // the temporary name is gone
    const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
    EXPECT_EQ(reread.DisplayName(), u"Projects : Created - 6.12.26 21.5.09");
    EXPECT_EQ(session_->GetStoreFromID(store->EntryID()), store);
    EXPECT_EQ(session_->Stores()->GetStoreFromID(store->EntryID()), store);
}

TEST_F(PstStoreServiceTest, OnlyTheUnicodeFormatIsCreated) {
    session_ = service_.CreateSession();
    EXPECT_NE(FailureOf([&] { session_->LogonPstStore(path_, 2, u"x"); }), u"(no failure)");
    EXPECT_FALSE(fsys::exists(ToNative(path_)));
}

TEST_F(PstStoreServiceTest, AFileThatIsNoPstIsNeverTouched) {
    { std::ofstream(ToNative(path_)) << "precious text"; }
    const auto before = fsys::last_write_time(ToNative(path_));
    const std::u16string failure = FailureOf([&] { Logon(); });
    EXPECT_NE(failure.find(u"already exists"), std::u16string::npos) << ToUtf8(failure);
    std::ifstream in(ToNative(path_));
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "precious text");
    EXPECT_EQ(fsys::last_write_time(ToNative(path_)), before);
}

TEST_F(PstStoreServiceTest, AnExistingStoreOfOursIsAddedToAndKeepsItsName) {
    {
        auto store = Logon(u"First");
        store->ValidateIPMTree();
        SaveMessage(*store->GetDefaultFolder(kDefaultFolderInbox), u"one");
        session_->Logoff();
    }
    auto store = Logon(u"Second");
    store->ValidateIPMTree();
    auto inbox = store->GetDefaultFolder(kDefaultFolderInbox);
    SaveMessage(*inbox, u"two");
    // The engine still finds the folders by the name it logged on with.
    EXPECT_EQ(session_->GetFolderFromPath(u"\\\\Second\\Inbox")->Name(), u"Inbox");
    EXPECT_EQ(session_->GetFolderFromPath(u"\\\\First\\Inbox")->Name(), u"Inbox");
    session_->Logoff();
    const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
    EXPECT_EQ(reread.DisplayName(), u"First");                      // the user's store is not renamed by an addition
    EXPECT_EQ(reread.Subfolders(reread.IpmSubtree()).size(), 11u);  // no second set of standard folders
    std::size_t messages = 0;
    for (pst::NodeId f : reread.Subfolders(reread.IpmSubtree())) messages += reread.Folder(f).contents.RowCount();
    EXPECT_EQ(messages, 2u);
}

// Outlook's own stores (copied, never the corpus files themselves) take new folders and
// messages and stay sound.
TEST_F(PstStoreServiceTest, AnOutlookStoreIsAddedToAndStaysSound) {
    FERROWICK_REQUIRE_CORPUS();
    for (const char* name : {"pstsdk/sample1.pst", "process-pst/unsent_email.pst", "tghanem-pst/PST.pst"}) {
        fsys::remove(ToNative(path_));
        fsys::copy_file(testing::CorpusDir() / "pst" / name, ToNative(path_));
        fsys::permissions(ToNative(path_), fsys::perms::owner_write, fsys::perm_options::add);
        const std::u16string ownName = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly).DisplayName();
        auto store = Logon(u"Added");
        store->ValidateIPMTree();
        EXPECT_EQ(store->GetDefaultFolder(kDefaultFolderInbox)->Name(), u"Inbox") << name;
        auto added = store->IPMRootFolder()->Folders()->Add(u"Converted", kMailFolderType);
        SaveMessage(*added, u"new");
        session_->Logoff();
        for (const pst::Finding& f : pst::CheckPstFile(ToNative(path_)))
            EXPECT_EQ(f.severity, pst::Severity::Leak) << name << ": " << f.kind << " " << f.what;
        const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
        bool found = false;
        for (pst::NodeId f : reread.Subfolders(reread.IpmSubtree()))
            if (reread.Folder(f).DisplayName() == u"Converted") found = reread.Folder(f).contents.RowCount() == 1;
        EXPECT_TRUE(found) << name;
        EXPECT_EQ(reread.DisplayName(), ownName) << name;
    }
}

TEST_F(PstStoreServiceTest, DefaultFoldersFoldersAndPathsAsTheEngineUsesThem) {
    auto store = Logon(u"Mail");
    store->ValidateIPMTree();
    EXPECT_EQ(store->GetDefaultFolder(kDefaultFolderInbox)->Name(), u"Inbox");
    EXPECT_EQ(store->GetDefaultFolder(kDefaultFolderSentItems)->Name(), u"Sent Items");

    auto top = store->IPMRootFolder()->Folders();
    const std::size_t standard = top->Count();
    EXPECT_EQ(standard, 11u);
    auto projects = top->Add(u"Projects", kMailFolderType);
    projects->Folders()->Add(u"2014", kMailFolderType);
    EXPECT_EQ(top->Count(), standard + 1);
    EXPECT_EQ(top->Item(standard)->Name(), u"Projects");
    // Names are unique among siblings without regard to case.
    EXPECT_NE(FailureOf([&] { top->Add(u"PROJECTS", kMailFolderType); }), u"(no failure)");
    EXPECT_NE(FailureOf([&] { top->Add(u"inbox", kMailFolderType); }), u"(no failure)");
    EXPECT_EQ(top->Count(), standard + 1);

    EXPECT_EQ(session_->GetFolderFromPath(u"\\\\Mail\\Projects\\2014")->Name(), u"2014");
    EXPECT_EQ(session_->GetFolderFromPath(u"\\\\Mail\\Projects\\2014\\")->Name(), u"2014");
    EXPECT_EQ(session_->GetFolderFromPath(u"\\\\Mail\\")->Name(), u"Top of Personal Folders");
    EXPECT_EQ(FailureOf([&] { session_->GetFolderFromPath(u"\\\\Mail\\Projects\\2015\\Q1"); }),
              u"Folder \"2015\" does not exist");
}

TEST_F(PstStoreServiceTest, MessagesAreMarkedSavedOnceAndCounted) {
    auto store = Logon(u"Mail");
    store->ValidateIPMTree();
    auto inbox = store->GetDefaultFolder(kDefaultFolderInbox);
    auto message = inbox->Items()->Add(kMailMessageType);
    // A file that cannot be read fails with a description naming it; the message stays empty.
    EXPECT_NE(FailureOf([&] { message->Import(u"/nowhere/a.msg", kMsgImportType); }).find(u"/nowhere/a.msg"),
              std::u16string::npos);
    EXPECT_FALSE(message->HasAttachments());
    service_.CreateUtility()->HrSetOneProp(*message, kTagMessageFlags, 17, true);
    message->Save();  // nothing changed since: no second copy
    session_->Logoff();

    const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
    const auto inboxNid = reread.ReceiveFolder(u"IPM");
    ASSERT_TRUE(inboxNid);
    const pst::FolderObject& folder = reread.Folder(*inboxNid);
    ASSERT_EQ(folder.contents.RowCount(), 1u);
    EXPECT_EQ(folder.ContentCount(), 1);
    EXPECT_EQ(folder.UnreadCount(), 0);
    const pst::MessageContent saved = reread.ReadMessage(pst::NodeId(folder.contents.Rows()[0].id));
    EXPECT_EQ(saved.properties.Find(pst::tags::kMessageFlags)->As<std::int32_t>(), 17);
    // After logoff the objects refuse work instead of writing to a closed file.
    EXPECT_NE(FailureOf([&] { inbox->Items()->Add(kMailMessageType); }), u"(no failure)");
}

// A save hands the message's content to the store without copying it: the message keeps
// all of it for a second save, which replaces the first with fresh stamps, as before.
TEST_F(PstStoreServiceTest, ASavedMessageKeepsItsContentAndASecondSaveReplacesIt) {
    auto store = Logon(u"Mail");
    store->ValidateIPMTree();
    auto inbox = store->GetDefaultFolder(kDefaultFolderInbox);
    auto message = inbox->Items()->Add(kMailMessageType);
    auto& pstMessage = static_cast<PstMessage&>(*message);
    pst::PropertyValue::Bytes data(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 131 + i / 7919);
    pst::AttachmentContent attachment;
    attachment.properties.Set(pst::tags::kAttachDataBinary.id, pst::PropertyValue::Binary(data));
    pstMessage.Content().attachments.push_back(attachment);
    pstMessage.Content().properties.Set(pst::tags::kSubject.id, pst::PropertyValue::String(u"first"));
    message->Save();
    EXPECT_TRUE(message->HasAttachments());
    EXPECT_FALSE(pstMessage.Content().properties.Find(pst::tags::kSearchKey));
    const pst::NodeId saved = *pstMessage.SavedAs();
    const auto firstKey =
        static_cast<PstMessageStore&>(*store).Open()->Store().ReadMessage(saved).properties.Find(pst::tags::kSearchKey);
    ASSERT_TRUE(firstKey);
    const pst::PropertyValue firstSearchKey = *firstKey;

    pstMessage.Content().properties.Set(pst::tags::kSubject.id, pst::PropertyValue::String(u"second"));
    message->Save();
    EXPECT_EQ(*pstMessage.SavedAs(), saved);
    session_->Logoff();

    const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
    const pst::FolderObject& folder = reread.Folder(*reread.ReceiveFolder(u"IPM"));
    ASSERT_EQ(folder.contents.RowCount(), 1u);
    const pst::MessageContent back = reread.ReadMessage(saved);
    EXPECT_EQ(back.properties.Find(pst::tags::kSubject)->As<std::u16string>(), u"second");
    EXPECT_NE(*back.properties.Find(pst::tags::kSearchKey), firstSearchKey);
    ASSERT_EQ(back.attachments.size(), 1u);
    EXPECT_TRUE(back.attachments[0].properties.Find(pst::tags::kAttachDataBinary)->As<pst::PropertyValue::Bytes>() ==
                data);
}

// Killing the process at any moment leaves no file or a sound one with every message of
// the last commit.
TEST_F(PstStoreServiceTest, AKilledWriterLeavesNoFileOrASoundCommittedStore) {
    int roundsWithMessages = 0;
    for (int round = 0; round < 6; ++round) {
        fsys::remove(ToNative(path_));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PstStoreService service;
            auto session = service.CreateSession();
            auto store = session->LogonPstStore(path_, kUnicodePstFormat, u"Killed");
            store->ValidateIPMTree();
            auto folder = store->IPMRootFolder()->Folders()->Add(u"Bulk", kMailFolderType);
            for (int i = 0;; ++i) {
                auto m = folder->Items()->Add(kMailMessageType);
                static_cast<PstMessage&>(*m).Content().properties.Set(pst::tags::kBody.id,
                                                                      pst::PropertyValue::String(
                                                                          std::u16string(2000, u'k')));
                m->Save();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + round * 170));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!fsys::exists(ToNative(path_))) continue;
        for (const pst::Finding& f : pst::CheckPstFile(ToNative(path_)))
            EXPECT_EQ(f.severity, pst::Severity::Leak) << "round " << round << ": " << f.kind << " " << f.what;
        const pst::PstStore reread = pst::PstStore::Open(ToNative(path_), pst::OpenMode::ReadOnly);
        std::size_t messages = 0;
        for (pst::NodeId f : reread.Subfolders(reread.IpmSubtree())) {
            EXPECT_EQ(static_cast<std::size_t>(reread.Folder(f).ContentCount()), reread.Folder(f).contents.RowCount());
            messages += reread.Folder(f).contents.RowCount();
        }
        if (messages > 0) ++roundsWithMessages;
        if (testing::Installed("pffinfo")) {
            const auto info = testing::RunCommand("pffinfo '" + ToNative(path_) + "' 2>&1");
            EXPECT_EQ(info.exitCode, 0) << "round " << round << ": " << info.output;
        }
    }
    EXPECT_GT(roundsWithMessages, 0) << "no kill came late enough to find committed messages";
}

}  // namespace
}  // namespace ferrowick
