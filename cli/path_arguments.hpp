#pragma once
// File and folder arguments of the command line. The arguments are UTF-8 on every platform;
// the standard library's own conversion from narrow text (CLI11's ExistingFile and the like
// use it) reads them in the ANSI code page on Windows, where any name outside ASCII then
// names another file or none.
#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

namespace ferrowick::cli {

// A UTF-8 argument as the standard library's path, and a path as UTF-8 for messages.
std::filesystem::path ArgumentPath(const std::string& utf8);
std::string ArgumentText(const std::filesystem::path& path);

// CLI11's checks with the same messages, reading the argument as UTF-8.
extern const CLI::Validator kExistingFileArgument;
extern const CLI::Validator kExistingFolderArgument;
extern const CLI::Validator kNewPathArgument;

}  // namespace ferrowick::cli
