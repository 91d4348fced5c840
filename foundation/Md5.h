#pragma once
// MD5 message digest (RFC 1321), rendered as 32 lowercase hexadecimal characters. Used as the
// integrity checksum of binary record files.
#include <cstddef>
#include <cstdint>

class CKSTString;

class CKSTMd5Digest {
public:
    CKSTMd5Digest();
    virtual ~CKSTMd5Digest() = default;

    // Appends input; every complete 64-byte block is processed at once.
    void Update(const void* bytes, std::size_t length);
    // Pads the message, writes its digest to `out` and starts a new, empty message.
    void FinalHex(CKSTString& out);

private:
    void Reset();
    void Transform(const unsigned char* block);

    unsigned char m_buffer[64];
    std::uint32_t m_bitCount[2];  // message length in bits: low word, high word
    std::uint32_t m_state[4];     // chaining words A, B, C, D
};

// The digest text of `length` bytes at `data`.
void Md5Hex(CKSTString& out, const void* data, std::size_t length);
