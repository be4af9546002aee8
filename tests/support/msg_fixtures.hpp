#pragma once
// Real .msg files for tests, made by our own writer: typical messages, a scratch folder that
// cleans up after itself, and a way to ask python3-olefile (a third-party reader) about a file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "msg/message.hpp"
#include "msg/message_builder.hpp"

namespace ferrowick::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& label = "msg");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A plain-text note from one sender to one To recipient, sent 1 March 2014.
msg::Message PlainMessage(const std::u16string& subject, const std::u16string& body = u"Hello.");
// A note with To, Cc and Bcc recipients, an HTML body, a file attachment and an embedded
// message, and a string-named property.
msg::Message RichMessage(const std::u16string& subject);

std::filesystem::path WriteMsgFile(const std::filesystem::path& dir, const std::string& fileName,
                                   const msg::Message& message);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// Runs a python3 program (Debian's /usr/bin/python3, where olefile lives) with `args`; the
// exit code and standard output. Exit code -1 when python3 or olefile is missing.
struct PythonRun {
    int exitCode = -1;
    std::string output;
};
PythonRun RunPython(const std::string& program, const std::vector<std::string>& args = {});
bool OlefileAvailable();

}  // namespace ferrowick::testing
