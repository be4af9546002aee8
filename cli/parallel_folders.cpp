#include "cli/parallel_folders.hpp"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/child_processes.hpp"
#include "cli/console_output.hpp"
#include "cli/terminal_interrupt.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

namespace stdfs = std::filesystem;

// The child's progress, one line at a time, under its folder's name.
void PassOn(std::string& pending, const std::string& name, bool all) {
    std::size_t from = 0;
    for (std::size_t at; (at = pending.find_first_of("\r\n", from)) != std::string::npos; from = at + 1)
        if (at > from) PrintTo(stderr, "[%s] %s\n", name.c_str(), pending.substr(from, at - from).c_str());
    pending.erase(0, from);
    if (all && !pending.empty()) PrintTo(stderr, "[%s] %s\n", name.c_str(), pending.c_str());
    std::fflush(stderr);
}

std::string AbnormalEnd(const ChildResult& result) {
    if (result.signal != 0)
        return "not converted: the folder's conversion ended by signal " + std::to_string(result.signal);
    return "not converted: the folder's conversion ended with exit status " + std::to_string(result.exitStatus) +
           " and no report";
}

// A new folder of this run's own under the temporary folder; empty when none can be made.
stdfs::path MakeScratchFolder() {
    std::error_code error;
    const stdfs::path base = stdfs::temp_directory_path(error);
    if (error) return {};
    static std::atomic<unsigned> counter{0};
    const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const stdfs::path folder =
            base / ("ferrowick-jobs-" + std::to_string(seed % 1000000007ull) + "-" + std::to_string(counter++));
        if (stdfs::create_directory(folder, error)) return folder;
    }
    return {};
}

}  // namespace

RunOutcome ConvertInParallel(const std::string& root, const std::string& outputDir,
                             const std::vector<FolderRow>& chosen, unsigned jobs) {
    const stdfs::path scratch = MakeScratchFolder();

    std::vector<std::string> names, reports;
    std::vector<std::vector<std::string>> commands;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        names.push_back(ToUtf8(chosen[i].Text));
        reports.push_back(ToUtf8((scratch / (std::to_string(i) + ".json")).u16string()));
        commands.push_back(
            {"convert", "--multiple", root, outputDir, "--only", names.back(), "--report", reports.back()});
    }
    if (scratch.empty()) commands.clear();  // nowhere for the reports: nothing is started

    // The first signal stops each child as it would stop a single run; a second one ends
    // them at once, as it would end a single run.
    InterruptGuard::RecordSecondSignal();
    std::vector<std::string> pending(chosen.size());
    std::vector<ChildResult> results = RunChildren(
        commands, jobs, StopRequests{&InterruptGuard::Signal, &InterruptGuard::SecondSignal},
        [&](std::size_t i, std::string_view bytes) {
            pending[i].append(bytes);
            PassOn(pending[i], names[i], false);
        },
        [&](std::size_t i) { PassOn(pending[i], names[i], true); });
    results.resize(chosen.size());

    RunOutcome outcome;
    outcome.multiple = true;
    const bool stopped = InterruptGuard::Signal() != 0;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const std::string source = ToUtf8(chosen[i].Path);
        const std::string store = ToUtf8(StoreForRow(FromUtf8(outputDir), chosen[i]));
        outcome.sources.push_back(source);
        RunOutcome part;
        bool haveReport = false;
        if (results[i].started) {
            std::ifstream in(scratch / (std::to_string(i) + ".json"));
            const auto report = nlohmann::ordered_json::parse(in, nullptr, false);
            if (!report.is_discarded()) {
                part = OutcomeFromReport(report);
                haveReport = true;
            }
        }
        if (!haveReport) {
            const std::string reason = results[i].failedToStart || (scratch.empty() && !stopped)
                                           ? "not converted: the folder's conversion could not be started"
                                       : !results[i].started || stopped ? "not converted: the run was stopped"
                                                                        : AbnormalEnd(results[i]);
            part.AddUnrecorded(ListFolderTree(chosen[i].Path), source, store, reason);
        }
        outcome.Merge(part);
    }
    std::error_code error;
    if (!scratch.empty()) stdfs::remove_all(scratch, error);
    outcome.signal = InterruptGuard::Signal();
    return outcome;
}

}  // namespace ferrowick::cli
