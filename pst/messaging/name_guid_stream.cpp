// The name-to-ID map's GUID stream [MS-PST 2.4.7.2].
#include "pst/messaging/name_guid_stream.hpp"

#include <algorithm>
#include <string>

#include "pst/messaging/name_id.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {

NameGuidStream NameGuidStream::Read(le::ByteView stream) {
    if (stream.size() % kGuidSize != 0)
        throw PstError(ErrorKind::CorruptStructure, "name-to-ID map: the GUID stream's " +
                                                        std::to_string(stream.size()) +
                                                        " bytes are not a whole number of GUIDs");
    NameGuidStream result;
    result.guids.resize(stream.size() / kGuidSize);
    for (std::size_t i = 0; i < result.guids.size(); ++i)
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(i * kGuidSize), kGuidSize,
                    result.guids[i].bytes.begin());
    return result;
}

le::Bytes NameGuidStream::Write() const {
    le::Bytes stream;
    stream.reserve(guids.size() * kGuidSize);
    for (const mapi::Guid& g : guids) stream.insert(stream.end(), g.bytes.begin(), g.bytes.end());
    return stream;
}

mapi::Guid NameGuidStream::GuidAt(std::uint16_t guidIndex) const {
    if (guidIndex == NameId::kPsMapiIndex) return mapi::kPsMapi;
    if (guidIndex == NameId::kPsPublicStringsIndex) return mapi::kPsPublicStrings;
    if (guidIndex < NameId::kFirstStreamGuid || std::size_t{guidIndex} - NameId::kFirstStreamGuid >= guids.size())
        throw PstError(ErrorKind::CorruptStructure, "name-to-ID map: an entry names GUID " + std::to_string(guidIndex) +
                                                        ", which the GUID stream lacks");
    return guids[guidIndex - NameId::kFirstStreamGuid];
}

std::optional<std::uint16_t> NameGuidStream::IndexOf(const mapi::Guid& guid) const {
    if (guid == mapi::kPsMapi) return NameId::kPsMapiIndex;
    if (guid == mapi::kPsPublicStrings) return NameId::kPsPublicStringsIndex;
    const auto it = std::find(guids.begin(), guids.end(), guid);
    if (it == guids.end()) return std::nullopt;
    return static_cast<std::uint16_t>(it - guids.begin() + NameId::kFirstStreamGuid);
}

}  // namespace ferrowick::pst
