#include "msg_fixtures.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "msg/msg_writer.hpp"
#include "support/run_command.hpp"

namespace ferrowick::testing {

using namespace ferrowick::msg;

ScratchDir::ScratchDir(const std::string& label) {
    // A random name, made with create_directory, which refuses one that exists: a name made
    // of the process ID meets a folder another test left behind where IDs are soon reused
    // (Windows), and removing that one can fail while its files are still being let go.
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate =
            base / ("ferrowick-" + label + "-" + std::to_string(engine() % 1000000000));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no scratch folder could be made");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Message PlainMessage(const std::u16string& subject, const std::u16string& body) {
    return MessageBuilder()
        .Subject(subject)
        .Body(body)
        .Sender(u"Ann Archer", u"ann@example.com")
        .To(u"Bob Baker", u"bob@example.com")
        .Dates(FileTimeFromUtc(2014, 3, 1, 9, 30, 0), FileTimeFromUtc(2014, 3, 1, 9, 31, 5))
        .Build();
}

Message RichMessage(const std::u16string& subject) {
    std::vector<std::uint8_t> data(5000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return MessageBuilder()
        .Subject(subject)
        .Body(u"See the attached files.")
        .Html("<html><body><p>See the <b>attached</b> files.</p></body></html>")
        .Sender(u"Ann Archer", u"ann@example.com")
        .To(u"Bob Baker", u"bob@example.com")
        .Cc(u"Cleo Carter", u"cleo@example.com")
        .Bcc(u"Dan Drake", u"dan@example.com")
        .Dates(FileTimeFromUtc(2014, 5, 2, 14, 0, 0), FileTimeFromUtc(2014, 5, 2, 14, 2, 0))
        .AttachFile(u"numbers.bin", data)
        .AttachMessage(PlainMessage(u"The original"), u"The original")
        .Named(NamedProperty{mapi::kPsPublicStrings, std::u16string(u"Keywords")},
               PropertyValue::Multiple(PropertyType::MultipleString, std::vector<std::u16string>{u"red", u"blue"}))
        .Build();
}

std::filesystem::path WriteMsgFile(const std::filesystem::path& dir, const std::string& fileName,
                                   const Message& message) {
    const auto path = dir / fileName;
    WriteMessageFile(message, path);
    return path;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

bool OlefileAvailable() {
    static const bool available = RunPython("import olefile").exitCode == 0;
    return available;
}

}  // namespace ferrowick::testing
