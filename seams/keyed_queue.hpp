#pragma once
// An ordered collection of full paths, each with a key unique within the queue
// ("1K", "2K"... for files, "0Z", "1Z"... for folders). A queue is either absent or a
// list: emptying drops it, the first addition creates it, and an absent queue reads empty.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ferrowick {

struct QueueEntry {
    std::u16string key;
    std::u16string path;
};

class KeyedQueue {
public:
    void Drop() { entries_.reset(); }
    bool Present() const { return entries_.has_value(); }
    void Add(std::u16string key, std::u16string path) {
        if (!entries_) entries_.emplace();
        entries_->push_back(QueueEntry{std::move(key), std::move(path)});
    }
    std::size_t Count() const { return entries_ ? entries_->size() : 0; }
    const std::vector<QueueEntry>& Entries() const {
        static const std::vector<QueueEntry> none;
        return entries_ ? *entries_ : none;
    }

private:
    std::optional<std::vector<QueueEntry>> entries_;
};

}  // namespace ferrowick
