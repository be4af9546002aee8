// The store writer alone, without the .msg reader (bench_convert_msg times the whole
// conversion): 10,000 messages against `cp -r` of the same source tree, in the same run.
// Each file becomes a message with set properties, its name as the subject and its bytes
// as an attachment, saved through the store service as the engine saves (folder by path,
// add, mark, save). The conversion runs in a child process so that its peak memory is its
// own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fs/text.hpp"
#include "pst/messaging/property_tags.hpp"
#include "store/pst_message.hpp"
#include "store/pst_store_service.hpp"

namespace fsys = std::filesystem;
using namespace ferrowick;

namespace {

constexpr int kMessages = 10000;
constexpr int kFolders = 20;
constexpr int kRounds = 3;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void MakeTree(const fsys::path& root) {
    std::mt19937 random(42);
    std::vector<char> bytes(32 * 1024);
    for (auto& b : bytes) b = static_cast<char>(random());
    for (int f = 0; f < kFolders; ++f)
        fsys::create_directories(root / ("Folder" + std::to_string(f / 4)) / ("Sub" + std::to_string(f)));
    for (int i = 0; i < kMessages; ++i) {
        const int f = i % kFolders;
        const std::size_t size = 4096 + random() % (24 * 1024);  // small .msg files are 4-28 KB
        std::ofstream(root / ("Folder" + std::to_string(f / 4)) / ("Sub" + std::to_string(f)) /
                          ("m" + std::to_string(i) + ".msg"),
                      std::ios::binary)
            .write(bytes.data() + random() % 4096, static_cast<std::streamsize>(size));
    }
}

std::vector<char> ReadAll(const fsys::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), {});
}

void Convert(const fsys::path& source, const fsys::path& output) {
    PstStoreService service;
    auto session = service.CreateSession();
    const std::u16string name = u"Bench : Created - 1.1.26 1.1.01";
    auto store = session->LogonPstStore(FromNative(output.string()), kUnicodePstFormat, name);
    store->ValidateIPMTree();
    auto utility = service.CreateUtility();
    auto top = store->IPMRootFolder()->Folders();
    for (const auto& folder : fsys::directory_iterator(source)) {
        auto created = top->Add(FromNative(folder.path().filename().string()), kMailFolderType);
        for (const auto& sub : fsys::directory_iterator(folder.path()))
            created->Folders()->Add(FromNative(sub.path().filename().string()), kMailFolderType);
    }
    for (const auto& entry : fsys::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file()) continue;
        const fsys::path relative = fsys::relative(entry.path().parent_path(), source);
        std::u16string storePath = u"\\\\" + name;
        for (const auto& part : relative) storePath += u"\\" + FromNative(part.string());
        auto message = session->GetFolderFromPath(storePath)->Items()->Add(kMailMessageType);
        auto& content = static_cast<PstMessage&>(*message).Content();
        content.properties.Set(pst::tags::kSubject.id,
                               pst::PropertyValue::String(FromNative(entry.path().filename().string())));
        const std::vector<char> bytes = ReadAll(entry.path());
        pst::AttachmentContent attachment;
        attachment.properties.Set(pst::tags::kAttachLongFilename.id, pst::PropertyValue::String(u"original.msg"));
        attachment.properties.Set(pst::tags::kAttachDataBinary.id,
                                  pst::PropertyValue::Binary(pst::PropertyValue::Bytes(bytes.begin(), bytes.end())));
        content.attachments.push_back(std::move(attachment));
        utility->HrSetOneProp(*message, kTagMessageFlags, 0x11, true);
        message->Save();
    }
    session->Logoff();
}

}  // namespace

int main() {
    const fsys::path dir = fsys::temp_directory_path() / ("ferrowick-bench-convert-" + std::to_string(::getpid()));
    fsys::remove_all(dir);
    fsys::create_directories(dir);
    const fsys::path source = dir / "source";
    MakeTree(source);
    std::system(("cat -- $(find '" + source.string() + "' -type f) > /dev/null").c_str());  // warm the page cache

    // cp -r leaves its data in the page cache; the store flushes at each commit. Both
    // baselines are shown: cp -r alone, and cp -r followed by a sync of the file system.
    // Three interleaved rounds, medians reported: a shared machine is noisy.
    std::vector<double> copyTimes, copySyncTimes, convertTimes, peaks;
    for (int round = 0; round < kRounds; ++round) {
        fsys::remove_all(dir / "copy");
        fsys::remove(dir / "out.pst");
        std::system("sync");
        auto start = std::chrono::steady_clock::now();
        if (std::system(("cp -r '" + source.string() + "' '" + (dir / "copy").string() + "'").c_str()) != 0) return 1;
        copyTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        std::system(("sync -f '" + dir.string() + "'").c_str());
        copySyncTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));

        start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                Convert(source, dir / "out.pst");
            } catch (const std::exception& e) {
                std::fprintf(stderr, "conversion failed: %s\n", e.what());
                std::_Exit(1);
            }
            std::_Exit(0);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        convertTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
        peaks.push_back(static_cast<double>(usage.ru_maxrss) / 1024.0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
        std::printf("round %d: cp -r %.2f s (with sync %.2f s), convert %.2f s\n", round + 1, copyTimes.back(),
                    copySyncTimes.back(), convertTimes.back());
    }
    const double copySeconds = Median(copyTimes), copySyncSeconds = Median(copySyncTimes);
    const double convertSeconds = Median(convertTimes);

    std::uintmax_t bytes = 0;
    for (const auto& e : fsys::recursive_directory_iterator(source))
        if (e.is_regular_file()) bytes += e.file_size();
    std::printf("messages: %d, source: %.1f MiB, store: %.1f MiB\n", kMessages, static_cast<double>(bytes) / 1048576.0,
                static_cast<double>(fsys::file_size(dir / "out.pst")) / 1048576.0);
    std::printf("medians: cp -r %.2f s (with sync %.2f s); convert %.2f s\n", copySeconds, copySyncSeconds,
                convertSeconds);
    std::printf("speed ratio against cp -r: %.2f (goal >= 0.50); against cp -r + sync: %.2f\n",
                copySeconds / convertSeconds, copySyncSeconds / convertSeconds);
    std::printf("peak memory of the conversion: %.1f MiB (goal < 200 MiB)\n",
                *std::max_element(peaks.begin(), peaks.end()));
    fsys::remove_all(dir);
    return 0;
}
