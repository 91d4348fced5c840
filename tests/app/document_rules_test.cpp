// The document's window-free file rules: save targets, the Save As preset, the lock entry and
// the numbers of the cut dialog.
#include <gtest/gtest.h>

#include <string>

#include "app/DocumentRules.h"
#include "data/MeasurementFile.h"

namespace {

TEST(SaveTargetTest, ExtensionAndFilterChooseTheWriter)
{
    struct Case {
        const char* path;
        int32_t fileType;
        KstSaveWriter writer;
        KstSaveCheck check;
        int32_t writtenType;
    };
    const Case cases[] = {
        {"C:\\d\\a.qld", 0, KstSaveWriter::Native, KstSaveCheck::None, KST_FILE_NATIVE},
        {"C:\\d\\a.KXD", 0, KstSaveWriter::Native, KstSaveCheck::None, KST_FILE_NATIVE},
        {"C:\\d\\a.zrw", 0, KstSaveWriter::Native, KstSaveCheck::None, KST_FILE_NATIVE},
        // ".dat" from the framework's save (type 0) is always FAMOS.
        {"C:\\d\\a.dat", 0, KstSaveWriter::Famos, KstSaveCheck::None, KST_FILE_FAMOS},
        {"C:\\d\\a.DAT", 4, KstSaveWriter::Famos, KstSaveCheck::None, KST_FILE_FAMOS},
        {"C:\\d\\a.dat", 7, KstSaveWriter::Udbf, KstSaveCheck::CommonTimeBaseXDelta, 7},
        {"C:\\d\\a.dat", 8, KstSaveWriter::Udbf, KstSaveCheck::CommonTimeBaseXDelta, 8},
        {"C:\\d\\a.ddf", 0, KstSaveWriter::Dasylab, KstSaveCheck::XDelta, KST_FILE_DASYLAB},
        {"C:\\d\\a.mat", 0, KstSaveWriter::Matlab, KstSaveCheck::None, KST_FILE_MATLAB},
        {"C:\\d\\a.bbl", 0, KstSaveWriter::Record, KstSaveCheck::XDelta, KST_FILE_RECORD},
        {"C:\\d\\a.wav", 0, KstSaveWriter::Wav, KstSaveCheck::WavRules, KST_FILE_WAV},
        {"C:\\d\\a.bmp", 0, KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_BMP},
        {"C:\\d\\a.gif", 0, KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_GIF},
        {"C:\\d\\a.jpg", 0, KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_JPEG},
        {"C:\\d\\a.csv", 0, KstSaveWriter::Text, KstSaveCheck::None, KST_FILE_TEXT},
        // A two-letter extension falls through to the text writer.
        {"C:\\d\\a.qd", 0, KstSaveWriter::Text, KstSaveCheck::None, KST_FILE_TEXT},
        {"ld", 0, KstSaveWriter::Text, KstSaveCheck::None, KST_FILE_TEXT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const KstSaveTarget target = KstChooseSaveTarget(c.path, c.fileType);
        EXPECT_EQ(target.writer, c.writer);
        EXPECT_EQ(target.check, c.check);
        EXPECT_EQ(target.fileType, c.writtenType);
    }
}

TEST(SaveTargetTest, SaveWritesInPlaceOnlyForItsExtensions)
{
    for (const char* path : {"a.qld", "a.ZRW", "a.dat", "a.ddf", "a.mat", "a.wav", "a.bbl"}) {
        EXPECT_TRUE(KstCanSaveInPlace(path)) << path;
    }
    for (const char* path : {"", "a.csv", "a.kxd", "a.txt", "a.fig", "a.bmp"}) {
        EXPECT_FALSE(KstCanSaveInPlace(path)) << path;
    }
}

TEST(SaveTargetTest, SaveAsFilterIndexesMapToFileTypes)
{
    const int32_t expected[] = {1, 5, 4, 6, 7, 12, 9, 3, 13, 14, 15, 1};
    for (int index = 1; index <= kKstSaveAsFilterCount; ++index) {
        EXPECT_EQ(KstSaveAsFileType(index), expected[index - 1]) << index;
    }
    // Outside the list (none chosen, or a list that grew): native.
    EXPECT_EQ(KstSaveAsFileType(0), KST_FILE_NATIVE);
    EXPECT_EQ(KstSaveAsFileType(13), KST_FILE_NATIVE);
    const std::string filter = KstSaveAsFilter().c_str();
    EXPECT_EQ(filter.rfind("All Files (*.*)|*.*||"), filter.size() - 21);
    EXPECT_EQ(filter.find("Talvenor (*.qld)|*.qld|DASYLab (*.ddf)|*.ddf|"), 0u);
}

TEST(SaveTargetTest, SaveAsPresetFollowsTheCurrentExtension)
{
    struct Case {
        const char* current;
        int filterIndex;
        const char* defaultExt;
        const char* initialName;
    };
    const Case cases[] = {
        {"C:\\d\\run.qld", 1, "qld", "C:\\d\\run"},
        {"C:\\d\\run.kxd", 1, "kxd", "C:\\d\\run"},
        {"C:\\d\\run.ZRW", 1, "zrw", "C:\\d\\run"},
        {"C:\\d\\run.ddf", 2, "ddb", "C:\\d\\run"},
        {"C:\\d\\run.dat", 3, "dat", "C:\\d\\run"},
        {"C:\\d\\run.fig", 4, "mat", "C:\\d\\run"},
        {"C:\\d\\run.bbl", 6, "bbl", "C:\\d\\run"},
        {"C:\\d\\run.wav", 7, "wav", "C:\\d\\run"},
        {"C:\\d\\run.csv", 8, "csv", "C:\\d\\run"},
        {"C:\\d\\run.txt", 0, "qld", "C:\\d\\run"},
        // A path shorter than four characters is taken whole.
        {"abc", 0, "qld", "abc"},
        {"", 0, "qld", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        const KstSaveAsPreset preset = KstSaveAsPresetFor(c.current);
        EXPECT_EQ(preset.filterIndex, c.filterIndex);
        EXPECT_STREQ(preset.defaultExt.c_str(), c.defaultExt);
        EXPECT_STREQ(preset.initialName.c_str(), c.initialName);
    }
}

TEST(OpenFilterTest, BothLanguagesListTheSamePatterns)
{
    const std::string english = KstOpenFilter(true).c_str();
    const std::string german = KstOpenFilter(false).c_str();
    EXPECT_EQ(english.find("All supported datatypes|*.qld;*.dat;"), 0u);
    EXPECT_EQ(german.find("Alle Dateiformate|*.qld;*.dat;"), 0u);
    EXPECT_NE(KstAppendFilter(true).Find("MATLAB Files (*.mat, *.fig)|*.mat;*.fig|"), -1);
    EXPECT_NE(KstAppendFilter(false).Find("ZRW Dateiformat (*.zrw)"), -1);
    for (const std::string& filter : {english, german}) {
        EXPECT_EQ(filter.substr(filter.size() - 6), "|*.*||");
    }
}

TEST(FolderFileTypeTest, EachExtensionFollowsItsOption)
{
    uint8_t options[16] = {};
    options[0] = 1;   // qld and kxd
    options[13] = 1;  // csv
    EXPECT_TRUE(KstIsFolderFileType("qld", options, 16));
    EXPECT_TRUE(KstIsFolderFileType("kxd", options, 16));
    EXPECT_TRUE(KstIsFolderFileType("csv", options, 16));
    EXPECT_FALSE(KstIsFolderFileType("txt", options, 16));
    EXPECT_FALSE(KstIsFolderFileType("exe", options, 16));
    EXPECT_FALSE(KstIsFolderFileType("csv", options, 10));
}

TEST(DocLockTest, EntryIsWrittenHiddenAndRemovedWithoutTouchingAVisibleOne)
{
    CKSTHeaderInfoList header;
    header.SetString("LockPass", "user variable");
    CKSTDocLock lock;
    EXPECT_TRUE(lock.CanLock());
    lock.Lock("Secret");
    EXPECT_FALSE(lock.CanLock());
    lock.StoreIn(header);
    EXPECT_STREQ(CKSTDocLock::FindIn(header).c_str(), "Secret");

    lock.SetLocked(false);
    // Unlocked with the password kept: still no new lock, and the entry stays.
    EXPECT_FALSE(lock.CanLock());
    EXPECT_TRUE(lock.Matches("Secret"));
    EXPECT_FALSE(lock.Matches("secret"));
    EXPECT_FALSE(lock.Matches("Secre"));

    lock.Clear();
    EXPECT_FALSE(lock.Matches(""));
    lock.StoreIn(header);
    EXPECT_TRUE(CKSTDocLock::FindIn(header).IsEmpty());
    CKSTString visible;
    EXPECT_GE(header.GetString("LockPass", visible, false), 0);
    EXPECT_STREQ(visible.c_str(), "user variable");
}

TEST(CutBoundTest, NumbersInBothLanguages)
{
    struct Case {
        const char* text;
        bool german;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"1.5", false, true, 1.5},      {"1,5", true, true, 1.5},     {"1,5", false, false, 0.0},
        {" -2.25 ", true, true, -2.25}, {"1E3", false, true, 1000.0}, {"+4", false, true, 4.0},
        {"", false, false, 0.0},        {"12abc", false, false, 0.0}, {"1.000,5", true, false, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = -99.0;
        EXPECT_EQ(KstParseCutBound(c.text, c.german, value), c.ok);
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : -99.0);
    }
    EXPECT_STREQ(KstFormatCutBound(0.1).c_str(), "0.1");
    EXPECT_STREQ(KstFormatCutBound(90061.25).c_str(), "90061.25");
    EXPECT_STREQ(KstFormatCutBound(1e20).c_str(), "1E+20");
    double back = 0.0;
    ASSERT_TRUE(KstParseCutBound(KstFormatCutBound(1.0 / 3.0), false, back));
    EXPECT_NEAR(back, 1.0 / 3.0, 1e-15);
}

}  // namespace
