// `ferrowick sample DIR`: the bundled sample tree, written by the program itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "fs/text.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"
#include "support/run_program.hpp"

namespace ferrowick::msg {
namespace {

namespace stdfs = std::filesystem;

void RunSample(const stdfs::path& dir) {
    ASSERT_EQ(testing::RunFerrowick({"sample", ferrowick::ToUtf8(dir.u16string())}).status, 0);
}

std::vector<stdfs::path> MessageFiles(const stdfs::path& mail) {
    std::vector<stdfs::path> files;
    for (const auto& e : stdfs::recursive_directory_iterator(mail)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (e.is_regular_file() && ext == ".msg") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(SampleTree, HasTheFoldersAndVarietyItPromises) {
    testing::ScratchDir dir("sample");
    RunSample(dir.Path());
    const stdfs::path mail = dir / "Mail";
    for (const char* folder : {"Inbox", "Inbox/Old", "Sent", "Projects/2014", "Archive/Calendar", "Clients!2015"})
        EXPECT_TRUE(stdfs::is_directory(mail / folder)) << folder;
    EXPECT_TRUE(stdfs::is_empty(mail / "Empty folder"));
    EXPECT_TRUE(stdfs::is_regular_file(mail / "Projects" / "notes.txt"));

    const auto files = MessageFiles(mail);
    EXPECT_EQ(files.size(), 20u);
    std::set<std::int32_t> recipientTypes;
    int html = 0, byValue = 0, embedded = 0, nonAscii = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const Message m = ReadMessage(file);
        ASSERT_TRUE(m.properties.Get<std::u16string>(tags::kSubject));
        EXPECT_TRUE(m.properties.Get<std::uint64_t>(tags::kClientSubmitTime));
        for (char16_t c : *m.properties.Get<std::u16string>(tags::kSubject))
            if (c > 0x7F) {
                ++nonAscii;
                break;
            }
        if (m.properties.Find(tags::kHtml)) ++html;
        for (const Recipient& r : m.recipients)
            recipientTypes.insert(*r.properties.Get<std::int32_t>(tags::kRecipientType));
        for (const Attachment& a : m.attachments) {
            if (a.embedded)
                ++embedded;
            else if (a.properties.Find(tags::kAttachDataBinary))
                ++byValue;
        }
        const bool flagged = (*m.properties.Get<std::int32_t>(tags::kMessageFlags) & 0x10) != 0;
        EXPECT_EQ(flagged, !m.attachments.empty());
    }
    EXPECT_EQ(recipientTypes, (std::set<std::int32_t>{tags::kTo, tags::kCc, tags::kBcc}));
    EXPECT_GE(html, 2);
    EXPECT_GE(byValue, 4);
    EXPECT_GE(embedded, 2);
    EXPECT_GE(nonAscii, 2);
}

TEST(SampleTree, IsTheSameBytesEveryTime) {
    testing::ScratchDir a("sample"), b("sample");
    RunSample(a.Path());
    RunSample(b.Path());
    const auto first = MessageFiles(a / "Mail");
    const auto second = MessageFiles(b / "Mail");
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(stdfs::relative(first[i], a.Path()), stdfs::relative(second[i], b.Path()));
        EXPECT_EQ(testing::ReadBytes(first[i]), testing::ReadBytes(second[i])) << first[i];
    }
}

#ifndef _WIN32  // Debian's Python readers: the Linux tree runs this
TEST(SampleTree, OlefileReadsEveryMessageStrictly) {
    ASSERT_TRUE(testing::OlefileAvailable()) << "python3-olefile is missing (scripts/install-deps.sh installs it)";
    testing::ScratchDir dir("sample");
    RunSample(dir.Path());
    const auto run = testing::RunPython(
        "import olefile,sys,os\n"
        "n=0\n"
        "for root,dirs,files in os.walk(sys.argv[1]):\n"
        "  for f in files:\n"
        "    if f.lower().endswith('.msg'):\n"
        "      o=olefile.OleFileIO(os.path.join(root,f), raise_defects=olefile.DEFECT_INCORRECT)\n"
        "      o.openstream('__properties_version1.0').read()\n"
        "      n+=1\n"
        "print(n)\n",
        {(dir / "Mail").string()});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "20\n");
}
#endif

TEST(SampleTree, WithoutAFolderItExplainsItsUse) { EXPECT_EQ(testing::RunFerrowick({"sample"}).status, 2); }

}  // namespace
}  // namespace ferrowick::msg
