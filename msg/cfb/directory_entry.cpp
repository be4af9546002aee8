// [MS-CFB 2.6.1] Compound File Directory Entry.
#include "msg/cfb/directory_entry.hpp"

#include <algorithm>
#include <cstring>

#include "bytes/little_endian.hpp"
#include "msg/cfb/cfb_error.hpp"
#include "msg/cfb/entry_name.hpp"

namespace ferrowick::msg::cfb {

DirectoryEntry DirectoryEntry::Parse(std::span<const std::uint8_t> b, std::uint16_t majorVersion) {
    if (b.size() < kSize) throw CfbError(ErrorKind::CorruptStructure, "directory entry shorter than 128 bytes");
    DirectoryEntry e;
    // Measured first, so that the name is allocated once: a directory holds hundreds.
    const std::size_t nameBytes = std::min<std::size_t>(le::LoadU16(&b[0x40]), 64);
    std::size_t length = 0;
    while (2 * length + 1 < nameBytes && le::LoadU16(&b[2 * length]) != 0) ++length;
    e.name.resize(length);
    for (std::size_t i = 0; i < length; ++i) e.name[i] = static_cast<char16_t>(le::LoadU16(&b[2 * i]));
    const std::uint8_t type = b[0x42];
    e.knownType = type == 0 || type == 1 || type == 2 || type == 5;
    e.type = e.knownType ? static_cast<ObjectType>(type) : ObjectType::Unallocated;
    e.color = b[0x43] == 0 ? NodeColor::Red : NodeColor::Black;
    e.left = DirectoryEntryId{le::LoadU32(&b[0x44])};
    e.right = DirectoryEntryId{le::LoadU32(&b[0x48])};
    e.child = DirectoryEntryId{le::LoadU32(&b[0x4C])};
    std::memcpy(e.clsid.data(), &b[0x50], 16);
    e.stateBits = le::LoadU32(&b[0x60]);
    e.creationTime = le::LoadU64(&b[0x64]);
    e.modifiedTime = le::LoadU64(&b[0x6C]);
    e.startSector = SectorId{le::LoadU32(&b[0x74])};
    e.size = majorVersion == 3 ? le::LoadU32(&b[0x78]) : le::LoadU64(&b[0x78]);
    return e;
}

void DirectoryEntry::SerializeTo(std::span<std::uint8_t> b) const {
    if (b.size() < kSize) throw CfbError(ErrorKind::InvalidArgument, "directory entry buffer shorter than 128 bytes");
    if (name.size() > kMaxEntryNameLength)
        throw CfbError(ErrorKind::InvalidArgument, "directory entry name longer than 31 characters");
    std::fill(b.begin(), b.begin() + kSize, 0);
    for (std::size_t i = 0; i < name.size(); ++i) le::StoreU16(&b[2 * i], name[i]);
    le::StoreU16(&b[0x40], static_cast<std::uint16_t>(type == ObjectType::Unallocated ? 0 : 2 * (name.size() + 1)));
    b[0x42] = static_cast<std::uint8_t>(type);
    b[0x43] = static_cast<std::uint8_t>(color);
    le::StoreU32(&b[0x44], left.value);
    le::StoreU32(&b[0x48], right.value);
    le::StoreU32(&b[0x4C], child.value);
    std::memcpy(&b[0x50], clsid.data(), 16);
    le::StoreU32(&b[0x60], stateBits);
    le::StoreU64(&b[0x64], creationTime);
    le::StoreU64(&b[0x6C], modifiedTime);
    le::StoreU32(&b[0x74], startSector.value);
    le::StoreU64(&b[0x78], size);
}

}  // namespace ferrowick::msg::cfb
