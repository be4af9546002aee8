#pragma once
// Paths given on the command line. The arguments are UTF-8 on every platform (on Windows
// they are taken from the UTF-16 command line), but std::filesystem reads a narrow string in
// the ANSI code page there, which mangles or refuses any other name: paths are made from
// UTF-8 and turned back into it explicitly.
#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

namespace ferrowick::cli {

std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8Of(const std::filesystem::path& path);

// An argument naming a folder as the engine expects it: absolute, in the platform's form,
// without a trailing separator ("/Mail/" and "D:\Mail\" name the folder "Mail"); a root
// such as "/" or "D:\" keeps its own.
std::u16string FolderArgument(const std::string& arg);

// CLI11's ExistingFile and ExistingDirectory checks, reading the argument as UTF-8.
CLI::Validator ExistingFileArgument();
CLI::Validator ExistingFolderArgument();
// CLI11's NonexistentPath, reading the argument as UTF-8.
CLI::Validator NewPathArgument();

}  // namespace ferrowick::cli
