#include "foundation/Md5.h"

#include <cstring>

#include "foundation/String.h"

namespace {

using u32 = std::uint32_t;

u32 RotateLeft(u32 x, int n)
{
    return (x << n) | (x >> (32 - n));
}

u32 F(u32 x, u32 y, u32 z)
{
    return (x & y) | (~x & z);
}
u32 G(u32 x, u32 y, u32 z)
{
    return (x & z) | (y & ~z);
}
u32 H(u32 x, u32 y, u32 z)
{
    return x ^ y ^ z;
}
u32 I(u32 x, u32 y, u32 z)
{
    return y ^ (x | ~z);
}

template <u32 (*Round)(u32, u32, u32)>
void Step(u32& a, u32 b, u32 c, u32 d, u32 word, int shift, u32 constant)
{
    a = b + RotateLeft(a + Round(b, c, d) + word + constant, shift);
}

u32 ReadLittleEndian(const unsigned char* p)
{
    return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
}

void WriteLittleEndian(u32 value, unsigned char* p)
{
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

}  // namespace

CKSTMd5Digest::CKSTMd5Digest()
{
    Reset();
}

void CKSTMd5Digest::Reset()
{
    std::memset(m_buffer, 0, sizeof m_buffer);
    m_bitCount[0] = m_bitCount[1] = 0;
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
}

void CKSTMd5Digest::Update(const void* bytes, std::size_t length)
{
    if (length == 0) {
        return;
    }
    const auto* input = static_cast<const unsigned char*>(bytes);
    std::size_t used = (m_bitCount[0] >> 3) & 0x3F;

    // The bit count is kept modulo 2^64, as the padding stores it.
    const std::uint64_t bits =
        ((std::uint64_t(m_bitCount[1]) << 32) | m_bitCount[0]) + std::uint64_t(length) * 8;
    m_bitCount[0] = static_cast<u32>(bits);
    m_bitCount[1] = static_cast<u32>(bits >> 32);

    if (used > 0) {
        const std::size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(m_buffer + used, input, take);
        used += take;
        input += take;
        length -= take;
        if (used < 64) {
            return;
        }
        Transform(m_buffer);
    }
    for (; length >= 64; input += 64, length -= 64) {
        Transform(input);
    }
    std::memcpy(m_buffer, input, length);
}

void CKSTMd5Digest::FinalHex(CKSTString& out)
{
    unsigned char lengthBytes[8];
    WriteLittleEndian(m_bitCount[0], lengthBytes);
    WriteLittleEndian(m_bitCount[1], lengthBytes + 4);

    // 0x80, then zeros up to 56 bytes modulo 64, then the bit count.
    static const unsigned char kPadding[64] = {0x80};
    const std::size_t used = (m_bitCount[0] >> 3) & 0x3F;
    Update(kPadding, used < 56 ? 56 - used : 120 - used);
    Update(lengthBytes, sizeof lengthBytes);

    static const char kHexDigits[] = "0123456789abcdef";
    char text[33];
    for (int word = 0; word < 4; ++word) {
        unsigned char digest[4];
        WriteLittleEndian(m_state[word], digest);
        for (int i = 0; i < 4; ++i) {
            text[8 * word + 2 * i] = kHexDigits[digest[i] >> 4];
            text[8 * word + 2 * i + 1] = kHexDigits[digest[i] & 0x0F];
        }
    }
    text[32] = '\0';
    out = text;
    Reset();
}

void CKSTMd5Digest::Transform(const unsigned char* block)
{
    u32 x[16];
    for (int i = 0; i < 16; ++i) {
        x[i] = ReadLittleEndian(block + 4 * i);
    }
    u32 a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];

    Step<F>(a, b, c, d, x[0], 7, 0xd76aa478);
    Step<F>(d, a, b, c, x[1], 12, 0xe8c7b756);
    Step<F>(c, d, a, b, x[2], 17, 0x242070db);
    Step<F>(b, c, d, a, x[3], 22, 0xc1bdceee);
    Step<F>(a, b, c, d, x[4], 7, 0xf57c0faf);
    Step<F>(d, a, b, c, x[5], 12, 0x4787c62a);
    Step<F>(c, d, a, b, x[6], 17, 0xa8304613);
    Step<F>(b, c, d, a, x[7], 22, 0xfd469501);
    Step<F>(a, b, c, d, x[8], 7, 0x698098d8);
    Step<F>(d, a, b, c, x[9], 12, 0x8b44f7af);
    Step<F>(c, d, a, b, x[10], 17, 0xffff5bb1);
    Step<F>(b, c, d, a, x[11], 22, 0x895cd7be);
    Step<F>(a, b, c, d, x[12], 7, 0x6b901122);
    Step<F>(d, a, b, c, x[13], 12, 0xfd987193);
    Step<F>(c, d, a, b, x[14], 17, 0xa679438e);
    Step<F>(b, c, d, a, x[15], 22, 0x49b40821);

    Step<G>(a, b, c, d, x[1], 5, 0xf61e2562);
    Step<G>(d, a, b, c, x[6], 9, 0xc040b340);
    Step<G>(c, d, a, b, x[11], 14, 0x265e5a51);
    Step<G>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    Step<G>(a, b, c, d, x[5], 5, 0xd62f105d);
    Step<G>(d, a, b, c, x[10], 9, 0x02441453);
    Step<G>(c, d, a, b, x[15], 14, 0xd8a1e681);
    Step<G>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    Step<G>(a, b, c, d, x[9], 5, 0x21e1cde6);
    Step<G>(d, a, b, c, x[14], 9, 0xc33707d6);
    Step<G>(c, d, a, b, x[3], 14, 0xf4d50d87);
    Step<G>(b, c, d, a, x[8], 20, 0x455a14ed);
    Step<G>(a, b, c, d, x[13], 5, 0xa9e3e905);
    Step<G>(d, a, b, c, x[2], 9, 0xfcefa3f8);
    Step<G>(c, d, a, b, x[7], 14, 0x676f02d9);
    Step<G>(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    Step<H>(a, b, c, d, x[5], 4, 0xfffa3942);
    Step<H>(d, a, b, c, x[8], 11, 0x8771f681);
    Step<H>(c, d, a, b, x[11], 16, 0x6d9d6122);
    Step<H>(b, c, d, a, x[14], 23, 0xfde5380c);
    Step<H>(a, b, c, d, x[1], 4, 0xa4beea44);
    Step<H>(d, a, b, c, x[4], 11, 0x4bdecfa9);
    Step<H>(c, d, a, b, x[7], 16, 0xf6bb4b60);
    Step<H>(b, c, d, a, x[10], 23, 0xbebfbc70);
    Step<H>(a, b, c, d, x[13], 4, 0x289b7ec6);
    Step<H>(d, a, b, c, x[0], 11, 0xeaa127fa);
    Step<H>(c, d, a, b, x[3], 16, 0xd4ef3085);
    Step<H>(b, c, d, a, x[6], 23, 0x04881d05);
    Step<H>(a, b, c, d, x[9], 4, 0xd9d4d039);
    Step<H>(d, a, b, c, x[12], 11, 0xe6db99e5);
    Step<H>(c, d, a, b, x[15], 16, 0x1fa27cf8);
    Step<H>(b, c, d, a, x[2], 23, 0xc4ac5665);

    Step<I>(a, b, c, d, x[0], 6, 0xf4292244);
    Step<I>(d, a, b, c, x[7], 10, 0x432aff97);
    Step<I>(c, d, a, b, x[14], 15, 0xab9423a7);
    Step<I>(b, c, d, a, x[5], 21, 0xfc93a039);
    Step<I>(a, b, c, d, x[12], 6, 0x655b59c3);
    Step<I>(d, a, b, c, x[3], 10, 0x8f0ccc92);
    Step<I>(c, d, a, b, x[10], 15, 0xffeff47d);
    Step<I>(b, c, d, a, x[1], 21, 0x85845dd1);
    Step<I>(a, b, c, d, x[8], 6, 0x6fa87e4f);
    Step<I>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    Step<I>(c, d, a, b, x[6], 15, 0xa3014314);
    Step<I>(b, c, d, a, x[13], 21, 0x4e0811a1);
    Step<I>(a, b, c, d, x[4], 6, 0xf7537e82);
    Step<I>(d, a, b, c, x[11], 10, 0xbd3af235);
    Step<I>(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    Step<I>(b, c, d, a, x[9], 21, 0xeb86d391);

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void Md5Hex(CKSTString& out, const void* data, std::size_t length)
{
    CKSTMd5Digest digest;
    digest.Update(data, length);
    digest.FinalHex(out);
}
