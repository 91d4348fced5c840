#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/AppSettings.h"

namespace {

KstSettingsEnvironment Environment(bool useRegistry, bool english = true,
                                   std::set<std::string> files = {})
{
    KstSettingsEnvironment environment;
    environment.useRegistry = useRegistry;
    environment.userIsEnglish = english;
    environment.isExistingFile = [files](const CKSTString& path) {
        return files.count(path.c_str()) > 0;
    };
    return environment;
}

// A tree as the registry hands it back: every key opened.
KstSettingsTrees Opened(const KstSettingsTrees& saved)
{
    KstSettingsTrees trees = saved;
    trees.settingsOpened = trees.asciiOpened = trees.fftOpened = trees.associationsOpened = true;
    return trees;
}

TEST(AppSettings, FirstStartKeepsInitialValuesAndNoregTakesStoredDefaults)
{
    struct Case {
        const char* name;
        bool useRegistry;
        int32_t language, factor;
        uint8_t interpolation;
        double triggerLevel;
    };
    const Case cases[] = {
        {"first start", true, 0, 10, 0, 0.0},
        {"noreg", false, 1, 35, 1, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KstAppSettings s;
        KstSettingsTrees trees;  // nothing could be opened
        trees.settings.SetString("Language", "Deutsch");  // ignored: not opened / no registry
        KstLoadSettings(trees, Environment(c.useRegistry, true), s);
        EXPECT_EQ(s.language, c.language);
        EXPECT_EQ(s.interpolationFactor, c.factor);
        EXPECT_EQ(s.onlineInterpolation, c.interpolation);
        EXPECT_DOUBLE_EQ(s.triggerLevel, c.triggerLevel);
        EXPECT_EQ(s.settingsUsage, 1);
        EXPECT_EQ(s.settingsUseOnlyFitting, 1);
        EXPECT_EQ(s.onlineBufferIndex, -1);
        EXPECT_EQ(s.showProcess, 0);
    }
}

TEST(AppSettings, SecondStartReadsBackWhatWasSaved)
{
    KstAppSettings s;
    s.language = 1;
    s.lastLoadDir = "C:\\data";
    s.showTitle = 0;
    s.showChannelTree = 1;
    s.reportTopLine = "&[Title]";
    s.reportMarginLeft = 12.5;
    s.showProcess = 1;
    s.onlineBufferMode = 2;
    s.onlineBackView = -3600.0;
    s.onlineBufferType = 2;
    s.onlineBufferIndex = 3;
    s.onlineReadMode = 1;
    s.onlineReadInterval = 0.1;
    s.ftpPassive = 0;
    s.interpolationFactor = 7;
    s.triggerLevel = -1.25;
    s.dbPassword = "secret";
    s.dbTable = "runs";
    s.reductionType = 3;
    s.reductionFactor = 4;
    s.archiveIncludesSubfolders = 1;
    s.processSettingsPath = "C:\\p.qlp";
    s.recentSources = {"10.0.0.1", "10.0.0.2"};
    s.settingsFiles = {"C:\\a.qls", "C:\\gone.qls", "C:\\b.ini"};
    s.settingsUsage = 2;
    s.settingsUseOnlyFitting = 0;
    s.fft.padding = 3;
    s.fft.window = 2;
    s.fft.killOffset = 1;
    s.fft.smoothPoints = 5;
    s.fft.calcPoints = 1024;

    KstSettingsTrees saved;
    KstSaveSettings(s, saved);
    // The password is kept as a hidden entry only.
    EXPECT_GE(saved.settings.Find("DBPassword", true), 0);
    EXPECT_LT(saved.settings.Find("DBPassword", false), 0);
    EXPECT_STREQ(saved.settings.GetItem(0).m_name.c_str(), "Language");

    KstAppSettings r;
    KstLoadSettings(Opened(saved), Environment(true, false, {"C:\\a.qls", "C:\\b.ini"}), r);
    EXPECT_EQ(r.language, 1);
    EXPECT_STREQ(r.lastLoadDir.c_str(), "C:\\data");
    EXPECT_EQ(r.showTitle, 0);
    EXPECT_EQ(r.showChannelTree, 1);
    EXPECT_STREQ(r.reportTopLine.c_str(), "&[Title]");
    EXPECT_DOUBLE_EQ(r.reportMarginLeft, 12.5);
    EXPECT_EQ(r.showProcess, 0);  // never shown at start
    EXPECT_EQ(r.onlineBufferMode, 2);
    EXPECT_DOUBLE_EQ(r.onlineBackView, -3600.0);
    EXPECT_EQ(r.onlineBufferType, 2);
    EXPECT_EQ(r.onlineBufferIndex, 3);
    EXPECT_EQ(r.onlineReadMode, 1);
    EXPECT_DOUBLE_EQ(r.onlineReadInterval, 0.1);
    EXPECT_EQ(r.ftpPassive, 0);
    EXPECT_EQ(r.interpolationFactor, 7);
    EXPECT_DOUBLE_EQ(r.triggerLevel, -1.25);
    EXPECT_STREQ(r.dbPassword.c_str(), "secret");
    EXPECT_STREQ(r.dbTable.c_str(), "runs");
    EXPECT_EQ(r.reductionType, 3);
    EXPECT_EQ(r.reductionFactor, 4);
    EXPECT_EQ(r.archiveIncludesSubfolders, 1);
    EXPECT_STREQ(r.processSettingsPath.c_str(), "C:\\p.qlp");
    EXPECT_EQ(r.settingsUsage, 2);
    EXPECT_EQ(r.settingsUseOnlyFitting, 0);
    // A settings file that no longer exists is dropped at load.
    ASSERT_EQ(r.settingsFiles.size(), 2u);
    EXPECT_STREQ(r.settingsFiles[1].c_str(), "C:\\b.ini");
    // Two sources and the eight empty positions, which come back as one empty entry.
    ASSERT_EQ(r.recentSources.size(), 3u);
    EXPECT_STREQ(r.recentSources[1].c_str(), "10.0.0.2");
    EXPECT_TRUE(r.recentSources[2].IsEmpty());
    EXPECT_EQ(r.fft.padding, 3);
    EXPECT_EQ(r.fft.window, 2);
    EXPECT_EQ(r.fft.killOffset, 1);
    EXPECT_EQ(r.fft.smoothPoints, 5);
    EXPECT_EQ(r.fft.calcPoints, 1024);
}

TEST(AppSettings, StoredTextsThatAreNotKnownReadAsTheFirstChoice)
{
    KstSettingsTrees trees;
    trees.settingsOpened = true;
    trees.settings.SetString("Language", "deutsch");
    trees.settings.SetString("OnlineBufferType", "RING");
    trees.settings.SetString("OnlineReadMode", "nonerasing");
    KstAppSettings s;
    KstLoadSettings(trees, Environment(true, false), s);
    EXPECT_EQ(s.language, 1);  // anything but "Deutsch" is English
    EXPECT_EQ(s.onlineBufferType, 0);
    EXPECT_EQ(s.onlineReadMode, 0);

    trees.settings.Clear();
    KstLoadSettings(trees, Environment(true, false), s);
    EXPECT_EQ(s.language, 0);  // absent: the user's language, German here
    EXPECT_EQ(s.interpolationFactor, 35);
}

TEST(AppSettings, SavedListsHaveEveryPosition)
{
    KstAppSettings s;
    s.recentSources = {"a", "b", "c"};
    KstSettingsTrees trees;
    KstSaveSettings(s, trees);
    CKSTString text;
    for (int i = 4; i <= 10; ++i) {
        ASSERT_GE(trees.settings.GetString(CKSTString("OnlineNode_") + CKSTString::FormatInt(i),
                                           text),
                  0);
        EXPECT_TRUE(text.IsEmpty());
    }
    EXPECT_GE(trees.settings.GetString("SettingsPath_5", text), 0);
    EXPECT_STREQ(KstBufferModeKeywords().NameOf(s.onlineBufferMode).c_str(), "NONE");
}

TEST(AsciiOptions, LegacyNamesAndStoredTexts)
{
    struct Case {
        const char* name;
        const char* value;
        int32_t CKSTTextFormat::*field;
        int32_t expected;
    };
    const Case cases[] = {
        {"LoadSeperator", "TAB", &CKSTTextFormat::readSeparator, 2},
        {"LoadSeparator", ";", &CKSTTextFormat::readSeparator, 1},
        {"LoadSeparator", "x", &CKSTTextFormat::readSeparator, 3},
        {"Seperator", ";", &CKSTTextFormat::writeSeparator, 1},
        {"SaveSeparator", "TAB", &CKSTTextFormat::writeSeparator, 2},
        {"SaveDecMarker", ",", &CKSTTextFormat::decimalMark, 0},
        {"LoadDateFormat", "YYDDMM", &CKSTTextFormat::dateFormat, 4},
        {"TimeChannel", "R", &CKSTTextFormat::formatCode, 7},
        {"TimeChannel", "AC", &CKSTTextFormat::formatCode, 2},
        {"LoadXAxis", "none", &CKSTTextFormat::xAxis, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        CKSTHeaderInfoList tree;
        tree.SetString(c.name, c.value);
        CKSTTextFormat format;
        KstLoadAsciiOptions(tree, true, format);
        EXPECT_EQ(format.*c.field, c.expected);
    }
    // The new name wins over the old one.
    CKSTHeaderInfoList both;
    both.SetString("LoadSeperator", "TAB");
    both.SetString("LoadSeparator", ",");
    CKSTTextFormat format;
    KstLoadAsciiOptions(both, true, format);
    EXPECT_EQ(format.readSeparator, 0);
}

TEST(AsciiOptions, MillisecondsFlagAverageAndRoundTrip)
{
    CKSTHeaderInfoList tree;
    tree.SetString("bMilliseconds", "1");
    tree.SetString("bAverage", "0");
    tree.SetString("AverageCount", "9");
    tree.SetString("TimeChannel", "R");
    tree.SetString("HeaderLines", "4");
    tree.SetBool("RemoveEmpty", false);
    CKSTTextFormat format;
    KstLoadAsciiOptions(tree, true, format);
    EXPECT_EQ(format.timeDecimals, 3);
    EXPECT_EQ(format.averageCount, 0);
    EXPECT_EQ(format.headerLines, 4);
    EXPECT_EQ(format.removeEmptyColumns, 0);

    format.averageCount = 6;
    CKSTHeaderInfoList saved;
    KstSaveAsciiOptions(format, saved);
    CKSTString text;
    saved.GetString("TimeChannel", text);
    EXPECT_STREQ(text.c_str(), "R");
    saved.GetString("bAverage", text);
    EXPECT_STREQ(text.c_str(), "1");
    CKSTTextFormat back;
    KstLoadAsciiOptions(saved, true, back);
    EXPECT_EQ(back.averageCount, 6);
    EXPECT_EQ(back.timeDecimals, 3);
    EXPECT_EQ(back.formatCode, 7);

    // A key that could not be opened leaves the reset record.
    KstLoadAsciiOptions(saved, false, back);
    EXPECT_EQ(back.averageCount, 0);
    EXPECT_EQ(back.formatCode, 1);
}

TEST(Associations, FlagsAreStoredAsTexts)
{
    uint8_t flags[kKstAssociationCount] = {};
    flags[4] = flags[5] = flags[15] = 1;
    CKSTHeaderInfoList tree;
    KstSaveAssociationFlags(flags, tree);
    CKSTString text;
    ASSERT_GE(tree.GetString("DDB", text), 0);
    EXPECT_STREQ(text.c_str(), "1");
    ASSERT_GE(tree.GetString("QLD", text), 0);
    EXPECT_STREQ(text.c_str(), "0");
    uint8_t back[kKstAssociationCount] = {};
    back[0] = 1;
    KstLoadAssociationFlags(tree, back);
    for (int i = 0; i < kKstAssociationCount; ++i) {
        EXPECT_EQ(back[i], flags[i]) << KstAssociationAt(i).extension;
    }
}

TEST(Splash, ShowsOnceADay)
{
    const KstDate today{11, 12, 2026};
    EXPECT_FALSE(KstIsSplashDue(today, today));
    EXPECT_TRUE(KstIsSplashDue({10, 12, 2026}, today));
    EXPECT_TRUE(KstIsSplashDue({11, 12, 2025}, today));
    EXPECT_TRUE(KstIsSplashDue({}, today));  // nothing stored, or no registry
}

}  // namespace
