// Every message of the corpus, converted in one run, is read back by pypff, pffexport and
// readpst (black boxes, driven by read_back_subjects.py) with its subject exactly as the
// .msg holds it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fs/text.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;

std::string JsonText(const std::u16string& text) {
    std::string out = "\"";
    for (unsigned char c : ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::u16string Text(const msg::Message& m, msg::PropertyTag tag) {
    const msg::PropertyValue* v = m.properties.Find(tag);
    return v ? v->As<std::u16string>() : std::u16string();
}

TEST(SubjectsReadBack, ThreeReadersReadEveryCorpusSubjectAsTheMsgHoldsIt) {
    FERROWICK_REQUIRE_CORPUS();
    for (const char* tool : {"pffexport", "readpst"})
        ASSERT_TRUE(testing::Installed(tool)) << tool << " is not installed (scripts/install-deps.sh installs it)";
    ASSERT_EQ(testing::RunProgram({"/usr/bin/python3", "-c", "import pypff"}).exitCode, 0)
        << "python3-pypff is not installed (scripts/install-deps.sh installs it)";

    testing::ScratchDir dir("subjects");
    const fsys::path source = testing::CorpusDir() / "msg";
    const fsys::path store = dir / "corpus.pst";
    const std::string convert = std::string("'") + FERROWICK_BINARY + "' convert '" + source.string() + "' '" +
                                store.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(testing::RunCommand(convert).exitCode, 0) << convert;

    const fsys::path expected = dir / "expected.json";
    int messages = 0;
    {
        std::ofstream out(expected);
        out << "[";
        for (const auto& e : fsys::recursive_directory_iterator(source)) {
            std::string ext = e.path().extension().string();
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!e.is_regular_file() || ext != ".msg") continue;
            const msg::Message m = msg::ReadMessage(e.path());
            out << (messages++ ? ",\n" : "\n") << "[" << JsonText(Text(m, msg::tags::kSubject)) << ", "
                << JsonText(Text(m, msg::tags::kMessageClass)) << ", "
                << JsonText(Text(m, msg::PropertyTag(0x007D, msg::PropertyType::String))) << "]";
        }
        out << "]\n";
    }
    EXPECT_EQ(messages, 210);

    const fsys::path work = dir / "readers";
    fsys::create_directories(work);
    const std::string script = std::string(FERROWICK_SOURCE_DIR) + "/tests/store/read_back_subjects.py";
    const std::string command = "/usr/bin/python3 '" + script + "' '" + store.string() + "' '" + expected.string() +
                                "' '" + work.string() + "' 2>&1";
    const auto read = testing::RunCommand(command);
    EXPECT_EQ(read.exitCode, 0) << read.output;
}

}  // namespace
}  // namespace ferrowick
