#pragma once
// Reads the message files a run is about to import on a second thread, while the store takes
// the one before: reading and decoding a .msg costs about as much as storing it, so the two
// overlap. The import still takes the files one by one in its own order; a file read ahead
// counts only when the import asks for that very file, and its errors are raised then, naming
// it, exactly as if it were read at that moment.
//
// What is read ahead is kept small: a few files at most, each small enough to be read whole
// (a larger one is left to the import, which streams its large values). Only regular files
// are opened, read-only, so reading a file the import then skips has no effect.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "msg/message.hpp"

namespace ferrowick {

class MessageReadAhead {
public:
    // Files read and waiting to be taken, and the one being read, together.
    static constexpr std::size_t kWindow = 4;
    // A sleeping reader is woken once this many files wait to be read, not for each one: every
    // wake costs both threads a system call.
    static constexpr std::size_t kWakeAt = 2;

    MessageReadAhead() = default;
    ~MessageReadAhead();
    MessageReadAhead(const MessageReadAhead&) = delete;
    MessageReadAhead& operator=(const MessageReadAhead&) = delete;

    // Gives the files to be imported next, in order, one a call and nothing after the last;
    // replaces what was expected before. It is called on the importing thread only.
    using NextPath = std::function<std::optional<std::u16string>()>;
    void Expect(NextPath next);
    // The file read: from the read-ahead when it got there, otherwise now. Throws StoreFailure
    // as reading the file throws.
    msg::Message Take(const std::u16string& path);
    // Forgets what is expected and ends the thread; files being read are not waited for
    // beyond the one in hand.
    void Stop();

private:
    enum class State { Waiting, Reading, Read };
    struct Entry {
        std::uint64_t id = 0;
        std::u16string path;
        State state = State::Waiting;
        std::optional<msg::Message> message;  // empty when read: the file is left to the import
        std::exception_ptr failure;
    };

    void Work();
    void Refill();                  // under the lock
    Entry* Find(std::uint64_t id);  // under the lock; null once the entry is gone
    Entry* NextToRead();            // under the lock
    bool WorthWaking() const;       // under the lock

    std::mutex mutex_;
    std::condition_variable readerWake_;  // for the reading thread: files to read, or stop
    std::condition_variable fileRead_;    // for the import: the file it waits for is read
    std::deque<Entry> expected_;          // the front is the next file the import takes
    NextPath next_;
    std::uint64_t nextId_ = 1;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace ferrowick
