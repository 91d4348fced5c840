#include "data/KeyFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

#ifdef _WIN32
constexpr char kEndlessDevice[] = "Z:\\dev\\zero";
#else
constexpr char kEndlessDevice[] = "/dev/zero";
#endif

std::string Text(const CKSTString& s)
{
    return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CKSTString Str(const std::string& s)
{
    CKSTString out;
    if (!s.empty()) {
        out.Assign(s.data(), static_cast<int>(s.size()));
    }
    return out;
}

// Entry name of a key below nested sections.
std::string Key(std::initializer_list<const char*> levels)
{
    std::string name;
    for (const char* level : levels) {
        if (!name.empty()) {
            name += '\x1D';
        }
        name += level;
    }
    return name;
}

Entries EntriesOf(const CKSTHeaderInfoList& list)
{
    Entries entries;
    for (int i = 0; i < list.GetCount(true); ++i) {
        const CKSTHeaderInfoItem& item = list.GetItem(i);
        EXPECT_EQ(KST_HIT_STRING, item.m_type);
        entries.emplace_back(Text(item.m_name), Text(item.GetValueText()));
    }
    return entries;
}

CKSTMemBuffer BufferOf(const std::string& text)
{
    CKSTMemBuffer buffer;
    buffer.Write(text.data(), 1, static_cast<uint32_t>(text.size()));
    return buffer;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(KeyFileParse, LinesSectionsAndComments)
{
    struct Case {
        const char* name;
        std::string text;
        bool stripComments;
        int result;
        Entries entries;
    };
    const Case cases[] = {
        {"comment after a value", "Key = Value # note\n", true, KST_OK, {{"Key", "Value"}}},
        {"slash comment", "Key=Value// note\n", true, KST_OK, {{"Key", "Value"}}},
        {"earlier of both markers",
         "A=1 // x # y\nB=2 # x // y\n",
         true,
         KST_OK,
         {{"A", "1"}, {"B", "2"}}},
        {"comment inside quotes keeps the line whole",
         "Title = say \"a # b\" now\n",
         true,
         KST_OK,
         {{"Title", "say \"a # b\" now"}}},
        {"unclosed quote does not protect",
         "Title = say \"a # b\n",
         true,
         KST_OK,
         {{"Title", "say \"a"}}},
        {"comment after a quoted value keeps the quotes",
         "Title=\"a\" # b\n",
         true,
         KST_OK,
         {{"Title", "\"a\""}}},
        {"quoted value with a comment marker kept whole",
         "Name=\"a#b\"\nPath = \"//x\"\n",
         true,
         KST_OK,
         {{"Name", "\"a#b\""}, {"Path", "\"//x\""}}},
        {"quoted blanks stay, quotes and all", "T=\" a \"\n", true, KST_OK, {{"T", "\" a \""}}},
        {"comments kept when not stripped", "Key=a#b//c\n", false, KST_OK, {{"Key", "a#b//c"}}},
        {"whole-line comment", "# heading\nKey=1\n", true, KST_OK, {{"Key", "1"}}},
        {"blank and white-space lines", "\n   \n\t\nKey=1\n", true, KST_OK, {{"Key", "1"}}},
        {"first equals sign splits", "a = b=c\n", true, KST_OK, {{"a", "b=c"}}},
        {"empty value", "a=\n", true, KST_OK, {{"a", ""}}},
        {"later line replaces", "a=1\nb=2\na=3\n", true, KST_OK, {{"a", "3"}, {"b", "2"}}},
        {"crlf line ends", "[S]\r\na=1\r\n", true, KST_OK, {{Key({"S", "a"}), "1"}}},
        {"last line without line end", "a=1\nb=2", true, KST_OK, {{"a", "1"}, {"b", "2"}}},
        {"nested section", "[A|B]\nKey=1\n", true, KST_OK, {{Key({"A", "B", "Key"}), "1"}}},
        {"keys before the first section",
         "x=0\n[S]\ny=1\n",
         true,
         KST_OK,
         {{"x", "0"}, {Key({"S", "y"}), "1"}}},
        {"empty header returns to no section",
         "[S]\na=1\n[]\nb=2\n",
         true,
         KST_OK,
         {{Key({"S", "a"}), "1"}, {"b", "2"}}},
        {"single backslashes stay",
         "Path=C:\\data\\x.ini\n",
         true,
         KST_OK,
         {{"Path", "C:\\data\\x.ini"}}},
        {"backslash continues a line", "Key=ab\\\ncd\n", true, KST_OK, {{"Key", "abcd"}}},
        {"include kept as entry when not allowed",
         "INCLUDE=x.ini\n",
         true,
         KST_OK,
         {{"INCLUDE", "x.ini"}}},
        {"line starting with equals", "a=1\n=5\nb=2\n", true, KST_ERR_MALFORMED_LINE, {{"a", "1"}}},
        {"line without equals", "a=1\nnothing here\n", true, KST_ERR_MALFORMED_LINE, {{"a", "1"}}},
        {"unterminated header", "[S\n", true, KST_ERR_MALFORMED_LINE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTKeyFile file;
        file.SetMemory(BufferOf(c.text));
        ASSERT_EQ(KST_OK, file.OpenMemoryRead());
        CKSTHeaderInfoList list;
        list.SetString("stale", "x");
        EXPECT_EQ(c.result, file.Parse(list, c.stripComments, false));
        EXPECT_EQ(c.entries, EntriesOf(list));
    }
}

TEST(KeyFileParse, NotOpenEmptiesTheListAndFails)
{
    CKSTKeyFile file;
    CKSTHeaderInfoList list;
    list.SetString("stale", "x");
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, file.Parse(list, true, true));
    EXPECT_EQ(0, list.GetCount(true));
}

TEST(KeyFileParse, LoadFromMemoryBuffer)
{
    CKSTKeyFile file;
    CKSTHeaderInfoList list;
    EXPECT_EQ(KST_OK, file.Load(list, BufferOf("[GENERAL]\nType=MK172006 # model\n"), true));
    EXPECT_EQ((Entries{{Key({"GENERAL", "Type"}), "MK172006"}}), EntriesOf(list));
    EXPECT_FALSE(file.IsOpen());

    list.SetString("stale", "x");
    EXPECT_EQ(KST_OK, file.Load(list, CKSTMemBuffer(), true));
    EXPECT_EQ(0, list.GetCount(true));

    EXPECT_EQ(KST_ERR_MALFORMED_LINE, file.Load(list, BufferOf("a=1\nbad\n"), true));
    EXPECT_EQ((Entries{{"a", "1"}}), EntriesOf(list));
}

TEST(KeyFileParse, ReadLineReportsTheEnd)
{
    CKSTKeyFile file;
    file.SetMemory(BufferOf("one\n\ntwo"));
    ASSERT_EQ(KST_OK, file.OpenMemoryRead());
    CKSTString line;
    EXPECT_EQ(KST_OK, file.ReadLine(line));
    EXPECT_EQ("one", Text(line));
    EXPECT_EQ(KST_OK, file.ReadLine(line));
    EXPECT_EQ("", Text(line));
    EXPECT_EQ(KST_OK, file.ReadLine(line));
    EXPECT_EQ("two", Text(line));
    EXPECT_EQ(KST_ERR_END_OF_DATA, file.ReadLine(line));
}

TEST(KeyFileText, StripComment)
{
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"Key = Value # note", "Key = Value"},
        {"Key = Value // note", "Key = Value"},
        {"a // b # c", "a"},
        {"Key=\"a # b\"", "Key=\"a # b\""},
        {"Key=\"a\" \"b # c\" d", "Key=\"a\" \"b # c\" d"},
        {"Key=\"a\" # \"b\"", "Key=\"a\""},
        {"Key=\"a # b", "Key=\"a"},
        {"# only", ""},
        {"no comment", "no comment"},
        {"http:/x/", "http:/x/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CKSTString line = c.line;
        CKSTKeyFile::StripComment(line);
        EXPECT_EQ(c.expected, Text(line));
    }
}

TEST(KeyFileText, SectionAndKeyOfAName)
{
    struct Case {
        std::string name;
        const char* section;
        const char* key;
    };
    const Case cases[] = {
        {Key({"PLOT_000", "MARKER_001", "Type"}), "PLOT_000|MARKER_001", "Type"},
        {Key({"WINDOW", "Style"}), "WINDOW", "Style"},
        {"Plain", "", "Plain"},
        {Key({"S", ""}), "S", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.section, Text(CKSTKeyFile::GetSectionOfKey(Str(c.name))));
        EXPECT_EQ(c.key, Text(CKSTKeyFile::GetKeyName(Str(c.name))));
    }
}

class KeyFileOnDisk : public ::testing::Test {
protected:
    CKSTString Write(const std::string& name, const std::string& text)
    {
        m_folder.WriteFile(name, text);
        return m_folder.Path(name);
    }

    int ParseFile(const CKSTString& path, CKSTHeaderInfoList& list, bool includes = true)
    {
        CKSTKeyFile file;
        EXPECT_EQ(KST_OK, file.Open(path, KST_OPEN_READ));
        const int result = file.Parse(list, true, includes);
        EXPECT_TRUE(file.IsOpen());
        EXPECT_EQ(static_cast<uint32_t>(KST_OPEN_READ), file.GetMode());
        return result;
    }

    TempFolder m_folder;
};

TEST_F(KeyFileOnDisk, ParsedFileIsOpenForReadingAgain)
{
    const CKSTString path = Write("plain.ini", "[S]\na=1\n");
    CKSTKeyFile file;
    ASSERT_EQ(KST_OK, file.Open(path, KST_OPEN_READ));
    CKSTHeaderInfoList list;
    ASSERT_EQ(KST_OK, file.Parse(list, true, true));
    EXPECT_EQ((Entries{{Key({"S", "a"}), "1"}}), EntriesOf(list));
    // The stream starts over, so a second parse reads the same.
    ASSERT_EQ(KST_OK, file.Parse(file.GetList(), true, true));
    EXPECT_EQ(EntriesOf(list), EntriesOf(file.GetList()));
}

TEST_F(KeyFileOnDisk, IncludedLinesInheritAndSetTheSection)
{
    const CKSTString style = Write("style.ini", "Style=2\n[OTHER]\nInner=1");
    const CKSTString main = Write("main.ini", "[WINDOW]\ninclude = " + Text(style) + "\nAfter=3\n");
    CKSTHeaderInfoList list;
    EXPECT_EQ(KST_OK, ParseFile(main, list));
    EXPECT_EQ((Entries{{Key({"WINDOW", "Style"}), "2"},
                       {Key({"OTHER", "Inner"}), "1"},
                       {Key({"OTHER", "After"}), "3"}}),
              EntriesOf(list));
}

TEST_F(KeyFileOnDisk, IncludesThatCannotBeReadAgainAreSkipped)
{
    struct Case {
        const char* name;
        const char* file;
        std::string text;
        Entries entries;
    };
    const std::string self = Text(m_folder.Path("self.ini"));
    const std::string a = Text(m_folder.Path("a.ini"));
    const std::string b = Text(m_folder.Path("b.ini"));
    Write("b.ini", "FromB=1\nINCLUDE=" + a + "\nAfterB=1\n");
    const Case cases[] = {
        {"missing file",
         "a.ini",
         "x=1\nINCLUDE=" + Text(m_folder.Path("none.ini")) + "\ny=2\n",
         {{"x", "1"}, {"y", "2"}}},
        {"file including itself",
         "self.ini",
         "x=1\nINCLUDE=" + self + "\ny=2\n",
         {{"x", "1"}, {"y", "2"}}},
        {"cycle of two files",
         "a.ini",
         "FromA=1\nINCLUDE=" + b + "\nAfterA=1\n",
         {{"FromA", "1"}, {"FromB", "1"}, {"AfterB", "1"}, {"AfterA", "1"}}},
        // A device never ends; reading it would never finish.
        {"endless device",
         "dev.ini",
         "x=1\nINCLUDE=" + std::string(kEndlessDevice) + "\ny=2\n",
         {{"x", "1"}, {"y", "2"}}},
        {"folder",
         "folder.ini",
         "x=1\nINCLUDE=" + Text(m_folder.Path("")) + "\ny=2\n",
         {{"x", "1"}, {"y", "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTHeaderInfoList list;
        EXPECT_EQ(KST_OK, ParseFile(Write(c.file, c.text), list));
        EXPECT_EQ(c.entries, EntriesOf(list));
    }
}

TEST_F(KeyFileOnDisk, IncludeDepthIsLimited)
{
    // Chains of distinct files: file i sets key i and includes file i + 1.
    const auto makeChain = [&](const std::string& prefix, size_t files) {
        for (size_t i = 0; i < files; ++i) {
            std::string text = "k" + std::to_string(i) + "=1\n";
            if (i + 1 < files) {
                text += "INCLUDE=" + Text(m_folder.Path(prefix + std::to_string(i + 1))) + "\n";
            }
            Write(prefix + std::to_string(i), text);
        }
        return m_folder.Path(prefix + "0");
    };
    CKSTHeaderInfoList list;
    EXPECT_EQ(KST_OK, ParseFile(makeChain("ok", CKSTKeyFile::kMaxIncludeDepth + 1), list));
    EXPECT_EQ(static_cast<int>(CKSTKeyFile::kMaxIncludeDepth + 1), list.GetCount(true));

    EXPECT_EQ(KST_ERR_INCLUDE_TOO_DEEP,
              ParseFile(makeChain("deep", CKSTKeyFile::kMaxIncludeDepth + 2), list));
    EXPECT_EQ(static_cast<int>(CKSTKeyFile::kMaxIncludeDepth + 1), list.GetCount(true));
}

TEST_F(KeyFileOnDisk, IncludesAreBoundedInCountAndBytes)
{
    // Sixteen files that each include the next three times would take 3^15 reads.
    for (int i = 0; i < 16; ++i) {
        std::string text = "k" + std::to_string(i) + "=1\n";
        if (i < 15) {
            const std::string next = Text(m_folder.Path("fan" + std::to_string(i + 1)));
            for (int k = 0; k < 3; ++k) {
                text += "INCLUDE=" + next + "\n";
            }
        }
        Write("fan" + std::to_string(i), text);
    }
    CKSTHeaderInfoList list;
    EXPECT_EQ(KST_ERR_TOO_LARGE, ParseFile(m_folder.Path("fan0"), list));
    EXPECT_EQ(16, list.GetCount(true));  // what was read before the limit stays

    // Each include alone is small enough, together they are not.
    std::string lines;
    for (int i = 0; i < 7 << 10; ++i) {
        lines += "v=" + std::string(1021, 'x') + "\n";
    }
    const std::string big = Text(Write("big.ini", lines));
    EXPECT_EQ(KST_OK,
              ParseFile(Write("twice.ini", "INCLUDE=" + big + "\nINCLUDE=" + big + "\n"), list));
    EXPECT_EQ(KST_ERR_TOO_LARGE, ParseFile(Write("thrice.ini", "INCLUDE=" + big + "\nINCLUDE=" +
                                                                   big + "\nINCLUDE=" + big + "\n"),
                                           list));
}

TEST(KeyFileWrite, GroupsEntriesBySection)
{
    struct Case {
        const char* name;
        Entries entries;
        bool crlf;
        std::string text;
    };
    const Case cases[] = {
        {"sections in order of first use",
         {{Key({"A", "x"}), "1"}, {Key({"B", "y"}), "2"}, {Key({"A", "z"}), "3"}},
         false,
         "\n[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
        {"keys without a section as plain lines", {{"p", "1"}, {"q", "2"}}, false, "p=1\nq=2\n"},
        {"keys without a section come first",
         {{Key({"A", "x"}), "1"}, {"p", "2"}},
         false,
         "p=2\n\n[A]\nx=1\n"},
        {"nested section",
         {{Key({"PLOT_000", "LIMIT_000", "Value"}), "2.5"}},
         true,
         "\r\n[PLOT_000|LIMIT_000]\r\nValue=2.5\r\n"},
        {"backslashes doubled", {{"Path", "C:\\x\\"}}, false, "Path=C:\\\\x\\\\\n"},
        {"values as they stand", {{"T", "\"a\"b # c"}}, false, "T=\"a\"b # c\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTHeaderInfoList list;
        for (const auto& [name, value] : c.entries) {
            list.SetString(Str(name), Str(value));
        }
        CKSTKeyFile file;
        ASSERT_EQ(KST_OK, file.OpenMemoryWrite());
        ASSERT_EQ(KST_OK, file.Write(list, c.crlf));
        CKSTMemBuffer written;
        file.GetMemory(written);
        EXPECT_EQ(c.text,
                  std::string(reinterpret_cast<const char*>(written.GetData()), written.GetSize()));
    }
}

// Sections used in turn, a key repeated within a section and across sections, plain entries
// between them: the bytes the writer has always given for them.
TEST(KeyFileWrite, SectionsInTurnWithRepeatedKeysKeepTheirBytes)
{
    const Entries entries = {
        {"top", "0"},           {Key({"A", "x"}), "1"}, {Key({"B", "x"}), "2"},
        {Key({"A", "y"}), "3"}, {"mid", "4"},           {Key({"C", "D", "x"}), "5"},
        {Key({"B", "x"}), "6"}, {Key({"A", "x"}), "7"}, {Key({"C", "x"}), "8"},
        {Key({"C", "D", "y"}), "9"}, {Key({"B", "z"}), "10"}, {Key({"a", "x"}), "11"},
    };
    CKSTHeaderInfoList list;
    for (size_t i = 0; i < entries.size(); ++i) {
        // Added under a name of its own, then renamed: the list keeps both entries of a name.
        const int at = list.SetString(Str("entry" + std::to_string(i)), Str(entries[i].second));
        ASSERT_GE(at, 0);
        list.GetItem(at).m_name = Str(entries[i].first);
    }
    const std::string lf =
        "top=0\nmid=4\n"
        "\n[A]\nx=1\ny=3\nx=7\n"
        "\n[B]\nx=2\nx=6\nz=10\n"
        "\n[C|D]\nx=5\ny=9\n"
        "\n[C]\nx=8\n"
        "\n[a]\nx=11\n";
    std::string crlf;
    for (const char c : lf) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    for (const bool useCrlf : {false, true}) {
        SCOPED_TRACE(useCrlf ? "crlf" : "lf");
        CKSTKeyFile file;
        ASSERT_EQ(KST_OK, file.OpenMemoryWrite());
        ASSERT_EQ(KST_OK, file.Write(list, useCrlf));
        CKSTMemBuffer written;
        file.GetMemory(written);
        EXPECT_EQ(useCrlf ? crlf : lf,
                  std::string(reinterpret_cast<const char*>(written.GetData()), written.GetSize()));
    }
}

TEST(KeyFileWrite, ValuesOfPlainLinesSurviveSaveAndReload)
{
    // Backslashes, quotes and the characters of the line syntax inside a value; what a plain line
    // cannot carry (surrounding blanks, comments) is the caller's to quote.
    const char* const values[] = {
        "C:\\data\\",
        "\\\\server\\share",
        "ends with \\",
        "a\\nb",
        "\\\\n",
        "\"quoted\"",
        "\"",
        "\"\"",
        "half\"",
        "",
        "=",
        "a=b",
        "[S]",
        "INCLUDE",
        "\\\"\\\"",
        "\"\\n\"",
    };
    CKSTHeaderInfoList list;
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
        const std::string key = "v" + std::to_string(i);
        list.SetString(Str(i % 2 == 0 ? key : Key({"S", "T", key.c_str()})), values[i]);
    }
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "crlf" : "lf");
        CKSTKeyFile file;
        ASSERT_EQ(KST_OK, file.OpenMemoryWrite());
        ASSERT_EQ(KST_OK, file.Write(list, crlf));
        CKSTMemBuffer written;
        file.GetMemory(written);

        CKSTHeaderInfoList reloaded;
        ASSERT_EQ(KST_OK, file.Load(reloaded, written, true));
        Entries expected = EntriesOf(list);
        Entries got = EntriesOf(reloaded);
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(expected, got);
    }
}

TEST(KeyFileWrite, StreamsThatCannotBeWritten)
{
    CKSTHeaderInfoList list;
    list.SetString("a", "1");
    CKSTKeyFile file;
    EXPECT_EQ(KST_ERR_FILE_NOT_OPEN, file.Write(list, false));
    file.SetMemory(BufferOf("a=0\n"));
    ASSERT_EQ(KST_OK, file.OpenMemoryRead());
    EXPECT_EQ(KST_ERR_NOT_OPEN_FOR_WRITING, file.Write(list, false));

    // A line break would split the entry: nothing is written.
    for (const char* broken : {"line1\nline2", "cr\r"}) {
        CKSTHeaderInfoList withBreak;
        withBreak.SetString("a", "1");
        withBreak.SetString("b", broken);
        CKSTKeyFile target;
        ASSERT_EQ(KST_OK, target.OpenMemoryWrite());
        EXPECT_EQ(KST_ERR_MALFORMED_LINE, target.Write(withBreak, false));
        CKSTMemBuffer written;
        target.GetMemory(written);
        EXPECT_EQ(0u, written.GetSize());
    }
}

TEST_F(KeyFileOnDisk, WrittenFileKeepsItsContent)
{
    const CKSTString path = m_folder.Path("out.ini");
    CKSTHeaderInfoList first;
    first.SetString(Str(Key({"A", "x"})), "1");
    CKSTHeaderInfoList second;
    second.SetString(Str(Key({"B", "y"})), "2");

    CKSTKeyFile file;
    ASSERT_EQ(KST_OK, file.Open(path, KST_OPEN_WRITE));
    ASSERT_EQ(KST_OK, file.Write(first, false));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ("\n[A]\nx=1\n", ReadBytes(m_folder.Native("out.ini")));
    // The stream stays usable: a second list lands behind the first.
    ASSERT_EQ(KST_OK, file.Write(second, false));
    ASSERT_EQ(KST_OK, file.Close());
    EXPECT_EQ("\n[A]\nx=1\n\n[B]\ny=2\n", ReadBytes(m_folder.Native("out.ini")));

    CKSTHeaderInfoList reloaded;
    EXPECT_EQ(KST_OK, ParseFile(path, reloaded));
    EXPECT_EQ((Entries{{Key({"A", "x"}), "1"}, {Key({"B", "y"}), "2"}}), EntriesOf(reloaded));
}

}  // namespace
