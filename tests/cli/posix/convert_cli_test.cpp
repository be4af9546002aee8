// The convert command as a user or a script runs it, on real .msg files from the bundled
// sample: the last lines and exit statuses, the stores it makes and adds to and the files
// it leaves alone, the report, parallel folders, and stopping by signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/line_fitting.hpp"
#include "cli_runner.hpp"
#include "msg/msg_writer.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/pst_store.hpp"
#include "support/msg_fixtures.hpp"
#include "support/shared_corpus.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::cli {
namespace {

namespace fsys = std::filesystem;
using Json = nlohmann::json;
using testing::CliProcess;
using testing::CliResult;
using testing::ReadText;

constexpr const char* kSingleSuccess =
    "Messages Converted Successfully.\n"
    "Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages.\n";
constexpr const char* kMultipleSuccess =
    "All Folders Converted Successfully.\n"
    "Open Converted Outlook Data file(s) in Microsoft Outlook to View Individual files.\n";

class ConvertCliTest : public ::testing::Test {
protected:
    ConvertCliTest() : dir_(ferrowick::testing::FastTempBase()) {}

    CliResult Run(const std::vector<std::string>& args) { return testing::RunCli(args, dir_.Root()); }
    std::string P(const std::string& relative) const { return dir_.Native(relative).string(); }

    // The sample tree's 20 real messages under `relative`/Mail.
    fsys::path Sample(const std::string& relative) {
        const CliResult r = Run({"sample", P(relative)});
        EXPECT_EQ(r.status, 0) << r.err;
        return dir_.Native(relative) / "Mail";
    }
    std::vector<fsys::path> SampleMessages() {
        if (sampleMessages_.empty()) {
            for (const auto& e : fsys::recursive_directory_iterator(Sample(".sample")))
                if (e.path().extension() == ".msg" || e.path().extension() == ".MSG")
                    sampleMessages_.push_back(e.path());
        }
        return sampleMessages_;
    }
    // `count` real messages (copies of the sample's) in `folder`.
    void Messages(const std::string& folder, int count) {
        const auto samples = SampleMessages();
        fsys::create_directories(dir_.Native(folder));
        for (int i = 0; i < count; ++i)
            fsys::copy_file(samples[static_cast<std::size_t>(i) % samples.size()],
                            dir_.Native(folder) / ("m" + std::to_string(i) + ".msg"));
    }
    Json Inspect(const std::string& store) {
        const CliResult r = Run({"inspect", "--json", store});
        EXPECT_EQ(r.status, 0) << r.err;
        return Json::parse(r.out);
    }
    Json Report(const std::string& relative) { return Json::parse(ReadText(dir_.Native(relative))); }

    ferrowick::testing::TempFolder dir_;
    std::vector<fsys::path> sampleMessages_;
};

TEST_F(ConvertCliTest, EveryFileConvertedEndsWithTheSuccessLinesAndASoundStore) {
    Sample("s");
    dir_.Folder("out");
    const CliResult r = Run({"convert", P("s/Mail"), P("out/Mail.pst")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kSingleSuccess);
    // Progress lines are never cut mid-word.
    EXPECT_EQ(r.err.find("File(") == std::string::npos, r.err.find("File(s)") == std::string::npos) << r.err;

    const Json tree = Inspect(P("out/Mail.pst"));
    EXPECT_EQ(tree["messages"], 20);
    EXPECT_EQ(Run({"check", P("out/Mail.pst")}).status, 0);
    const Json& top = tree["root"]["folders"];
    EXPECT_TRUE(std::any_of(top.begin(), top.end(), [](const Json& f) { return f["name"] == "Projects"; }))
        << tree.dump(1);
}

TEST_F(ConvertCliTest, FilesNotConvertedAreCountedAndListedInsteadOfSuccess) {
    Sample("s");
    dir_.File("s/Mail/Inbox/broken.msg", "not really a message");
    const CliResult r = Run({"convert", P("s/Mail"), P("Mail.pst")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.find("Successfully"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("20 files converted, 1 file not converted.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("  " + P("s/Mail/Inbox/broken.msg") + ": "), std::string::npos) << r.out;
    EXPECT_EQ(Inspect(P("Mail.pst"))["messages"], 20);
}

TEST_F(ConvertCliTest, AStoreThatCannotBeCreatedGivesItsReasonAndTouchesNothing) {
    Sample("s");
    dir_.File("Mail.pst", "keep me");
    const CliResult r = Run({"convert", P("s/Mail"), P("Mail.pst")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ReadText(dir_.Native("Mail.pst")), "keep me");
    EXPECT_NE(r.out.find("Could not create or open " + P("Mail.pst") + ": "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Successfully"), std::string::npos) << r.out;
    EXPECT_EQ((r.out + r.err).find("32 Bit"), std::string::npos) << r.out << r.err;
    EXPECT_NE(r.out.find("0 files converted, 20 files not converted."), std::string::npos) << r.out;
}

TEST_F(ConvertCliTest, AnExistingStoreIsAddedTo) {
    Sample("s");
    ASSERT_EQ(Run({"convert", P("s/Mail"), P("Mail.pst")}).status, 0);
    const CliResult again = Run({"convert", P("s/Mail"), P("Mail.pst")});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(Inspect(P("Mail.pst"))["messages"], 40);
    EXPECT_EQ(Run({"check", P("Mail.pst")}).status, 0);
}

TEST_F(ConvertCliTest, AStoreWrittenByOutlookIsAddedToAsHelpSays) {
    FERROWICK_REQUIRE_CORPUS();
    Sample("s");
    fsys::copy_file(ferrowick::testing::CorpusDir() / "pst/process-pst/flags_john_doe.pst", dir_.Native("Outlook.pst"));
    const Json before = Inspect(P("Outlook.pst"));
    const CliResult r = Run({"convert", P("s/Mail"), P("Outlook.pst")});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(Inspect(P("Outlook.pst"))["messages"], before["messages"].get<int>() + 20);
    EXPECT_NE(Run({"convert", "--help"}).out.find("An existing .pst is opened and\nthe messages are added to it"),
              std::string::npos);
}

TEST_F(ConvertCliTest, ProgressLinesFitColumns) {
    const std::string deep = "Mail/Archive of the old mail server/Customers and suppliers/2014 and 2015";
    Messages(deep, 30);
    const CliResult r = testing::RunCli({"convert", P(deep), P("Mail.pst")}, dir_.Root(), {"COLUMNS=50"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.err);
    bool pathShortened = false;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(DisplayWidth(line), 50u) << line;
        if (line.starts_with("Migrating 30 items from /")) {
            EXPECT_NE(line.find("…"), std::string::npos) << line;
            EXPECT_TRUE(line.ends_with("2014 and 2015/")) << line;
            pathShortened = true;
        }
    }
    EXPECT_TRUE(pathShortened) << r.err;
}

TEST_F(ConvertCliTest, TheReportRecordsEveryMessageFileWithItsStoreFolderOrReason) {
    Sample("s");
    dir_.File("s/Mail/Projects/2014/broken.msg", "not really a message");
    const CliResult r = Run({"convert", P("s/Mail"), P("Mail.pst"), "--report", P("report.json")});
    ASSERT_EQ(r.status, 1) << r.err;
    const Json report = Report("report.json");
    EXPECT_EQ(report["mode"], "single");
    EXPECT_EQ(report["outputs"], Json::array({P("Mail.pst")}));
    EXPECT_EQ(report["totals"], (Json{{"files", 21}, {"converted", 20}, {"not_converted", 1}}));
    EXPECT_EQ(report["exit_status"], 1);
    EXPECT_TRUE(report["stopped_by"].is_null());

    std::set<std::string> messageFiles, recorded;
    for (const auto& e : fsys::recursive_directory_iterator(dir_.Native("s/Mail")))
        if (e.is_regular_file() && e.path().extension() != ".txt") messageFiles.insert(e.path().string());
    for (const Json& f : report["files"]) {
        recorded.insert(f["path"].get<std::string>());
        EXPECT_EQ(f["store"], P("Mail.pst"));
        EXPECT_EQ(f["source_folder"], P("s/Mail"));
        if (f["path"] == P("s/Mail/Projects/2014/broken.msg")) {
            EXPECT_EQ(f["converted"], false);
            EXPECT_FALSE(f["reason"].get<std::string>().empty());
        } else {
            EXPECT_EQ(f["converted"], true) << f.dump();
        }
        if (f["path"] == P("s/Mail/Projects/2014/Status week 12.msg")) {
            EXPECT_EQ(f["store_folder"], "Projects\\2014");
        }
        if (f["path"] == P("s/Mail/Welcome.msg")) {
            EXPECT_EQ(f["store_folder"], "");
        }
    }
    EXPECT_EQ(recorded, messageFiles);
}

TEST_F(ConvertCliTest, AnExistingReportFileIsNeverReplaced) {
    Sample("s");
    dir_.File("report.json", "an earlier audit");
    const CliResult r = Run({"convert", P("s/Mail"), P("Mail.pst"), "--report", P("report.json")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ReadText(dir_.Native("report.json")), "an earlier audit");
    EXPECT_FALSE(fsys::exists(dir_.Native("Mail.pst")));  // refused before converting anything
}

TEST_F(ConvertCliTest, FoldersDeeperThanAStoreOpensAreRefusedWhenMadeAndTheStoreOpensAgain) {
    // Mail/d/d/... : the n-th "d" lies n + 1 levels below the store's root folder.
    fsys::path folder = dir_.Native("Mail");
    for (std::size_t n = 1; n <= pst::kMaxFolderDepth; ++n) {
        folder /= "d";
        if (n == pst::kMaxFolderDepth - 1 || n == pst::kMaxFolderDepth) {
            fsys::create_directories(folder);
            ferrowick::testing::WriteMsgFile(folder, "m" + std::to_string(n) + ".msg",
                                             ferrowick::testing::PlainMessage(u"Deep"));
        }
    }
    const CliResult convert = Run({"convert", P("Mail"), P("deep.pst")});
    const std::string said = convert.out + convert.err;
    EXPECT_EQ(convert.status, 1) << said;
    EXPECT_NE(said.find("m" + std::to_string(pst::kMaxFolderDepth) + ".msg: "), std::string::npos) << said;
    EXPECT_NE(said.find("deeper than " + std::to_string(pst::kMaxFolderDepth)), std::string::npos) << said;
    EXPECT_EQ(said.find("m" + std::to_string(pst::kMaxFolderDepth - 1) + ".msg: "), std::string::npos) << said;

    const CliResult inspect = Run({"inspect", P("deep.pst")});
    EXPECT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("1 message"), std::string::npos) << inspect.out;
    EXPECT_EQ(Run({"check", P("deep.pst")}).status, 0);
}

TEST_F(ConvertCliTest, FolderNamesReachAnotherReaderAsValidTextOneFolderPerSourceFolder) {
    ASSERT_EQ(ferrowick::testing::RunPython("import pypff").exitCode, 0)
        << "python3-pypff is not installed (scripts/install-deps.sh installs it)";
    // A Latin-1 name (not UTF-8), the same name in UTF-8 capitals, and a name with a backslash.
    for (const char* name : {"Mail/caf\xE9", "Mail/CAF\xC3\x89", "Mail/x\\y"}) {
        fsys::create_directories(dir_.Native(name));
        ferrowick::testing::WriteMsgFile(dir_.Native(name), "a.msg", ferrowick::testing::PlainMessage(u"Named"));
    }
    const CliResult convert = Run({"convert", P("Mail"), P("names.pst")});
    EXPECT_EQ(convert.status, 0) << convert.out << convert.err;

    // Each folder's name as UTF-8 in hex (unpaired surrogates would show as such) and its
    // message count, as python3-pypff reads them.
    const auto read = ferrowick::testing::RunPython(R"(
import sys, pypff
f = pypff.file()
f.open(sys.argv[1])
def walk(folder):
    for i in range(folder.number_of_sub_folders):
        sub = folder.get_sub_folder(i)
        print(sub.name.encode('utf-8', 'surrogatepass').hex(), sub.number_of_sub_messages)
        walk(sub)
walk(f.get_root_folder())
)",
                                                    {P("names.pst")});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    const auto hex = [](const std::string& utf8) {
        std::string out;
        char byte[3];
        for (unsigned char c : utf8) {
            std::snprintf(byte, sizeof byte, "%02x", c);
            out += byte;
        }
        return out;
    };
    EXPECT_NE(read.output.find(hex("caf\xC3\xA9 (2)") + " 1\n"), std::string::npos) << read.output;
    EXPECT_NE(read.output.find(hex("CAF\xC3\x89") + " 1\n"), std::string::npos) << read.output;
    EXPECT_NE(read.output.find(hex("x\xEF\xBC\xBCy") + " 1\n"), std::string::npos) << read.output;
    EXPECT_EQ(read.output.find("\n" + hex("x") + " "), std::string::npos) << read.output;
}

TEST_F(ConvertCliTest, MultipleModeMakesOneStorePerChosenSubfolder) {
    Messages("Root/Alpha", 3);
    Messages("Root/Beta", 2);
    Messages("Root/Gamma", 1);
    dir_.Folder("out");
    const CliResult r = Run(
        {"convert", "--multiple", P("Root"), P("out"), "--only", "Alpha", "--only", "Gamma", "--report", P("r.json")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kMultipleSuccess);
    EXPECT_EQ(Inspect(P("out/Alpha.pst"))["messages"], 3);
    EXPECT_FALSE(fsys::exists(dir_.Native("out/Beta.pst")));
    EXPECT_EQ(Inspect(P("out/Gamma.pst"))["messages"], 1);
    EXPECT_EQ(Report("r.json")["outputs"], Json::array({P("out/Alpha.pst"), P("out/Gamma.pst")}));
    EXPECT_EQ(Run({"convert", "--multiple", P("Root"), P("out"), "--only", "Delta"}).status, 2);
}

// The stores of --jobs 2 against those of --jobs 1: the same folders and counts; the
// reports the same but for where the stores are; the same exit status and last lines.
TEST_F(ConvertCliTest, TwoJobsMakeTheSameStoresAndReportAsOne) {
    for (int f = 0; f < 8; ++f) Messages("Root/F" + std::to_string(f), 5 + 3 * f);
    dir_.File("Root/F3/Deeper/broken.msg", "not really a message");
    Messages("Root/F5/Deeper/Still", 4);
    dir_.Folder("one");
    dir_.Folder("two");
    const CliResult one = Run({"convert", "--multiple", P("Root"), P("one"), "--jobs", "1", "--report", P("one.json")});
    const CliResult two = Run({"convert", "--multiple", P("Root"), P("two"), "--jobs", "2", "--report", P("two.json")});
    EXPECT_EQ(one.status, 1) << one.err;
    EXPECT_EQ(two.status, 1) << two.err;
    EXPECT_EQ(two.out, one.out);
    EXPECT_NE(two.err.find("[F7] "), std::string::npos) << two.err;  // progress under each folder's name

    for (int f = 0; f < 8; ++f) {
        const std::string name = "F" + std::to_string(f) + ".pst";
        Json a = Inspect(P("one/" + name)), b = Inspect(P("two/" + name));
        for (Json* j : {&a, &b}) {
            j->erase("file");
            j->erase("display_name");  // holds the creation stamp
        }
        EXPECT_EQ(b, a) << name;
    }
    std::string reportOne = Report("one.json").dump(1), reportTwo = Report("two.json").dump(1);
    for (std::size_t at; (at = reportTwo.find(P("two/"))) != std::string::npos;)
        reportTwo.replace(at, P("two/").size(), P("one/"));
    EXPECT_EQ(reportTwo, reportOne);
}

struct SignalCase {
    int signal;
    const char* name;
};

class ConvertSignalTest : public ConvertCliTest, public ::testing::WithParamInterface<SignalCase> {};

// Whenever the signal arrives after conversion has begun: the exit status says which
// signal, there is no success line, every message file is either in the store or listed
// as not converted, and the store is sound and holds exactly those reported converted.
TEST_P(ConvertSignalTest, StopsTheRunAndAccountsForEveryFile) {
    constexpr int kFiles = 3000;
    for (int f = 0; f < 6; ++f) Messages("Mail/F" + std::to_string(f), kFiles / 6);
    CliProcess run({"convert", P("Mail"), P("Mail.pst"), "--report", P("report.json")}, dir_.Root());
    ASSERT_TRUE(run.WaitForErr("Conversion Status")) << run.ErrSoFar();
    ::kill(run.Pid(), GetParam().signal);
    const CliResult r = run.Wait();

    EXPECT_EQ(r.status, 128 + GetParam().signal) << r.out << r.err;
    EXPECT_EQ(r.out.find("Successfully"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind(std::string("Stopped by ") + GetParam().name + ".\n", 0), 0u) << r.out;

    const Json report = Report("report.json");
    EXPECT_EQ(report["stopped_by"], GetParam().name);
    EXPECT_EQ(report["exit_status"], 128 + GetParam().signal);
    EXPECT_EQ(report["totals"]["files"], kFiles);
    std::size_t listed = 0;
    for (const Json& f : report["files"])
        if (!f["converted"].get<bool>()) {
            ++listed;
            EXPECT_NE(r.out.find("  " + f["path"].get<std::string>() + ": "), std::string::npos) << f.dump();
        }
    EXPECT_EQ(listed, report["totals"]["not_converted"].get<std::size_t>());

    EXPECT_EQ(Run({"check", P("Mail.pst")}).status, 0);
    EXPECT_EQ(Inspect(P("Mail.pst"))["messages"], report["totals"]["converted"]);
}

// With folders converting side by side the stop reaches each of them once: every store
// is sound and holds what the merged report says, folders never started are listed too.
TEST_F(ConvertCliTest, ASignalStopsEveryParallelFolder) {
    constexpr int kPerFolder = 600;
    for (int f = 0; f < 4; ++f) Messages("Root/F" + std::to_string(f), kPerFolder);
    dir_.Folder("out");
    CliProcess run({"convert", "--multiple", P("Root"), P("out"), "--jobs", "2", "--report", P("report.json")},
                   dir_.Root());
    ASSERT_TRUE(run.WaitForErr(" of 4 Folders")) << run.ErrSoFar();
    ::kill(run.Pid(), SIGTERM);
    const CliResult r = run.Wait();
    EXPECT_EQ(r.status, 143) << r.out << r.err;
    EXPECT_EQ(r.out.find("Successfully"), std::string::npos) << r.out;

    const Json report = Report("report.json");
    EXPECT_EQ(report["totals"]["files"], 4 * kPerFolder);
    EXPECT_EQ(report["stopped_by"], "SIGTERM");
    std::map<std::string, int> converted;
    for (const Json& f : report["files"])
        if (f["converted"].get<bool>()) ++converted[f["store"].get<std::string>()];
    for (int f = 0; f < 4; ++f) {
        const std::string store = P("out/F" + std::to_string(f) + ".pst");
        if (!fsys::exists(store)) {
            EXPECT_EQ(converted[store], 0) << store;
            continue;
        }
        EXPECT_EQ(Run({"check", store}).status, 0) << store;
        EXPECT_EQ(Inspect(store)["messages"], converted[store]) << store;
    }
}

INSTANTIATE_TEST_SUITE_P(EachStopSignal, ConvertSignalTest,
                         ::testing::Values(SignalCase{SIGINT, "SIGINT"}, SignalCase{SIGTERM, "SIGTERM"},
                                           SignalCase{SIGHUP, "SIGHUP"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ferrowick::cli

namespace ferrowick::cli {
namespace {

// A message whose attachment is far larger than any buffer the conversion keeps: its content
// goes from the .msg file into the store piece by piece and must arrive whole. A copy cut
// short in the middle of that content is not converted and leaves nothing in the store.
TEST_F(ConvertCliTest, ALargeAttachmentArrivesByteForByteAndACopyCutShortIsNotConverted) {
    ASSERT_EQ(ferrowick::testing::RunPython("import pypff").exitCode, 0)
        << "python3-pypff is not installed (scripts/install-deps.sh installs it)";
    std::vector<std::uint8_t> data(40 * 1000 * 1000);
    std::uint32_t x = 2463534242u;
    for (std::uint8_t& b : data) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    {
        std::ofstream out(dir_.Native("data.bin"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    fsys::create_directories(dir_.Native("Mail"));
    msg::MessageBuilder builder;
    builder.Subject(u"Large").Body(u"See the attachment.").AttachFile(u"large.bin", std::move(data));
    msg::WriteMessageFile(builder.Build(), dir_.Native("Mail") / "large.msg");
    fsys::copy_file(dir_.Native("Mail") / "large.msg", dir_.Native("Mail") / "cut.msg");
    fsys::resize_file(dir_.Native("Mail") / "cut.msg", 36 * 1000 * 1000);

    const CliResult r = Run({"convert", P("Mail"), P("large.pst")});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_EQ(r.out.rfind("1 file converted, 1 file not converted.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("  " + P("Mail/cut.msg") + ": "), std::string::npos) << r.out;
    EXPECT_EQ(Inspect(P("large.pst"))["messages"], 1);
    EXPECT_EQ(Run({"check", P("large.pst")}).status, 0);

    const auto read = ferrowick::testing::RunPython(R"(
import sys, pypff
f = pypff.file()
f.open(sys.argv[1])
expected = open(sys.argv[2], 'rb').read()
def walk(folder):
    for i in range(folder.number_of_sub_messages):
        m = folder.get_sub_message(i)
        for k in range(m.number_of_attachments):
            a = m.get_attachment(k)
            got = a.read_buffer(a.size)
            print(m.subject, a.size, 'same' if got == expected else 'different')
    for i in range(folder.number_of_sub_folders):
        walk(folder.get_sub_folder(i))
walk(f.get_root_folder())
)",
                                                    {P("large.pst"), P("data.bin")});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    EXPECT_EQ(read.output, "Large 40000000 same\n");
}

}  // namespace
}  // namespace ferrowick::cli

namespace ferrowick::cli {
namespace {

// A message whose plain-text body is far larger than any buffer the conversion keeps, past
// the size of a data tree of one level: it goes from the .msg file into the store piece by
// piece and must arrive whole. A copy cut short in the middle of the body is not converted
// and leaves nothing in the store.
TEST_F(ConvertCliTest, ALargeBodyArrivesWholeAndACopyCutShortIsNotConverted) {
    ASSERT_EQ(ferrowick::testing::RunPython("import pypff").exitCode, 0)
        << "python3-pypff is not installed (scripts/install-deps.sh installs it)";
    std::u16string body(20 * 1000 * 1000, u' ');
    std::uint32_t x = 2463534242u;
    for (char16_t& c : body) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        const std::uint32_t r = x % 80;
        c = r < 52   ? static_cast<char16_t>(u'a' + r % 26)
            : r < 70 ? u' '
            : r < 75 ? static_cast<char16_t>(0x3041 + r)
                     : u'\n';
    }
    {
        std::ofstream out(dir_.Native("body.txt"), std::ios::binary);
        for (const char16_t c : body) out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
    }
    fsys::create_directories(dir_.Native("Mail"));
    const std::u16string expected = body;
    msg::MessageBuilder builder;
    builder.Subject(u"Long").Body(std::move(body));
    msg::WriteMessageFile(builder.Build(), dir_.Native("Mail") / "long.msg");
    fsys::copy_file(dir_.Native("Mail") / "long.msg", dir_.Native("Mail") / "cut.msg");
    fsys::resize_file(dir_.Native("Mail") / "cut.msg", 36 * 1000 * 1000);

    const CliResult r = Run({"convert", P("Mail"), P("long.pst")});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_EQ(r.out.rfind("1 file converted, 1 file not converted.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("  " + P("Mail/cut.msg") + ": "), std::string::npos) << r.out;
    EXPECT_EQ(Inspect(P("long.pst"))["messages"], 1);
    EXPECT_EQ(Run({"check", P("long.pst")}).status, 0);

    // Our own reader sees the very text.
    {
        const pst::PstStore store = pst::PstStore::Open(P("long.pst"), pst::OpenMode::ReadOnly);
        std::vector<std::u16string> bodies;
        std::vector<pst::NodeId> folders{store.RootFolder()};
        while (!folders.empty()) {
            const pst::NodeId folder = folders.back();
            folders.pop_back();
            for (const pst::NodeId sub : store.Subfolders(folder)) folders.push_back(sub);
            for (const auto& row : store.Folder(folder).contents.Rows()) {
                const pst::MessageContent m = store.ReadMessage(pst::NodeId(row.id));
                const std::u16string* text = m.properties.Get<std::u16string>(pst::tags::kBody);
                bodies.push_back(text ? *text : u"(none)");
                // Its preview is the text's start, as for a body held whole.
                const std::u16string* preview =
                    m.properties.Get<std::u16string>(pst::PropertyTag{0x6619, pst::PropertyType::String});
                EXPECT_TRUE(preview && *preview == expected.substr(0, 255));
            }
        }
        ASSERT_EQ(bodies.size(), 1u);
        EXPECT_TRUE(bodies[0] == expected) << bodies[0].size();
    }

    const auto read = ferrowick::testing::RunPython(R"(
import sys, pypff
f = pypff.file()
f.open(sys.argv[1])
expected = open(sys.argv[2], 'rb').read().decode('utf-16-le')
def walk(folder):
    for i in range(folder.number_of_sub_messages):
        m = folder.get_sub_message(i)
        got = m.plain_text_body
        if isinstance(got, bytes):
            got = got.decode('utf-8')
        got = got.rstrip('\0')
        print(m.subject, len(got), 'same' if got == expected else 'different')
    for i in range(folder.number_of_sub_folders):
        walk(folder.get_sub_folder(i))
walk(f.get_root_folder())
)",
                                                    {P("long.pst"), P("body.txt")});
    ASSERT_EQ(read.exitCode, 0) << read.output;
    EXPECT_EQ(read.output, "Long 20000000 same\n");
}

}  // namespace
}  // namespace ferrowick::cli
