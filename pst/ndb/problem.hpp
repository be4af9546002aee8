#pragma once
// One thing wrong with a structure as read from disk: a stable kind for the checker's
// findings and a sentence for a person. The reader turns it into a PstError.
#include <string>

namespace ferrowick::pst {

struct Problem {
    std::string kind;  // e.g. "page-crc"
    std::string what;
};

}  // namespace ferrowick::pst
