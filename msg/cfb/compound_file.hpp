#pragma once
// [MS-CFB 2] A compound file opened for reading: the header, FAT, DIFAT and mini FAT are read
// when it opens, with the directory; stream data only when a stream is read.
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "msg/cfb/byte_source.hpp"
#include "msg/cfb/directory.hpp"
#include "msg/cfb/stream_reader.hpp"

namespace ferrowick::msg::cfb {

class CompoundFile {
public:
    // All throw CfbError for a file that is not a readable compound file.
    static CompoundFile Open(const std::filesystem::path& path);
    static CompoundFile FromBytes(std::vector<std::uint8_t> bytes);
    explicit CompoundFile(std::unique_ptr<ByteSource> source);

    const cfb::Header& Header() const;
    std::uint64_t FileSize() const;
    DirectoryEntryId Root() const { return DirectoryEntryId::Root(); }
    const DirectoryEntry& Entry(DirectoryEntryId id) const;
    std::span<const DirectoryEntryId> Children(DirectoryEntryId storage) const;
    std::optional<DirectoryEntryId> Find(DirectoryEntryId storage, std::u16string_view name) const;
    const ChildNameIndex& Names() const;
    // Throws CfbError when `id` is not a stream or its size cannot be true.
    StreamReader OpenStream(DirectoryEntryId id) const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace ferrowick::msg::cfb
