#pragma once
// Test implementations of the run's seams. Each records what was asked of it, in order,
// so tests can compare the texts and their sequence; answers are scripted.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fs/text.hpp"
#include "seams/clock.hpp"
#include "seams/prompts.hpp"
#include "seams/selection_inputs.hpp"
#include "seams/status_board.hpp"
#include "seams/yielder.hpp"

namespace ferrowick::testing {

// Remembers the current value of every control and logs every write as "Control=value".
class RecordingBoard : public StatusBoard {
public:
    std::vector<std::string> log;
    std::u16string caption, count1, currentDbx, progressText, frameConversion;
    int progressMin = 0, progressMax = 100;
    float progressValue = 0;
    bool skipEnabled = false, stopEnabled = false, stopVisible = false, locateEnabled = false;

    void SetWindowCaption(const std::u16string& t) override {
        caption = t;
        Log("Caption", t);
    }
    void SetCount1(const std::u16string& t) override {
        count1 = t;
        Log("lblCount1", t);
    }
    void SetCurrentDbx(const std::u16string& t) override {
        currentDbx = t;
        Log("LblCurrentDBX", t);
    }
    void SetProgressText(const std::u16string& t) override {
        progressText = t;
        Log("lblProgress", t);
    }
    std::u16string ProgressText() const override { return progressText; }
    void SetFrameConversion(const std::u16string& t) override {
        frameConversion = t;
        Log("FrameConversion", t);
    }
    void SetProgressRange(int lo, int hi) override {
        progressMin = lo;
        progressMax = hi;
        log.push_back("ProgressRange=" + std::to_string(lo) + ".." + std::to_string(hi));
    }
    void SetProgressValue(float v) override {
        progressValue = v;
        log.push_back("ProgressValue=" + FloatText(v));
    }
    float ProgressValue() const override { return progressValue; }
    void SetSkipEnabled(bool b) override {
        skipEnabled = b;
        LogBool("CmdSkip.Enabled", b);
    }
    void SetStopEnabled(bool b) override {
        stopEnabled = b;
        LogBool("CmdStopMigration.Enabled", b);
    }
    void SetStopVisible(bool b) override {
        stopVisible = b;
        LogBool("CmdStopMigration.Visible", b);
    }
    void SetLocateEnabled(bool b) override {
        locateEnabled = b;
        LogBool("CmdLocate.Enabled", b);
    }

    // The log entries that start with "Control=".
    std::vector<std::string> Writes(const std::string& control) const {
        std::vector<std::string> out;
        for (const auto& e : log)
            if (e.rfind(control + "=", 0) == 0) out.push_back(e.substr(control.size() + 1));
        return out;
    }

private:
    void Log(const char* what, const std::u16string& t) { log.push_back(std::string(what) + "=" + ToUtf8(t)); }
    void LogBool(const char* what, bool b) { log.push_back(std::string(what) + "=" + (b ? "true" : "false")); }
    static std::string FloatText(float v) {
        std::string s = std::to_string(v);
        while (s.size() > 1 && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    }
};

// Counts yields; a test may run an action at a given yield (a button click "during" a run).
class RecordingYielder : public Yielder {
public:
    long count = 0;
    std::function<void(long)> onYield;  // receives the 1-based number of the yield
    void Yield() override {
        ++count;
        if (onYield) onYield(count);
    }
};

// Records every message box and save prompt; answers from scripted queues.
class ScriptedPrompts : public Prompts {
public:
    std::vector<MessageBoxRequest> shown;
    std::deque<MessageAnswer> answers;                                    // for Yes/No boxes; default Yes
    std::function<void(const MessageBoxRequest&)> onShow;                 // e.g. to look at the board
    std::deque<std::optional<std::u16string>> savePaths;                  // empty optional: cancelled
    std::vector<std::pair<std::u16string, std::u16string>> saveRequests;  // filter, proposed
    int singleWindowCloses = 0;

    MessageAnswer ShowMessage(const MessageBoxRequest& r) override {
        shown.push_back(r);
        if (onShow) onShow(r);
        if (r.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        if (answers.empty()) return MessageAnswer::Yes;
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::u16string> AskSavePath(const std::u16string& filter, const std::u16string& proposed) override {
        saveRequests.emplace_back(filter, proposed);
        if (savePaths.empty()) return std::nullopt;
        auto p = savePaths.front();
        savePaths.pop_front();
        return p;
    }
    void CloseSingleFolderWindow() override { ++singleWindowCloses; }
};

// A clock that always reads the time it was given (6 December 2026, 21:05:09 by default).
class FixedClock : public Clock {
public:
    LocalDateTime now{2026, 12, 6, 21, 5, 9};
    LocalDateTime Now() const override { return now; }
};

// A selection held in plain fields; rows are 1-based as the list counts them.
class FakeSelection : public SelectionInputs {
public:
    bool single = true;
    std::u16string sourceMailbox;
    std::vector<FolderRow> rows;
    std::u16string outputFolder;
    std::vector<std::size_t> started;

    bool OptSingle() const override { return single; }
    std::u16string SourceMailbox() const override { return sourceMailbox; }
    std::size_t RowCount() const override { return rows.size(); }
    FolderRow Row(std::size_t i) const override { return rows.at(i - 1); }
    void MarkRowStarted(std::size_t i) override { started.push_back(i); }
    std::u16string OutputFolder() const override { return outputFolder; }
};

}  // namespace ferrowick::testing
