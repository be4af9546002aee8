// TCINFO and TCOLDESC [MS-PST 2.3.4.1, 2.3.4.2].
#include "pst/ltp/tc_info.hpp"

#include <cstdio>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw PstError(ErrorKind::CorruptStructure, "table context: " + what);
}

}  // namespace

TableColumn TableColumn::Read(le::ByteView bytes) {
    const std::uint32_t rawTag = le::LoadU32(bytes.data());
    if (!IsKnownPropertyType(static_cast<std::uint16_t>(rawTag))) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", rawTag);
        Fail(std::string("column ") + text + " has an unknown property type");
    }
    return TableColumn{StoredPropertyTag(rawTag), le::LoadU16(bytes.data() + 4), bytes[6], bytes[7]};
}

void TableColumn::Write(std::uint8_t* out) const {
    le::StoreU32(out, tag.Value());
    le::StoreU16(out + 4, offset);
    out[6] = size;
    out[7] = bit;
}

TcInfo TcInfo::Read(le::ByteView bytes) {
    if (bytes.size() < kFixedSize || bytes[0] != kSignature) Fail("TCINFO is missing or has no 0x7C signature");
    const std::size_t columnCount = bytes[1];
    if (bytes.size() != SizeFor(columnCount))
        Fail("TCINFO of " + std::to_string(bytes.size()) + " bytes for " + std::to_string(columnCount) + " columns");
    TcInfo info;
    info.layout.end_4b = le::LoadU16(bytes.data() + 2);
    info.layout.end_2b = le::LoadU16(bytes.data() + 4);
    info.layout.end_1b = le::LoadU16(bytes.data() + 6);
    info.layout.row_size = le::LoadU16(bytes.data() + 8);
    info.row_index = HeapId(le::LoadU32(bytes.data() + 10));
    info.rows = HeapOrNodeId(le::LoadU32(bytes.data() + 14));
    info.columns.reserve(columnCount);
    for (std::size_t i = 0; i < columnCount; ++i)
        info.columns.push_back(TableColumn::Read(bytes.subspan(SizeFor(i), TableColumn::kSize)));
    return info;
}

le::Bytes TcInfo::Write() const {
    if (columns.size() > kMaxColumns) throw PstError(ErrorKind::LimitExceeded, "table context: more than 255 columns");
    le::Bytes out(SizeFor(columns.size()), 0);
    out[0] = kSignature;
    out[1] = static_cast<std::uint8_t>(columns.size());
    le::StoreU16(out.data() + 2, layout.end_4b);
    le::StoreU16(out.data() + 4, layout.end_2b);
    le::StoreU16(out.data() + 6, layout.end_1b);
    le::StoreU16(out.data() + 8, layout.row_size);
    le::StoreU32(out.data() + 10, row_index.value);
    le::StoreU32(out.data() + 14, rows.value);
    le::StoreU32(out.data() + 18, 0);  // hidIndex
    for (std::size_t i = 0; i < columns.size(); ++i) columns[i].Write(out.data() + SizeFor(i));
    return out;
}

}  // namespace ferrowick::pst
