// The name-to-ID map's string stream [MS-PST 2.4.7.4].
#include "pst/messaging/name_string.hpp"

#include <limits>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

[[noreturn]] void Fail(ErrorKind kind, const std::string& what) { throw PstError(kind, "name-to-ID map: " + what); }

}  // namespace

NameString NameString::Read(le::ByteView stream, std::uint32_t offset) {
    // The message is made only for damaged input: a store's names are read on every open.
    const auto damaged = [&](const std::string& what) {
        Fail(ErrorKind::CorruptStructure, "the name at offset " + std::to_string(offset) + " of the " +
                                              std::to_string(stream.size()) + "-byte string stream " + what);
    };
    if (offset % kAlignment != 0) damaged("is not on a 4-byte boundary");
    if (stream.size() < kLengthSize || offset > stream.size() - kLengthSize) damaged("lies outside the stream");
    const std::uint32_t length = le::LoadU32(stream.data() + offset);
    if (length % 2 != 0) damaged("has an odd byte length (" + std::to_string(length) + ")");
    if (length > stream.size() - offset - kLengthSize)
        damaged("is " + std::to_string(length) + " bytes long: it runs past the end");
    NameString entry;
    entry.name.reserve(length / 2);
    const std::uint8_t* units = stream.data() + offset + kLengthSize;
    for (std::uint32_t k = 0; k < length; k += 2) entry.name.push_back(static_cast<char16_t>(le::LoadU16(units + k)));
    return entry;
}

std::uint32_t NameString::AppendTo(le::Bytes& stream) const {
    if (stream.size() % kAlignment != 0)
        Fail(ErrorKind::InvalidArgument, "a name cannot follow a string stream that ends off the 4-byte grid");
    constexpr std::size_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (name.size() > kMax / 2 || stream.size() > kMax || SizeFor(name.size()) > kMax - stream.size())
        Fail(ErrorKind::LimitExceeded, "the string stream cannot hold a name of " + std::to_string(name.size()) +
                                           " characters after " + std::to_string(stream.size()) + " bytes");
    const auto offset = static_cast<std::uint32_t>(stream.size());
    le::AppendU32(stream, static_cast<std::uint32_t>(2 * name.size()));
    for (char16_t c : name) le::AppendU16(stream, static_cast<std::uint16_t>(c));
    stream.resize(offset + SizeFor(name.size()), 0);
    return offset;
}

le::Bytes NameString::NameBytes() const {
    le::Bytes bytes;
    bytes.reserve(2 * name.size());
    for (char16_t c : name) le::AppendU16(bytes, static_cast<std::uint16_t>(c));
    return bytes;
}

}  // namespace ferrowick::pst
