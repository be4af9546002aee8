#pragma once
// [MS-OXMSG 2.1.3 variable-length properties] A property's value stream too large to hold
// whole, offered as the bytes a store keeps for the value and read only when they are
// written: binary content as it is, UTF-16 text without its terminating zeros, and 8-bit
// text decoded to UTF-16 piece by piece.
#include <memory>

#include "mapi/byte_stream.hpp"
#include "msg/cfb/stream_reader.hpp"
#include "msg/code_page.hpp"

namespace ferrowick::msg {

std::shared_ptr<const mapi::ByteStream> StreamedBinary(cfb::StreamReader stream);

// As DecodeUtf16 gives it: an odd last byte and the zero characters at the end left out.
std::shared_ptr<const mapi::ByteStream> StreamedUtf16(cfb::StreamReader stream);

// As DecodeByFirstFitting gives the bytes less their zero bytes at the end, in UTF-16LE. The
// text is decoded in pieces cut after a line break or a blank, which no ANSI code page uses
// inside a character, so the pieces decode as the whole would. Finding the code page and the
// size reads the stream once (more when a candidate fails); reading it, once again.
std::shared_ptr<const mapi::ByteStream> StreamedDecoded(cfb::StreamReader stream, const CodePages& codePages);

}  // namespace ferrowick::msg
