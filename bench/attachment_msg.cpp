// Peak memory of converting one message whose attachment (or, with --body, whose plain-text
// body) holds 200 MB, the .msg written by our own writer. The goal is a peak independent of
// the message's size (under 160 MiB).
// --8bit-body makes the body 8-bit text of the message's code page, decoded on the way.
// Usage: bench_attachment_msg [--megabytes N] [--body | --8bit-body] [--binary PATH]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_child.hpp"
#include "msg/message_builder.hpp"
#include "msg/msg_writer.hpp"

namespace fsys = std::filesystem;

int main(int argc, char** argv) {
    fsys::path binary = ferrowick::bench::SelfDir().parent_path() / "ferrowick";
    std::size_t megabytes = 200;
    bool inBody = false, eightBit = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--megabytes" && i + 1 < argc)
            megabytes = static_cast<std::size_t>(std::atoll(argv[++i]));
        else if (a == "--body")
            inBody = true;
        else if (a == "--8bit-body")
            inBody = eightBit = true;
        else if (a == "--binary" && i + 1 < argc)
            binary = argv[++i];
        else {
            std::fprintf(stderr,
                         "usage: bench_attachment_msg [--megabytes N] [--body | --8bit-body] [--binary PATH]\n");
            return 2;
        }
    }
    if (!fsys::exists(binary)) {
        std::fprintf(stderr, "no program at %s\n", binary.c_str());
        return 2;
    }
    const fsys::path work = fsys::temp_directory_path() / ("ferrowick-bench-attachment-" + std::to_string(::getpid()));
    fsys::create_directories(work / "Mail");
    if (inBody) {
        // Text of words and lines, as a long body would be; UTF-16, two bytes a character, or
        // Windows-1252, one.
        std::u16string body(megabytes * 1000 * 1000 / (eightBit ? 1 : 2), u' ');
        std::uint32_t x = 2463534242u;
        for (std::size_t i = 0; i < body.size(); ++i) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            const std::uint32_t r = x % 64;
            body[i] = r < 52 ? static_cast<char16_t>(u'a' + r % 26) : r < 62 ? u' ' : r == 62 ? u'\r' : u'\n';
        }
        ferrowick::msg::MessageBuilder builder;
        builder.Subject(u"One large body");
        if (eightBit) {
            builder.Property(ferrowick::mapi::tags::kMessageCodepage, std::int32_t{1252})
                .Property(ferrowick::mapi::PropertyTag{ferrowick::mapi::tags::kBody.id,
                                                       ferrowick::mapi::PropertyType::String8},
                          std::string(body.begin(), body.end()));
        } else {
            builder.Body(std::move(body));
        }
        ferrowick::msg::WriteMessageFile(builder.Build(), work / "Mail" / "large.msg");
    } else {
        // Data that does not repeat in short cycles, as a real file's would not.
        std::vector<std::uint8_t> data(megabytes * 1000 * 1000);
        std::uint32_t x = 2463534242u;
        for (std::uint8_t& b : data) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            b = static_cast<std::uint8_t>(x);
        }
        ferrowick::msg::MessageBuilder builder;
        builder.Subject(u"One large attachment").Body(u"See the attachment.").AttachFile(u"large.bin", std::move(data));
        ferrowick::msg::WriteMessageFile(builder.Build(), work / "Mail" / "large.msg");
    }
    const auto msgBytes = fsys::file_size(work / "Mail" / "large.msg");
    const ferrowick::bench::ChildRun run =
        ferrowick::bench::RunChild({binary.string(), "convert", (work / "Mail").string(), (work / "out.pst").string()},
                                   true);
    const ferrowick::bench::ChildRun check =
        ferrowick::bench::RunChild({binary.string(), "check", (work / "out.pst").string()});
    const char* what = eightBit ? "8-bit body" : inBody ? "body" : "attachment";
    std::printf("one message of %.1f MB (%s %zu MB): convert + sync %.2f s (exit %d), check exit %d\n",
                static_cast<double>(msgBytes) / 1e6, what, megabytes, run.seconds, WEXITSTATUS(run.status),
                WEXITSTATUS(check.status));
    std::printf("peak memory of convert: %.1f MiB (%.2fx the %s; goal < 160 MiB)\n", run.peakMiB,
                run.peakMiB * 1048576.0 / (static_cast<double>(megabytes) * 1e6), what);
    fsys::remove_all(work);
    return run.Succeeded() && check.Succeeded() ? 0 : 1;
}
