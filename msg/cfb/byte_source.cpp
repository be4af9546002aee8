#include "msg/cfb/byte_source.hpp"

#include <cstring>
#include <string>

#include "msg/cfb/cfb_error.hpp"

namespace ferrowick::msg::cfb {

void ThrowOutside(std::uint64_t offset, std::size_t length, std::uint64_t size) {
    throw CfbError(ErrorKind::CorruptStructure, "read of " + std::to_string(length) + " bytes at offset " +
                                                    std::to_string(offset) + " goes past the end of the file (" +
                                                    std::to_string(size) + " bytes); truncated?");
}

namespace {

class BufferSource final : public ByteSource {
public:
    explicit BufferSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
            ThrowOutside(offset, out.size(), bytes_.size());
        if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    }

private:
    std::vector<std::uint8_t> bytes_;
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : view_(bytes) {}
    std::uint64_t Size() const override { return view_.size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > view_.size() || out.size() > view_.size() - offset) ThrowOutside(offset, out.size(), view_.size());
        if (!out.empty()) std::memcpy(out.data(), view_.data() + offset, out.size());
    }

private:
    std::span<const std::uint8_t> view_;
};

}  // namespace

std::unique_ptr<ByteSource> MemorySource(std::vector<std::uint8_t> bytes) {
    return std::make_unique<BufferSource>(std::move(bytes));
}

std::unique_ptr<ByteSource> ViewSource(std::span<const std::uint8_t> bytes) {
    return std::make_unique<SpanSource>(bytes);
}

}  // namespace ferrowick::msg::cfb
