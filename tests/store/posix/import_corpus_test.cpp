// The whole corpus of real .msg files converted in one run: the store passes our checker,
// and pffexport (a third-party reader, run as a black box) reads back, message by message,
// what our .msg reader holds.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "fs/text.hpp"
#include "msg/message.hpp"
#include "msg/msg_reader.hpp"
#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"
#include "support/shared_corpus.hpp"

namespace ferrowick {
namespace {

namespace fsys = std::filesystem;

std::string Slurp(const fsys::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// "Key:\t\t\tValue" lines of pffexport's text files.
std::map<std::string, std::string> Fields(const std::string& text) {
    std::map<std::string, std::string> fields;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const auto value = line.find_first_not_of('\t', colon + 1);
        fields.emplace(line.substr(0, colon), value == std::string::npos ? "" : line.substr(value));
    }
    return fields;
}

// pffexport's date form: "Nov 06, 2015 17:14:45.369011200 UTC".
std::string PffDate(std::uint64_t filetime) {
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::uint64_t ticks = filetime % 10'000'000;
    const std::time_t unix = static_cast<std::time_t>(filetime / 10'000'000) - 11644473600;
    std::tm tm{};
    ::gmtime_r(&unix, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s %02d, %04d %02d:%02d:%02d.%09d UTC", kMonths[tm.tm_mon], tm.tm_mday,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ticks * 100));
    return text;
}

// pffexport cuts the first bytes off some subjects that open with a non-ASCII character (it
// takes them for a subject-prefix marker): such subjects match on what is left.
bool SameSubject(const std::string& ours, const std::string& theirs) {
    if (ours == theirs) return true;
    if (ours.empty() || static_cast<unsigned char>(ours[0]) < 0x80 || theirs.size() >= ours.size() ||
        ours.size() - theirs.size() > 4)
        return false;
    return ours.compare(ours.size() - theirs.size(), theirs.size(), theirs) == 0;
}

// The header fields of an exported item: messages have OutlookHeaders.txt, appointments,
// contacts, tasks and notes a text file named after their kind.
std::map<std::string, std::string> HeadersOf(const fsys::path& item) {
    for (const char* name :
         {"OutlookHeaders.txt", "Appointment.txt", "Contact.txt", "Task.txt", "Note.txt", "Meeting.txt"})
        if (fsys::exists(item / name)) return Fields(Slurp(item / name));
    return {};
}

bool IsExportedItem(const fsys::path& dir) { return !HeadersOf(dir).empty(); }

std::string Utf8(const msg::PropertySet& p, msg::PropertyTag tag) {
    const auto* s = p.Get<std::u16string>(tag);
    return s ? ToUtf8(*s) : std::string();
}

struct Comparison {
    std::vector<std::string> differences;
    int messages = 0, attachments = 0, embedded = 0;

    void Differs(const fsys::path& where, const std::string& what, const std::string& ours, const std::string& theirs) {
        differences.push_back(where.string() + ": " + what + ": ours \"" + ours.substr(0, 80) + "\", pffexport \"" +
                              theirs.substr(0, 80) + "\"");
    }
    void Field(const fsys::path& where, const std::map<std::string, std::string>& headers, const std::string& key,
               const std::string& ours) {
        const auto it = headers.find(key);
        const std::string theirs = it == headers.end() ? "" : it->second;
        if (ours != theirs) Differs(where, key, ours, theirs);
    }

    // `dir` is pffexport's folder of one message.
    void Message(const msg::Message& m, const fsys::path& dir) {
        ++messages;
        const msg::PropertySet& p = m.properties;
        const auto headers = HeadersOf(dir);
        const bool isMessage = fsys::exists(dir / "OutlookHeaders.txt");
        const auto subject = headers.find("Subject");
        if (!SameSubject(Utf8(p, msg::tags::kSubject), subject == headers.end() ? "" : subject->second))
            Differs(dir, "Subject", Utf8(p, msg::tags::kSubject), subject == headers.end() ? "" : subject->second);
        if (isMessage) Field(dir, headers, "Sender name", Utf8(p, msg::tags::kSenderName));
        for (const auto& [tag, key] : {std::pair{msg::tags::kClientSubmitTime, "Client submit time"},
                                       std::pair{msg::tags::kMessageDeliveryTime, "Delivery time"},
                                       std::pair{msg::tags::kCreationTime, "Creation time"},
                                       std::pair{msg::tags::kLastModificationTime, "Modification time"}}) {
            // The store stamps creation and modification times a file lacks.
            const auto* t = p.Get<std::uint64_t>(tag);
            if (!isMessage) break;  // other kinds of item print no dates of this form
            if (t)
                Field(dir, headers, key, PffDate(*t));
            else if (tag == msg::tags::kClientSubmitTime || tag == msg::tags::kMessageDeliveryTime)
                Field(dir, headers, key, "");
        }
        // Recipients, in order, with their types.
        std::string theirs;
        {
            std::istringstream in(Slurp(dir / "Recipients.txt"));
            for (std::string line; std::getline(in, line);) {
                if (line.rfind("Display name:", 0) == 0) theirs += line.substr(line.find_first_not_of('\t', 13)) + "/";
                if (line.rfind("Recipient type:", 0) == 0)
                    theirs += line.substr(line.find_first_not_of('\t', 15)) + ";";
            }
        }
        std::string ours;
        for (const msg::Recipient& r : m.recipients) {
            ours += Utf8(r.properties, msg::tags::kDisplayName) + "/";
            const auto* type = r.properties.Get<std::int32_t>(msg::tags::kRecipientType);
            static const std::map<std::int32_t, std::string> kNames{{1, "To"}, {2, "CC"}, {3, "BCC"}};
            ours += type && kNames.count(*type) ? kNames.at(*type) : (type ? "Unknown" : "");
            ours += ";";
        }
        if (ours != theirs) Differs(dir, "recipients", ours, theirs);
        // The plain-text body, as pffexport writes the first body it finds.
        if (const auto* body = p.Get<std::u16string>(msg::tags::kBody); body && fsys::exists(dir / "Message.txt")) {
            const auto trimmed = [](std::string t) {
                while (!t.empty() && (t.back() == '\0' || std::isspace(static_cast<unsigned char>(t.back()))))
                    t.pop_back();
                return t;
            };
            if (trimmed(Slurp(dir / "Message.txt")) != trimmed(ToUtf8(*body)))
                Differs(dir, "plain-text body", ToUtf8(*body), Slurp(dir / "Message.txt"));
        } else if (const auto* html = p.Get<msg::PropertyValue::Bytes>(msg::tags::kHtml);
                   html && !body && fsys::exists(dir / "Message.html")) {
            if (Slurp(dir / "Message.html") != std::string(html->begin(), html->end()))
                Differs(dir, "HTML body", "", "");
        }
        for (std::size_t i = 0; i < m.attachments.size(); ++i) Attachment(m.attachments[i], i + 1, dir / "Attachments");
    }

    void Attachment(const msg::Attachment& a, std::size_t number, const fsys::path& dir) {
        ++attachments;
        if (a.embedded) {
            ++embedded;
            char name[32];
            std::snprintf(name, sizeof name, "Attachment%05zu", number);
            fsys::path inner = dir / name / "Message00001";
            if (fsys::is_directory(dir / name))
                for (const auto& e : fsys::directory_iterator(dir / name))
                    if (e.is_directory() && IsExportedItem(e.path())) inner = e.path();
            if (!IsExportedItem(inner)) return Differs(inner, "attached message", "present", "missing");
            return Message(*a.embedded, inner);
        }
        const auto* data = a.properties.Get<msg::PropertyValue::Bytes>(msg::tags::kAttachDataBinary);
        if (!data) return;
        // pffexport numbers attachment files "1_name", zero-padded when a message has ten or more.
        const auto numberOf = [](const std::string& name) {
            const auto underscore = name.find('_');
            return underscore == 0 || underscore == std::string::npos
                       ? std::size_t{0}
                       : std::size_t(std::strtoul(name.c_str(), nullptr, 10));
        };
        fsys::path found;
        if (fsys::is_directory(dir))
            for (const auto& e : fsys::directory_iterator(dir))
                if (e.is_regular_file() && numberOf(e.path().filename().string()) == number) found = e.path();
        if (found.empty()) return Differs(dir, "attachment " + std::to_string(number), "present", "missing");
        const std::string prefix = found.filename().string().substr(0, found.filename().string().find('_') + 1);
        std::string name = Utf8(a.properties, msg::tags::kAttachLongFilename);
        if (name.empty()) name = Utf8(a.properties, msg::tags::kAttachFilename);
        std::string exportedName = found.filename().string();
        for (std::size_t i = 0; i < std::min(exportedName.size(), prefix.size() + name.size()); ++i)
            if (exportedName[i] == '_' && i >= prefix.size()) exportedName[i] = name[i - prefix.size()];
        if (!name.empty() && exportedName != prefix + name)
            Differs(found, "attachment name", prefix + name, found.filename().string());
        const std::string bytes = Slurp(found);
        if (bytes.size() != data->size() || std::memcmp(bytes.data(), data->data(), bytes.size()) != 0)
            Differs(found, "attachment bytes", std::to_string(data->size()), std::to_string(bytes.size()));
    }
};

TEST(ImportCorpus, EveryMsgConvertsAndPffexportReadsWhatOurReaderHolds) {
    FERROWICK_REQUIRE_CORPUS();
    const fsys::path source = testing::CorpusDir() / "msg";
    testing::ScratchDir dir("import-corpus");
    const fsys::path pst = dir / "corpus.pst";
    const auto converted =
        testing::RunCommand("'" FERROWICK_BINARY "' convert '" + source.string() + "' '" + pst.string() + "' 2>&1");
    EXPECT_EQ(converted.exitCode, 0) << converted.output;  // every file converted
    ASSERT_TRUE(fsys::exists(pst)) << converted.output;
    const auto checked = testing::RunCommand("'" FERROWICK_BINARY "' check '" + pst.string() + "' 2>&1");
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_NE(checked.output.find("sound"), std::string::npos) << checked.output;

    ASSERT_TRUE(testing::Installed("pffexport"))
        << "pffexport (Debian pff-tools) is missing (scripts/install-deps.sh installs it)";
    const fsys::path target = dir / "export";
    const auto exportRun =
        testing::RunCommand("pffexport -q -m items -t '" + target.string() + "' '" + pst.string() + "' 2>&1");
    ASSERT_EQ(exportRun.exitCode, 0) << exportRun.output;
    const fsys::path top = target.string() + ".export/Top of Personal Folders";

    // Messages of a folder are matched by subject, in their folder.
    Comparison comparison;
    int files = 0, missing = 0;
    std::map<fsys::path, std::vector<fsys::path>> exported;  // folder -> its message folders
    for (const auto& e : fsys::recursive_directory_iterator(top))
        if (e.is_directory() && IsExportedItem(e.path()) &&
            e.path().parent_path().filename().string().rfind("Attachment", 0) != 0)
            exported[fsys::relative(e.path().parent_path(), top)].push_back(e.path());
    for (const auto& e : fsys::recursive_directory_iterator(source)) {
        if (!e.is_regular_file() || e.path().extension() != ".msg") continue;
        ++files;
        const msg::Message m = msg::ReadMessage(e.path());
        auto& candidates = exported[fsys::relative(e.path().parent_path(), source)];
        const std::string subject = Utf8(m.properties, msg::tags::kSubject);
        // The candidate with the same subject that differs least.
        auto match = candidates.end();
        std::size_t fewest = SIZE_MAX;
        for (auto c = candidates.begin(); c != candidates.end(); ++c) {
            if (!SameSubject(subject, HeadersOf(*c)["Subject"])) continue;
            Comparison probe;
            probe.Message(m, *c);
            if (probe.differences.size() < fewest) fewest = probe.differences.size(), match = c;
        }
        if (match == candidates.end()) {
            // pffexport exports no items of the class IPM.Post; any other missing item is a fault.
            if (Utf8(m.properties, msg::tags::kMessageClass).rfind("IPM.Post", 0) != 0) ++missing;
            comparison.Differs(e.path(), "message", subject, "not found");
            continue;
        }
        Comparison one;
        one.Message(m, *match);
        for (auto& d : one.differences) comparison.differences.push_back(e.path().filename().string() + " -> " + d);
        comparison.messages += one.messages;
        comparison.attachments += one.attachments;
        comparison.embedded += one.embedded;
        candidates.erase(match);
    }
    EXPECT_EQ(files, 210);
    // Attachment bytes must be the file's; the other differences are findings, listed for a
    // reader of the log (pffexport's own renderings of dates, names and subjects among them).
    std::string report;
    int badBytes = 0;
    for (const std::string& d : comparison.differences) {
        report += d + "\n";
        if (d.find("attachment bytes") != std::string::npos) ++badBytes;
    }
    EXPECT_EQ(badBytes, 0) << report;
    EXPECT_EQ(missing, 0) << report;
    std::printf("%zu findings:\n%s", comparison.differences.size(), report.c_str());
    std::printf("compared %d messages (%d attached), %d attachments\n", comparison.messages, comparison.embedded,
                comparison.attachments);
}

}  // namespace
}  // namespace ferrowick
