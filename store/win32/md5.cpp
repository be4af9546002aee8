#include "store/md5.hpp"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <stdexcept>

namespace ferrowick {
namespace {

// One provider for the process: opening it is the costly part.
BCRYPT_ALG_HANDLE Provider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle, BCRYPT_MD5_ALGORITHM, nullptr, 0))) handle = nullptr;
        return handle;
    }();
    return provider;
}

}  // namespace

Md5Digest Md5Of(std::span<const std::uint8_t> bytes) {
    BCRYPT_ALG_HANDLE provider = Provider();
    Md5Digest digest{};
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!provider || !BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0)))
        throw std::runtime_error("MD5 is not available from the system (bcrypt)");
    // BCryptHashData takes a ULONG length: long inputs go in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size(); done += kPiece) {
        const std::size_t n = std::min(kPiece, bytes.size() - done);
        ok = BCRYPT_SUCCESS(BCryptHashData(hash, const_cast<PUCHAR>(bytes.data() + done), static_cast<ULONG>(n), 0));
    }
    ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    if (!ok) throw std::runtime_error("MD5 could not be computed by the system (bcrypt)");
    return digest;
}

}  // namespace ferrowick
