#include "store/md5.hpp"

#include <nettle/md5.h>

namespace ferrowick {

Md5Digest Md5Of(std::span<const std::uint8_t> bytes) {
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, bytes.size(), bytes.data());
    Md5Digest digest{};
    md5_digest(&ctx, digest.size(), digest.data());
    return digest;
}

}  // namespace ferrowick
