// The .msg reader over the shared corpus of real files: every file opens and all its
// property streams parse, and what it reads agrees with the corpus manifest and with
// python3-olefile reading the same files.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "fs/text.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "support/msg_fixtures.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick::msg {
namespace {

namespace fs = std::filesystem;
using testing::CorpusDir;

std::vector<fs::path> CorpusMessages() {
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(CorpusDir() / "msg"))
        if (e.is_regular_file() && e.path().extension() == ".msg") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct ManifestRow {
    std::string messageClass, attachments, embedded, note;
};

std::map<std::string, ManifestRow> Manifest() {
    std::map<std::string, ManifestRow> rows;
    std::ifstream in(CorpusDir() / "MANIFEST.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream s(line);
        for (std::string c; std::getline(s, c, '\t');) cols.push_back(c);
        if (cols.size() >= 11) rows[cols[0]] = ManifestRow{cols[6], cols[7], cols[8], cols[10]};
    }
    return rows;
}

std::string Utf8(const PropertySet& p, PropertyTag tag) {
    const std::u16string* s = p.Get<std::u16string>(tag);
    return s ? ToUtf8(*s) : std::string();
}

int CountEmbedded(const Message& m) {
    int n = 0;
    for (const Attachment& a : m.attachments) n += a.embedded ? 1 : 0;
    return n;
}

TEST(MsgCorpus, EveryFileReadsAndAgreesWithTheManifest) {
    FERROWICK_REQUIRE_CORPUS();
    const auto manifest = Manifest();
    const auto files = CorpusMessages();
    EXPECT_EQ(files.size(), 210u);
    int compared = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        Message m;
        try {
            m = ReadMessage(file);
        } catch (const MsgError& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        // The manifest names files with '/', whatever the platform's separator.
        const auto row = manifest.find(fs::relative(file, CorpusDir()).generic_string());
        if (row == manifest.end()) continue;
        ++compared;
        if (row->second.messageClass != "-") {
            EXPECT_EQ(Utf8(m.properties, tags::kMessageClass), row->second.messageClass);
        }
        EXPECT_EQ(std::to_string(m.attachments.size()), row->second.attachments);
        EXPECT_EQ(CountEmbedded(m) > 0 ? "yes" : "no", row->second.embedded);
        const auto at = row->second.note.find("recipients=");
        if (at != std::string::npos) {
            EXPECT_EQ(m.recipients.size(), std::stoul(row->second.note.substr(at + 11)));
        }
    }
    EXPECT_EQ(compared, 210);
}

#ifndef _WIN32  // Debian's Python readers: the Linux tree runs this
TEST(MsgCorpus, SubjectsAndCountsMatchOlefile) {
    FERROWICK_REQUIRE_CORPUS();
    ASSERT_TRUE(testing::OlefileAvailable()) << "python3-olefile is missing (scripts/install-deps.sh installs it)";
    // olefile lists the storages and reads the Unicode subject stream; 8-bit subjects are
    // compared in the code-page tests.
    const auto run = testing::RunPython(
        "import olefile,sys,os\n"
        "for root,dirs,files in os.walk(sys.argv[1]):\n"
        "  for f in files:\n"
        "    if not f.endswith('.msg'): continue\n"
        "    p=os.path.join(root,f)\n"
        "    try:\n"
        "      o=olefile.OleFileIO(p)\n"
        "    except Exception:\n"
        "      continue\n"
        "    top=[e for e in o.listdir(streams=True,storages=True) if len(e)==1]\n"
        "    r=sum(1 for e in top if e[0].startswith('__recip_version1.0_'))\n"
        "    a=sum(1 for e in top if e[0].startswith('__attach_version1.0_'))\n"
        "    s=o.openstream('__substg1.0_0037001F').read().decode('utf-16-le','replace').rstrip('\\x00') if "
        "o.exists('__substg1.0_0037001F') else None\n"
        "    print(p+'\\t'+str(r)+'\\t'+str(a)+'\\t'+(s.replace('\\t',' ').replace('\\n',' ').replace('\\r',' ') if s "
        "is not None else '<none>'))\n",
        {(CorpusDir() / "msg").string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::stringstream lines(run.output);
    int compared = 0;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cols;
        std::stringstream s(line);
        for (std::string c; std::getline(s, c, '\t');) cols.push_back(c);
        if (cols.size() < 4) cols.resize(4);
        SCOPED_TRACE(cols[0]);
        const Message m = ReadMessage(fs::path(cols[0]));
        EXPECT_EQ(std::to_string(m.recipients.size()), cols[1]);
        EXPECT_EQ(std::to_string(m.attachments.size()), cols[2]);
        if (cols[3] != "<none>") {
            std::string subject = Utf8(m.properties, tags::kSubject);
            for (char& c : subject)
                if (c == '\t' || c == '\n' || c == '\r') c = ' ';
            EXPECT_EQ(subject, cols[3]);
        }
        ++compared;
    }
    EXPECT_GE(compared, 200);
}
#endif

TEST(MsgCorpus, NamedPropertiesResolveForEveryIdInUse) {
    FERROWICK_REQUIRE_CORPUS();
    int withNames = 0;
    for (const fs::path& file : CorpusMessages()) {
        const Message m = ReadMessage(file);
        if (!m.namedProperties.empty()) ++withNames;
        std::size_t unresolved = 0, used = 0;
        for (const auto& [tag, value] : m.properties) {
            if (!tag.IsNamed()) continue;
            ++used;
            // This file's own entry stream has no name for 0x8A5C (olefile sees the same).
            if (file.filename() == "qwerty_3.msg" && tag.id == 0x8A5C) continue;
            if (!m.namedProperties.count(tag.id)) ++unresolved;
        }
        EXPECT_EQ(unresolved, 0u) << file << ": " << unresolved << " of " << used << " named ids without a name";
    }
    EXPECT_GT(withNames, 150);
}

TEST(MsgCorpus, MalformedFilesGiveClearErrorsOrSaneReads) {
    FERROWICK_REQUIRE_CORPUS();
    int errors = 0;
    for (const auto& e : fs::recursive_directory_iterator(CorpusDir() / "msg-malformed")) {
        if (!e.is_regular_file()) continue;
        try {
            const Message m = ReadMessage(e.path());
            EXPECT_LT(m.properties.Size(), 10000u);
        } catch (const MsgError& error) {
            EXPECT_GT(std::string(error.what()).size(), 10u);
            ++errors;
        }
    }
    EXPECT_GE(errors, 3);
}

TEST(MsgCorpus, TruncatedCorpusFilesNeverCrash) {
    FERROWICK_REQUIRE_CORPUS();
    const auto files = CorpusMessages();
    for (std::size_t i = 0; i < files.size(); i += 15) {
        const auto whole = testing::ReadBytes(files[i]);
        for (std::size_t size : {std::size_t{0}, std::size_t{511}, std::size_t{512}, whole.size() / 4, whole.size() / 2,
                                 whole.size() - 1}) {
            if (size > whole.size()) continue;
            try {
                ReadMessage(
                    std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
            } catch (const MsgError&) {
            }
        }
    }
}

}  // namespace
}  // namespace ferrowick::msg
