#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/ErrorCodes.h"
#include "foundation/MemBuffer.h"

namespace {

CKSTMemBuffer BufferOf(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    buffer.SetPosition(0);
    return buffer;
}

std::string Contents(const CKSTMemBuffer& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

TEST(MemBufferGrowth, CapacityAndStepFollowTheLargestRequest)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> writes;  // sizes of successive writes to a new buffer
        uint32_t capacity;
        uint32_t growth;
    };
    const Case cases[] = {
        {"one byte", {1}, 100, 100},
        {"150 bytes at once", {150}, 150, 100},
        {"5000 bytes at once", {5000}, 5000, 500},
        {"100 single bytes fit the first block", std::vector<uint32_t>(100, 1), 100, 100},
        {"the 101st byte adds one step", std::vector<uint32_t>(101, 1), 200, 100},
        {"passing a large block grows by a tenth of it", {5000, 1, 1}, 5500, 500},
        {"a write beyond the step takes its own size", {5000, 1001}, 6001, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTMemBuffer buffer;
        uint32_t total = 0;
        for (uint32_t n : c.writes) {
            std::vector<uint8_t> bytes(n, 0x5A);
            ASSERT_EQ(n, buffer.Write(bytes.data(), 1, n));
            total += n;
        }
        EXPECT_EQ(total, buffer.GetSize());
        EXPECT_EQ(total, buffer.GetPosition());
        EXPECT_EQ(c.capacity, buffer.GetCapacity());
        EXPECT_EQ(c.growth, buffer.GetGrowth());
    }
}

TEST(MemBufferGrowth, FreeResetsTheStep)
{
    CKSTMemBuffer buffer;
    ASSERT_TRUE(buffer.Reserve(5000));
    EXPECT_EQ(500u, buffer.GetGrowth());
    buffer.Free();
    EXPECT_EQ(100u, buffer.GetGrowth());
    EXPECT_EQ(0u, buffer.GetCapacity());
    EXPECT_EQ(nullptr, buffer.GetData());
}

TEST(MemBufferGrowth, SizesBeyondTheLimitAreRefusedWithoutAllocating)
{
    CKSTMemBuffer buffer = BufferOf("abc");
    EXPECT_FALSE(buffer.Reserve(CKSTMemBuffer::kMaxSize + 1u));
    EXPECT_FALSE(buffer.SetSize(0xFFFFFFFFu));
    EXPECT_EQ("abc", Contents(buffer));
    EXPECT_EQ(100u, buffer.GetCapacity());
}

TEST(MemBufferRead, WholeItemsUpToTheEnd)
{
    struct Case {
        const char* name;
        uint32_t size;
        uint32_t start;
        uint32_t itemSize;
        uint32_t count;
        uint32_t expectItems;
        uint32_t expectPosition;
    };
    const Case cases[] = {
        {"all there", 16, 0, 4, 3, 3, 12},
        {"three of four bytes with ten left", 10, 0, 4, 3, 2, 8},
        {"exactly to the end", 12, 0, 4, 3, 3, 12},
        {"at the end steps one past it", 10, 10, 1, 1, 0, 11},
        {"no whole item left passes the end", 10, 8, 4, 1, 0, 11},
        {"item size times count wraps in 32 bits", 10, 0, 0x10000, 0x10000, 0, 11},
        {"huge count of bytes is cut to what is there", 10, 3, 1, 0xFFFFFFFF, 7, 10},
        {"huge count of words", 10, 1, 2, 0x80000001, 4, 9},
        {"zero items read nothing", 10, 10, 4, 0, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTMemBuffer buffer = BufferOf(std::string(c.size, 'x'));
        buffer.SetPosition(c.start);
        std::vector<uint8_t> out(64);
        EXPECT_EQ(c.expectItems, buffer.Read(out.data(), c.itemSize, c.count));
        EXPECT_EQ(c.expectPosition, buffer.GetPosition());
    }
}

TEST(MemBufferRead, RepeatedReadsAtTheEndStayOnePastIt)
{
    CKSTMemBuffer buffer = BufferOf("ab");
    uint8_t b[2];
    EXPECT_EQ(1u, buffer.Read(b, 2, 1));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0u, buffer.Read(b, 1, 1));
        EXPECT_EQ(3u, buffer.GetPosition());
        EXPECT_TRUE(buffer.IsPastEnd());
    }
}

TEST(MemBufferWrite, WrappingOrOversizedWritesChangeNothing)
{
    CKSTMemBuffer buffer = BufferOf("abc");
    const uint8_t byte = 1;
    // 0x10000 x 0x10000 is 0 in 32 bits; the write must not be taken as empty or small.
    EXPECT_EQ(0u, buffer.Write(&byte, 0x10000, 0x10000));
    buffer.SetPosition(3);
    EXPECT_EQ(0u, buffer.Write(&byte, 1, CKSTMemBuffer::kMaxSize));
    EXPECT_EQ(0u, buffer.Write(&byte, 0xFFFFFFFF, 0xFFFFFFFF));
    EXPECT_EQ("abc", Contents(buffer));
    EXPECT_EQ(3u, buffer.GetPosition());
}

TEST(MemBufferWrite, OverwritesAndExtendsAtThePosition)
{
    CKSTMemBuffer buffer = BufferOf("abcdef");
    buffer.SetPosition(4);
    EXPECT_EQ(2u, buffer.Write("XYZW", 2, 2));
    EXPECT_EQ("abcdXYZW", Contents(buffer));
    EXPECT_EQ(8u, buffer.GetPosition());
}

TEST(MemBufferWrite, AfterPassingTheEndTheGapIsZero)
{
    CKSTMemBuffer buffer = BufferOf("ab");
    uint8_t b;
    buffer.SetPosition(2);
    buffer.Read(&b, 1, 1);
    ASSERT_EQ(3u, buffer.GetPosition());
    buffer.Write("c", 1, 1);
    EXPECT_EQ(std::string("ab\0c", 4), Contents(buffer));
}

TEST(MemBufferWrite, SourceInsideTheBufferSurvivesGrowth)
{
    CKSTMemBuffer buffer = BufferOf(std::string(100, 'q'));
    buffer.SetPosition(100);
    // The source is the buffer's own block, which growing replaces.
    ASSERT_EQ(100u, buffer.Write(buffer.GetData(), 1, 100));
    EXPECT_EQ(std::string(200, 'q'), Contents(buffer));
}

TEST(MemBufferPosition, SetPositionClampsAndRemoveBytesMovesIt)
{
    CKSTMemBuffer buffer = BufferOf("0123456789");
    EXPECT_EQ(10u, buffer.SetPosition(25));
    EXPECT_EQ(10u, buffer.GetPosition());

    struct Case {
        const char* name;
        uint32_t offset;
        uint32_t count;
        uint32_t position;
        const char* expectBytes;
        uint32_t expectPosition;
    };
    const Case cases[] = {
        {"behind the range moves with its byte", 2, 3, 7, "0156789", 4},
        {"range passing the end changes nothing", 8, 3, 7, "0123456789", 7},
        {"offset plus count wrapping changes nothing", 2, 0xFFFFFFFF, 7, "0123456789", 7},
        {"before the range stays", 5, 3, 2, "0123489", 2},
        {"inside the range moves to its start", 2, 5, 4, "01789", 2},
        {"from the front", 0, 4, 4, "456789", 0},
        {"whole buffer", 0, 10, 10, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTMemBuffer b = BufferOf("0123456789");
        b.SetPosition(c.position);
        EXPECT_EQ(std::strlen(c.expectBytes), b.RemoveBytes(c.offset, c.count));
        EXPECT_EQ(c.expectBytes, Contents(b));
        EXPECT_EQ(c.expectPosition, b.GetPosition());
    }
}

TEST(MemBufferAt, AllowsOnePastTheEndAndThrowsBeyond)
{
    CKSTMemBuffer buffer = BufferOf("abc");
    EXPECT_EQ('b', *buffer.At(1));
    EXPECT_EQ(buffer.GetData() + 3, buffer.At(3));
    try {
        buffer.At(4);
        ADD_FAILURE() << "no throw";
    } catch (int code) {
        EXPECT_EQ(KST_ERR_INDEX, code);
    }
    CKSTMemBuffer empty;
    EXPECT_THROW(empty.At(0), int);
}

TEST(MemBufferCopy, AssignmentKeepsThePositionCopiesReset)
{
    CKSTMemBuffer source = BufferOf("hello world");
    CKSTMemBuffer target = BufferOf("xy");
    target.SetPosition(1);
    target = source;
    EXPECT_EQ("hello world", Contents(target));
    EXPECT_EQ(1u, target.GetPosition());
    target = target;
    EXPECT_EQ("hello world", Contents(target));

    source.SetPosition(5);
    CKSTMemBuffer copy;
    copy.CopyFrom(source);
    EXPECT_EQ("hello world", Contents(copy));
    EXPECT_EQ(0u, copy.GetPosition());

    CKSTMemBuffer part;
    part.AssignPart(source, 5);
    EXPECT_EQ("hello", Contents(part));
    part.AssignPart(source, 1000);
    EXPECT_EQ("hello world", Contents(part));
    part.AssignPart(part, 4);
    EXPECT_EQ("hell", Contents(part));
}

TEST(MemBufferReadLine, EscapesAndLineEnds)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::string, int>> lines;  // text and result of each call
    };
    const int kEnd = KST_ERR_END_OF_DATA;
    const Case cases[] = {
        {"continuation", "a\\\nb\nc", {{"ab", 0}, {"c", kEnd}}},
        {"doubled backslash", "a\\\\b\n", {{"a\\b", kEnd}}},
        {"empty buffer", "", {{"", kEnd}, {"", kEnd}}},
        {"CR before LF stays", "ab\r\nc", {{"ab\r", 0}, {"c", kEnd}}},
        {"CR after backslash is dropped", "a\\\r\nb\nc", {{"ab", 0}, {"c", kEnd}}},
        {"backslash before other byte stays", "a\\x\ny", {{"a\\x", 0}, {"y", kEnd}}},
        {"doubled backslash then LF ends the line", "a\\\\\nb", {{"a\\", 0}, {"b", kEnd}}},
        {"trailing backslash", "abc\\", {{"abc\\", kEnd}}},
        {"backslash and CR at the end", "abc\\\r", {{"abc\\", kEnd}}},
        {"empty lines", "\n\nx", {{"", 0}, {"", 0}, {"x", kEnd}}},
        {"last line with LF", "a\nb\n", {{"a", 0}, {"b", kEnd}, {"", kEnd}}},
        {"zero byte inside a line", std::string("a\0b\nc", 5), {{std::string("a\0b", 3), 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTMemBuffer buffer = BufferOf(c.bytes);
        for (const auto& [text, result] : c.lines) {
            CKSTString line("stale");
            EXPECT_EQ(result, buffer.ReadLine(line));
            EXPECT_EQ(text, Text(line));
        }
        EXPECT_LE(buffer.GetPosition(), buffer.GetSize() + 1);
    }
}

TEST(MemBufferText, FixedWidthAndZeroTerminatedFields)
{
    CKSTMemBuffer out;
    EXPECT_EQ(KST_OK, out.WriteFixedString("abcdef", 4));
    EXPECT_EQ(KST_OK, out.WriteFixedString("ab", 4));
    EXPECT_EQ(KST_OK, out.WriteFixedString("", 2));
    EXPECT_EQ(std::string("abcdab\0\0\0\0", 10), Contents(out));

    CKSTMemBuffer in = BufferOf(std::string("ab\0zzzzzcd", 10));
    CKSTString text;
    EXPECT_EQ(KST_OK, in.ReadFixedString(text, 8));
    EXPECT_EQ("ab", Text(text));
    EXPECT_EQ(8u, in.GetPosition());
    EXPECT_EQ(KST_ERR_END_OF_DATA, in.ReadFixedString(text, 8));  // field cut by the end
    EXPECT_EQ("cd", Text(text));
    EXPECT_EQ(10u, in.GetPosition());

    CKSTMemBuffer sz = BufferOf(std::string("one\0two\0", 8));
    EXPECT_EQ(KST_OK, sz.ReadSz(text));
    EXPECT_EQ("one", Text(text));
    EXPECT_EQ(KST_ERR_END_OF_DATA, sz.ReadSz(text));
    EXPECT_EQ("two", Text(text));
    EXPECT_EQ(KST_ERR_END_OF_DATA, sz.ReadSz(text));
    EXPECT_EQ("", Text(text));

    CKSTMemBuffer unterminated = BufferOf("abc");
    EXPECT_EQ(KST_ERR_END_OF_DATA, unterminated.ReadSz(text));
    EXPECT_EQ("abc", Text(text));
}

TEST(MemBufferText, RestAndPiecesStayInsideTheBuffer)
{
    CKSTMemBuffer buffer = BufferOf("0123456789");
    buffer.SetPosition(6);
    CKSTString text;
    EXPECT_EQ(KST_OK, buffer.ReadRest(text));
    EXPECT_EQ("6789", Text(text));
    EXPECT_EQ(10u, buffer.GetPosition());

    struct Case {
        uint32_t offset;
        uint32_t count;
        const char* expect;
    };
    const Case cases[] = {
        {2, 3, "234"}, {8, 5, "89"}, {10, 1, ""}, {0xFFFFFFFF, 10, ""}, {5, 0xFFFFFFFF, "56789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(KST_OK, buffer.GetString(text, c.offset, c.count));
        EXPECT_EQ(c.expect, Text(text));
    }
    EXPECT_EQ(10u, buffer.GetPosition());
}

TEST(MemBufferFind, FirstOccurrenceFromStart)
{
    CKSTMemBuffer buffer = BufferOf(std::string("ab\0cab\0cab", 10));
    struct Case {
        std::string pattern;
        int32_t start;
        int32_t expect;
    };
    const Case cases[] = {
        {"ab", 0, 0},   {"ab", 1, 4},  {std::string("\0c", 2), 3, 6},
        {"abx", 0, -1}, {"b", 10, -1}, {"b", -1, -1},
        {"", 3, 3},     {"", 10, -1},  {std::string("cab\0", 4), 7, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        CKSTString pattern;
        pattern.Assign(c.pattern.data(), static_cast<int>(c.pattern.size()));
        EXPECT_EQ(c.expect, buffer.Find(pattern, c.start));
    }
}

TEST(MemBufferFile, LoadAndSaveReportShortTransfers)
{
    FILE* file = std::tmpfile();
    ASSERT_NE(nullptr, file);
    CKSTMemBuffer out = BufferOf("0123456789");
    EXPECT_EQ(KST_OK, out.SaveFile(file));
    std::rewind(file);

    CKSTMemBuffer in;
    EXPECT_EQ(KST_OK, in.LoadFile(file, 4));
    EXPECT_EQ("0123", Contents(in));
    // Only six bytes are left: the buffer keeps what arrived instead of undefined bytes.
    EXPECT_EQ(KST_ERR_SHORT_TRANSFER, in.LoadFile(file, 8));
    EXPECT_EQ("456789", Contents(in));
    EXPECT_EQ(0u, in.GetPosition());
    std::fclose(file);

    EXPECT_EQ(KST_ERR_SHORT_TRANSFER, in.LoadFile(nullptr, 4));
    EXPECT_EQ(KST_ERR_SHORT_TRANSFER, in.LoadFile(nullptr, 0x80000000u));
}

}  // namespace
