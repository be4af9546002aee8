// The platform's MD5 (nettle or bcrypt) gives the digests of RFC 1321's test suite.
#include <gtest/gtest.h>

#include <string>

#include "store/md5.hpp"

namespace ferrowick {
namespace {

std::string Hex(const Md5Digest& digest) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : digest) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

std::string Md5Hex(const std::string& text) {
    return Hex(Md5Of(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}

TEST(Md5, DigestsOfTheReferenceSuite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    std::string eighty;
    for (int i = 0; i < 8; ++i) eighty += "1234567890";
    EXPECT_EQ(Md5Hex(eighty), "57edf4a22be3c955ac49da2e2107b67a");
}

}  // namespace
}  // namespace ferrowick
