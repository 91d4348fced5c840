#include "foundation/String.h"

#include "foundation/ErrorCodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void ThrowIndex()
{
    throw static_cast<int>(KST_ERR_INDEX);
}

std::string_view View(const char* data, int length)
{
    return std::string_view(data ? data : "", static_cast<size_t>(length));
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// isspace() of the C locale, which scanf skips before a number.
bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// strtol-style scan: optional space, sign, an optional "0x" for base 16, digits. The magnitude
// saturates at `limit`; `found` tells whether any digit was read.
struct ScannedInteger {
    bool found = false;
    bool negative = false;
    uint64_t magnitude = 0;
};

ScannedInteger ScanInteger(std::string_view text, int base, uint64_t limit)
{
    ScannedInteger result;
    size_t p = 0;
    while (p < text.size() && IsScanSpace(text[p])) {
        ++p;
    }
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        result.negative = text[p] == '-';
        ++p;
    }
    if (base == 16 && p + 2 < text.size() && text[p] == '0' &&
        (text[p + 1] == 'x' || text[p + 1] == 'X') && HexDigitValue(text[p + 2]) >= 0) {
        p += 2;
    }
    for (; p < text.size(); ++p) {
        const int digit =
            base == 16 ? HexDigitValue(text[p]) : (IsDigit(text[p]) ? text[p] - '0' : -1);
        if (digit < 0) {
            break;
        }
        result.found = true;
        if (result.magnitude >
            (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) {
            result.magnitude = limit;
        } else {
            result.magnitude =
                result.magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        }
    }
    return result;
}

// Signed scan with strtol/strtoll saturation at [min, max].
int64_t ScanSigned(std::string_view text, int64_t min, int64_t max)
{
    const uint64_t negativeLimit = static_cast<uint64_t>(-(min + 1)) + 1;
    const ScannedInteger scanned =
        ScanInteger(text, 10, std::max(negativeLimit, static_cast<uint64_t>(max)));
    if (!scanned.found) {
        return 0;
    }
    if (scanned.negative) {
        if (scanned.magnitude >= negativeLimit) {
            return min;
        }
        return -static_cast<int64_t>(scanned.magnitude);
    }
    if (scanned.magnitude > static_cast<uint64_t>(max)) {
        return max;
    }
    return static_cast<int64_t>(scanned.magnitude);
}

// Decides whether an out-of-range number text overflows (true) or underflows, from the
// position of its first significant digit and its exponent.
bool NumberTextOverflows(std::string_view number, bool hex)
{
    const char exponentMark = hex ? 'p' : 'e';
    long long scale = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    size_t p = 0;
    for (; p < number.size(); ++p) {
        const char c = number[p];
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if ((c | 0x20) == exponentMark) {
            break;
        }
        const bool zero = c == '0';
        if (!seenSignificant && !zero) {
            seenSignificant = true;
        }
        if (!seenPoint && seenSignificant) {
            ++scale;
        } else if (seenPoint && !seenSignificant) {
            --scale;
        }
    }
    long long exponent = 0;
    if (p < number.size()) {
        const ScannedInteger e = ScanInteger(number.substr(p + 1), 10, 1000000000);
        exponent =
            e.negative ? -static_cast<long long>(e.magnitude) : static_cast<long long>(e.magnitude);
    }
    return seenSignificant && (hex ? scale * 4 : scale) + exponent > 0;
}

// "%lf" of scanf: space, sign, then a decimal or hexadecimal number, inf or nan; the longest
// prefix that reads as a number counts, nothing readable gives 0.
double ScanDouble(std::string_view text)
{
    size_t p = 0;
    while (p < text.size() && IsScanSpace(text[p])) {
        ++p;
    }
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || text[p] == '+' || text[p] == '-') {
        return 0.0;
    }
    const char* first = text.data() + p;
    const char* last = text.data() + text.size();
    bool hex = false;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X') &&
        (HexDigitValue(first[2]) >= 0 ||
         (first[2] == '.' && last - first > 3 && HexDigitValue(first[3]) >= 0))) {
        hex = true;
        first += 2;
    }
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(
        first, last, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        value =
            NumberTextOverflows(std::string_view(first, static_cast<size_t>(r.ptr - first)), hex)
                ? std::numeric_limits<double>::infinity()
                : 0.0;
    } else if (r.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

// A printf integer field built from the fill character used as a flag (see FormatInt).
CKSTString PadNumber(bool negative, const std::string& prefix, const std::string& digits, int width,
                     char fill)
{
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool alternate = false;
    char pad = ' ';
    switch (fill) {
        case '0':
            zeroPad = true;
            break;
        case '-':
            leftAlign = true;
            break;
        case '+':
            plusSign = true;
            break;
        case '#':
            alternate = true;
            break;
        case ' ':
        case '\0':
            break;
        default:
            pad = fill;
            break;
    }
    // A negative width reads as the '-' flag followed by the width.
    long long fieldWidth = width;
    if (fieldWidth < 0) {
        leftAlign = true;
        fieldWidth = -fieldWidth;
    }
    std::string head = negative ? "-" : (plusSign ? "+" : "");
    if (alternate) {
        head += prefix;
    }
    const long long used = static_cast<long long>(head.size() + digits.size());
    const size_t padding = fieldWidth > used ? static_cast<size_t>(fieldWidth - used) : 0;
    std::string text;
    if (leftAlign) {
        text = head + digits + std::string(padding, pad);
    } else if (zeroPad) {
        text = head + std::string(padding, '0') + digits;
    } else {
        text = std::string(padding, pad) + head + digits;
    }
    CKSTString result;
    result.Assign(text.data(), static_cast<int>(text.size()));
    return result;
}

const unsigned char kUmlautUpper[] = {0xC4, 0xD6, 0xDC};
const unsigned char kUmlautLower[] = {0xE4, 0xF6, 0xFC};

}  // namespace

CKSTString::CKSTString()
    : m_data(nullptr), m_length(0), m_capacity(0), m_minCapacity(0), m_allocated(0)
{
}

CKSTString::CKSTString(int size) : CKSTString()
{
    if (size < 0) {
        ThrowIndex();
    }
    m_minCapacity = size;
    Reserve(size);
}

CKSTString::CKSTString(char c) : CKSTString()
{
    AppendChar(c);
}

CKSTString::CKSTString(const char* text) : CKSTString()
{
    Append(text);
}

CKSTString::CKSTString(const CKSTString& other) : CKSTString()
{
    Assign(other.m_data, other.m_length);
}

CKSTString::CKSTString(CKSTString&& other) noexcept : CKSTString()
{
    *this = std::move(other);
}

CKSTString::~CKSTString()
{
    Release();
}

CKSTString& CKSTString::operator=(const CKSTString& other)
{
    if (this != &other) {
        Assign(other.m_data, other.m_length);
    }
    return *this;
}

CKSTString& CKSTString::operator=(CKSTString&& other) noexcept
{
    if (this == &other) {
        return *this;
    }
    // The buffer can be taken over only when it has the capacity this string's own rule gives.
    const int32_t m = std::max(other.m_length, m_minCapacity);
    const int32_t wanted = other.m_length == 0 ? 0 : (m / 8) * 8 + 8;
    if (wanted == other.m_capacity) {
        Release();
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        m_allocated = other.m_allocated;
        other.m_data = nullptr;
        other.m_length = 0;
        other.m_capacity = 0;
        other.m_allocated = 0;
    } else {
        Assign(other.m_data, other.m_length);
    }
    return *this;
}

CKSTString& CKSTString::operator=(const char* text)
{
    Assign(text, text ? static_cast<int>(std::strlen(text)) : 0);
    return *this;
}

bool CKSTString::Aliases(const char* p) const
{
    const std::less<const char*> less;
    return m_data && p && !less(p, m_data) && less(p, m_data + m_allocated);
}

void CKSTString::Release()
{
    std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_allocated = 0;
}

void CKSTString::Reserve(int n)
{
    if (n < 0) {
        ThrowIndex();
    }
    if (n == 0) {
        Release();
        return;
    }
    const int32_t m = std::max(n, m_minCapacity);
    if (m > std::numeric_limits<int32_t>::max() - 8) {
        ThrowIndex();
    }
    const int32_t capacity = (m / 8) * 8 + 8;
    if (capacity == m_capacity) {
        return;
    }
    // Keep the allocation while it is large enough and not mostly unused.
    if (m_data && capacity <= m_allocated && capacity > m_allocated / 4) {
        m_capacity = capacity;
        return;
    }
    int32_t allocation = capacity;
    if (m_data && capacity > m_allocated) {
        const int64_t doubled = static_cast<int64_t>(m_allocated) * 2;
        if (doubled > allocation && doubled <= std::numeric_limits<int32_t>::max()) {
            allocation = static_cast<int32_t>(doubled);
        }
    }
    char* data = static_cast<char*>(std::malloc(static_cast<size_t>(allocation)));
    if (!data) {
        throw std::bad_alloc();
    }
    if (m_data) {
        std::memcpy(data, m_data, static_cast<size_t>(std::min(m_length + 1, capacity)));
        std::free(m_data);
    } else {
        data[0] = '\0';
    }
    m_data = data;
    m_capacity = capacity;
    m_allocated = allocation;
}

void CKSTString::SetLength(int n)
{
    if (n < 0) {
        ThrowIndex();
    }
    Reserve(n);
    m_length = n;
    if (m_data) {
        m_data[n] = '\0';
    }
}

void CKSTString::Assign(const char* buffer, int n)
{
    if (n < 0 || (n > 0 && !buffer)) {
        ThrowIndex();
    }
    if (Aliases(buffer)) {
        const std::string copy(buffer, static_cast<size_t>(n));
        Assign(copy.data(), n);
        return;
    }
    SetLength(n);
    if (n > 0) {
        std::memcpy(m_data, buffer, static_cast<size_t>(n));
    }
}

void CKSTString::Empty()
{
    Release();
    m_length = 0;
}

const char* CKSTString::c_str() const
{
    return m_length == 0 ? "" : m_data;
}

char CKSTString::operator[](int i) const
{
    if (i < 0 || i >= m_length) {
        ThrowIndex();
    }
    return m_data[i];
}

char CKSTString::First() const
{
    return m_length > 0 ? m_data[0] : '\0';
}

char CKSTString::Last() const
{
    return m_length > 0 ? m_data[m_length - 1] : '\0';
}

void CKSTString::AppendChar(char c)
{
    if (m_length == std::numeric_limits<int32_t>::max()) {
        ThrowIndex();
    }
    Reserve(m_length + 1);
    m_data[m_length] = c;
    ++m_length;
    m_data[m_length] = '\0';
}

void CKSTString::Append(const char* text)
{
    if (!text || !*text) {
        return;
    }
    const size_t n = std::strlen(text);
    if (Aliases(text)) {
        const std::string copy(text, n);
        Append(copy.c_str());
        return;
    }
    if (n > static_cast<size_t>(std::numeric_limits<int32_t>::max() - m_length)) {
        ThrowIndex();
    }
    const int32_t length = m_length + static_cast<int32_t>(n);
    Reserve(length);
    std::memcpy(m_data + m_length, text, n + 1);
    m_length = length;
}

void CKSTString::Append(const CKSTString& text)
{
    if (text.m_length == 0) {
        return;
    }
    if (&text == this || Aliases(text.m_data)) {
        const CKSTString copy(text);
        Append(copy);
        return;
    }
    if (text.m_length > std::numeric_limits<int32_t>::max() - m_length) {
        ThrowIndex();
    }
    const int32_t length = m_length + text.m_length;
    Reserve(length);
    std::memcpy(m_data + m_length, text.m_data, static_cast<size_t>(text.m_length));
    m_length = length;
    m_data[m_length] = '\0';
}

CKSTString& CKSTString::operator+=(char c)
{
    AppendChar(c);
    return *this;
}

CKSTString& CKSTString::operator+=(const char* text)
{
    Append(text);
    return *this;
}

CKSTString& CKSTString::operator+=(const CKSTString& text)
{
    Append(text);
    return *this;
}

CKSTString operator+(const CKSTString& a, const CKSTString& b)
{
    CKSTString result(a);
    result += b;
    return result;
}

CKSTString operator+(const CKSTString& a, const char* b)
{
    CKSTString result(a);
    result += b;
    return result;
}

CKSTString operator+(const char* a, const CKSTString& b)
{
    CKSTString result(a);
    result += b;
    return result;
}

CKSTString operator+(const CKSTString& a, char c)
{
    CKSTString result(a);
    result += c;
    return result;
}

void CKSTString::AppendLong(int32_t value)
{
    char buffer[16];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer), value);
    *r.ptr = '\0';
    Append(buffer);
}

void CKSTString::AppendInt64(int64_t value)
{
    char buffer[24];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer), value);
    *r.ptr = '\0';
    Append(buffer);
}

void CKSTString::AppendFloat(float value)
{
    Append(FormatGeneral(static_cast<double>(value), 6));
}

void CKSTString::AppendDouble(double value)
{
    Append(FormatGeneral(value, 16));
}

CKSTString CKSTString::FormatInt(int32_t value, int width, char fill)
{
    const uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char buffer[16];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer), magnitude);
    const std::string digits(buffer, r.ptr);
    if (width == 0) {
        return PadNumber(value < 0, "", digits, 0, ' ');
    }
    return PadNumber(value < 0, "", digits, width, fill);
}

CKSTString CKSTString::FormatHex(int32_t value, int width, char fill)
{
    char buffer[16];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof(buffer), static_cast<uint32_t>(value), 16);
    std::string digits(buffer, r.ptr);
    for (char& c : digits) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 32);
        }
    }
    // "%#X" prints the "0X" prefix only for non-zero values.
    const std::string prefix = value != 0 ? "0X" : "";
    if (width == 0) {
        return PadNumber(false, prefix, digits, 0, ' ');
    }
    return PadNumber(false, prefix, digits, width, fill);
}

CKSTString CKSTString::FormatFixed(double value, int decimals, char decimalChar)
{
    if (decimals < 0) {
        decimals = 0;
    }
    // Up to 309 integer digits, sign, point and the decimals.
    std::string buffer(static_cast<size_t>(decimals) + 330, '\0');
    const std::to_chars_result r = std::to_chars(&buffer[0], &buffer[0] + buffer.size(), value,
                                                 std::chars_format::fixed, decimals);
    buffer.resize(static_cast<size_t>(r.ptr - buffer.data()));
    for (char& c : buffer) {
        if (decimalChar == '.' && c == ',') {
            c = '.';
        } else if (decimalChar != '.' && c == '.') {
            c = decimalChar;
        }
    }
    CKSTString result;
    result.Assign(buffer.data(), static_cast<int>(buffer.size()));
    return result;
}

CKSTString CKSTString::FormatGeneral(double value, int precision, char conversion)
{
    // 40 digits, sign, point and a three-digit exponent fit.
    char buffer[64];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general,
                      std::min(precision, 40));
    if (conversion == 'G') {
        for (char* c = buffer; c != r.ptr; ++c) {
            if (*c >= 'a' && *c <= 'z') {
                *c = static_cast<char>(*c - 32);
            }
        }
    }
    CKSTString text;
    text.Assign(buffer, static_cast<int>(r.ptr - buffer));
    return text;
}

CKSTString& CKSTString::Format(const char* format, ...)
{
    if (!format) {
        Empty();
        return *this;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed <= 0) {
        va_end(args);
        Empty();
        return *this;
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    va_end(args);
    Assign(text.data(), needed);
    return *this;
}

CKSTString CKSTString::Left(int n) const
{
    if (n < 0) {
        ThrowIndex();
    }
    CKSTString result;
    result.Assign(m_data, std::min(n, m_length));
    return result;
}

CKSTString CKSTString::Right(int n) const
{
    if (n < 0) {
        ThrowIndex();
    }
    const int count = std::min(n, m_length);
    CKSTString result;
    result.Assign(m_data ? m_data + (m_length - count) : nullptr, count);
    return result;
}

CKSTString CKSTString::Mid(int i) const
{
    if (i < 0) {
        ThrowIndex();
    }
    if (i >= m_length) {
        return CKSTString();
    }
    CKSTString result;
    result.Assign(m_data + i, m_length - i);
    return result;
}

CKSTString CKSTString::MidChecked(int i) const
{
    if (i < 0 || (m_length > 0 && i >= m_length)) {
        ThrowIndex();
    }
    return Mid(i);
}

CKSTString CKSTString::Mid(int i, int n) const
{
    if (n < 0 || i < 0 || (m_length > 0 && i >= m_length)) {
        ThrowIndex();
    }
    if (m_length == 0) {
        return CKSTString();
    }
    CKSTString result;
    result.Assign(m_data + i, std::min(n, m_length - i));
    return result;
}

int CKSTString::Insert(int i, char c)
{
    if (i < 0 || i > m_length || m_length == std::numeric_limits<int32_t>::max()) {
        ThrowIndex();
    }
    Reserve(m_length + 1);
    std::memmove(m_data + i + 1, m_data + i, static_cast<size_t>(m_length - i + 1));
    m_data[i] = c;
    ++m_length;
    return m_length;
}

int CKSTString::Insert(int i, const CKSTString& text)
{
    if (i < 0 || i > m_length) {
        ThrowIndex();
    }
    if (text.m_length == 0) {
        return m_length;
    }
    if (&text == this || Aliases(text.m_data)) {
        const CKSTString copy(text);
        return Insert(i, copy);
    }
    if (text.m_length > std::numeric_limits<int32_t>::max() - m_length) {
        ThrowIndex();
    }
    Reserve(m_length + text.m_length);
    std::memmove(m_data + i + text.m_length, m_data + i, static_cast<size_t>(m_length - i + 1));
    std::memcpy(m_data + i, text.m_data, static_cast<size_t>(text.m_length));
    m_length += text.m_length;
    return m_length;
}

void CKSTString::Delete(int i, int n)
{
    if (i < 0 || n < 0) {
        ThrowIndex();
    }
    if (static_cast<int64_t>(i) + n > m_length || n == 0) {
        return;
    }
    std::memmove(m_data + i, m_data + i + n, static_cast<size_t>(m_length - i - n + 1));
    m_length -= n;
    Reserve(m_length);
}

void CKSTString::Truncate(int n)
{
    if (n < 0) {
        ThrowIndex();
    }
    if (n < m_length) {
        m_length = n;
        m_data[n] = '\0';
        Reserve(n);
    }
}

void CKSTString::RemoveLast()
{
    if (m_length > 0) {
        Truncate(m_length - 1);
    }
}

int CKSTString::Remove(char c)
{
    int kept = 0;
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] != c) {
            m_data[kept++] = m_data[i];
        }
    }
    const int removed = m_length - kept;
    if (removed > 0) {
        Truncate(kept);
    }
    return removed;
}

int CKSTString::Replace(char c, char replacement)
{
    int count = 0;
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] == c) {
            m_data[i] = replacement;
            ++count;
        }
    }
    return count;
}

int CKSTString::Replace(const CKSTString& search, const CKSTString& replacement)
{
    if (m_length == 0 || search.m_length == 0) {
        return 0;
    }
    const std::string_view text = View(m_data, m_length);
    const std::string_view what = View(search.m_data, search.m_length);
    const std::string_view with = View(replacement.m_data, replacement.m_length);
    std::string result;
    int count = 0;
    size_t from = 0;
    for (size_t hit = text.find(what); hit != std::string_view::npos; hit = text.find(what, from)) {
        result.append(text.substr(from, hit - from));
        result.append(with);
        from = hit + what.size();
        ++count;
    }
    if (count == 0) {
        return 0;
    }
    result.append(text.substr(from));
    if (result.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 8)) {
        ThrowIndex();
    }
    Assign(result.data(), static_cast<int>(result.size()));
    return count;
}

void CKSTString::MakeLower()
{
    for (int i = 0; i < m_length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        if (c >= 'A' && c <= 'Z') {
            m_data[i] = static_cast<char>(c + 32);
        }
        for (int k = 0; k < 3; ++k) {
            if (c == kUmlautUpper[k]) {
                m_data[i] = static_cast<char>(kUmlautLower[k]);
            }
        }
    }
}

void CKSTString::MakeUpper()
{
    for (int i = 0; i < m_length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        if (c >= 'a' && c <= 'z') {
            m_data[i] = static_cast<char>(c - 32);
        }
        for (int k = 0; k < 3; ++k) {
            if (c == kUmlautLower[k]) {
                m_data[i] = static_cast<char>(kUmlautUpper[k]);
            }
        }
    }
}

void CKSTString::TrimLeft()
{
    int n = 0;
    while (n < m_length && IsBlank(m_data[n])) {
        ++n;
    }
    if (n > 0) {
        Delete(0, n);
    }
}

void CKSTString::TrimRight()
{
    int n = m_length;
    while (n > 0 && IsBlank(m_data[n - 1])) {
        --n;
    }
    Truncate(n);
}

void CKSTString::TrimRight(char c)
{
    int n = m_length;
    while (n > 0 && m_data[n - 1] == c) {
        --n;
    }
    Truncate(n);
}

void CKSTString::Trim()
{
    TrimLeft();
    TrimRight();
}

int CKSTString::Find(char c, int start) const
{
    if (start < 0 || start >= m_length) {
        return -1;
    }
    const void* hit = std::memchr(m_data + start, c, static_cast<size_t>(m_length - start));
    return hit ? static_cast<int>(static_cast<const char*>(hit) - m_data) : -1;
}

int CKSTString::Find(const CKSTString& text, int start) const
{
    if (start < 0 || start >= m_length) {
        return -1;
    }
    const size_t hit =
        View(m_data, m_length).find(View(text.m_data, text.m_length), static_cast<size_t>(start));
    return hit == std::string_view::npos ? -1 : static_cast<int>(hit);
}

int CKSTString::ReverseFind(char c) const
{
    for (int i = m_length - 1; i >= 0; --i) {
        if (m_data[i] == c) {
            return i;
        }
    }
    return -1;
}

int CKSTString::Count(char c) const
{
    return static_cast<int>(std::count(m_data, m_data + m_length, c));
}

int CKSTString::CountDigits() const
{
    return static_cast<int>(std::count_if(m_data, m_data + m_length, IsDigit));
}

int CKSTString::CountLetters() const
{
    return static_cast<int>(std::count_if(m_data, m_data + m_length, [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ch);
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == 0xC4 || c == 0xD6 ||
               c == 0xDC || c == 0xE4 || c == 0xF6 || c == 0xFC || c == 0xDF;
    }));
}

bool operator==(const CKSTString& a, const CKSTString& b)
{
    return View(a.m_data, a.m_length) == View(b.m_data, b.m_length);
}

bool operator==(const CKSTString& a, const char* b)
{
    return View(a.m_data, a.m_length) == std::string_view(b ? b : "");
}

bool operator<(const CKSTString& a, const CKSTString& b)
{
    const int common = std::min(a.m_length, b.m_length);
    for (int i = 0; i < common; ++i) {
        const signed char x = static_cast<signed char>(a.m_data[i]);
        const signed char y = static_cast<signed char>(b.m_data[i]);
        if (x != y) {
            return x < y;
        }
    }
    return a.m_length < b.m_length;
}

bool CKSTString::IsDigits() const
{
    return std::all_of(m_data, m_data + m_length, IsDigit);
}

bool CKSTString::IsNumber(bool allowComma) const
{
    int digits = 0;
    int separators = 0;
    for (int i = 0; i < m_length; ++i) {
        const char c = m_data[i];
        if (IsDigit(c)) {
            ++digits;
        } else if (c == '.' || (allowComma && c == ',')) {
            ++separators;
        } else if (!(c == '-' && i == 0)) {
            return false;
        }
    }
    return digits > 0 && separators <= 1;
}

bool CKSTString::IsInteger() const
{
    if (m_length == 0 || m_length > 10) {
        return false;
    }
    const int first = (m_data[0] == '+' || m_data[0] == '-') ? 1 : 0;
    return first < m_length && std::all_of(m_data + first, m_data + m_length, IsDigit);
}

int16_t CKSTString::ToShort() const
{
    // "%hd" reads a long and keeps its low 16 bits.
    const int64_t value = ScanSigned(View(m_data, m_length), std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max());
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

int32_t CKSTString::ToLong() const
{
    return static_cast<int32_t>(ScanSigned(View(m_data, m_length),
                                           std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
}

uint32_t CKSTString::ToHex() const
{
    const ScannedInteger scanned = ScanInteger(View(m_data, m_length), 16, 0xFFFFFFFFu);
    if (!scanned.found) {
        return 0;
    }
    const uint32_t value = static_cast<uint32_t>(scanned.magnitude);
    // strtoul: an overflowing magnitude stays at the maximum even with a '-'.
    if (scanned.negative && scanned.magnitude < 0xFFFFFFFFu) {
        return 0u - value;
    }
    return value;
}

int64_t CKSTString::ToInt64() const
{
    return ScanSigned(View(m_data, m_length), std::numeric_limits<int64_t>::min(),
                      std::numeric_limits<int64_t>::max());
}

double CKSTString::ToDouble(bool commaIsPoint) const
{
    if (commaIsPoint && Find(',') >= 0) {
        CKSTString copy(*this);
        copy.Replace(',', '.');
        return ScanDouble(View(copy.m_data, copy.m_length));
    }
    return ScanDouble(View(m_data, m_length));
}

bool CKSTString::ParseDotted4(int16_t& a, int16_t& b, int16_t& c, int16_t& d) const
{
    a = b = c = d = 0;
    const int dot1 = Find('.');
    const int dot2 = dot1 >= 0 ? Find('.', dot1 + 1) : -1;
    const int dot3 = dot2 >= 0 ? Find('.', dot2 + 1) : -1;
    if (dot3 < 0) {
        return false;
    }
    a = Left(dot1).ToShort();
    b = Mid(dot1 + 1, dot2 - dot1 - 1).ToShort();
    c = Mid(dot2 + 1, dot3 - dot2 - 1).ToShort();
    d = Mid(dot3 + 1).ToShort();
    return true;
}

bool CKSTString::ParseDotted4(uint8_t& a, uint8_t& b, uint8_t& c, uint8_t& d) const
{
    int16_t parts[4];
    const bool found = ParseDotted4(parts[0], parts[1], parts[2], parts[3]);
    a = static_cast<uint8_t>(parts[0] & 0xFF);
    b = static_cast<uint8_t>(parts[1] & 0xFF);
    c = static_cast<uint8_t>(parts[2] & 0xFF);
    d = static_cast<uint8_t>(parts[3] & 0xFF);
    return found;
}

double CKSTString::Distance(const CKSTString& other) const
{
    if (m_length == 0 || other.m_length == 0) {
        return 0.0;
    }
    const CKSTString& longer = m_length >= other.m_length ? *this : other;
    const CKSTString& shorter = m_length >= other.m_length ? other : *this;
    double sum = 0.0;
    for (int i = 0; i < longer.m_length; ++i) {
        const int x = static_cast<signed char>(longer.m_data[i]);
        const int y = static_cast<signed char>(shorter.m_data[i % shorter.m_length]);
        sum += std::abs(x - y);
    }
    return sum / longer.m_length;
}

CKSTString CKSTString::SlashesToBackslashes() const
{
    CKSTString result(*this);
    result.Replace('/', '\\');
    return result;
}

CKSTString CKSTString::AsDirectory() const
{
    CKSTString result = SlashesToBackslashes();
    if (result.IsEmpty()) {
        result = ".";
    }
    if (result.Last() != '\\') {
        result += '\\';
    }
    return result;
}

CKSTString CKSTString::FileName() const
{
    const int slash = ReverseFind('\\');
    return slash < 0 ? *this : Mid(slash + 1);
}

CKSTString CKSTString::Directory() const
{
    const int slash = ReverseFind('\\');
    return slash < 0 ? CKSTString() : Left(slash);
}

CKSTString CKSTString::StripExtension() const
{
    const int dot = ReverseFind('.');
    return dot < 0 ? *this : Left(dot);
}

bool CKSTString::MatchWildcard(const CKSTString& pattern) const
{
    const std::string_view name = View(m_data, m_length);
    const std::string_view mask = View(pattern.m_data, pattern.m_length);
    if (mask == "*" || mask == "*.*") {
        return true;
    }
    const auto headMatches = [&](size_t n) {
        return name.size() >= n && name.substr(0, n) == mask.substr(0, n);
    };
    const auto tailMatches = [&](size_t n) {
        return name.size() >= n && name.substr(name.size() - n) == mask.substr(mask.size() - n);
    };
    if (mask.size() >= 2 && mask.substr(0, 2) == "*.") {
        return tailMatches(mask.size() - 2);
    }
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*") {
        return headMatches(mask.size() - 2);
    }
    const size_t star = mask.find('*');
    if (star != std::string_view::npos) {
        // Prefix and suffix may not overlap in the name.
        const size_t tail = mask.size() - star - 1;
        return name.size() >= star + tail && headMatches(star) && tailMatches(tail);
    }
    return name == mask;
}

CKSTString CKSTString::Tokenize(const char* delimiters, bool keepEmpty)
{
    const std::string_view set(delimiters ? delimiters : "");
    const auto isDelimiter = [&](char c) { return set.find(c) != std::string_view::npos; };
    int skip = 0;
    if (keepEmpty) {
        skip = (m_length > 0 && isDelimiter(m_data[0])) ? 1 : 0;
    } else {
        while (skip < m_length && isDelimiter(m_data[skip])) {
            ++skip;
        }
    }
    int end = skip;
    while (end < m_length && !isDelimiter(m_data[end])) {
        ++end;
    }
    CKSTString token;
    token.Assign(m_data ? m_data + skip : nullptr, end - skip);
    Delete(0, end);
    return token;
}

CKSTString CKSTString::ToBase64() const
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve(static_cast<size_t>(m_length + 2) / 3 * 4);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_data);
    int i = 0;
    for (; i + 3 <= m_length; i += 3) {
        const uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    const int rest = m_length - i;
    if (rest > 0) {
        const uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    CKSTString result;
    result.Assign(text.data(), static_cast<int>(text.size()));
    return result;
}

CKSTString CKSTString::Utf8ToAnsi() const
{
    std::string text;
    text.reserve(static_cast<size_t>(m_length));
    for (int i = 0; i < m_length; ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        const unsigned char next = i + 1 < m_length ? static_cast<unsigned char>(m_data[i + 1]) : 0;
        if (c == 0xC2 && next >= 0xA0 && next <= 0xBF) {
            text += static_cast<char>(next);
            ++i;
        } else if (c == 0xC3 && next >= 0x80 && next <= 0xBF) {
            text += static_cast<char>(next + 0x40);
            ++i;
        } else {
            text += static_cast<char>(c);
        }
    }
    CKSTString result;
    result.Assign(text.data(), static_cast<int>(text.size()));
    return result;
}

CKSTString CKSTString::FromUtf8(const CKSTString& text)
{
    return text.Utf8ToAnsi();
}
