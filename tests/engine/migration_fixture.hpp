#pragma once
// A temporary source tree on disk, the recorders of every seam, the in-memory store and
// one run state: what an engine or driver test needs to run a conversion end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/start_migration.hpp"
#include "fs/text.hpp"
#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"
#include "support/fake_store_service.hpp"
#include "support/platform_paths.hpp"
#include "support/recorders.hpp"
#include "support/temp_folder.hpp"

namespace ferrowick::testing {

class TempTree {
public:
    // Full paths in the core's text form, without a trailing separator.
    std::u16string Path(const std::string& relative = "") const { return folder_.Text(relative); }
    std::u16string Folder(const std::string& relative) const {
        folder_.Folder(relative);
        return Path(relative);
    }
    std::u16string File(const std::string& relative, const std::string& content = "msg") const {
        folder_.File(relative, content);
        return Path(relative);
    }

private:
    TempFolder folder_;
};

class MigrationTest : public ::testing::Test {
protected:
    RecordingBoard board_;
    RecordingYielder yielder_;
    ScriptedPrompts prompts_;
    FakeSelection selection_;
    FakeStoreService store_;
    FixedClock clock_;
    RunState state_;
    RunSeams seams_{board_, yielder_, prompts_, selection_, store_, clock_};
    TempTree tree_;

    MigrationTest() {
        selection_.single = false;  // no save prompt unless a test asks for one
        selection_.outputFolder = tree_.Folder("out");
    }

    // Queues as discovery leaves them: folders (parents first) and files, in order.
    void Queue(std::initializer_list<std::u16string> folders, std::initializer_list<std::u16string> files) {
        state_.FolderQueue.Drop();
        state_.MessageQueue.Drop();
        int number = 0;
        for (const auto& f : folders) state_.FolderQueue.Add(DecimalText(number++) + u"Z", f);
        number = 1;
        for (const auto& f : files) state_.MessageQueue.Add(DecimalText(number++) + u"K", f);
        state_.Settings.MessageCount = number - 1;
    }

    void Migrate(const std::u16string& name, const std::u16string& path) { StartMigration(state_, seams_, name, path); }

    FakeStoreFile& Out() { return store_.Store(0); }
    static std::string U8(const std::u16string& t) { return ToUtf8(t); }
};

}  // namespace ferrowick::testing
