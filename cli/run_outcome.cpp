#include "cli/run_outcome.hpp"
#include "cli/console_output.hpp"

#include <algorithm>
#include <set>

#include "cli/new_file.hpp"
#include "cli/stop_signals.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string SignalName(int signal) {
    switch (signal) {
        case kSignalInterrupt:
            return "SIGINT";
        case kSignalTerminate:
            return "SIGTERM";
        case kSignalHangUp:
            return "SIGHUP";
        case kSignalBreak:
            return "SIGBREAK";
        default:
            return "signal " + std::to_string(signal);
    }
}

int SignalNumber(const std::string& name) {
    if (name == "SIGINT") return kSignalInterrupt;
    if (name == "SIGTERM") return kSignalTerminate;
    if (name == "SIGHUP") return kSignalHangUp;
    if (name == "SIGBREAK") return kSignalBreak;
    return name.starts_with("signal ") ? std::atoi(name.c_str() + 7) : 0;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Text(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::vector<std::string> Texts(const Json& object, const char* key) {
    std::vector<std::string> texts;
    if (const auto it = object.find(key); it != object.end() && it->is_array())
        for (const Json& item : *it)
            if (item.is_string()) texts.push_back(item.get<std::string>());
    return texts;
}

}  // namespace

bool IsMessageFileName(const std::u16string& path) {
    if (path.size() < 4) return false;
    std::u16string ending = path.substr(path.size() - 4);
    for (auto& c : ending)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ending == u".msg";
}

std::size_t RunOutcome::ConvertedCount() const {
    return static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [](const FileRecord& f) { return f.converted; }));
}

std::size_t RunOutcome::NotConvertedCount() const { return files.size() - ConvertedCount(); }

int RunOutcome::ExitStatus() const {
    if (signal != 0) return 128 + signal;
    if (!storeFailures.empty()) return 2;
    return NotConvertedCount() == 0 ? 0 : 1;
}

void RunOutcome::AddOutput(const std::string& store) {
    if (!store.empty() && std::find(outputs.begin(), outputs.end(), store) == outputs.end()) outputs.push_back(store);
}

void RunOutcome::Add(const ConversionReport& report) {
    for (const FolderReport& folder : report.folders) {
        const std::string source = ToUtf8(folder.folderPath);
        const std::string store = ToUtf8(folder.outputPstPath);
        AddOutput(store);
        for (std::size_t i = 0; i < folder.converted.size(); ++i) {
            std::u16string storeFolder = folder.StoreFolderOf(i);
            while (!storeFolder.empty() && storeFolder.back() == u'\\') storeFolder.pop_back();
            files.push_back(FileRecord{ToUtf8(folder.converted[i]), source, store, ToUtf8(storeFolder), true, {}});
        }
        for (const NotConvertedFile& file : folder.notConverted)
            files.push_back(FileRecord{ToUtf8(file.path),
                                       source,
                                       store,
                                       {},
                                       false,
                                       ToUtf8(file.reason),
                                       file.kind == NotConvertedKind::Folder});
    }
}

void RunOutcome::AddUnrecorded(const KeyedQueue& queue, const std::string& sourceFolder, const std::string& store,
                               const std::string& reason) {
    std::set<std::string> recorded;
    for (const FileRecord& f : files) recorded.insert(f.path);
    for (const QueueEntry& entry : queue.Entries()) {
        if (!IsMessageFileName(entry.path)) continue;
        std::string path = ToUtf8(entry.path);
        if (recorded.insert(path).second)
            files.push_back(FileRecord{std::move(path), sourceFolder, store, {}, false, reason});
    }
}

void RunOutcome::Merge(const RunOutcome& other) {
    for (const auto& s : other.sources)
        if (std::find(sources.begin(), sources.end(), s) == sources.end()) sources.push_back(s);
    for (const auto& o : other.outputs) AddOutput(o);
    files.insert(files.end(), other.files.begin(), other.files.end());
    storeFailures.insert(storeFailures.end(), other.storeFailures.begin(), other.storeFailures.end());
}

Json ReportJson(const RunOutcome& outcome) {
    Json files = Json::array();
    for (const FileRecord& f : outcome.files) {
        Json record{{"path", f.path},
                    {"source_folder", f.sourceFolder},
                    {"store", f.store},
                    {"converted", f.converted}};
        if (f.converted)
            record["store_folder"] = f.storeFolder;
        else
            record["reason"] = f.reason;
        if (f.folder) record["kind"] = "folder";
        files.push_back(std::move(record));
    }
    Json failures = Json::array();
    for (const StoreFailure& s : outcome.storeFailures)
        failures.push_back(Json{{"store", s.store}, {"reason", s.reason}});
    return Json{{"command", "convert"},
                {"mode", outcome.multiple ? "multiple" : "single"},
                {"sources", outcome.sources},
                {"outputs", outcome.outputs},
                {"files", std::move(files)},
                {"store_failures", std::move(failures)},
                {"totals",
                 {{"files", outcome.files.size()},
                  {"converted", outcome.ConvertedCount()},
                  {"not_converted", outcome.NotConvertedCount()}}},
                {"stopped_by", outcome.signal ? Json(SignalName(outcome.signal)) : Json(nullptr)},
                {"exit_status", outcome.ExitStatus()}};
}

RunOutcome OutcomeFromReport(const Json& report) {
    RunOutcome outcome;
    outcome.multiple = Text(report, "mode") == "multiple";
    outcome.sources = Texts(report, "sources");
    outcome.outputs = Texts(report, "outputs");
    if (const auto it = report.find("files"); it != report.end() && it->is_array())
        for (const Json& f : *it) {
            const auto converted = f.find("converted");
            outcome.files.push_back(
                FileRecord{Text(f, "path"), Text(f, "source_folder"), Text(f, "store"), Text(f, "store_folder"),
                           converted != f.end() && converted->is_boolean() && converted->get<bool>(), Text(f, "reason"),
                           Text(f, "kind") == "folder"});
        }
    if (const auto it = report.find("store_failures"); it != report.end() && it->is_array())
        for (const Json& s : *it) outcome.storeFailures.push_back(StoreFailure{Text(s, "store"), Text(s, "reason")});
    outcome.signal = SignalNumber(Text(report, "stopped_by"));
    return outcome;
}

std::string WriteReportFile(const std::string& path, const RunOutcome& outcome) {
    const std::string text = ReportJson(outcome).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    return WriteNewFile(path, text);
}

void PrintLastLines(std::FILE* out, const RunOutcome& outcome) {
    if (outcome.ExitStatus() == 0) {
        WriteText(out, outcome.multiple
                           ? "All Folders Converted Successfully.\n"
                             "Open Converted Outlook Data file(s) in Microsoft Outlook to View Individual files.\n"
                           : "Messages Converted Successfully.\n"
                             "Open Converted Outlook Data file in Microsoft Outlook to View Converted Messages.\n");
        return;
    }
    if (outcome.signal != 0) PrintTo(out, "Stopped by %s.\n", SignalName(outcome.signal).c_str());
    for (const StoreFailure& s : outcome.storeFailures)
        PrintTo(out, "Could not create or open %s: %s\n", s.store.c_str(), s.reason.c_str());
    const std::size_t failed = outcome.NotConvertedCount();
    const std::size_t folders = static_cast<std::size_t>(
        std::count_if(outcome.files.begin(), outcome.files.end(), [](const FileRecord& f) { return f.folder; }));
    std::string notConverted = "none failed";
    if (failed != 0) {
        notConverted.clear();
        if (failed != folders) notConverted = Plural(failed - folders, "file", "files");
        if (failed != folders && folders != 0) notConverted += " and ";
        if (folders != 0) notConverted += Plural(folders, "folder", "folders");
        notConverted += " not converted";
    }
    PrintTo(out, "%s converted, %s.\n", Plural(outcome.ConvertedCount(), "file", "files").c_str(),
            notConverted.c_str());
    if (failed == 0) return;
    WriteText(out, folders == 0 ? "Files not converted:\n" : "Not converted:\n");
    for (const FileRecord& f : outcome.files)
        if (!f.converted) PrintTo(out, "  %s: %s\n", f.path.c_str(), f.reason.c_str());
}

}  // namespace ferrowick::cli
