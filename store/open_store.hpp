#pragma once
// One .pst opened by a session: the store itself, when it commits, and the message files
// read ahead for it. A saved message
// reaches the disk at the next commit: after 1,000 messages, 2 seconds after the last
// commit, at Close() (Logoff) and when the last handle lets go (a release after Stop).
// What a commit does and what a crash leaves: the top of pst/ndb/node_database.cpp.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "pst/messaging/pst_store.hpp"
#include "store/message_read_ahead.hpp"

namespace ferrowick {

class OpenStore {
public:
    static constexpr std::size_t kCommitEveryMessages = 1000;
    static constexpr std::chrono::milliseconds kCommitEvery{2000};

    // Creates the file (it appears at `path` only once it is a committed store) or opens an
    // existing store of ours to add to it; throws StoreFailure with the reason otherwise.
    static std::shared_ptr<OpenStore> Logon(const std::u16string& path, const std::u16string& displayName);

    explicit OpenStore(pst::PstStore store);
    ~OpenStore();  // commits what is pending; failures there are swallowed
    OpenStore(const OpenStore&) = delete;
    OpenStore& operator=(const OpenStore&) = delete;

    // The store; fails with "closed" after Close().
    pst::PstStore& Store();
    bool IsOpen() const { return store_.has_value(); }
    void MessageSaved();     // commits when the policy says so
    void CommitIfPending();  // commits when anything was saved or created since the last commit
    void Close();            // commits and closes the file
    // The logon failed after the file was opened: closes it without writing anything.
    void Refuse();
    MessageReadAhead& ReadAhead() { return readAhead_; }

private:
    void Commit();
    std::optional<pst::PstStore> store_;
    std::chrono::steady_clock::time_point lastCommit_;
    MessageReadAhead readAhead_;
};

}  // namespace ferrowick
