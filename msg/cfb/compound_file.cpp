// [MS-CFB 2] Compound file structure, read side.
#include "msg/cfb/compound_file.hpp"

#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/fat.hpp"
#include "msg/cfb/mini_fat.hpp"

namespace ferrowick::msg::cfb {

struct CompoundFile::State {
    explicit State(std::unique_ptr<ByteSource> source) : file(std::move(source)) {}

    SectorFile file;
    AllocationTable fat;
    AllocationTable miniFat;
    std::optional<Directory> directory;
    std::unique_ptr<SectorChain> miniStream;  // the root entry's stream, made on first use
};

CompoundFile::CompoundFile(std::unique_ptr<ByteSource> source) : state_(std::make_shared<State>(std::move(source))) {
    State& s = *state_;
    s.fat = ReadFat(s.file);
    s.directory.emplace(Directory::Read(s.file, s.fat));
    s.miniFat = ReadMiniFat(s.file, s.fat);
}

CompoundFile CompoundFile::Open(const std::filesystem::path& path) { return CompoundFile(OpenFileSource(path)); }

CompoundFile CompoundFile::FromBytes(std::vector<std::uint8_t> bytes) {
    return CompoundFile(MemorySource(std::move(bytes)));
}

const Header& CompoundFile::Header() const { return state_->file.Header(); }

std::uint64_t CompoundFile::FileSize() const { return state_->file.FileSize(); }

const DirectoryEntry& CompoundFile::Entry(DirectoryEntryId id) const { return state_->directory->Entry(id); }

std::span<const DirectoryEntryId> CompoundFile::Children(DirectoryEntryId storage) const {
    return state_->directory->Children(storage);
}

std::optional<DirectoryEntryId> CompoundFile::Find(DirectoryEntryId storage, std::u16string_view name) const {
    return state_->directory->Find(storage, name);
}

const ChildNameIndex& CompoundFile::Names() const { return state_->directory->Names(); }

StreamReader CompoundFile::OpenStream(DirectoryEntryId id) const {
    State& s = *state_;
    const DirectoryEntry& e = s.directory->Entry(id);
    if (!e.IsStream())
        throw CfbError(ErrorKind::InvalidArgument, "directory entry " + std::to_string(id.value) + " is not a stream");
    if (e.size >= Header::kMiniStreamCutoff || e.size == 0) {
        if (e.size == 0) return StreamReader(state_, std::make_unique<SectorChain>(&s.file, &s.fat, e.startSector, 0));
        return StreamReader(state_, std::make_unique<SectorChain>(&s.file, &s.fat, e.startSector, e.size));
    }
    if (!s.miniStream) {
        const DirectoryEntry& root = s.directory->Entry(DirectoryEntryId::Root());
        s.miniStream = std::make_unique<SectorChain>(&s.file, &s.fat, root.startSector, root.size);
    }
    return StreamReader(state_, std::make_unique<SectorChain>(s.miniStream.get(), &s.miniFat, e.startSector, e.size));
}

}  // namespace ferrowick::msg::cfb
