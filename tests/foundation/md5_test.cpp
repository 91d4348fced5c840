#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Md5.h"
#include "foundation/String.h"

namespace {

std::string DigestOf(const void* data, std::size_t length)
{
    CKSTString text;
    Md5Hex(text, data, length);
    return text.c_str();
}

// Bytes that differ from their neighbours and run through every value, so that a mistake in
// word order or byte order cannot hide.
std::vector<unsigned char> Pattern(std::size_t length)
{
    std::vector<unsigned char> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 31 + 7);
    }
    return bytes;
}

TEST(Md5, Rfc1321TestSuite)
{
    const struct {
        const char* message;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890"
         "1234567890"
         "1234567890"
         "1234567890"
         "1234567890"
         "1234567890"
         "1234567890"
         "1234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(c.digest, DigestOf(c.message, std::strlen(c.message)));
    }
}

// Lengths around the places where padding needs one or two final blocks (55/56 bytes modulo
// 64) and where input fills a block exactly.
TEST(Md5, BlockBoundaryLengths)
{
    const struct {
        std::size_t length;
        const char* digest;
    } cases[] = {
        {55, "c9e512626618c9980ef21a96597af94c"},  {56, "ecde7caa08e9f5657c863df107cac60a"},
        {57, "b17b1a018dd6a4d1edda8aca15f17846"},  {63, "2f0301069e1c40af7f6c8f843b1b13f2"},
        {64, "b6bf87c24b1bc334e2541387a92b981b"},  {65, "f168246f08b6134d66bd2a10343fa9f1"},
        {119, "d5dc3d8264de3aa24dee105910ee27fe"}, {120, "bcc139b3848923904860d1eefd6e5923"},
        {127, "27670172396247fa5f68637f13f8933d"}, {128, "3e85b70ffc8df5c735ecf2a8f14f1bee"},
        {129, "e45ecac9930fe93de302f98ba673ba36"}, {1000, "2b1e78d5765de9e10495a01412a1cf22"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::vector<unsigned char> bytes = Pattern(c.length);
        EXPECT_EQ(c.digest, DigestOf(bytes.data(), bytes.size()));
    }
}

TEST(Md5, ChunkedUpdatesMatchOneShot)
{
    const std::vector<unsigned char> bytes = Pattern(1000);
    const std::string expected = DigestOf(bytes.data(), bytes.size());
    for (const std::size_t chunk : {1, 3, 7, 55, 63, 64, 65, 127, 999}) {
        SCOPED_TRACE(chunk);
        CKSTMd5Digest digest;
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            digest.Update(bytes.data() + at, std::min(chunk, bytes.size() - at));
            digest.Update(nullptr, 0);
        }
        CKSTString text;
        digest.FinalHex(text);
        EXPECT_EQ(expected, text.c_str());
    }
}

TEST(Md5, MillionBytesAcrossManyBlocks)
{
    const std::string block(1000, 'a');
    CKSTMd5Digest digest;
    for (int i = 0; i < 1000; ++i) {
        digest.Update(block.data(), block.size());
    }
    CKSTString text;
    digest.FinalHex(text);
    EXPECT_STREQ("7707d6ae4e027c70eea2a935c2296f21", text.c_str());
}

TEST(Md5, DigestStartsOverAfterFinal)
{
    CKSTMd5Digest digest;
    digest.Update("message digest", 14);
    CKSTString first, second;
    digest.FinalHex(first);
    digest.Update("abc", 3);
    digest.FinalHex(second);
    EXPECT_STREQ("f96b697d7cb7938d525a2f31aaf161d0", first.c_str());
    EXPECT_STREQ("900150983cd24fb0d6963f7d28e17f72", second.c_str());
}

}  // namespace
