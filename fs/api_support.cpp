#include "fs/api_support.hpp"

namespace ferrowick::fs {
namespace {
ApiSupport support;
}

const ApiSupport& CurrentApiSupport() { return support; }

void InitApiSupport() {
    support.ProbeDone = true;
    // POSIX file calls take every name as bytes, which the lossless UTF-16 mapping covers:
    // the behaviour is that of the wide form. The narrow-only exports do not exist here.
    support.IsNT = true;
    support.WideAttributes = true;
    support.WideFindFirst = true;
    support.WideFindNext = true;
    support.WideCompressedSize = true;
    support.WideShortPath = true;
}

}  // namespace ferrowick::fs
