#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/MemBuffer.h"
#include "support/TempFolder.h"

namespace {

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

std::string Contents(const CKSTMemBuffer& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    return bytes;
}

enum class Kind { kMemory, kFile };

// Every stream behaviour that memory and files share runs over both.
class StreamTest : public ::testing::TestWithParam<Kind> {
protected:
    bool InMemory() const { return GetParam() == Kind::kMemory; }

    void OpenForWriting()
    {
        if (InMemory()) {
            ASSERT_EQ(KST_OK, m_stream.OpenMemoryWrite());
        } else {
            ASSERT_EQ(KST_OK, m_stream.Open(m_path, KST_OPEN_WRITE));
        }
    }

    void ReopenForReading()
    {
        ASSERT_EQ(KST_OK, m_stream.Close());
        if (InMemory()) {
            ASSERT_EQ(KST_OK, m_stream.OpenMemoryRead());
        } else {
            ASSERT_EQ(KST_OK, m_stream.Open(m_path, KST_OPEN_READ));
        }
    }

    // A stream open for reading over exactly these (non-empty) bytes.
    void OpenOver(const std::string& bytes)
    {
        if (InMemory()) {
            CKSTMemBuffer buffer;
            buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
            m_stream.SetMemory(buffer);
            ASSERT_EQ(KST_OK, m_stream.OpenMemoryRead());
        } else {
            m_folder.WriteFile("stream.bin", bytes);
            ASSERT_EQ(KST_OK, m_stream.Open(m_path, KST_OPEN_READ));
        }
    }

    TempFolder m_folder;
    CKSTString m_path = m_folder.Path("stream.bin");
    CKSTDataFile m_stream;
};

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, StreamTest, ::testing::Values(Kind::kMemory, Kind::kFile),
                         [](const auto& info) {
                             return info.param == Kind::kMemory ? "Memory" : "File";
                         });

// Buffered bytes that never reach the disk are a failed close, not a silent loss.
TEST(DataFileClose, ReportsBytesADeviceRefused)
{
#ifdef _WIN32
    const CKSTString full("Z:\\dev\\full");
#else
    const CKSTString full("/dev/full");
#endif
    CKSTDataFile file;
    ASSERT_EQ(file.Open(full, KST_OPEN_WRITE), KST_OK);
    const char bytes[100] = {};
    file.Write(bytes, sizeof bytes);
    EXPECT_EQ(file.Close(), KST_ERR_SHORT_TRANSFER);
}

TEST_P(StreamTest, WriteSeekTellAndReadBack)
{
    OpenForWriting();
    const uint16_t word = 0xBEEF;
    const uint32_t dword = 0x12345678;
    const double value = -2.5e-7;
    EXPECT_EQ(1u, m_stream.WriteWord(&word));
    EXPECT_EQ(1u, m_stream.WriteDWord(&dword));
    EXPECT_EQ(1u, m_stream.WriteQWord(&value));
    m_stream.WriteString("text");
    m_stream.WriteString("");
    EXPECT_EQ(2u, m_stream.WriteSz("sz"));
    EXPECT_EQ(0u, m_stream.WriteSz(""));
    EXPECT_EQ(1u, m_stream.Write("", 1));
    const std::string lines = "first  \r\nsec\\\nond\n";
    m_stream.WriteString(lines.c_str());
    const uint8_t tail[3] = {1, 2, 3};
    EXPECT_EQ(3u, m_stream.Write(tail, 3));
    const int64_t total = 2 + 4 + 8 + 4 + 2 + 1 + static_cast<int64_t>(lines.size()) + 3;
    EXPECT_EQ(total, m_stream.Tell());
    EXPECT_EQ(total, m_stream.GetSize());

    ReopenForReading();
    EXPECT_EQ(total, m_stream.GetSize());
    uint16_t w = 0;
    uint32_t d = 0;
    double v = 0;
    EXPECT_EQ(1u, m_stream.ReadWord(&w));
    EXPECT_EQ(1u, m_stream.ReadDword(&d));
    EXPECT_EQ(1u, m_stream.ReadDouble(&v));
    EXPECT_EQ(word, w);
    EXPECT_EQ(dword, d);
    EXPECT_EQ(value, v);
    CKSTString text;
    EXPECT_EQ(KST_OK, m_stream.ReadString(text, 4));
    EXPECT_EQ("text", Text(text));
    EXPECT_EQ(KST_OK, m_stream.ReadSz(text));
    EXPECT_EQ("sz", Text(text));  // the zero byte written after it ended it
    EXPECT_EQ(KST_OK, m_stream.ReadLine(text, true));
    EXPECT_EQ("first", Text(text));
    EXPECT_EQ(KST_OK, m_stream.ReadLine(text, false));
    EXPECT_EQ("second\n", Text(text));
    uint8_t back[3] = {};
    EXPECT_EQ(3u, m_stream.Read(back, 3));
    EXPECT_EQ(0, std::memcmp(tail, back, 3));
    EXPECT_FALSE(m_stream.IsEOF());

    EXPECT_EQ(0u, m_stream.ReadWord(&w));
    EXPECT_TRUE(m_stream.IsEOF());
    EXPECT_EQ(KST_ERR_END_OF_DATA, m_stream.ReadString(text, 1));
    EXPECT_EQ(KST_ERR_END_OF_DATA, m_stream.ReadLine(text, true));
    EXPECT_EQ(KST_ERR_END_OF_DATA, m_stream.ReadSz(text));

    EXPECT_GE(m_stream.Seek(-3, SEEK_END), 0);
    EXPECT_FALSE(m_stream.IsEOF());
    EXPECT_EQ(total - 3, m_stream.Tell());
    EXPECT_GE(m_stream.Seek(2, SEEK_SET), 0);
    EXPECT_EQ(1u, m_stream.ReadDword(&d));
    EXPECT_EQ(dword, d);
    EXPECT_GE(m_stream.Seek(-4, SEEK_CUR), 0);
    EXPECT_EQ(2, m_stream.Tell());
}

TEST_P(StreamTest, EndOfDataRules)
{
    enum Op { kWord, kDword, kString, kLine, kSz };
    struct Step {
        Op op;
        uint32_t n;  // ReadString length
        int result;  // items read, or the result code of a text read
        std::string text;
        bool eofAfter;
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Step> steps;
    };
    const int kEnd = KST_ERR_END_OF_DATA;
    const Case cases[] = {
        {"dword then word past four bytes",
         "abcd",
         {{kDword, 0, 1, "", false}, {kWord, 0, 0, "", true}}},
        {"word with one byte left", "abc", {{kWord, 0, 1, "", false}, {kWord, 0, 0, "", true}}},
        {"string longer than the rest is refused", "abc", {{kString, 5, kEnd, "", true}}},
        {"string to the end exactly",
         "abc",
         {{kString, 3, 0, "abc", false}, {kString, 1, kEnd, "", true}}},
        {"hostile string length", "abc", {{kString, 0xFFFFFFFF, kEnd, "", true}}},
        {"hostile length after a word",
         "abcd",
         {{kWord, 0, 1, "", false}, {kString, 0x7FFFFFFF, kEnd, "", true}}},
        {"empty string reads nothing", "abc", {{kString, 0, 0, "", false}}},
        {"lines ending with LF",
         "a\nb\n",
         {{kLine, 0, 0, "a", false}, {kLine, 0, 0, "b", false}, {kLine, 0, kEnd, "", true}}},
        {"last line without LF", "a\nb", {{kLine, 0, 0, "a", false}, {kLine, 0, kEnd, "b", true}}},
        {"escaped LF at the end", "ab\\\n", {{kLine, 0, kEnd, "ab", true}}},
        {"zero-terminated texts",
         std::string("ab\0c", 4),
         {{kSz, 0, 0, "ab", false}, {kSz, 0, kEnd, "c", true}}},
        {"terminator as last byte",
         std::string("ab\0", 3),
         {{kSz, 0, 0, "ab", false}, {kSz, 0, kEnd, "", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenOver(c.bytes);
        for (const Step& step : c.steps) {
            CKSTString text("stale");
            uint8_t item[8];
            int result = 0;
            switch (step.op) {
                case kWord:
                    result = static_cast<int>(m_stream.ReadWord(item));
                    break;
                case kDword:
                    result = static_cast<int>(m_stream.ReadDword(item));
                    break;
                case kString:
                    result = m_stream.ReadString(text, step.n);
                    break;
                case kLine:
                    result = m_stream.ReadLine(text, true);
                    break;
                case kSz:
                    result = m_stream.ReadSz(text);
                    break;
            }
            EXPECT_EQ(step.result, result);
            if (step.op != kWord && step.op != kDword) {
                EXPECT_EQ(step.text, Text(text));
            }
            EXPECT_EQ(step.eofAfter, m_stream.IsEOF());
        }
        EXPECT_EQ(m_stream.Close(), KST_OK);
    }
}

TEST_P(StreamTest, LineEndsKeptOrTrimmed)
{
    OpenOver("ab  \r\nab  \r\n");
    CKSTString line;
    EXPECT_EQ(KST_OK, m_stream.ReadLine(line, true));
    EXPECT_EQ("ab", Text(line));
    EXPECT_EQ(KST_OK, m_stream.ReadLine(line, false));
    EXPECT_EQ("ab  \r\n", Text(line));
}

TEST_P(StreamTest, SeekTargets)
{
    struct Case {
        int64_t start;
        int64_t offset;
        int origin;
        bool ok;
        int64_t tell;
    };
    const Case cases[] = {
        {0, -1, SEEK_END, true, 9}, {0, 3, SEEK_SET, true, 3},   {4, 2, SEEK_CUR, true, 6},
        {4, -4, SEEK_CUR, true, 0}, {4, -5, SEEK_CUR, false, 4}, {4, -20, SEEK_SET, false, 4},
        {4, 0, SEEK_END, true, 10}, {4, 1, 7, false, 4},         {4, INT64_MIN, SEEK_END, false, 4},
    };
    OpenOver("0123456789");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " " << c.offset << " " << c.origin);
        ASSERT_GE(m_stream.Seek(c.start, SEEK_SET), 0);
        const int64_t result = m_stream.Seek(c.offset, c.origin);
        EXPECT_EQ(c.ok, result >= 0);
        EXPECT_EQ(c.tell, m_stream.Tell());
    }
}

TEST_P(StreamTest, ReadAllTakesTheRestInChunks)
{
    struct Case {
        size_t size;
        size_t skip;
    };
    // A rest of exactly two chunks ends with an empty chunk, which passes the end.
    const Case cases[] = {{20000, 0}, {20000, 5}, {2 * CKSTDataFile::kReadAllChunk, 0}, {1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string bytes = Pattern(c.size);
        OpenOver(bytes);
        std::vector<uint8_t> skipped(c.skip + 1);
        ASSERT_EQ(c.skip, m_stream.Read(skipped.data(), static_cast<uint32_t>(c.skip)));
        CKSTMemBuffer out;
        out.Write("old", 1, 3);
        EXPECT_EQ(KST_OK, m_stream.ReadAll(out, 0));
        EXPECT_EQ(bytes.substr(c.skip), Contents(out));
        EXPECT_EQ(0u, out.GetPosition());
        if (c.size % CKSTDataFile::kReadAllChunk == 0) {
            EXPECT_TRUE(m_stream.IsEOF());
        }
        EXPECT_EQ(m_stream.Close(), KST_OK);
    }
}

TEST_P(StreamTest, ReadAllSizesAheadOnlyByWhatIsThere)
{
    OpenOver("abc");
    CKSTMemBuffer out;
    EXPECT_EQ(KST_OK, m_stream.ReadAll(out, 0xFFFFFFFF));
    EXPECT_EQ("abc", Contents(out));
    EXPECT_LE(out.GetCapacity(), 100u);
}

TEST_P(StreamTest, WriteBufferReportsSuccessAlike)
{
    OpenForWriting();
    CKSTMemBuffer buffer;
    buffer.Write("0123456789", 1, 10);
    EXPECT_EQ(KST_OK, m_stream.WriteBuffer(buffer));
    EXPECT_EQ(KST_OK, m_stream.WriteBuffer(CKSTMemBuffer()));
    EXPECT_EQ(10, m_stream.GetSize());
}

TEST(MemoryStream, BufferTransfers)
{
    CKSTDataFile stream;
    EXPECT_EQ(KST_ERR_BAD_HEADER, stream.OpenMemoryRead());
    EXPECT_FALSE(stream.IsOpen());

    ASSERT_EQ(KST_OK, stream.OpenMemoryWrite());
    EXPECT_EQ(10u, stream.Write("0123456789", 10));
    CKSTMemBuffer copy;
    stream.GetMemory(copy);
    EXPECT_EQ("0123456789", Contents(copy));
    EXPECT_EQ(0u, copy.GetPosition());

    // Open for writing, a buffer set in continues at its end; otherwise reading starts at 0.
    CKSTMemBuffer other;
    other.Write("abc", 1, 3);
    stream.SetMemory(other);
    EXPECT_EQ(3, stream.Tell());
    stream.Write("d", 1);
    EXPECT_EQ(KST_OK, stream.Close());
    stream.GetMemory(copy);
    EXPECT_EQ("abcd", Contents(copy));  // kept across Close

    stream.SetMemory(other);
    EXPECT_EQ(0, stream.Tell());
    ASSERT_EQ(KST_OK, stream.OpenMemoryRead());
    // Unlike a file, memory cannot stand beyond its end.
    EXPECT_EQ(3, stream.Seek(5, SEEK_END));
    EXPECT_EQ(3, stream.Tell());

    // Writing the stream's own buffer into itself must survive the buffer growing.
    ASSERT_EQ(KST_OK, stream.OpenMemoryWrite());
    stream.Write(Pattern(100).data(), 100);
    EXPECT_EQ(KST_OK, stream.WriteBuffer(stream.GetMemoryBuffer()));
    EXPECT_EQ(Pattern(100) + Pattern(100), Contents(stream.GetMemoryBuffer()));
}

class FileStreamTest : public ::testing::Test {
protected:
    TempFolder m_folder;
};

// The superuser (also through Wine) may write read-only files anyway.
bool ReadOnlyIsEnforced(const std::filesystem::path& file)
{
    FILE* probe = std::fopen(file.string().c_str(), "r+b");
    if (probe != nullptr) {
        std::fclose(probe);
        return false;
    }
    return true;
}

TEST_F(FileStreamTest, OpenErrors)
{
    m_folder.WriteFile("data.bin", "abc");
    m_folder.WriteFile("locked.bin", "abc");
    m_folder.MakeReadOnly("locked.bin");
    m_folder.MakeFolder("folder");
    struct Case {
        const char* name;
        CKSTString path;
        uint32_t mode;
        int expect;
        bool needsPermissions;
    };
    const Case cases[] = {
        {"empty path", "", KST_OPEN_READ, KST_ERR_OPEN_FAILED, false},
        {"missing file for reading", m_folder.Path("missing.bin"), KST_OPEN_READ,
         KST_ERR_OPEN_FAILED, false},
        {"missing file for update", m_folder.Path("missing.bin"), KST_OPEN_READ_WRITE,
         KST_ERR_OPEN_FAILED, false},
        {"missing folder for writing", m_folder.Path("nowhere/new.bin"), KST_OPEN_WRITE,
         KST_ERR_OPEN_FAILED, false},
        {"unknown mode", m_folder.Path("data.bin"), 4, KST_ERR_OPEN_FAILED, false},
        {"folder for reading", m_folder.Path("folder"), KST_OPEN_READ, KST_ERR_ACCESS_DENIED,
         false},
        {"folder for writing", m_folder.Path("folder"), KST_OPEN_WRITE, KST_ERR_ACCESS_DENIED,
         false},
        {"read-only file for writing", m_folder.Path("locked.bin"), KST_OPEN_WRITE,
         KST_ERR_ACCESS_DENIED, true},
        {"read-only file for update", m_folder.Path("locked.bin"), KST_OPEN_READ_WRITE,
         KST_ERR_ACCESS_DENIED, true},
        {"read-only file for reading", m_folder.Path("locked.bin"), KST_OPEN_READ, KST_OK, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsPermissions && !ReadOnlyIsEnforced(m_folder.Native("locked.bin"))) {
            continue;
        }
        CKSTDataFile stream;
        ASSERT_EQ(KST_OK, stream.Open(m_folder.Path("data.bin"), KST_OPEN_READ));
        EXPECT_EQ(c.expect, stream.Open(c.path, c.mode));
        EXPECT_EQ(c.expect == KST_OK, stream.IsOpen());
        if (c.expect != KST_OK) {
            EXPECT_EQ(0, stream.GetPath().GetLength());
            EXPECT_TRUE(stream.IsEOF());
            uint8_t byte;
            EXPECT_EQ(0u, stream.Read(&byte, 1));
        }
    }
}

TEST_F(FileStreamTest, SlashesBecomeBackslashes)
{
    m_folder.WriteFile("a/b.qld", "x");
    std::string path = m_folder.Native("a/b.qld").string();
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    CKSTDataFile stream;
    ASSERT_EQ(KST_OK, stream.Open(path.c_str(), KST_OPEN_READ));
    EXPECT_EQ(-1, stream.GetPath().Find('/'));
    EXPECT_GE(stream.GetPath().Find('\\'), 0);
}

TEST_F(FileStreamTest, DestructorAndReopeningCloseTheFile)
{
    const CKSTString first = m_folder.Path("first.bin");
    const CKSTString second = m_folder.Path("second.bin");
    {
        CKSTDataFile stream;
        ASSERT_EQ(KST_OK, stream.Open(first, KST_OPEN_WRITE));
        stream.WriteString("hello");
        ASSERT_EQ(KST_OK, stream.Open(second, KST_OPEN_WRITE));
        stream.WriteString("world!");
    }
    EXPECT_EQ(5, GetFileSize64(first));
    EXPECT_EQ(6, GetFileSize64(second));
}

// Format classes reopen their file by the path the stream holds.
class ReopeningFile : public CKSTDataFile {
public:
    int Reopen(uint32_t mode) { return Open(m_path, mode); }
};

TEST_F(FileStreamTest, ReopenByOwnPath)
{
    m_folder.WriteFile("own.bin", "abc");
    ReopeningFile stream;
    ASSERT_EQ(KST_OK, stream.Open(m_folder.Path("own.bin"), KST_OPEN_READ));
    const CKSTString path = stream.GetPath();
    ASSERT_EQ(KST_OK, stream.Reopen(KST_OPEN_APPEND));
    EXPECT_EQ(Text(path), Text(stream.GetPath()));
    EXPECT_EQ(3, stream.GetSize());
}

TEST_F(FileStreamTest, AppendAndUpdateModes)
{
    const CKSTString path = m_folder.Path("modes.bin");
    CKSTDataFile stream;
    ASSERT_EQ(KST_OK, stream.Open(path, KST_OPEN_WRITE));
    stream.WriteString("abc");
    ASSERT_EQ(KST_OK, stream.Open(path, KST_OPEN_APPEND));
    stream.WriteString("de");
    ASSERT_EQ(KST_OK, stream.Open(path, KST_OPEN_READ_WRITE));
    CKSTString text;
    ASSERT_EQ(KST_OK, stream.ReadString(text, 2));
    stream.WriteString("XY");  // reading then writing an update stream
    EXPECT_EQ(5, stream.GetSize());
    ASSERT_EQ(KST_OK, stream.LoadFileToMemory());
    EXPECT_EQ("abXYe", Contents(stream.GetMemoryBuffer()));
    ASSERT_EQ(KST_OK, stream.Close());

    ASSERT_EQ(KST_OK, stream.Open(path, KST_OPEN_WRITE));
    EXPECT_EQ(KST_OK, stream.SaveMemoryToFile());
    EXPECT_EQ(KST_OK, stream.Close());
    EXPECT_EQ(5, GetFileSize64(path));
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, stream.LoadFileToMemory());
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, stream.SaveMemoryToFile());
    EXPECT_EQ(KST_ERR_SHORT_TRANSFER, stream.GetSize());
}

TEST_F(FileStreamTest, SizesBeyondFourGigabytesAreKeptWhole)
{
    // Sparse: the file system stores no data for it.
    const uint64_t size = (uint64_t{5} << 30) + 7;
    m_folder.WriteFile("huge.bin", "");
    std::filesystem::resize_file(m_folder.Native("huge.bin"), size);
    const CKSTString path = m_folder.Path("huge.bin");
    EXPECT_EQ(static_cast<int64_t>(size), GetFileSize64(path));

    CKSTDataFile stream;
    ASSERT_EQ(KST_OK, stream.Open(path, KST_OPEN_READ));
    EXPECT_EQ(static_cast<int64_t>(size), stream.GetSize());
    EXPECT_EQ(KST_ERR_TOO_LARGE, stream.LoadFileToMemory());
    EXPECT_EQ(0u, stream.GetMemoryBuffer().GetCapacity());
    CKSTString text;
    EXPECT_EQ(KST_ERR_TOO_LARGE, stream.ReadString(text, 0xFFFFFFF0u));
    EXPECT_EQ(0, text.GetLength());

    ASSERT_EQ(0, stream.Seek(static_cast<int64_t>(size) - 3, SEEK_SET));
    EXPECT_EQ(static_cast<int64_t>(size) - 3, stream.Tell());
    EXPECT_EQ(KST_OK, stream.ReadString(text, 3));
    EXPECT_EQ(std::string(3, '\0'), Text(text));
}

TEST_F(FileStreamTest, FileHelpers)
{
    m_folder.WriteFile("data.qld", Pattern(1234));
    m_folder.MakeFolder("sub");
    struct Case {
        const char* name;
        CKSTString path;
        bool exists;
        bool existsNotFolder;
        int64_t size;
    };
    const Case cases[] = {
        {"file", m_folder.Path("data.qld"), true, true, 1234},
        {"folder", m_folder.Path("sub"), true, false, 0},
        {"missing", m_folder.Path("none.qld"), false, false, KST_ERR_SHORT_TRANSFER},
        {"pattern matching the file", m_folder.Path("*.qld"), true, true, 1234},
        {"pattern matching nothing", m_folder.Path("*.kxd"), false, false, KST_ERR_SHORT_TRANSFER},
        {"empty path", "", false, false, KST_ERR_SHORT_TRANSFER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.exists, FileExists(c.path));
        EXPECT_EQ(c.existsNotFolder, FileExistsNotFolder(c.path));
        if (!c.exists || c.existsNotFolder) {
            EXPECT_EQ(c.size, GetFileSize64(c.path));
        }
    }
}

TEST_F(FileStreamTest, WriteTimeIsLocalWholeSeconds)
{
    m_folder.WriteFile("dated.bin", "x");
    const std::string native = m_folder.Native("dated.bin").string();
    const time_t when = 1610706030;  // 2021-01-15 10:20:30 UTC
    utimbuf times{when, when};
    ASSERT_EQ(0, utime(native.c_str(), &times));

    const std::tm* local = std::localtime(&when);
    ASSERT_NE(nullptr, local);
    const CKSTTimeStamp expected(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                                 local->tm_hour, local->tm_min, local->tm_sec);
    CKSTDataFile stream;
    ASSERT_EQ(KST_OK, stream.Open(m_folder.Path("dated.bin"), KST_OPEN_READ));
    EXPECT_EQ(expected.GetSerialDays(), stream.GetWriteTime().GetSerialDays());
    EXPECT_EQ(0.0, stream.GetWriteTime().GetFraction());
    EXPECT_EQ(0.0, GetFileWriteTime(m_folder.Path("missing.bin")).GetSerialDays());
}

}  // namespace
