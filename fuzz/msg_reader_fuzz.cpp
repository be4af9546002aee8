// libFuzzer target: the .msg reader (and the compound-file layer under it) on arbitrary
// bytes. A MsgError is the expected answer to bad input; anything else (a crash, a sanitizer
// report, another exception, a hang or runaway memory) is a finding. What reads is written
// back and read again, so the writer meets every shape the reader accepts.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "msg/msg_reader.hpp"
#include "msg/msg_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ferrowick::msg;
    try {
        const Message message = ReadMessage(std::vector<std::uint8_t>(data, data + size));
        const Message again = ReadMessage(WriteMessage(message));
        if (again.recipients.size() != message.recipients.size() ||
            again.attachments.size() != message.attachments.size() ||
            again.properties.Size() != message.properties.Size())
            __builtin_trap();  // the writer lost something the reader had found
    } catch (const MsgError&) {
    }
    return 0;
}
