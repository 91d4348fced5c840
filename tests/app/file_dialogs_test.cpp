#include <gtest/gtest.h>

#include <string>

#include "app/FileDialogs.h"

namespace {

TEST(FileDialogs, OpenAndAppendFiltersInBothLanguages)
{
    struct Case {
        const std::vector<KstFileFilter>& filters;
        const char* first;
        const char* ascii;
        const char* matlab;
        const char* last;
    };
    const Case cases[] = {
        {KstOpenFilters(true), "All supported datatypes", "ASCII files (*csv, *.txt, *.asc, *.log)",
         "MatLab files (*.mat, *.fig)", "All Files (*.*)"},
        {KstOpenFilters(false), "Alle Dateiformate", "ASCII Dateien (*csv, *.txt, *.asc, *.log)",
         "MatLab Dateien (*.mat, *.fig)", "Alle Dateien (*.*)"},
        {KstAppendFilters(true), "All supported datatypes",
         "ASCII Files (*.csv, *.txt, *.asc, *.log)", "MATLAB Files (*.mat, *.fig)",
         "All Files (*.*)"},
        {KstAppendFilters(false), "Alle Dateiformate", "ASCII Dateien (*.csv, *.txt, *.asc, *.log)",
         "MATLAB Dateien (*.mat, *.fig)", "Alle Dateien (*.*)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first + std::string(" / ") + c.ascii);
        ASSERT_EQ(c.filters.size(), 12u);
        EXPECT_STREQ(c.filters[0].text, c.first);
        EXPECT_STREQ(c.filters[0].pattern,
                     "*.qld;*.dat;*.raw;*.kxd;*.zrw;*.wav;*.txt;*.asc;*.log;*.csv;*.ddf;*.ddb;"
                     "*.mat;*.fig;*.bbl;*.dbl;*.flt");
        EXPECT_STREQ(c.filters[4].text, c.ascii);
        EXPECT_STREQ(c.filters[4].pattern, "*.csv;*.txt;*.asc;*.log");
        EXPECT_STREQ(c.filters[7].text, c.matlab);
        EXPECT_STREQ(c.filters[7].pattern, "*.mat;*.fig");
        EXPECT_STREQ(c.filters[11].text, c.last);
        EXPECT_STREQ(c.filters[11].pattern, "*.*");
    }
    EXPECT_STREQ(KstOpenFilters(false)[2].text, "ZRW Datei Format (*.zrw)");
    EXPECT_STREQ(KstAppendFilters(false)[2].text, "ZRW Dateiformat (*.zrw)");
}

TEST(FileDialogs, FilterStringPairsTextAndPatternAndEndsTwice)
{
    EXPECT_STREQ(KstFilterString({{"A (*.a)", "*.a"}, {"All", "*.*"}}).c_str(),
                 "A (*.a)|*.a|All|*.*||");
    const std::string saveAs = KstFilterString(KstSaveAsFilters()).c_str();
    EXPECT_EQ(saveAs.rfind("Talvenor (*.qld)|*.qld|DASYLab (*.ddf)|*.ddf|", 0), 0u) << saveAs;
    EXPECT_NE(saveAs.find("|UDBF (*.dat)|*.dat|Halvik (*.bbl)|*.bbl|16Bit-WAVE (*.wav)|*.wav|"),
              std::string::npos);
    EXPECT_EQ(saveAs.substr(saveAs.size() - 21), "All Files (*.*)|*.*||");
}

TEST(FileDialogs, SaveWritesInPlaceOnlyForFormatsItWritesBack)
{
    const struct {
        const char* path;
        bool inPlace;
    } cases[] = {
        {"C:\\d\\run.qld", true},
        {"C:\\d\\RUN.QLD", true},
        {"C:\\d\\run.zrw", true},
        {"C:\\d\\run.dat", true},
        {"C:\\d\\run.ddf", true},
        {"C:\\d\\run.mat", true},
        {"C:\\d\\run.wav", true},
        {"C:\\d\\run.bbl", true},
        {"C:\\d\\run.csv", false},
        {"C:\\d\\run.kxd", false},
        {"C:\\d\\run.ddb", false},
        {"", false},
        {"qld", true},  // three characters are the whole tail
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KstSavesInPlace(c.path), c.inPlace) << c.path;
    }
}

TEST(FileDialogs, SaveAsStartsFromTheCurrentPath)
{
    const struct {
        const char* path;
        const char* initialName;
        int filterIndex;
        const char* extension;
    } cases[] = {
        {"C:\\d\\run.csv", "C:\\d\\run", 8, "csv"},
        {"C:\\d\\run.qld", "C:\\d\\run", 1, "qld"},
        {"C:\\d\\run.KXD", "C:\\d\\run", 1, "kxd"},
        {"C:\\d\\run.zrw", "C:\\d\\run", 1, "zrw"},
        {"C:\\d\\run.ddf", "C:\\d\\run", 2, "ddb"},
        {"C:\\d\\run.ddb", "C:\\d\\run", 2, "ddb"},
        {"C:\\d\\run.dat", "C:\\d\\run", 3, "dat"},
        {"C:\\d\\run.fig", "C:\\d\\run", 4, "mat"},
        {"C:\\d\\run.mat", "C:\\d\\run", 4, "mat"},
        {"C:\\d\\run.bbl", "C:\\d\\run", 6, "bbl"},
        {"C:\\d\\run.wav", "C:\\d\\run", 7, "wav"},
        {"C:\\d\\run.txt", "C:\\d\\run", 0, "qld"},
        {"", "", 0, "qld"},
        {"a.b", "a.b", 0, "qld"},  // shorter than four characters: kept whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const KstSaveAsStart start = KstSaveAsStartFor(c.path);
        EXPECT_STREQ(start.initialName.c_str(), c.initialName);
        EXPECT_EQ(start.filterIndex, c.filterIndex);
        EXPECT_STREQ(start.defaultExtension.c_str(), c.extension);
    }
}

TEST(FileDialogs, SaveAsFilterGivesTheFileType)
{
    const int expected[] = {1, 1, 5, 4, 6, 7, 12, 9, 3, 13, 14, 15, 1, 1};
    for (int index = 0; index <= 13; ++index) {
        EXPECT_EQ(KstSaveAsFileType(index), expected[index]) << "filter " << index;
    }
    EXPECT_EQ(KstSaveAsFileType(-1), KST_FILE_NATIVE);
    // "All Files" is the twelfth and saves natively.
    EXPECT_STREQ(KstSaveAsFilters()[11].text, "All Files (*.*)");
}

TEST(FileDialogs, FolderIsTheTextBeforeTheLastBackslash)
{
    EXPECT_STREQ(KstFolderOf("C:\\data\\sub\\run.qld").c_str(), "C:\\data\\sub");
    EXPECT_STREQ(KstFolderOf("C:\\run.qld").c_str(), "C:");
    EXPECT_STREQ(KstFolderOf("run.qld").c_str(), "");
}

}  // namespace
