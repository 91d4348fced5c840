#pragma once
// The program's byte string: single-byte text in code page 1252, zero-terminated whenever it
// holds a buffer. Index and size misuse throws the plain integer KST_ERR_INDEX (-1103).

#include <cstdint>

class CKSTString {
public:
    CKSTString();
    // Reserves a buffer of at least `size` bytes that the string keeps while it is shorter.
    explicit CKSTString(int size);
    explicit CKSTString(char c);
    CKSTString(const char* text);  // null gives the empty string
    CKSTString(const CKSTString& other);
    CKSTString(CKSTString&& other) noexcept;
    ~CKSTString();

    // Assignment keeps this string's own minimum capacity.
    CKSTString& operator=(const CKSTString& other);
    CKSTString& operator=(CKSTString&& other) noexcept;
    CKSTString& operator=(const char* text);

    // Sets the length to n and copies n bytes (which may contain zeros) from buffer.
    void Assign(const char* buffer, int n);
    // Sets the length to n; the first min(n, old length) bytes stay, later ones are undefined.
    void SetLength(int n);
    // Sizes the buffer for a string of n characters by the capacity rule.
    void Reserve(int n);
    void Empty();

    int GetLength() const { return m_length; }
    int GetCapacity() const { return m_capacity; }
    int GetMinCapacity() const { return m_minCapacity; }
    bool IsEmpty() const { return m_length == 0; }
    const char* c_str() const;
    // Writable bytes of the buffer (null when there is none), e.g. to fill after SetLength.
    char* GetBuffer() { return m_data; }
    char operator[](int i) const;
    char First() const;
    char Last() const;

    void AppendChar(char c);
    void Append(const char* text);
    void Append(const CKSTString& text);
    CKSTString& operator+=(char c);
    CKSTString& operator+=(const char* text);
    CKSTString& operator+=(const CKSTString& text);

    // Numbers appended as text; the decimal point is always '.'.
    void AppendLong(int32_t value);   // "%ld"
    void AppendInt64(int64_t value);  // "%lld"
    void AppendFloat(float value);    // "%.6G"
    void AppendDouble(double value);  // "%.16lG"

    // printf-like fields: width 0 prints the plain number; fill '0', '-', '+' and '#' act as the
    // printf flag of that character, a blank pads with blanks and any other character pads
    // with itself.
    static CKSTString FormatInt(int32_t value, int width = 0, char fill = ' ');
    static CKSTString FormatHex(int32_t value, int width = 0, char fill = ' ');  // upper case
    // Fixed-point with `decimals` digits (below 0 counts as 0) and the given decimal character.
    static CKSTString FormatFixed(double value, int decimals, char decimalChar = '.');
    // printf "%.<precision>G" as the C locale prints it, for a precision up to 40; conversion
    // 'g' keeps the letters of the exponent, inf and nan in lower case.
    static CKSTString FormatGeneral(double value, int precision, char conversion = 'G');
    // C-library printf formatting of any length into this string.
    CKSTString& Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    CKSTString Left(int n) const;
    CKSTString Right(int n) const;
    CKSTString Mid(int i) const;
    CKSTString MidChecked(int i) const;
    CKSTString Mid(int i, int n) const;

    int Insert(int i, char c);                  // returns the new length
    int Insert(int i, const CKSTString& text);  // returns the new length
    // Removes n characters at i; a range running past the end leaves the string unchanged.
    void Delete(int i, int n);
    void Truncate(int n);
    void RemoveLast();
    int Remove(char c);
    int Replace(char c, char replacement);
    // Inserted text is never searched again; an empty search text replaces nothing.
    int Replace(const CKSTString& search, const CKSTString& replacement);

    void MakeLower();
    void MakeUpper();
    void TrimLeft();
    void TrimRight();
    void TrimRight(char c);
    void Trim();

    int Find(char c, int start = 0) const;
    int Find(const CKSTString& text, int start = 0) const;
    int ReverseFind(char c) const;
    int Count(char c) const;
    int CountDigits() const;
    int CountLetters() const;

    // Bytes compare as signed characters; a proper prefix is less.
    friend bool operator==(const CKSTString& a, const CKSTString& b);
    friend bool operator==(const CKSTString& a, const char* b);
    friend bool operator!=(const CKSTString& a, const CKSTString& b)
    {
        return !(a == b);
    }
    friend bool operator!=(const CKSTString& a, const char* b)
    {
        return !(a == b);
    }
    friend bool operator<(const CKSTString& a, const CKSTString& b);
    friend bool operator>(const CKSTString& a, const CKSTString& b)
    {
        return b < a;
    }
    friend bool operator<=(const CKSTString& a, const CKSTString& b)
    {
        return !(b < a);
    }
    friend bool operator>=(const CKSTString& a, const CKSTString& b)
    {
        return !(a < b);
    }

    bool IsDigits() const;
    // Optional leading '-', at least one digit and at most one decimal separator ('.', or ','
    // too when allowComma is set).
    bool IsNumber(bool allowComma = false) const;
    bool IsInteger() const;

    // C-library scanf semantics ("%hd", "%ld", "%lx", "%lld", "%lf"), locale-independent;
    // text without a number gives 0.
    int16_t ToShort() const;
    int32_t ToLong() const;
    uint32_t ToHex() const;
    int64_t ToInt64() const;
    double ToDouble(bool commaIsPoint = false) const;

    // "a.b.c.d": false with all parts 0 unless three dots are found.
    bool ParseDotted4(uint8_t& a, uint8_t& b, uint8_t& c, uint8_t& d) const;
    bool ParseDotted4(int16_t& a, int16_t& b, int16_t& c, int16_t& d) const;
    // Mean absolute difference of the (signed) character codes, the shorter string repeated
    // along the longer; 0 when either is empty.
    double Distance(const CKSTString& other) const;

    CKSTString SlashesToBackslashes() const;
    CKSTString AsDirectory() const;
    CKSTString FileName() const;
    CKSTString Directory() const;
    CKSTString StripExtension() const;
    // Called on a file name; case-sensitive.
    bool MatchWildcard(const CKSTString& pattern) const;

    // Returns the next token and removes it; the delimiter after it stays in the string.
    CKSTString Tokenize(const char* delimiters, bool keepEmpty = false);

    CKSTString ToBase64() const;
    // UTF-8 two-byte sequences of U+00A0..U+00FF become their single code-page byte.
    CKSTString Utf8ToAnsi() const;
    static CKSTString FromUtf8(const CKSTString& text);

private:
    bool Aliases(const char* p) const;
    void Release();

    char* m_data;
    int32_t m_length;
    int32_t m_capacity;
    int32_t m_minCapacity;
    // Bytes actually allocated (>= m_capacity): allocations grow geometrically so that
    // appending in a loop stays linear, while m_capacity follows the 8-byte rule exactly.
    int32_t m_allocated;
};

CKSTString operator+(const CKSTString& a, const CKSTString& b);
CKSTString operator+(const CKSTString& a, const char* b);
CKSTString operator+(const char* a, const CKSTString& b);
CKSTString operator+(const CKSTString& a, char c);
