// libFuzzer target: the .pst node database reader and the strict checker on arbitrary bytes.
// A PstError is the expected answer to bad input; anything else (a crash, a sanitizer report,
// another exception, a hang or runaway memory) is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "pst/check/pst_checker.hpp"
#include "pst/ndb/node_database.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ferrowick::pst;
    // The reader works on files: hand it an in-memory one.
    const int fd = memfd_create("pst-fuzz", MFD_CLOEXEC);
    if (fd < 0) return 0;
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    try {
        auto db = NodeDatabase::Open(path);
        for (const NodeEntry& e : db.Nodes()) {
            try {
                (void)db.ReadNode(e.nid);
            } catch (const PstError&) {
            }
        }
    } catch (const PstError&) {
    }
    try {
        (void)CheckPstFile(path);
    } catch (const PstError&) {
    }
    close(fd);
    return 0;
}
