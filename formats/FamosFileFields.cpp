// The field readers of FAMOS keys.

#include <algorithm>
#include <string>

#include "formats/FamosFile.h"
#include "formats/FamosFileSamples.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr size_t kMaxFieldCharacters = 255;

}  // namespace

int CKSTFamosKeyReader::GetByte()
{
    uint8_t c = 0;
    return m_stream.Read(&c, 1) == 1 ? c : -1;
}

int CKSTFamosKeyReader::SkipToKey()
{
    for (;;) {
        const int c = GetByte();
        if (c < 0) {
            return KST_ERR_END_OF_DATA;
        }
        if (c == '|') {
            return KST_OK;
        }
    }
}

int CKSTFamosKeyReader::ReadKeyName(CKSTString& key)
{
    char name[3];
    if (m_stream.Read(name, 3) != 3) {
        return KST_ERR_END_OF_DATA;
    }
    key.Assign(name, 2);
    return KST_OK;
}

int CKSTFamosKeyReader::SkipVersion()
{
    char version[2];
    return m_stream.Read(version, 2) == 2 ? KST_OK : KST_ERR_END_OF_DATA;
}

int CKSTFamosKeyReader::ReadBytes(void* destination, uint32_t n)
{
    return m_stream.Read(destination, n) == n ? KST_OK : KST_ERR_END_OF_DATA;
}

int CKSTFamosKeyReader::Seek(int64_t position)
{
    return m_stream.Seek(position, SEEK_SET) < 0 ? KST_ERR_END_OF_DATA : KST_OK;
}

int64_t CKSTFamosKeyReader::Remaining()
{
    return kst_famos::StreamRemaining(m_stream);
}

int CKSTFamosKeyReader::ReadFieldText(CKSTString& text)
{
    std::string field;
    for (;;) {
        const int c = GetByte();
        if (c < 0) {
            text.Assign(field.data(), static_cast<int>(field.size()));
            return KST_ERR_END_OF_DATA;
        }
        if (c == ',' || c == ';') {
            break;
        }
        if (field.size() < kMaxFieldCharacters) {
            field += static_cast<char>(c);
        }
    }
    text.Assign(field.data(), static_cast<int>(field.size()));
    return KST_OK;
}

int CKSTFamosKeyReader::SkipField()
{
    for (;;) {
        const int c = GetByte();
        if (c < 0) {
            return KST_ERR_END_OF_DATA;
        }
        if (c == ',' || c == ';') {
            return KST_OK;
        }
    }
}

int CKSTFamosKeyReader::ReadInteger(int64_t& value)
{
    CKSTString text;
    const int result = ReadFieldText(text);
    if (result != KST_OK) {
        return result;
    }
    const int x = std::max(text.Find('x'), text.Find('X'));
    value = x >= 0 ? static_cast<int64_t>(text.Mid(x + 1).ToHex()) : text.ToInt64();
    return KST_OK;
}

int CKSTFamosKeyReader::ReadReal(double& value)
{
    CKSTString text;
    const int result = ReadFieldText(text);
    if (result != KST_OK) {
        return result;
    }
    const int x = std::max(text.Find('x'), text.Find('X'));
    if (x < 0) {
        value = text.ToDouble();
        return KST_OK;
    }
    const int star = text.Find('*');
    if (star <= 0) {
        return KST_OK;
    }
    CKSTString hexPart = text.Left(star);
    CKSTString decimalPart = text.Mid(star + 1);
    hexPart.Trim();
    decimalPart.Trim();
    const int hexX = std::max(hexPart.Find('x'), hexPart.Find('X'));
    const double hex = static_cast<double>(hexPart.Mid(hexX + 1).ToHex());
    value = hex * decimalPart.ToDouble();
    return KST_OK;
}

int CKSTFamosKeyReader::ReadText(int64_t length, CKSTString& text)
{
    text.Empty();
    if (length <= 0) {
        return SkipField();
    }
    // The length, when it holds, lets a text keep its commas; a length that does not end at a
    // separator falls back to the comma rule.
    const int64_t start = Tell();
    constexpr int64_t kMaxText = 0x7FFFFF00;
    if (start >= 0 && length < Remaining() && length <= kMaxText) {
        std::string bytes(static_cast<size_t>(length), '\0');
        if (ReadBytes(bytes.data(), static_cast<uint32_t>(length)) == KST_OK) {
            const int c = GetByte();
            if (c == ',' || c == ';') {
                text.Assign(bytes.data(), static_cast<int>(length));
                return KST_OK;
            }
        }
        if (Seek(start) != KST_OK) {
            return KST_ERR_END_OF_DATA;
        }
    }
    return ReadTextUpTo(std::min(length, kMaxText), text);
}

int CKSTFamosKeyReader::ReadTextUpTo(int64_t limit, CKSTString& text)
{
    std::string field;
    int result = KST_OK;
    for (;;) {
        const int c = GetByte();
        if (c < 0) {
            result = KST_ERR_END_OF_DATA;
            break;
        }
        if (c == ',' || c == ';') {
            break;
        }
        if (static_cast<int64_t>(field.size()) < limit) {
            field += static_cast<char>(c);
        }
    }
    text.Assign(field.data(), static_cast<int>(field.size()));
    return result;
}
