#pragma once
// What a convert command did, in the terms its last lines and its report use: one record
// per source message file (converted into which store folder, or not and why), the stores
// written, the stores that could not be created, and the signal that stopped the run.
// Made from the run's own bookkeeping, or merged from the reports of parallel runs.
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "seams/run_state.hpp"

namespace ferrowick::cli {

struct FileRecord {
    std::string path;          // the source .msg file
    std::string sourceFolder;  // the folder tree it was found in
    std::string store;         // the .pst it went (or was to go) to
    std::string storeFolder;   // converted: the store folder it is in ("" the top folder)
    bool converted = false;
    std::string reason;   // not converted: why
    bool folder = false;  // a folder discovery could not list or would not follow
};

struct StoreFailure {
    std::string store;
    std::string reason;
};

struct RunOutcome {
    bool multiple = false;
    std::vector<std::string> sources;
    std::vector<std::string> outputs;
    std::vector<FileRecord> files;
    std::vector<StoreFailure> storeFailures;
    int signal = 0;  // 0: not stopped by a signal

    std::size_t ConvertedCount() const;
    std::size_t NotConvertedCount() const;
    // 0 all converted, 1 some not, 2 a store could not be created, 128+N stopped by signal N.
    int ExitStatus() const;

    // Appends what one run recorded, folder by folder.
    void Add(const ConversionReport& report);
    void AddOutput(const std::string& store);
    // Every message file of `queue` that the records do not name yet, as not converted.
    void AddUnrecorded(const KeyedQueue& queue, const std::string& sourceFolder, const std::string& store,
                       const std::string& reason);
    // Appends another outcome's records (the report of one parallel folder).
    void Merge(const RunOutcome& other);
};

bool IsMessageFileName(const std::u16string& path);

// The report's document, and back (for the reports of parallel folders).
nlohmann::ordered_json ReportJson(const RunOutcome& outcome);
RunOutcome OutcomeFromReport(const nlohmann::ordered_json& report);

// Writes the report to a new file: an existing one is never replaced. Empty on success,
// else why it could not be written.
std::string WriteReportFile(const std::string& path, const RunOutcome& outcome);

// The last lines: the success lines when every file converted, otherwise the counts
// and the list of files not converted with their reasons.
void PrintLastLines(std::FILE* out, const RunOutcome& outcome);

}  // namespace ferrowick::cli
