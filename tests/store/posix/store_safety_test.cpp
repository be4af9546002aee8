// A store is safe with people's mail: one writer at a time (in this process or another),
// no writes into a damaged store, and a logon that fails leaves an existing file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "fs/text.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "pst/ndb/file_io.hpp"
#include "pst/ndb/header.hpp"
#include "store/pst_message.hpp"
#include "store/pst_session.hpp"
#include "store/pst_store_service.hpp"
#include "support/run_command.hpp"
#include "support/shared_corpus.hpp"
#include "support/store_failure.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;
using testing::FailureOf;

constexpr const char* kOutlookStore = "tghanem-pst/PST.pst";

std::vector<char> Bytes(const fsys::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(const fsys::path& path) {
    const auto bytes = Bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A copy of one of Outlook's stores that we may write to.
void CopyOutlookStore(const fsys::path& to) {
    fsys::remove(to);
    fsys::copy_file(testing::CorpusDir() / "pst" / kOutlookStore, to);
    fsys::permissions(to, fsys::perms::owner_write, fsys::perm_options::add);
}

// Rewrites the header through `change`, with its CRCs made right again.
void ChangeHeader(const fsys::path& path, const std::function<void(pst::Header&)>& change) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    std::array<std::uint8_t, pst::kHeaderSize> bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    pst::Header header = pst::Header::Read(bytes);
    change(header);
    header.Write(bytes);
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string Corruption(const fsys::path& path) {
    std::string text;
    for (const pst::Finding& f : pst::CheckPstFile(path))
        if (f.severity == pst::Severity::Corruption) text += f.kind + ": " + f.what + "\n";
    return text;
}

std::size_t MessagesBelow(const pst::PstStore& store, pst::NodeId folder) {
    std::size_t count = store.Folder(folder).contents.RowCount();
    for (pst::NodeId child : store.Subfolders(folder)) count += MessagesBelow(store, child);
    return count;
}

std::size_t MessagesIn(const fsys::path& path) {
    const pst::PstStore store = pst::PstStore::Open(path, pst::OpenMode::ReadOnly);
    return MessagesBelow(store, store.RootFolder());
}

// `ferrowick convert SOURCE OUTPUT`, started in the background with all it says to `errors`.
pid_t StartConvert(const fsys::path& source, const fsys::path& output, const fsys::path& errors) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(err, 1);
        ::dup2(err, 2);
        ::execl(FERROWICK_BINARY, FERROWICK_BINARY, "convert", source.c_str(), output.c_str(), (char*)nullptr);
        ::_exit(127);
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Cli(const std::string& args) {
    return testing::RunCommand(std::string("'") + FERROWICK_BINARY + "' " + args + " >/dev/null 2>&1").exitCode;
}

class StoreSafetyTest : public ::testing::Test {
protected:
    std::shared_ptr<StoreSession> NewSession() { return service_.CreateSession(); }

    testing::TempFolder dir_;
    fsys::path path_ = dir_.Native("out.pst");
    std::u16string shown_ = FromNative(path_.string());
    PstStoreService service_;
};

// While one session writes a store (new or Outlook's), a second session and a second
// process are refused as in use and change nothing; readers keep working.
TEST_F(StoreSafetyTest, AStoreInUseIsRefusedToOtherWritersNamingTheFile) {
    FERROWICK_REQUIRE_CORPUS();
    const fsys::path errors = dir_.Native("errors.txt");
    for (const bool outlook : {false, true}) {
        if (outlook) CopyOutlookStore(path_);
        auto holder = NewSession();
        holder->LogonPstStore(shown_, kUnicodePstFormat, u"Holder")->ValidateIPMTree();
        const auto before = Bytes(path_);
        EXPECT_EQ(FailureOf([&] { NewSession()->LogonPstStore(shown_, kUnicodePstFormat, u"Second"); }),
                  u"The file " + shown_ + u" is in use by another program.");
        EXPECT_EQ(ExitCode(StartConvert(testing::CorpusDir() / "msg", path_, errors)), 2) << Text(errors);
        EXPECT_NE(Text(errors).find(path_.string() + " is in use by another program."), std::string::npos)
            << Text(errors);
        EXPECT_EQ(Bytes(path_), before);
        EXPECT_EQ(Cli("check '" + path_.string() + "'"), 0);
        EXPECT_EQ(Cli("inspect '" + path_.string() + "'"), 0);
        holder->Logoff();
        auto next = NewSession();  // the lock went with the holder
        EXPECT_NE(next->LogonPstStore(shown_, kUnicodePstFormat, u"Next"), nullptr);
        next->Logoff();
        EXPECT_EQ(Corruption(path_), "");
        fsys::remove(path_);
    }
}

// Two real runs at once into one output, new and existing: one may be refused, but the
// store is sound and holds every message of every run that succeeded.
TEST_F(StoreSafetyTest, TwoConvertRunsAtOnceNeverShareTheStore) {
    FERROWICK_REQUIRE_CORPUS();
    const fsys::path source = testing::CorpusDir() / "msg";
    const fsys::path errorsA = dir_.Native("a.txt"), errorsB = dir_.Native("b.txt");
    ASSERT_EQ(ExitCode(StartConvert(source, path_, errorsA)), 0) << Text(errorsA);
    const std::size_t perRun = MessagesIn(path_);
    ASSERT_GT(perRun, 100u);
    int refused = 0;
    for (int round = 0; round < 6; ++round) {
        fsys::remove(path_);
        if (round % 2 == 1) CopyOutlookStore(path_);
        const std::size_t base = fsys::exists(path_) ? MessagesIn(path_) : 0;
        const pid_t a = StartConvert(source, path_, errorsA), b = StartConvert(source, path_, errorsB);
        const int exitA = ExitCode(a), exitB = ExitCode(b);
        int succeeded = 0;
        for (const auto& [code, errors] : {std::pair{exitA, errorsA}, std::pair{exitB, errorsB}}) {
            if (code == 0)
                ++succeeded;
            else if (code == 2) {
                ++refused;
                EXPECT_NE(Text(errors).find(path_.string() + " is in use by another program."), std::string::npos)
                    << Text(errors);
            } else {
                ADD_FAILURE() << "round " << round << ": exit " << code << "\n" << Text(errors);
            }
        }
        EXPECT_GE(succeeded, 1) << "round " << round;
        EXPECT_EQ(Corruption(path_), "") << "round " << round;
        EXPECT_EQ(MessagesIn(path_), base + perRun * succeeded) << "round " << round;
    }
    std::printf("[   INFO   ] %d of 12 runs refused as in use\n", refused);
}

TEST_F(StoreSafetyTest, ADamagedStoreIsRefusedAndLeftByteForByte) {
    FERROWICK_REQUIRE_CORPUS();
    const std::vector<std::pair<const char*, std::function<void(pst::Header&)>>> damages = {
        {"bidNextB below the BIDs in use", [](pst::Header& h) { h.bidNextB = pst::BlockId(4); }},
        {"bidNextP below the pages in use", [](pst::Header& h) { h.bidNextP = pst::BlockId(1); }},
    };
    for (const auto& [what, damage] : damages) {
        CopyOutlookStore(path_);
        ChangeHeader(path_, damage);
        ASSERT_NE(Corruption(path_), "") << what << ": the checker should see the damage";
        const auto before = Bytes(path_);
        const std::u16string failure =
            FailureOf([&] { NewSession()->LogonPstStore(shown_, kUnicodePstFormat, u"Added")->ValidateIPMTree(); });
        EXPECT_EQ(failure.rfind(u"The file " + shown_ + u" is damaged and is not added to", 0), 0u)
            << what << ": " << ToUtf8(failure);
        EXPECT_EQ(Bytes(path_), before) << what;
        EXPECT_EQ(Cli("convert '" + (testing::CorpusDir() / "msg").string() + "' '" + path_.string() + "'"), 2) << what;
        EXPECT_EQ(Bytes(path_), before) << what;
    }
}

// Counters that lag behind the NIDs in use (as our earlier versions left them) are the one
// finding the writer mends itself: such a store is added to and comes out sound.
TEST_F(StoreSafetyTest, AStoreWhoseCountersLagIsAddedToAndMended) {
    FERROWICK_REQUIRE_CORPUS();
    CopyOutlookStore(path_);
    ChangeHeader(path_, [](pst::Header& h) { h.rgnid[static_cast<std::uint8_t>(pst::NidType::NormalFolder)] = 0x400; });
    ASSERT_NE(Corruption(path_).find("nid-counter"), std::string::npos);
    const std::size_t before = MessagesIn(path_);
    EXPECT_EQ(Cli("convert '" + (testing::CorpusDir() / "msg").string() + "' '" + path_.string() + "'"), 0);
    EXPECT_EQ(Corruption(path_), "");
    EXPECT_GT(MessagesIn(path_), before + 200);
}

// A store that passes the check but whose standard folders cannot be made (no folder IDs
// left): the logon fails late, and still nothing reaches the file.
TEST_F(StoreSafetyTest, AStoreRefusedLateInTheLogonIsNeitherRenamedNorCommitted) {
    pst::PstStore::Create(path_, u"Original").Commit();
    ChangeHeader(path_, [](pst::Header& h) {
        h.rgnid[static_cast<std::uint8_t>(pst::NidType::NormalFolder)] = (1u << 27) - 1;
    });
    ASSERT_EQ(Corruption(path_), "");
    const auto before = Bytes(path_);
    {
        auto session = NewSession();
        auto store = session->LogonPstStore(shown_, kUnicodePstFormat, u"Renamed");
        EXPECT_EQ(FailureOf([&] { store->ValidateIPMTree(); }).rfind(u"The standard folders could not be created", 0),
                  0u);
        // The engine ends the call here without logging off; the session goes with it.
    }
    EXPECT_EQ(Bytes(path_), before);
    EXPECT_EQ(pst::PstStore::Open(path_, pst::OpenMode::ReadOnly).DisplayName(), u"Original");
}

// A writer that saves `count` messages and logs off, killing itself at crash point
// `killAt` (see KillAtCrashPointForTesting) when that is not negative.
[[noreturn]] void WriteMessages(const std::u16string& path, int count, long killAt) {
    PstStoreService service;
    auto session = service.CreateSession();
    auto store = session->LogonPstStore(path, kUnicodePstFormat, u"Killed");
    static_cast<PstMessageStore&>(*store).Open()->Store().Database().KillAtCrashPointForTesting(killAt);
    store->ValidateIPMTree();
    auto folder = store->IPMRootFolder()->Folders()->Add(u"Bulk", kMailFolderType);
    for (int i = 0; i < count; ++i) {
        auto m = folder->Items()->Add(kMailMessageType);
        static_cast<PstMessage&>(*m).Content().properties.Set(pst::tags::kBody.id,
                                                              pst::PropertyValue::String(
                                                                  std::u16string(3000 + i % 5000, u'k')));
        m->Save();
    }
    session->Logoff();
    ::_exit(0);
}

std::uint64_t EofInHeader(const fsys::path& path) {
    std::array<std::uint8_t, pst::kHeaderSize> bytes{};
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    return pst::Header::Read(bytes).root.ibFileEof;
}

// Corruption, bytes past ibFileEof and free totals other than the maps'.
std::string Faults(const fsys::path& path) {
    std::string faults;
    for (const pst::Finding& f : pst::CheckPstFile(path))
        if (f.severity == pst::Severity::Corruption || f.kind == "file-eof" || f.kind == "amap-free-total")
            faults += f.kind + ": " + f.where + ": " + f.what + "\n";
    return faults;
}

// kill -9 at crash points spread over a run that grows the file many times and commits
// several times, into a new store and into Outlook's: the file ends where its header says,
// the free totals match the maps, everything of the last commit is there, nothing else is
// left in the folder.
TEST_F(StoreSafetyTest, AKilledWriterLeavesTheLastCommitWithItsSizeAndTotals) {
    const bool outlook = testing::CorpusAvailable();
    const std::size_t outlookMessages = outlook ? (CopyOutlookStore(path_), MessagesIn(path_)) : 0;
    int kills = 0, stores = 0;
    for (const bool append : {false, true}) {
        if (append && !outlook) continue;
        for (long point = 0;; point += point < 12 ? 1 : point / 3) {
            fsys::remove(path_);
            if (append) CopyOutlookStore(path_);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) WriteMessages(shown_, 2500, point);
            int status = 0;
            ::waitpid(child, &status, 0);
            if (WIFEXITED(status)) break;  // the run ended before this point: all points tried
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            ++kills;
            const std::string where = "point " + std::to_string(point) + (append ? " (Outlook store)" : " (new store)");
            for (const auto& entry : fsys::directory_iterator(dir_.Root()))
                EXPECT_EQ(entry.path(), path_) << where << ": left behind";
            ASSERT_TRUE(fsys::exists(path_)) << where;
            ++stores;
            EXPECT_EQ(fsys::file_size(path_), EofInHeader(path_)) << where;
            EXPECT_EQ(Faults(path_), "") << where;
            if (append) {
                EXPECT_GE(MessagesIn(path_), outlookMessages) << where;
            }
        }
    }
    EXPECT_GT(kills, 20);
    std::printf("[   INFO   ] %d crash points killed, %d stores checked\n", kills, stores);
}

// kill -9 in the first moments, while the new file is made, leaves a whole store or no
// file at all. A temporary file of a dead writer (made where files cannot be made without
// a name) is removed by the next run for the same output; one still being written and
// other outputs' ones stay.
TEST_F(StoreSafetyTest, NoTemporaryFileOutlivesItsWriter) {
    for (int round = 0; round < 12; ++round) {
        fsys::remove(path_);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) WriteMessages(shown_, 1000000, -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 3));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (const auto& entry : fsys::directory_iterator(dir_.Root()))
            EXPECT_EQ(entry.path(), path_) << "round " << round << ": left behind";
        if (fsys::exists(path_)) {
            EXPECT_EQ(Corruption(path_), "") << "round " << round;
        }
    }
    fsys::remove(path_);
    const fsys::path stale = dir_.Native(".out.pst.0123456789abcdef.tmp");
    const fsys::path live = dir_.Native(".out.pst.fedcba9876543210.tmp");
    const fsys::path other = dir_.Native(".other.pst.0123456789abcdef.tmp");
    for (const auto& p : {stale, live, other}) std::ofstream(p) << "partial";
    const pst::RandomAccessFile writing(live, pst::RandomAccessFile::Access::ReadWrite);
    auto session = NewSession();
    session->LogonPstStore(shown_, kUnicodePstFormat, u"New")->ValidateIPMTree();
    session->Logoff();
    EXPECT_FALSE(fsys::exists(stale));
    EXPECT_TRUE(fsys::exists(live));
    EXPECT_TRUE(fsys::exists(other));
}

// Failures while the file is made and after it appeared name the output file, never a
// temporary one. A file size limit stands in for a full disk.
TEST_F(StoreSafetyTest, WriteFailuresNameTheOutputFile) {
    const fsys::path report = dir_.Native("failure.txt");
    for (const std::uint64_t limit : {std::uint64_t{64} << 10, std::uint64_t{2} << 20}) {
        fsys::remove(path_);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit cap{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &cap);
            std::u16string failure = u"(no failure)";
            try {
                PstStoreService service;
                auto session = service.CreateSession();
                auto store = session->LogonPstStore(shown_, kUnicodePstFormat, u"Full");
                store->ValidateIPMTree();
                auto folder = store->IPMRootFolder();
                for (int i = 0; i < 400; ++i) {
                    auto m = folder->Items()->Add(kMailMessageType);
                    static_cast<PstMessage&>(*m).Content().properties.Set(pst::tags::kBody.id,
                                                                          pst::PropertyValue::String(
                                                                              std::u16string(4000, u'f')));
                    m->Save();
                }
                session->Logoff();
            } catch (const StoreFailure& f) {
                failure = f.Description();
            }
            std::ofstream(report) << ToUtf8(failure);
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
        const std::string failure = Text(report);
        EXPECT_NE(failure.find(path_.string()), std::string::npos) << failure;
        EXPECT_EQ(failure.find(".tmp"), std::string::npos) << failure;
        EXPECT_EQ(failure.find("/proc/"), std::string::npos) << failure;
        if (fsys::exists(path_)) {
            EXPECT_EQ(fsys::file_size(path_), EofInHeader(path_)) << failure;
        }
    }
}

}  // namespace
}  // namespace ferrowick
