#include "cli/path_arguments.hpp"

#include <system_error>

#include "fs/text.hpp"

namespace ferrowick::cli {

std::filesystem::path ArgumentPath(const std::string& utf8) { return ToPath(FromUtf8(utf8)); }

std::string ArgumentText(const std::filesystem::path& path) { return ToUtf8(FromPath(path)); }

namespace {

enum class Kind { Missing, Folder, Other };

// As CLI11 sorts a path: what cannot be looked at counts as missing.
Kind KindOf(const std::string& argument) {
    std::error_code error;
    const auto status = std::filesystem::status(ArgumentPath(argument), error);
    if (error || !std::filesystem::exists(status)) return Kind::Missing;
    return std::filesystem::is_directory(status) ? Kind::Folder : Kind::Other;
}

}  // namespace

const CLI::Validator kExistingFileArgument(
    [](std::string& argument) -> std::string {
        switch (KindOf(argument)) {
            case Kind::Missing: return "File does not exist: " + argument;
            case Kind::Folder: return "File is actually a directory: " + argument;
            case Kind::Other: break;
        }
        return {};
    },
    "FILE");

const CLI::Validator kExistingFolderArgument(
    [](std::string& argument) -> std::string {
        switch (KindOf(argument)) {
            case Kind::Missing: return "Directory does not exist: " + argument;
            case Kind::Other: return "Directory is actually a file: " + argument;
            case Kind::Folder: break;
        }
        return {};
    },
    "DIR");

const CLI::Validator kNewPathArgument(
    [](std::string& argument) -> std::string {
        return KindOf(argument) == Kind::Missing ? std::string() : "Path already exists: " + argument;
    },
    "PATH(non-existing)");

}  // namespace ferrowick::cli
