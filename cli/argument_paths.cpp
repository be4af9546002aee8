#include "cli/argument_paths.hpp"

#include <system_error>

#include "fs/text.hpp"

namespace ferrowick::cli {

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::u16string FolderArgument(const std::string& arg) {
    std::filesystem::path path = std::filesystem::absolute(PathFromUtf8(arg)).lexically_normal();
    // Normalising leaves at most one trailing separator: an empty last name.
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return FromUtf8(Utf8Of(path));
}

namespace {

enum class Kind { Missing, File, Folder };

Kind KindOf(const std::string& arg) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(arg), error);
    if (error || !std::filesystem::exists(status)) return Kind::Missing;
    return std::filesystem::is_directory(status) ? Kind::Folder : Kind::File;
}

}  // namespace

CLI::Validator ExistingFileArgument() {
    return CLI::Validator(
        [](std::string& arg) -> std::string {
            switch (KindOf(arg)) {
                case Kind::Missing:
                    return "File does not exist: " + arg;
                case Kind::Folder:
                    return "File is actually a directory: " + arg;
                case Kind::File:
                    return {};
            }
            return {};
        },
        "FILE", "EXISTING_FILE");
}

CLI::Validator ExistingFolderArgument() {
    return CLI::Validator(
        [](std::string& arg) -> std::string {
            switch (KindOf(arg)) {
                case Kind::Missing:
                    return "Directory does not exist: " + arg;
                case Kind::File:
                    return "Directory is actually a file: " + arg;
                case Kind::Folder:
                    return {};
            }
            return {};
        },
        "DIR", "EXISTING_DIRECTORY");
}

CLI::Validator NewPathArgument() {
    return CLI::Validator(
        [](std::string& arg) -> std::string {
            return KindOf(arg) == Kind::Missing ? std::string() : "Path already exists: " + arg;
        },
        "PATH(non-existing)", "NONEXISTING_PATH");
}

}  // namespace ferrowick::cli
