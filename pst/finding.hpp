#pragma once
// One problem a checker or a reader found in a .pst, with where it was found.
#include <string>
#include <vector>

namespace ferrowick::pst {

enum class Severity { Leak, Corruption };  // leaked free space is reported, not fatal

struct Finding {
    Severity severity = Severity::Corruption;
    std::string kind;   // short, stable name of the check, e.g. "block-crc"
    std::string where;  // e.g. "block 0x1A4 at 0x5200", "node 0x21"
    std::string what;   // one sentence for a person
};

using Findings = std::vector<Finding>;

}  // namespace ferrowick::pst
