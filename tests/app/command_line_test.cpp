#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

struct SettingsFile {
    bool all;
    std::string path;
};

struct CommandLineCase {
    const char* line;
    int32_t sourceKind;
    const char* address;
    int32_t bufferMode;
    double backView;
    // After mapping the data source over stored values of type 1, index 5, read mode 1.
    int32_t bufferType;
    int32_t bufferIndex;
    int32_t readMode;
    std::vector<SettingsFile> settingsFiles;
    const char* processSettings;
    const char* collected;
};

const CommandLineCase kCases[] = {
    // A quoted document alone is no keyword: it is collected as typed, to be opened.
    {"\"C:\\Data\\run 1.qld\"", 0, "", 0, 0.0, 1, 5, 1, {}, "", "\"C:\\Data\\run 1.qld\" "},
    {"a.qld b.qld", 0, "", 0, 0.0, 1, 5, 1, {}, "", "a.qld b.qld "},
    {"/ONLCTRL 192.168.1.5", 4, "192.168.1.5", 1, 0.0, 0, -1, 0, {}, "", ""},
    {"/ONLCTRL 192.168.1.5:3600", 4, "192.168.1.5", 2, -3600.0, 0, -1, 0, {}, "", ""},
    {"/ONLCTRL 192.168.1.5 :  0", 4, "192.168.1.5", 0, 0.0, 0, -1, 0, {}, "", ""},
    {"/onlctrl host.example: 0.5", 4, "HOST.EXAMPLE", 2, -0.5, 0, -1, 0, {}, "", ""},
    {"/ONLQVANE 10.0.0.7 /DATASOURCE LOGGER:2:NONERASING", 1, "10.0.0.7", 1, 0.0, 1, 2, 1, {},
     "", ""},
    {"/DATASOURCE LOGGER : 2 : NONERASING /ONLQVANE 10.0.0.7", 1, "10.0.0.7", 1, 0.0, 1, 2, 1,
     {}, "", ""},
    {"/ONLCTRL 10.0.0.1 /DATASOURCE CIRCLEBUFFER:1:NONERASING", 4, "10.0.0.1", 1, 0.0, 0, 1, 0,
     {}, "", ""},
    {"/ONLCTRL 10.0.0.1 /DATASOURCE POST_PROCESS_BUFFER:3", 4, "10.0.0.1", 1, 0.0, 2, 3, 0, {},
     "", ""},
    // A type that is none of the three keeps the stored type, index and read mode.
    {"/DATASOURCE RING:3:NONERASING /ONLCTRL 10.0.0.1", 4, "10.0.0.1", 1, 0.0, 1, 5, 1, {}, "",
     ""},
    // The last connect keyword wins; the collected text stays but is not opened then.
    {"x.qld /ONLCTRL 10.0.0.1 /ONLQVANE 10.0.0.2", 1, "10.0.0.2", 1, 0.0, 0, -1, 0, {}, "",
     "x.qld  "},  // the token keeps its blank before the "/"
    // The word after NOREG in the same token is dropped, whatever the spelling.
    {"/noreg C:\\x.qld", 0, "", 0, 0.0, 1, 5, 1, {}, "", ""},
    {"/NoReg C:\\x.qld /y.qld", 0, "", 0, 0.0, 1, 5, 1, {}, "", "y.qld "},
    {"/SETTINGS \"c:\\s\\disp.qld\" /SETTINGSALL c:\\s\\all.qld /PWIN \"C:\\p\\proc.qlp\"", 0, "", 0,
     0.0, 1, 5, 1, {{false, "C:\\S\\DISP.QLD"}, {true, "C:\\S\\ALL.QLD"}}, "C:\\P\\PROC.QLP", ""},
    // Umlauts of code page 1252 are upper-cased too.
    {"/settings c:\\m\xfc" "ll.qld", 0, "", 0, 0.0, 1, 5, 1, {{false, "C:\\M\xdcLL.QLD"}}, "", ""},
    {"///", 0, "", 0, 0.0, 1, 5, 1, {}, "", ""},
};

TEST(CommandLineKeywords, ParsesEveryKindOfLine)
{
    for (const CommandLineCase& c : kCases) {
        SCOPED_TRACE(c.line);
        const KstCommandLineRequest request = KstParseCommandLineKeywords(c.line);
        EXPECT_EQ(request.sourceKind, c.sourceKind);
        EXPECT_STREQ(request.address.c_str(), c.address);
        if (c.sourceKind != 0) {
            EXPECT_EQ(request.bufferMode, c.bufferMode);
            EXPECT_DOUBLE_EQ(request.backView, c.backView);
        }
        int32_t type = 1;
        int32_t index = 5;
        int32_t readMode = 1;
        KstMapDataSource(request, type, index, readMode);
        if (c.sourceKind != 0) {
            EXPECT_EQ(type, c.bufferType);
            EXPECT_EQ(index, c.bufferIndex);
            EXPECT_EQ(readMode, c.readMode);
        }
        ASSERT_EQ(request.settingsFiles.size(), c.settingsFiles.size());
        for (size_t i = 0; i < c.settingsFiles.size(); ++i) {
            EXPECT_EQ(request.settingsFiles[i].all, c.settingsFiles[i].all);
            EXPECT_STREQ(request.settingsFiles[i].path.c_str(), c.settingsFiles[i].path.c_str());
        }
        EXPECT_STREQ(request.processSettingsPath.c_str(), c.processSettings);
        EXPECT_STREQ(request.collectedText.c_str(), c.collected);
    }
}

TEST(CommandLineKeywords, SourceFlagsAndDefaults)
{
    const KstCommandLineRequest none = KstParseCommandLineKeywords("");
    EXPECT_STREQ(none.bufferTypeText.c_str(), "CIRCLEBUFFER");
    EXPECT_EQ(none.bufferIndex, -1);
    EXPECT_STREQ(none.readModeText.c_str(), "ERASING");
    EXPECT_FALSE(none.pipeSource);
    EXPECT_FALSE(none.serialBusSource);

    const KstCommandLineRequest both = KstParseCommandLineKeywords("/em1 /VEMTA");
    EXPECT_TRUE(both.pipeSource);
    EXPECT_TRUE(both.serialBusSource);
    EXPECT_STREQ(both.collectedText.c_str(), "");
}

TEST(FileNames, SplitsQuotedAndPlainNames)
{
    const std::vector<CKSTString> names =
        KstSplitFileNames("  \"C:\\My Data\\b.qld\" a.qld\t\r\n\"c d.qld\"  e.qld \"open");
    ASSERT_EQ(names.size(), 5u);
    EXPECT_STREQ(names[0].c_str(), "C:\\My Data\\b.qld");
    EXPECT_STREQ(names[1].c_str(), "a.qld\t\r\n\"c");
    EXPECT_STREQ(names[2].c_str(), "d.qld\"");
    EXPECT_STREQ(names[3].c_str(), "e.qld");
    EXPECT_STREQ(names[4].c_str(), "open");
}

TEST(FileNames, QuotedNamesWithBlanksKeepTheirOrderAfterSorting)
{
    std::vector<CKSTString> names =
        KstSplitFileNames("\"c d.qld\" abc.qld \"ab.qld\" \"C:\\x y.qld\" \xe4.qld");
    KstSortFileNames(names);
    ASSERT_EQ(names.size(), 5u);
    // Signed bytes: 0xE4 is negative and sorts first; a proper prefix before the longer name.
    EXPECT_STREQ(names[0].c_str(), "\xe4.qld");
    EXPECT_STREQ(names[1].c_str(), "C:\\x y.qld");
    EXPECT_STREQ(names[2].c_str(), "ab.qld");
    EXPECT_STREQ(names[3].c_str(), "abc.qld");
    EXPECT_STREQ(names[4].c_str(), "c d.qld");
}

TEST(RecentLists, SettingsFilesKeepFiveNewestWithoutSearching)
{
    std::vector<CKSTString> files;
    for (const char* name : {"1.qls", "2.qls", "3.qls", "4.qls", "5.qls", "3.qls"}) {
        KstPushSettingsFile(files, name);
    }
    ASSERT_EQ(files.size(), 5u);
    EXPECT_STREQ(files[0].c_str(), "3.qls");
    EXPECT_STREQ(files[1].c_str(), "5.qls");
    EXPECT_STREQ(files[3].c_str(), "3.qls");
    EXPECT_STREQ(files[4].c_str(), "2.qls");  // 1.qls fell off
}

TEST(RecentLists, PromoteMovesTheSourceFirstAndDropsItsCopies)
{
    std::vector<CKSTString> sources{"a", "b", "c", "b"};
    KstPromoteRecentSource(sources, "b");
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_STREQ(sources[0].c_str(), "b");
    EXPECT_STREQ(sources[1].c_str(), "a");
    EXPECT_STREQ(sources[2].c_str(), "c");
    KstPromoteRecentSource(sources, "B");  // case counts
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_STREQ(sources[0].c_str(), "B");
}

}  // namespace
