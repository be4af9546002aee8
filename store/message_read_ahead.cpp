#include "store/message_read_ahead.hpp"

#include <system_error>

#include "store/msg_import.hpp"

namespace ferrowick {

MessageReadAhead::~MessageReadAhead() { Stop(); }

void MessageReadAhead::Expect(NextPath next) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        expected_.clear();
        next_ = std::move(next);
        Refill();
    }
    readerWake_.notify_one();
    if (worker_.joinable()) return;
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // No thread to be had: the import reads every file itself, as it takes it.
    }
}

msg::Message MessageReadAhead::Take(const std::u16string& path) {
    std::unique_lock lock(mutex_);
    std::size_t at = 0;
    while (at < expected_.size() && expected_[at].path != path) ++at;
    if (at == expected_.size()) {
        // Not a file it was told of: the import went its own way, and what was read is of no use.
        expected_.clear();
        next_ = nullptr;
    } else {
        expected_.erase(expected_.begin(), expected_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::optional<Entry> taken;
    if (!expected_.empty()) {
        const std::uint64_t id = expected_.front().id;
        if (expected_.front().state == State::Reading)
            fileRead_.wait(lock, [&] {
                const Entry* entry = Find(id);
                return !entry || entry->state == State::Read;
            });
        // One not yet begun is read here rather than waited for.
        if (!expected_.empty() && expected_.front().id == id) {
            taken = std::move(expected_.front());
            expected_.pop_front();
            Refill();
        }
    }
    const bool wake = WorthWaking();
    lock.unlock();
    if (wake) readerWake_.notify_one();

    if (taken && taken->state == State::Read) {
        if (taken->failure) std::rethrow_exception(taken->failure);
        if (taken->message) return std::move(*taken->message);
    }
    return ReadMsgFile(path);
}

void MessageReadAhead::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        expected_.clear();
        next_ = nullptr;
    }
    readerWake_.notify_one();
    fileRead_.notify_one();
    if (worker_.joinable()) worker_.join();
}

void MessageReadAhead::Refill() {
    while (next_ && expected_.size() < kWindow) {
        std::optional<std::u16string> path = next_();
        if (!path) {
            next_ = nullptr;
            break;
        }
        expected_.push_back(Entry{nextId_++, std::move(*path), State::Waiting, std::nullopt, nullptr});
    }
}

MessageReadAhead::Entry* MessageReadAhead::Find(std::uint64_t id) {
    // An entry is read only while it is among the first few, and entries leave from the front.
    for (std::size_t i = 0; i < expected_.size() && i < kWindow; ++i)
        if (expected_[i].id == id) return &expected_[i];
    return nullptr;
}

bool MessageReadAhead::WorthWaking() const {
    std::size_t waiting = 0;
    for (std::size_t i = 0; i < expected_.size() && i < kWindow; ++i)
        if (expected_[i].state == State::Waiting) ++waiting;
    // The last files of a list are read however few they are.
    return waiting >= kWakeAt || (waiting > 0 && !next_);
}

MessageReadAhead::Entry* MessageReadAhead::NextToRead() {
    for (std::size_t i = 0; i < expected_.size() && i < kWindow; ++i)
        if (expected_[i].state == State::Waiting) return &expected_[i];
    return nullptr;
}

void MessageReadAhead::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_) return;
        Entry* next = NextToRead();
        if (!next) {
            // Once awake it reads on while there is anything to read; asleep, it waits for more.
            readerWake_.wait(lock, [&] { return stopping_ || WorthWaking(); });
            continue;
        }
        next->state = State::Reading;
        const std::uint64_t id = next->id;
        const std::u16string path = next->path;
        lock.unlock();

        std::optional<msg::Message> message;
        std::exception_ptr failure;
        try {
            message = ReadMsgFileHeldWhole(path);
        } catch (...) {
            failure = std::current_exception();
        }

        lock.lock();
        if (Entry* entry = Find(id)) {
            entry->message = std::move(message);
            entry->failure = failure;
            entry->state = State::Read;
            fileRead_.notify_one();
        } else {
            // Dropped while it was read: let it go without holding the import up.
            lock.unlock();
            message.reset();
            failure = nullptr;
            lock.lock();
        }
    }
}

}  // namespace ferrowick
