#include "foundation/String.h"

#include "foundation/ErrorCodes.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The integer an operation throws, 0 when it returns normally.
int ThrownCode(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (int code) {
        return code;
    }
    return 0;
}

std::string Bytes(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CKSTString FromBytes(const std::string& bytes)
{
    CKSTString s;
    s.Assign(bytes.data(), static_cast<int>(bytes.size()));
    return s;
}

// ---------------------------------------------------------------------------------------------
// Capacity

struct CapacityCase {
    const char* name;
    std::function<CKSTString()> build;
    int length;
    int capacity;
    int minCapacity;
};

TEST(StringCapacity, FollowsTheEightByteRule)
{
    const CapacityCase cases[] = {
        {"empty", [] { return CKSTString(); }, 0, 0, 0},
        {"sized 0 holds no buffer", [] { return CKSTString(0); }, 0, 0, 0},
        {"one character appended",
         [] {
             CKSTString s;
             s += 'x';
             return s;
         },
         1, 8, 0},
        {"length 7", [] { return CKSTString("1234567"); }, 7, 8, 0},
        {"length 8", [] { return CKSTString("12345678"); }, 8, 16, 0},
        {"length 15", [] { return CKSTString("123456789012345"); }, 15, 16, 0},
        {"length 16", [] { return CKSTString("1234567890123456"); }, 16, 24, 0},
        {"sized 100", [] { return CKSTString(100); }, 0, 104, 100},
        {"sized 100 with text",
         [] {
             CKSTString s(100);
             s += "abc";
             return s;
         },
         3, 104, 100},
        {"sized 100 at length 99",
         [] {
             CKSTString s(100);
             s.SetLength(99);
             return s;
         },
         99, 104, 100},
        {"sized 100 grown past it",
         [] {
             CKSTString s(100);
             s.SetLength(104);
             return s;
         },
         104, 112, 100},
        {"shrinks with the length",
         [] {
             CKSTString s("12345678901234567890");
             s.Truncate(3);
             return s;
         },
         3, 8, 0},
        {"truncated to nothing releases",
         [] {
             CKSTString s("abc");
             s.Truncate(0);
             return s;
         },
         0, 0, 0},
        {"Empty releases even a sized one",
         [] {
             CKSTString s(100);
             s += "abc";
             s.Empty();
             return s;
         },
         0, 0, 100},
        {"copy does not take the minimum",
         [] {
             CKSTString s(100);
             s += "abc";
             return CKSTString(s);
         },
         3, 8, 0},
        {"assignment keeps the target's minimum",
         [] {
             CKSTString s(50);
             s = CKSTString("abc");
             return s;
         },
         3, 56, 50},
        {"moved into a sized string keeps its minimum",
         [] {
             CKSTString s(50);
             s = CKSTString("abc");
             CKSTString t(50);
             t = std::move(s);
             return t;
         },
         3, 56, 50},
        {"moved into a plain string takes its rule",
         [] {
             CKSTString s(50);
             s += "abc";
             CKSTString t;
             t = std::move(s);
             return t;
         },
         3, 8, 0},
        {"deleting shrinks",
         [] {
             CKSTString s("1234567890123456");
             s.Delete(0, 10);
             return s;
         },
         6, 8, 0},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CKSTString s = c.build();
        EXPECT_EQ(s.GetLength(), c.length);
        EXPECT_EQ(s.GetCapacity(), c.capacity);
        EXPECT_EQ(s.GetMinCapacity(), c.minCapacity);
        EXPECT_EQ(s.c_str()[s.GetLength()], '\0');
    }
}

TEST(StringCapacity, NegativeSizesThrow)
{
    EXPECT_EQ(ThrownCode([] { CKSTString s(-1); }), KST_ERR_INDEX);
    EXPECT_EQ(ThrownCode([] {
                  CKSTString s("abc");
                  s.SetLength(-1);
              }),
              KST_ERR_INDEX);
    EXPECT_EQ(ThrownCode([] {
                  CKSTString s;
                  s.Reserve(-8);
              }),
              KST_ERR_INDEX);
    EXPECT_EQ(ThrownCode([] {
                  CKSTString s;
                  s.Assign("abc", -1);
              }),
              KST_ERR_INDEX);
}

TEST(StringCapacity, EmptyTextWithoutBuffer)
{
    const CKSTString sized(0);
    EXPECT_STREQ(sized.c_str(), "");
    const CKSTString reserved(100);
    EXPECT_STREQ(reserved.c_str(), "");
    EXPECT_EQ(CKSTString(static_cast<const char*>(nullptr)).GetLength(), 0);
}

// The reported capacity follows the length in steps of 8 while the storage behind it grows
// geometrically: a long append loop moves the text only a logarithmic number of times.
TEST(StringCapacity, AppendingInALoopMovesTheTextRarely)
{
    CKSTString s;
    const char* previous = nullptr;
    int moves = 0;
    for (int i = 1; i <= 100000; ++i) {
        s += static_cast<char>('a' + i % 26);
        ASSERT_EQ(s.GetCapacity(), (i / 8) * 8 + 8) << "at length " << i;
        if (s.c_str() != previous) {
            ++moves;
            previous = s.c_str();
        }
    }
    EXPECT_LE(moves, 40);
    EXPECT_EQ(s.Count('a'), 100000 / 26);
    // Removing from the end reports the shrinking capacity as well.
    for (int i = 100000; i > 1; --i) {
        s.RemoveLast();
        ASSERT_EQ(s.GetCapacity(), ((i - 1) / 8) * 8 + 8);
    }
    EXPECT_EQ(Bytes(s), "b");
}

// ---------------------------------------------------------------------------------------------
// Construction, assignment, concatenation

TEST(StringBasics, ConstructionAssignmentAndConcatenation)
{
    EXPECT_EQ(Bytes(CKSTString('x')), "x");
    CKSTString a("abc");
    CKSTString b;
    b = a;
    a += "def";
    EXPECT_EQ(Bytes(b), "abc");
    EXPECT_EQ(Bytes(a), "abcdef");
    b = static_cast<const char*>(nullptr);
    EXPECT_EQ(b.GetLength(), 0);

    EXPECT_EQ(Bytes(CKSTString("ab") + CKSTString("cd")), "abcd");
    EXPECT_EQ(Bytes(CKSTString("ab") + "cd"), "abcd");
    EXPECT_EQ(Bytes("ab" + CKSTString("cd")), "abcd");
    EXPECT_EQ(Bytes(CKSTString("ab") + 'c'), "abc");

    CKSTString c("x");
    (c += 'y') += CKSTString("z");
    c.Append(static_cast<const char*>(nullptr));
    c.Append("");
    EXPECT_EQ(Bytes(c), "xyz");
    EXPECT_EQ(c.First(), 'x');
    EXPECT_EQ(c.Last(), 'z');
    EXPECT_EQ(CKSTString().First(), '\0');
    EXPECT_EQ(CKSTString().Last(), '\0');
    EXPECT_EQ(c[1], 'y');
    EXPECT_EQ(ThrownCode([&] { (void)c[3]; }), KST_ERR_INDEX);
    EXPECT_EQ(ThrownCode([&] { (void)c[-1]; }), KST_ERR_INDEX);

    CKSTString moved(std::move(c));
    EXPECT_EQ(Bytes(moved), "xyz");
}

TEST(StringBasics, AssignKeepsEmbeddedZeros)
{
    const std::string bytes("a\0b", 3);
    const CKSTString s = FromBytes(bytes);
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(Bytes(s), bytes);
    EXPECT_TRUE(s == FromBytes(bytes));
    EXPECT_FALSE(s == "a");
}

// Operations whose argument is the string itself or a piece of it.
TEST(StringBasics, ArgumentsMayAliasTheString)
{
    CKSTString s("abcdefghij");
    s += s;
    EXPECT_EQ(Bytes(s), "abcdefghijabcdefghij");
    s.Append(s.c_str() + 15);
    EXPECT_EQ(Bytes(s), "abcdefghijabcdefghijfghij");
    s.Assign(s.c_str() + 1, 3);
    EXPECT_EQ(Bytes(s), "bcd");
    s.Insert(1, s);
    EXPECT_EQ(Bytes(s), "bbcdcd");
    const CKSTString& same = s;
    s = same;
    EXPECT_EQ(Bytes(s), "bbcdcd");
}

// ---------------------------------------------------------------------------------------------
// Pieces

struct PieceCase {
    const char* text;
    const char* operation;
    std::function<CKSTString(const CKSTString&)> apply;
    const char* expected;  // null: throws -1103
};

TEST(StringPieces, LeftRightMid)
{
    const PieceCase cases[] = {
        {"abc", "Left(2)", [](const CKSTString& s) { return s.Left(2); }, "ab"},
        {"abc", "Left(100)", [](const CKSTString& s) { return s.Left(100); }, "abc"},
        {"abc", "Left(0)", [](const CKSTString& s) { return s.Left(0); }, ""},
        {"abc", "Left(-1)", [](const CKSTString& s) { return s.Left(-1); }, nullptr},
        {"abc", "Right(2)", [](const CKSTString& s) { return s.Right(2); }, "bc"},
        {"abc", "Right(100)", [](const CKSTString& s) { return s.Right(100); }, "abc"},
        {"", "Right(1)", [](const CKSTString& s) { return s.Right(1); }, ""},
        {"abc", "Right(-1)", [](const CKSTString& s) { return s.Right(-1); }, nullptr},
        {"abc", "Mid(1)", [](const CKSTString& s) { return s.Mid(1); }, "bc"},
        {"abc", "Mid(5)", [](const CKSTString& s) { return s.Mid(5); }, ""},
        {"abc", "Mid(-1)", [](const CKSTString& s) { return s.Mid(-1); }, nullptr},
        {"abc", "MidChecked(2)", [](const CKSTString& s) { return s.MidChecked(2); }, "c"},
        {"abc", "MidChecked(3)", [](const CKSTString& s) { return s.MidChecked(3); }, nullptr},
        {"abc", "MidChecked(-1)", [](const CKSTString& s) { return s.MidChecked(-1); }, nullptr},
        {"", "MidChecked(0)", [](const CKSTString& s) { return s.MidChecked(0); }, ""},
        {"abc", "Mid(1, 10)", [](const CKSTString& s) { return s.Mid(1, 10); }, "bc"},
        {"abc", "Mid(0, 2)", [](const CKSTString& s) { return s.Mid(0, 2); }, "ab"},
        {"abc", "Mid(1, 0)", [](const CKSTString& s) { return s.Mid(1, 0); }, ""},
        {"abc", "Mid(3, 1)", [](const CKSTString& s) { return s.Mid(3, 1); }, nullptr},
        {"abc", "Mid(-1, 1)", [](const CKSTString& s) { return s.Mid(-1, 1); }, nullptr},
        {"abc", "Mid(0, -1)", [](const CKSTString& s) { return s.Mid(0, -1); }, nullptr},
        {"", "Mid(4, 1)", [](const CKSTString& s) { return s.Mid(4, 1); }, ""},
    };
    for (const PieceCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.operation);
        const CKSTString text(c.text);
        if (c.expected) {
            EXPECT_EQ(Bytes(c.apply(text)), c.expected);
        } else {
            EXPECT_EQ(ThrownCode([&] { c.apply(text); }), KST_ERR_INDEX);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Editing in place

struct EditCase {
    const char* text;
    const char* operation;
    std::function<void(CKSTString&)> apply;
    const char* expected;  // null: throws -1103
};

TEST(StringEditing, InsertDeleteTruncate)
{
    const EditCase cases[] = {
        {"abc", "Insert(0, 'x')", [](CKSTString& s) { s.Insert(0, 'x'); }, "xabc"},
        {"abc", "Insert(3, 'x')", [](CKSTString& s) { s.Insert(3, 'x'); }, "abcx"},
        {"", "Insert(0, 'x')", [](CKSTString& s) { s.Insert(0, 'x'); }, "x"},
        {"abc", "Insert(4, 'x')", [](CKSTString& s) { s.Insert(4, 'x'); }, nullptr},
        {"abc", "Insert(-1, 'x')", [](CKSTString& s) { s.Insert(-1, 'x'); }, nullptr},
        {"abc", "Insert(1, \"XY\")", [](CKSTString& s) { s.Insert(1, "XY"); }, "aXYbc"},
        {"abc", "Insert(1, \"\")", [](CKSTString& s) { s.Insert(1, ""); }, "abc"},
        {"abc", "Insert(4, \"XY\")", [](CKSTString& s) { s.Insert(4, "XY"); }, nullptr},
        {"abcdef", "Delete(1, 2)", [](CKSTString& s) { s.Delete(1, 2); }, "adef"},
        {"abcdef", "Delete(4, 2)", [](CKSTString& s) { s.Delete(4, 2); }, "abcd"},
        {"abc", "Delete(2, 5)", [](CKSTString& s) { s.Delete(2, 5); }, "abc"},
        {"abc", "Delete(3, 0)", [](CKSTString& s) { s.Delete(3, 0); }, "abc"},
        {"abc", "Delete(0, 3)", [](CKSTString& s) { s.Delete(0, 3); }, ""},
        {"abc", "Delete(-1, 1)", [](CKSTString& s) { s.Delete(-1, 1); }, nullptr},
        {"abc", "Delete(2, -1)", [](CKSTString& s) { s.Delete(2, -1); }, nullptr},
        {"abc", "Delete(1, INT_MAX)",
         [](CKSTString& s) { s.Delete(1, std::numeric_limits<int>::max()); }, "abc"},
        {"abc", "Truncate(1)", [](CKSTString& s) { s.Truncate(1); }, "a"},
        {"abc", "Truncate(10)", [](CKSTString& s) { s.Truncate(10); }, "abc"},
        {"abc", "Truncate(-1)", [](CKSTString& s) { s.Truncate(-1); }, nullptr},
        {"abc", "RemoveLast", [](CKSTString& s) { s.RemoveLast(); }, "ab"},
        {"", "RemoveLast", [](CKSTString& s) { s.RemoveLast(); }, ""},
        {"abc", "SetLength(2)", [](CKSTString& s) { s.SetLength(2); }, "ab"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.operation);
        CKSTString s(c.text);
        if (c.expected) {
            c.apply(s);
            EXPECT_EQ(Bytes(s), c.expected);
            EXPECT_EQ(std::strlen(s.c_str()), std::strlen(c.expected));
        } else {
            EXPECT_EQ(ThrownCode([&] { c.apply(s); }), KST_ERR_INDEX);
            EXPECT_EQ(Bytes(s), c.text);
        }
    }
}

TEST(StringEditing, InsertReturnsTheNewLength)
{
    CKSTString s("abc");
    EXPECT_EQ(s.Insert(1, CKSTString("XY")), 5);
    EXPECT_EQ(s.Insert(0, CKSTString()), 5);
    EXPECT_EQ(s.Insert(5, 'z'), 6);
}

struct ReplaceCase {
    const char* text;
    const char* search;
    const char* replacement;
    const char* expected;
    int count;
};

TEST(StringEditing, ReplaceText)
{
    const ReplaceCase cases[] = {
        {"aaa", "a", "aa", "aaaaaa", 3},  // inserted text is not searched again
        {"abab", "ab", "b", "bb", 2},
        {"a.b.c", ".", "", "abc", 2},
        {"abc", "x", "y", "abc", 0},
        {"aaaa", "aa", "b", "bb", 2},
        {"", "a", "b", "", 0},
        {"abc", "", "x", "abc", 0},
        {"path/to/file", "/", "\\\\", "path\\\\to\\\\file", 2},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.search + " / " + c.replacement);
        CKSTString s(c.text);
        EXPECT_EQ(s.Replace(CKSTString(c.search), CKSTString(c.replacement)), c.count);
        EXPECT_EQ(Bytes(s), c.expected);
    }
}

TEST(StringEditing, ReplaceAndRemoveCharacters)
{
    CKSTString s("banana");
    EXPECT_EQ(s.Replace('a', 'o'), 3);
    EXPECT_EQ(Bytes(s), "bonono");
    EXPECT_EQ(s.Remove('o'), 3);
    EXPECT_EQ(Bytes(s), "bnn");
    EXPECT_EQ(s.Remove('x'), 0);
    EXPECT_EQ(s.Remove('n') + s.Remove('b'), 3);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.GetCapacity(), 0);
}

struct CaseFoldCase {
    const char* text;
    const char* lower;
    const char* upper;
};

TEST(StringEditing, CaseFoldingIncludesGermanUmlauts)
{
    const CaseFoldCase cases[] = {
        {"Hello World 1!", "hello world 1!", "HELLO WORLD 1!"},
        // Ä Ö Ü / ä ö ü change; ß, é and other bytes stay.
        {"\xC4\xD6\xDC", "\xE4\xF6\xFC", "\xC4\xD6\xDC"},
        {"\xE4\xF6\xFC", "\xE4\xF6\xFC", "\xC4\xD6\xDC"},
        {"Stra\xDF"
         "e \xE9\xC9",
         "stra\xDF"
         "e \xE9\xC9",
         "STRA\xDF"
         "E \xE9\xC9"},
        {"@[`{", "@[`{", "@[`{"},
        {"", "", ""},
    };
    for (const CaseFoldCase& c : cases) {
        SCOPED_TRACE(c.text);
        CKSTString lower(c.text);
        lower.MakeLower();
        EXPECT_EQ(Bytes(lower), c.lower);
        CKSTString upper(c.text);
        upper.MakeUpper();
        EXPECT_EQ(Bytes(upper), c.upper);
    }
}

struct TrimCase {
    const char* text;
    const char* left;
    const char* right;
    const char* both;
};

TEST(StringEditing, Trimming)
{
    const TrimCase cases[] = {
        {" \t\r\n a b \r\n\t ", "a b \r\n\t ", " \t\r\n a b", "a b"},
        {"ab", "ab", "ab", "ab"},
        {" \t ", "", "", ""},
        {"", "", "", ""},
        {"\va\f", "\va\f", "\va\f", "\va\f"},  // only blank, tab, CR and LF are trimmed
    };
    for (const TrimCase& c : cases) {
        SCOPED_TRACE(c.text);
        CKSTString left(c.text);
        left.TrimLeft();
        EXPECT_EQ(Bytes(left), c.left);
        CKSTString right(c.text);
        right.TrimRight();
        EXPECT_EQ(Bytes(right), c.right);
        CKSTString both(c.text);
        both.Trim();
        EXPECT_EQ(Bytes(both), c.both);
    }
    CKSTString zeros("1.500");
    zeros.TrimRight('0');
    EXPECT_EQ(Bytes(zeros), "1.5");
    CKSTString all("000");
    all.TrimRight('0');
    EXPECT_EQ(all.GetLength(), 0);
}

// ---------------------------------------------------------------------------------------------
// Searching, counting, comparing

struct FindCase {
    const char* text;
    const char* search;  // a one-character search also runs as Find(char)
    int start;
    int expected;
};

TEST(StringSearch, Find)
{
    const FindCase cases[] = {
        {"abc", "", 1, 1},      {"abc", "", 0, 0},      {"abc", "", 3, -1},     {"abc", "a", 3, -1},
        {"abc", "bc", -1, -1},  {"abcabc", "bc", 2, 4}, {"abcabc", "bc", 0, 1}, {"abc", "c", 0, 2},
        {"abc", "abcd", 0, -1}, {"", "", 0, -1},        {"", "a", 0, -1},       {"aab", "ab", 0, 1},
        {"abc", "C", 0, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.search + " from " + std::to_string(c.start));
        const CKSTString text(c.text);
        EXPECT_EQ(text.Find(CKSTString(c.search), c.start), c.expected);
        if (std::strlen(c.search) == 1) {
            EXPECT_EQ(text.Find(c.search[0], c.start), c.expected);
        }
    }
    EXPECT_EQ(CKSTString("a.b.c").ReverseFind('.'), 3);
    EXPECT_EQ(CKSTString("abc").ReverseFind('.'), -1);
    EXPECT_EQ(CKSTString().ReverseFind('.'), -1);
}

TEST(StringSearch, Counting)
{
    const CKSTString s(
        "Ma\xDF 12 \xC4pfel und \xFC"
        "ber 3 \xE9t\xE9s!");
    EXPECT_EQ(s.Count(' '), 6);
    EXPECT_EQ(s.CountDigits(), 3);
    // M a ß Ä p f e l u n d ü b e r t s: é is no letter here.
    EXPECT_EQ(s.CountLetters(), 17);
    EXPECT_EQ(CKSTString("\xC4\xD6\xDC\xE4\xF6\xFC\xDF").CountLetters(), 7);
    EXPECT_EQ(CKSTString().CountLetters(), 0);
}

struct CompareCase {
    const char* a;
    const char* b;
    int order;  // -1: a < b, 0: equal, 1: a > b
};

TEST(StringSearch, ComparisonIsBytewiseSigned)
{
    const CompareCase cases[] = {
        {"ab", "abc", -1},   {"abc", "abc", 0},      {"", "", 0},        {"", "a", -1},
        {"b", "abc", 1},     {"\xE4", "a", -1},  // bytes from 0x80 sort before ASCII
        {"\x7F", "\x80", 1}, {"a\xFF", "a\x01", -1}, {"ABC", "abc", -1},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const CKSTString a(c.a);
        const CKSTString b(c.b);
        EXPECT_EQ(a < b, c.order < 0);
        EXPECT_EQ(a > b, c.order > 0);
        EXPECT_EQ(a == b, c.order == 0);
        EXPECT_EQ(a == c.b, c.order == 0);
        EXPECT_EQ(a != b, c.order != 0);
        EXPECT_EQ(a <= b, c.order <= 0);
        EXPECT_EQ(a >= b, c.order >= 0);
    }
    EXPECT_TRUE(CKSTString() == static_cast<const char*>(nullptr));
    EXPECT_FALSE(CKSTString("a") == static_cast<const char*>(nullptr));
    EXPECT_TRUE("abc" == CKSTString("abc"));
}

// ---------------------------------------------------------------------------------------------
// Tests of the text

struct TextTestCase {
    const char* text;
    bool isDigits;
    bool isNumber;
    bool isNumberWithComma;
    bool isInteger;
};

TEST(StringTests, DigitsNumbersIntegers)
{
    const TextTestCase cases[] = {
        {"", true, false, false, false},         {"0123", true, true, true, true},
        {"1234567890", true, true, true, true},  {"12345678901", true, true, true, false},
        {"-123456789", false, true, true, true}, {"-1234567890", false, true, true, false},
        {"+12", false, false, false, true},      {"-", false, false, false, false},
        {"+", false, false, false, false},       {"1.5", false, true, true, false},
        {"-1.5", false, true, true, false},      {".5", false, true, true, false},
        {"5.", false, true, true, false},        {".", false, false, false, false},
        {"1.2.3", false, false, false, false},   {"1,5", false, false, true, false},
        {"1,5.3", false, false, false, false},   {"1,,5", false, false, false, false},
        {"1-2", false, false, false, false},     {"--1", false, false, false, false},
        {"12a", false, false, false, false},     {" 12", false, false, false, false},
        {"1e5", false, false, false, false},
    };
    for (const TextTestCase& c : cases) {
        SCOPED_TRACE(c.text);
        const CKSTString s(c.text);
        EXPECT_EQ(s.IsDigits(), c.isDigits);
        EXPECT_EQ(s.IsNumber(false), c.isNumber);
        EXPECT_EQ(s.IsNumber(true), c.isNumberWithComma);
        EXPECT_EQ(s.IsInteger(), c.isInteger);
    }
}

// ---------------------------------------------------------------------------------------------
// Conversions

struct IntegerConversionCase {
    const char* text;
    int16_t toShort;
    int32_t toLong;
    int64_t toInt64;
};

TEST(StringConversions, Integers)
{
    const IntegerConversionCase cases[] = {
        {"123", 123, 123, 123},
        {"  -45x", -45, -45, -45},
        {" \t\n+7", 7, 7, 7},
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"- 5", 0, 0, 0},
        {"0x10", 0, 0, 0},
        {"12.9", 12, 12, 12},
        {"40000", -25536, 40000, 40000},  // "%hd" keeps the low 16 bits
        {"-32768", -32768, -32768, -32768},
        {"2147483647", -1, 2147483647, 2147483647},
        {"2147483648", -1, 2147483647, 2147483648LL},
        {"-2147483649", 0, std::numeric_limits<int32_t>::min(), -2147483649LL},
        {"9223372036854775807", -1, 2147483647, std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", 0, std::numeric_limits<int32_t>::min(),
         std::numeric_limits<int64_t>::min()},
        {"99999999999999999999", -1, 2147483647, std::numeric_limits<int64_t>::max()},
    };
    for (const IntegerConversionCase& c : cases) {
        SCOPED_TRACE(c.text);
        const CKSTString s(c.text);
        EXPECT_EQ(s.ToShort(), c.toShort);
        EXPECT_EQ(s.ToLong(), c.toLong);
        EXPECT_EQ(s.ToInt64(), c.toInt64);
    }
}

TEST(StringConversions, Hexadecimal)
{
    const struct {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"FF", 0xFF},
        {"0xff", 0xFF},
        {"0XfF", 0xFF},
        {" 1A", 0x1A},
        {"ffffffff", 0xFFFFFFFF},
        {"1ffffffff", 0xFFFFFFFF},
        {"-1", 0xFFFFFFFF},
        {"-0x10", 0xFFFFFFF0},
        {"0x", 0},
        {"0xg", 0},
        {"g", 0},
        {"", 0},
        {"12zz", 0x12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CKSTString(c.text).ToHex(), c.value);
    }
}

struct DoubleConversionCase {
    const char* text;
    bool commaIsPoint;
    double value;
};

TEST(StringConversions, Doubles)
{
    const double inf = std::numeric_limits<double>::infinity();
    const DoubleConversionCase cases[] = {
        {"1.5", false, 1.5},
        {"1,5", false, 1.0},
        {"1,5", true, 1.5},
        {"1.5", true, 1.5},
        {" -2.5e3xyz", false, -2500.0},
        {"+3", false, 3.0},
        {".5", false, 0.5},
        {"5.", false, 5.0},
        {"1E-2", false, 0.01},
        {"0.1", false, 0.1},
        {"123456789012345678901234567890", false, 1.2345678901234568e29},
        {"0x1p4", false, 16.0},
        {"-0x.8", false, -0.5},
        {"1e400", false, inf},
        {"-1e400", false, -inf},
        {"1e-400", false, 0.0},
        {"0.000001e-330", false, 0.0},
        {"inf", false, inf},
        {"-Infinity", false, -inf},
        {"abc", false, 0.0},
        {"", false, 0.0},
        {"--3", false, 0.0},
        {"-", false, 0.0},
    };
    for (const DoubleConversionCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.commaIsPoint ? " (comma is point)" : ""));
        EXPECT_EQ(CKSTString(c.text).ToDouble(c.commaIsPoint), c.value);
    }
    EXPECT_TRUE(std::isnan(CKSTString("nan").ToDouble()));
}

struct Dotted4Case {
    const char* text;
    bool found;
    int16_t parts[4];
};

TEST(StringConversions, ParseDotted4)
{
    const Dotted4Case cases[] = {
        {"192.168.1.20", true, {192, 168, 1, 20}},
        {"300.2.3.4", true, {300, 2, 3, 4}},
        {"1.2.3.4.5", true, {1, 2, 3, 4}},
        {"1..3.", true, {1, 0, 3, 0}},
        {"a.b.c.d", true, {0, 0, 0, 0}},
        {"1.2.3", false, {0, 0, 0, 0}},
        {"", false, {0, 0, 0, 0}},
    };
    for (const Dotted4Case& c : cases) {
        SCOPED_TRACE(c.text);
        const CKSTString s(c.text);
        int16_t wide[4] = {7, 7, 7, 7};
        EXPECT_EQ(s.ParseDotted4(wide[0], wide[1], wide[2], wide[3]), c.found);
        uint8_t narrow[4] = {7, 7, 7, 7};
        EXPECT_EQ(s.ParseDotted4(narrow[0], narrow[1], narrow[2], narrow[3]), c.found);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(wide[i], c.parts[i]);
            EXPECT_EQ(narrow[i], static_cast<uint8_t>(c.parts[i] & 0xFF));
        }
    }
}

TEST(StringConversions, Distance)
{
    const struct {
        const char* a;
        const char* b;
        double distance;
    } cases[] = {
        {"abc", "abc", 0.0},  {"", "abc", 0.0},
        {"abc", "", 0.0},     {"ab", "abcd", 1.0},  // "abab" against "abcd": (0 + 0 + 2 + 2) / 4
        {"abcd", "ab", 1.0},  {"a", "c", 2.0},
        {"a", "\xE4", 125.0},  // 97 - (-28): codes are signed bytes
        {"x", "xyz", 1.0},     // (0 + 1 + 2) / 3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_DOUBLE_EQ(CKSTString(c.a).Distance(CKSTString(c.b)), c.distance);
    }
}

// ---------------------------------------------------------------------------------------------
// Number texts

struct DoubleTextCase {
    double value;
    const char* text;
};

// Texts as "%.16lG" prints them in the C locale.
const DoubleTextCase kDoubleTexts[] = {
    {0.1, "0.1"},
    {1.0, "1"},
    {-2.5, "-2.5"},
    {100.0, "100"},
    {1234.5, "1234.5"},
    {1.0 / 3.0, "0.3333333333333333"},
    {2.0 / 3.0, "0.6666666666666666"},
    {0.0, "0"},
    {-0.0, "-0"},
    {1e15, "1000000000000000"},
    {1e16, "1E+16"},
    {1e20, "1E+20"},
    {123456789012345678.0, "1.234567890123457E+17"},
    {0.0001, "0.0001"},
    {0.00001, "1E-05"},
    {1e-300, "1E-300"},
    {DBL_MAX, "1.797693134862316E+308"},
    {5e-324, "4.940656458412465E-324"},
    {std::numeric_limits<double>::infinity(), "INF"},
    {-std::numeric_limits<double>::infinity(), "-INF"},
    {std::numeric_limits<double>::quiet_NaN(), "NAN"},
};

TEST(StringNumberTexts, AppendDouble)
{
    for (const DoubleTextCase& c : kDoubleTexts) {
        SCOPED_TRACE(c.text);
        CKSTString s("x=");
        s.AppendDouble(c.value);
        EXPECT_EQ(Bytes(s), std::string("x=") + c.text);
    }
}

#if !defined(_WIN32)
// glibc's printf in the C locale is the reference the texts must equal byte for byte.
TEST(StringNumberTexts, AppendDoubleEqualsCPrintf)
{
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> exponent(-320, 320);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 20000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 4 == 0) {
            value = std::round(value * 1000.0) / 1000.0;
        }
        char expected[64];
        std::snprintf(expected, sizeof(expected), "%.16G", value);
        CKSTString s;
        s.AppendDouble(value);
        ASSERT_EQ(Bytes(s), expected) << "for " << value;
        std::snprintf(expected, sizeof(expected), "%.6G",
                      static_cast<double>(static_cast<float>(value)));
        CKSTString f;
        f.AppendFloat(static_cast<float>(value));
        ASSERT_EQ(Bytes(f), expected) << "for " << static_cast<float>(value);
        std::snprintf(expected, sizeof(expected), "%.15g", value);
        ASSERT_EQ(Bytes(CKSTString::FormatGeneral(value, 15, 'g')), expected) << "for " << value;
    }
}
#endif

TEST(StringNumberTexts, FormatGeneral)
{
    const struct {
        double value;
        int precision;
        char conversion;
        const char* text;
    } cases[] = {
        {0.1 + 0.2, 16, 'G', "0.3"},
        {0.1 + 0.2, 17, 'G', "0.30000000000000004"},
        {1.0 / 3.0, 15, 'g', "0.333333333333333"},
        {999999999999999.9, 15, 'g', "1e+15"},
        {123456789012345.6, 15, 'G', "123456789012346"},
        {0.0001, 15, 'g', "0.0001"},
        {0.000099999, 15, 'g', "9.9999e-05"},
        {-0.0, 15, 'g', "-0"},
        {5e-324, 15, 'g', "4.94065645841247e-324"},
        {2.5, 0, 'G', "2"},
        {-1.2345678901234567e-300, 40, 'G', "-1.234567890123456756701581633701731627773E-300"},
        {1.0 / 3.0, 60, 'G', "0.3333333333333333148296162562473909929395"},
        {std::numeric_limits<double>::infinity(), 15, 'g', "inf"},
        {-std::numeric_limits<double>::infinity(), 16, 'G', "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), 15, 'g', "nan"},
        {std::numeric_limits<double>::quiet_NaN(), 16, 'G', "NAN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Bytes(CKSTString::FormatGeneral(c.value, c.precision, c.conversion)), c.text);
    }
}

TEST(StringNumberTexts, AppendIntegersAndFloats)
{
    CKSTString s;
    s.AppendLong(std::numeric_limits<int32_t>::min());
    s += ' ';
    s.AppendLong(42);
    s += ' ';
    s.AppendInt64(std::numeric_limits<int64_t>::min());
    s += ' ';
    s.AppendInt64(12345678901LL);
    EXPECT_EQ(Bytes(s), "-2147483648 42 -9223372036854775808 12345678901");

    const struct {
        float value;
        const char* text;
    } floats[] = {
        {0.1f, "0.1"},         {3.14159274f, "3.14159"},    {1e10f, "1E+10"},
        {123456.7f, "123457"}, {1234567.0f, "1.23457E+06"}, {-0.5f, "-0.5"},
        {0.0f, "0"},
    };
    for (const auto& c : floats) {
        SCOPED_TRACE(c.text);
        CKSTString f;
        f.AppendFloat(c.value);
        EXPECT_EQ(Bytes(f), c.text);
    }
}

// Sets a numeric locale with a decimal comma for the test's lifetime, when one exists.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"german-austrian", "de_AT.UTF-8", "de_AT.utf8", "de_DE.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
                return;
            }
        }
        std::setlocale(LC_NUMERIC, m_saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, m_saved.c_str()); }

    std::string m_saved;
};

TEST_F(DecimalCommaLocale, NumberTextsKeepThePoint)
{
    CKSTString s;
    s.AppendDouble(0.1);
    s += ' ';
    s.AppendFloat(2.5f);
    EXPECT_EQ(Bytes(s), "0.1 2.5");
    EXPECT_EQ(Bytes(CKSTString::FormatGeneral(1.5e-7, 15, 'g')), "1.5e-07");
    EXPECT_EQ(Bytes(CKSTString::FormatFixed(1.25, 2, '.')), "1.25");
    EXPECT_EQ(Bytes(CKSTString::FormatFixed(1.25, 2, ',')), "1,25");
    EXPECT_EQ(CKSTString("1.5").ToDouble(), 1.5);
    EXPECT_EQ(CKSTString("1,5").ToDouble(true), 1.5);
}

struct IntegerFieldCase {
    int32_t value;
    int width;
    char fill;
    const char* text;
};

TEST(StringNumberTexts, FormatInt)
{
    const IntegerFieldCase cases[] = {
        {42, 5, '0', "00042"},
        {42, 5, ' ', "   42"},
        {2, 3, '0', "002"},
        {42, 0, '0', "42"},
        {-42, 5, '0', "-0042"},
        {-42, 5, ' ', "  -42"},
        {12345678, 3, '0', "12345678"},
        {std::numeric_limits<int32_t>::min(), 0, ' ', "-2147483648"},
        // Other fill characters act as the printf flag they spell, or pad with themselves.
        {42, 5, '-', "42   "},
        {42, 5, '+', "  +42"},
        {42, -5, ' ', "42   "},
        {42, -5, '0', "42   "},
        {42, 5, '*', "***42"},
        {-42, 5, '*', "**-42"},
    };
    for (const IntegerFieldCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " width " + std::to_string(c.width) + " fill '" +
                     c.fill + "'");
        EXPECT_EQ(Bytes(CKSTString::FormatInt(c.value, c.width, c.fill)), c.text);
    }
}

TEST(StringNumberTexts, FormatHex)
{
    const IntegerFieldCase cases[] = {
        {255, 4, '0', "00FF"},   {255, 4, ' ', "  FF"},    {255, 0, '0', "FF"},
        {255, 1, '0', "FF"},     {-1, 0, ' ', "FFFFFFFF"}, {0xABCDEF, 0, ' ', "ABCDEF"},
        {255, 6, '#', "  0XFF"}, {0, 4, '#', "   0"},      {0, 3, '0', "000"},
    };
    for (const IntegerFieldCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " width " + std::to_string(c.width));
        EXPECT_EQ(Bytes(CKSTString::FormatHex(c.value, c.width, c.fill)), c.text);
    }
}

struct FixedCase {
    double value;
    int decimals;
    char decimalChar;
    const char* text;
};

TEST(StringNumberTexts, FormatFixed)
{
    const FixedCase cases[] = {
        {3.14159, 2, ',', "3,14"},
        {3.14159, 2, '.', "3.14"},
        {1234.5678, 3, ';', "1234;568"},
        {2.5, 0, '.', "2"},  // exact halves round to even as printf does
        {0.125, 2, '.', "0.12"},
        {-1.005, 2, '.', "-1.00"},
        {-0.0001, 2, '.', "-0.00"},
        {1e21, 0, '.', "1000000000000000000000"},
        {5.0, -2, '.', "5"},
        {0.1, 20, '.', "0.10000000000000000555"},
        {42.0, 1, ',', "42,0"},
    };
    for (const FixedCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Bytes(CKSTString::FormatFixed(c.value, c.decimals, c.decimalChar)), c.text);
    }
    EXPECT_EQ(Bytes(CKSTString::FormatFixed(2.75, 1)), "2.8");
}

TEST(StringNumberTexts, FormatHasNoLengthLimit)
{
    const std::string longText(2500, 'x');
    CKSTString s("old");
    s.Format("%s|%d", longText.c_str(), 7);
    EXPECT_EQ(Bytes(s), longText + "|7");
    s.Format("%s", "");
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.GetCapacity(), 0);
    EXPECT_EQ(Bytes(CKSTString().Format("%03d-%s", 5, "a")), "005-a");
}

// ---------------------------------------------------------------------------------------------
// Paths and wildcards

TEST(StringPaths, PiecesOfPaths)
{
    const struct {
        const char* path;
        const char* backslashed;
        const char* asDirectory;
        const char* fileName;
        const char* directory;
        const char* stripped;
    } cases[] = {
        {"c:\\data\\x.qld", "c:\\data\\x.qld", "c:\\data\\x.qld\\", "x.qld", "c:\\data",
         "c:\\data\\x"},
        {"c:/data/x.qld", "c:\\data\\x.qld", "c:\\data\\x.qld\\", "c:/data/x.qld", "", "c:/data/x"},
        {"c:\\data\\", "c:\\data\\", "c:\\data\\", "", "c:\\data", "c:\\data\\"},
        {"", "", ".\\", "", "", ""},
        {"x.qld", "x.qld", "x.qld\\", "x.qld", "", "x"},
        {"c:\\d.ir\\file", "c:\\d.ir\\file", "c:\\d.ir\\file\\", "file", "c:\\d.ir", "c:\\d"},
        {"a.b.c", "a.b.c", "a.b.c\\", "a.b.c", "", "a.b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const CKSTString path(c.path);
        EXPECT_EQ(Bytes(path.SlashesToBackslashes()), c.backslashed);
        EXPECT_EQ(Bytes(path.AsDirectory()), c.asDirectory);
        EXPECT_EQ(Bytes(path.FileName()), c.fileName);
        EXPECT_EQ(Bytes(path.Directory()), c.directory);
        EXPECT_EQ(Bytes(path.StripExtension()), c.stripped);
    }
}

TEST(StringPaths, MatchWildcard)
{
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"data.qld", "*.qld", true},
        {"data.qld", "*.*", true},
        {"data.qld", "*", true},
        {"", "*", true},
        {"data.qld", "data.*", true},
        {"data.qld", "d*d", true},
        {"data.qld", "da*", true},
        {"data.qld", "*qld", true},
        {"data.qld", "data.qld", true},
        {"DATA.QLD", "*.qld", false},
        {"data.qld", "*.txt", false},
        {"data.qld", "data.qlx", false},
        {"data.qld", "x*d", false},
        {"data.qld", "dat.*", true},  // only the first three characters count
        {"data.qld", "dta.*", false},
        // Names shorter than the pattern's fixed parts never match.
        {"ld", "*.qld", false},
        {"da", "data.*", false},
        {"d", "d*d", false},
        {"dd", "d*d", true},
        {"", "a*", false},
        {"", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
        // Exact-size heap copies let the sanitizer see any read outside the name.
        const std::unique_ptr<char[]> name(new char[std::strlen(c.name) + 1]);
        std::memcpy(name.get(), c.name, std::strlen(c.name) + 1);
        EXPECT_EQ(CKSTString(name.get()).MatchWildcard(CKSTString(c.pattern)), c.matches);
    }
}

// ---------------------------------------------------------------------------------------------
// Tokens

struct TokenizeCase {
    const char* text;
    const char* delimiters;
    bool keepEmpty;
    std::vector<std::string> tokens;
};

TEST(StringTokens, Tokenize)
{
    const TokenizeCase cases[] = {
        {"a,,b", ",", false, {"a", "b"}},
        {"a,,b", ",", true, {"a", "", "b"}},
        {",,a", ",", false, {"a"}},
        {",,a", ",", true, {"", "a"}},
        {"a,", ",", true, {"a", ""}},
        {"abc", ",", false, {"abc"}},
        {"", ",", false, {}},
        {"  a b\tc ", " \t", false, {"a", "b", "c", ""}},
        {"k=v;x=y", "=;", false, {"k", "v", "x", "y"}},
        {"abc", "", false, {"abc"}},
    };
    for (const TokenizeCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " by '" + c.delimiters + "'" +
                     (c.keepEmpty ? " keeping empty" : ""));
        CKSTString s(c.text);
        std::vector<std::string> tokens;
        while (!s.IsEmpty() && tokens.size() < 10) {
            tokens.push_back(Bytes(s.Tokenize(c.delimiters, c.keepEmpty)));
        }
        EXPECT_EQ(tokens, c.tokens);
    }
}

TEST(StringTokens, DelimiterAfterTheTokenStays)
{
    CKSTString s(";;a;b");
    EXPECT_EQ(Bytes(s.Tokenize(";")), "a");
    EXPECT_EQ(Bytes(s), ";b");
    CKSTString t(";;a");
    EXPECT_EQ(Bytes(t.Tokenize(";", true)), "");
    EXPECT_EQ(Bytes(t), ";a");
    CKSTString u("a b");
    EXPECT_EQ(Bytes(u.Tokenize(nullptr)), "a b");
    EXPECT_TRUE(u.IsEmpty());
}

// ---------------------------------------------------------------------------------------------
// Encodings

TEST(StringEncodings, Base64)
{
    const struct {
        std::string bytes;
        const char* text;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFF\xFF\xFF", "////"},
        {std::string("\0\x01", 2), "AAE="},
        {"\xFB\xEF\xBE", "++++"},
        {"user:pa\xDF", "dXNlcjpwYd8="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Bytes(FromBytes(c.bytes).ToBase64()), c.text);
    }
}

TEST(StringEncodings, Utf8ToAnsi)
{
    const struct {
        const char* utf8;
        const char* ansi;
    } cases[] = {
        {"\xC3\xA4", "\xE4"},
        {"Temp \xC2\xB0"
         "C",
         "Temp \xB0"
         "C"},
        {"\xC3\x9F", "\xDF"},
        {"\xC3\x80\xC3\xBF", "\xC0\xFF"},
        {"\xC2\xA0", "\xA0"},
        {"\xC3", "\xC3"},  // a trailing lead byte stays
        {"a\xC3", "a\xC3"},
        {"\xC2\x80", "\xC2\x80"},  // 0xC2 maps only 0xA0..0xBF
        {"\xC3\xC3\xA4", "\xC3\xE4"},
        {"\xC3"
         "A",
         "\xC3"
         "A"},
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},  // three-byte sequences are copied
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Bytes(CKSTString(c.utf8).Utf8ToAnsi()), c.ansi);
        EXPECT_EQ(Bytes(CKSTString::FromUtf8(CKSTString(c.utf8))), c.ansi);
    }
}

}  // namespace
