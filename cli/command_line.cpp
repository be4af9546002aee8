#include "cli/command_line.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.hpp"

namespace ferrowick::cli {
namespace {

constexpr const char* kUsage =
    "Usage: ferrowick [COMMAND [ARGS...]]\n"
    "\n"
    "With no command, opens the wizard.\n"
    "\n"
    "Commands:\n"
    "  convert SOURCE OUTPUT.pst                   convert one folder tree into one .pst\n"
    "  convert --multiple ROOT OUTPUT_DIR [--only NAME]...\n"
    "                                              one .pst per direct sub-folder of ROOT\n"
    "  inspect FILE.pst [--json]                   folder tree with message counts\n"
    "  check FILE.pst                              strict structural check of a .pst\n"
    "  scan FOLDER                                 list a source tree as the converter sees it\n"
    "  sample DIR                                  write the bundled sample tree of .msg files\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help\n"
    "  -V, --version    show the version\n";

struct Command {
    const char* name;
    int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"convert", CmdConvert}, {"inspect", CmdInspect}, {"check", CmdCheck},
    {"scan", CmdScan},       {"sample", CmdSample},
};

}  // namespace

int RunCommandLine(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string word = argv[1];
    if (word == "-h" || word == "--help" || word == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (word == "-V" || word == "--version") {
        std::printf("ferrowick %s\n", FERROWICK_VERSION);
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (word == command.name) {
            return command.run(Args(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "ferrowick: unknown command '%s'\n\n%s", word.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace ferrowick::cli
