// A store of 1,000 messages in nested folders, the Inbox and Sent Items reads the same in
// our checker and reader and in Debian's pff-tools and pst-utils (run as black boxes).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "fs/text.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "store/pst_message.hpp"
#include "store/pst_store_service.hpp"
#include "support/run_command.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;

class ThirdPartyReadersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fsys::temp_directory_path() / ("ferrowick-readers-" + std::to_string(::getpid()));
        fsys::remove_all(dir_);
        fsys::create_directories(dir_);
        path_ = dir_ / "tree.pst";
        expected_ = new std::map<std::string, std::pair<int, int>>();  // folder -> messages, sub-folders

        PstStoreService service;
        auto session = service.CreateSession();
        auto store = session->LogonPstStore(FromNative(path_.string()), kUnicodePstFormat, u"Tree");
        store->ValidateIPMTree();
        auto top = store->IPMRootFolder()->Folders();
        auto projects = top->Add(u"Projects", kMailFolderType);
        auto year = projects->Folders()->Add(u"2014", kMailFolderType);
        auto quarter = year->Folders()->Add(u"Q1", kMailFolderType);
        auto archive = top->Add(u"Archive", kMailFolderType);
        std::vector<std::pair<std::shared_ptr<StoreFolder>, std::string>> targets = {
            {store->GetDefaultFolder(kDefaultFolderInbox), "Inbox"},
            {store->GetDefaultFolder(kDefaultFolderSentItems), "Sent Items"},
            {projects, "Projects"},
            {year, "2014"},
            {quarter, "Q1"},
            {archive, "Archive"}};
        for (auto& [f, name] : targets) (*expected_)[name] = {0, 0};
        (*expected_)["Projects"].second = 1;
        (*expected_)["2014"].second = 1;
        auto utility = service.CreateUtility();
        for (int i = 0; i < 1000; ++i) {
            auto& [folder, name] = targets[static_cast<std::size_t>(i * 7 % 6)];
            auto message = folder->Items()->Add(kMailMessageType);
            auto& props = static_cast<PstMessage&>(*message).Content().properties;
            props.Set(pst::tags::kSubject.id, pst::PropertyValue::String(u"Message " + FromNative(std::to_string(i))));
            props.Set(pst::tags::kBody.id, pst::PropertyValue::String(std::u16string(100 + i % 500, u'x')));
            utility->HrSetOneProp(*message, kTagMessageFlags, 0x11, true);
            message->Save();
            ++(*expected_)[name].first;
        }
        session->Logoff();
    }
    static void TearDownTestSuite() {
        fsys::remove_all(dir_);
        delete expected_;
    }

    static fsys::path dir_, path_;
    static std::map<std::string, std::pair<int, int>>* expected_;
};

fsys::path ThirdPartyReadersTest::dir_, ThirdPartyReadersTest::path_;
std::map<std::string, std::pair<int, int>>* ThirdPartyReadersTest::expected_ = nullptr;

TEST_F(ThirdPartyReadersTest, OurCheckerAndReaderAgree) {
    for (const pst::Finding& f : pst::CheckPstFile(path_))
        EXPECT_EQ(f.severity, pst::Severity::Leak) << f.kind << " " << f.where << ": " << f.what;
    const pst::PstStore store = pst::PstStore::Open(path_, pst::OpenMode::ReadOnly);
    std::map<std::string, int> seen;
    std::function<void(pst::NodeId)> walk = [&](pst::NodeId nid) {
        seen[ToUtf8(store.Folder(nid).DisplayName())] = static_cast<int>(store.Folder(nid).contents.RowCount());
        for (pst::NodeId c : store.Subfolders(nid)) walk(c);
    };
    walk(store.IpmSubtree());
    int total = 0;
    for (const auto& [name, counts] : *expected_) {
        EXPECT_EQ(seen[name], counts.first) << name;
        total += counts.first;
    }
    EXPECT_EQ(total, 1000);
}

TEST_F(ThirdPartyReadersTest, PffinfoOpensIt) {
    ASSERT_TRUE(testing::Installed("pffinfo"))
        << "pffinfo (Debian pff-tools) is missing (scripts/install-deps.sh installs it)";
    const auto info = testing::RunCommand("pffinfo '" + path_.string() + "' 2>&1");
    EXPECT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("Message store"), std::string::npos) << info.output;
}

TEST_F(ThirdPartyReadersTest, PffexportFindsTheSameFoldersAndMessages) {
    ASSERT_TRUE(testing::Installed("pffexport"))
        << "pffexport (Debian pff-tools) is missing (scripts/install-deps.sh installs it)";
    const fsys::path target = dir_ / "export";
    const auto exported =
        testing::RunCommand("pffexport -q -t '" + target.string() + "' '" + path_.string() + "' 2>&1");
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    std::map<std::string, int> found;
    for (const auto& entry : fsys::recursive_directory_iterator(target.string() + ".export")) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.rfind("Message", 0) == 0 &&
            entry.path().parent_path().filename() != "Attachments" &&
            entry.path().parent_path().parent_path().filename() != "Attachments")
            ++found[entry.path().parent_path().filename().string()];
    }
    for (const auto& [name, counts] : *expected_) EXPECT_EQ(found[name], counts.first) << name;
    EXPECT_TRUE(fsys::is_directory(target.string() + ".export/Top of Personal Folders/Projects/2014/Q1"));
}

TEST_F(ThirdPartyReadersTest, ReadpstFindsTheSameFoldersAndMessages) {
    ASSERT_TRUE(testing::Installed("readpst"))
        << "readpst (Debian pst-utils) is missing (scripts/install-deps.sh installs it)";
    const fsys::path target = dir_ / "readpst";
    fsys::create_directories(target);
    const auto read = testing::RunCommand("readpst -j0 -o '" + target.string() + "' '" + path_.string() + "' 2>&1");
    ASSERT_EQ(read.exitCode, 0) << read.output;
    const std::string& out = read.output;
    // readpst reports each folder it wrote as: "Name" - N items done, counting sub-folders too.
    std::map<std::string, int> items;
    const std::regex line("\"([^\"]+)\" - ([0-9]+) items done");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it)
        items[(*it)[1].str()] = std::stoi((*it)[2].str());
    for (const auto& [name, counts] : *expected_)
        EXPECT_EQ(items[name], counts.first + counts.second) << name << "\n" << out;
}

}  // namespace
}  // namespace ferrowick
