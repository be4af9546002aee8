// [MS-OXMSG 2.1.3] Value streams read as they are written.
#include "msg/streamed_value.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "msg/code_page_decoder.hpp"
#include "msg/msg_error.hpp"

namespace ferrowick::msg {
namespace {

// The first `size` bytes of a stream.
class StreamPrefix final : public mapi::ByteStream {
public:
    StreamPrefix(cfb::StreamReader stream, std::uint64_t size) : stream_(std::move(stream)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > size_ || out.size() > size_ - offset)
            throw MsgError(ErrorKind::CorruptStructure, "a read past the end of a property's value");
        stream_.ReadAt(offset, out);
    }

private:
    cfb::StreamReader stream_;
    std::uint64_t size_;
};

// The end of `stream` less the units of `unit` zero bytes that close it, looked at from the
// back a piece at a time.
std::uint64_t EndWithoutZeros(const cfb::StreamReader& stream, std::size_t unit) {
    std::uint64_t end = stream.Size() - stream.Size() % unit;
    std::array<std::uint8_t, 4096> tail;
    while (end > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(end, tail.size()));
        stream.ReadAt(end - n, std::span(tail).first(n));
        std::size_t kept = n;
        while (kept >= unit &&
               std::all_of(tail.begin() + static_cast<long>(kept - unit), tail.begin() + static_cast<long>(kept),
                           [](std::uint8_t b) { return b == 0; }))
            kept -= unit;
        end -= n - kept;
        if (kept > 0) break;
    }
    return end;
}

// 8-bit text decoded in pieces of about kPiece bytes, each ending after a line break or a
// blank. A stretch of kLongestPiece bytes with neither is cut where it ends: only there can
// a character of a multi-byte code page come out as two replacement characters.
class DecodedText final : public mapi::ByteStream {
public:
    DecodedText(cfb::StreamReader stream, const CodePages& codePages)
        : stream_(std::move(stream)), inputSize_(EndWithoutZeros(stream_, 1)) {
        for (const std::uint32_t codePage : codePages) {
            decoder_ = MakeCodePageDecoder(codePage);
            if (!decoder_) continue;
            bool clean = true;
            size_ = DecodedSize(&clean);
            if (clean) return;
        }
        decoder_ = MakeCodePageDecoder(codePages.empty() ? kFallbackCodePage : codePages.front());
        if (!decoder_) decoder_ = MakeCodePageDecoder(kFallbackCodePage);
        size_ = DecodedSize(nullptr);
    }

    std::uint64_t Size() const override { return size_; }

    // Pieces are decoded in order; a read before the current piece starts over.
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > size_ || out.size() > size_ - offset)
            throw MsgError(ErrorKind::CorruptStructure, "a read past the end of a property's value");
        if (offset < pieceStart_) {
            pieceStart_ = 0;
            nextInput_ = 0;
            piece_.clear();
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const std::uint64_t at = offset + done;
            if (at >= pieceStart_ + piece_.size()) {
                pieceStart_ += piece_.size();
                if (nextInput_ >= inputSize_)
                    throw MsgError(ErrorKind::CorruptStructure, "a property's value changed while it was read");
                piece_ = Utf16le(NextPiece(nextInput_, nullptr));
                continue;
            }
            const std::size_t from = static_cast<std::size_t>(at - pieceStart_);
            const std::size_t n = std::min(out.size() - done, piece_.size() - from);
            std::copy_n(piece_.begin() + static_cast<long>(from), n, out.begin() + static_cast<long>(done));
            done += n;
        }
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    static constexpr std::size_t kLongestPiece = 1024 * 1024;

    static bool EndsPiece(std::uint8_t b) { return b == '\n' || b == '\r' || b == ' ' || b == '\t'; }

    std::uint64_t DecodedSize(bool* clean) const {
        std::uint64_t size = 0, input = 0;
        while (input < inputSize_) size += 2 * NextPiece(input, clean).size();
        return size;
    }

    // Decodes the piece at `input` and moves `input` past it.
    std::u16string NextPiece(std::uint64_t& input, bool* clean) const {
        std::vector<std::uint8_t> bytes;
        std::size_t cut = 0;
        while (cut == 0) {
            const std::size_t have = bytes.size();
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(inputSize_ - input - have, kPiece));
            if (want == 0) {
                cut = have;
                break;
            }
            bytes.resize(have + want);
            stream_.ReadAt(input + have, std::span(bytes).subspan(have));
            if (input + bytes.size() == inputSize_ || bytes.size() >= kLongestPiece) {
                cut = bytes.size();
                break;
            }
            for (std::size_t i = bytes.size(); i > have; --i)
                if (EndsPiece(bytes[i - 1])) {
                    cut = i;
                    break;
                }
        }
        input += cut;
        bool pieceClean = true;
        std::u16string text;
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), cut);
        if (decoder_)
            text = decoder_->Decode(view, &pieceClean);
        else
            text.assign(view.begin(), view.end());  // no tables at all: Latin-1 is the least harm
        if (clean && !pieceClean) *clean = false;
        return text;
    }

    static std::vector<std::uint8_t> Utf16le(const std::u16string& text) {
        std::vector<std::uint8_t> bytes(2 * text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
        }
        return bytes;
    }

    cfb::StreamReader stream_;
    std::uint64_t inputSize_;
    std::uint64_t size_ = 0;
    std::unique_ptr<CodePageDecoder> decoder_;
    // Where reading stands: the piece decoded last, where its text starts, where the next
    // piece's bytes start.
    mutable std::vector<std::uint8_t> piece_;
    mutable std::uint64_t pieceStart_ = 0;
    mutable std::uint64_t nextInput_ = 0;
};

}  // namespace

std::shared_ptr<const mapi::ByteStream> StreamedBinary(cfb::StreamReader stream) {
    const std::uint64_t size = stream.Size();
    return std::make_shared<StreamPrefix>(std::move(stream), size);
}

std::shared_ptr<const mapi::ByteStream> StreamedUtf16(cfb::StreamReader stream) {
    const std::uint64_t size = EndWithoutZeros(stream, 2);
    return std::make_shared<StreamPrefix>(std::move(stream), size);
}

std::shared_ptr<const mapi::ByteStream> StreamedDecoded(cfb::StreamReader stream, const CodePages& codePages) {
    return std::make_shared<DecodedText>(std::move(stream), codePages);
}

}  // namespace ferrowick::msg
