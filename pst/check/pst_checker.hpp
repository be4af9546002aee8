#pragma once
// The strict checker of a Unicode .pst: header, map pages, both B-trees, every block and
// its trailer, data and sub-node trees, reference counts, the AMaps against the space really
// used, and (through ltp_checks) the heaps, BTHs and contexts of every node.
// Leaked space is reported with Severity::Leak; everything else is corruption.
#include <filesystem>

#include "pst/finding.hpp"

namespace ferrowick::pst {

struct CheckOptions {
    bool ltp = true;  // also check the lists/tables layer of every node
};

// Throws PstError only when the file cannot be checked at all: unreadable, not a .pst, or
// of a kind we do not read (ANSI, 4K pages). Damage of any kind comes back as findings.
Findings CheckPstFile(const std::filesystem::path& path, CheckOptions options = CheckOptions());

// True when no finding is corruption.
bool IsSound(const Findings& findings);

}  // namespace ferrowick::pst
