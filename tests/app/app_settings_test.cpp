#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// ---- What is stored, against the fixtures ----------------------------------------------------
// Trees are written as a "[key]" line and "type name = value" lines. They are read back as the
// registry hands them back: a short as a long, a double as its text. Records are written as
// the fields a load changed from the initial record.

std::string Bytes(const CKSTString& text)
{
    return std::string(text.c_str(), static_cast<size_t>(text.GetLength()));
}

std::string ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(KST_APP_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ExpectFixture(const std::string& name, const std::string& actual)
{
    const std::string expected = ReadFixture(name);
    EXPECT_EQ(actual, expected) << name;
    if (actual != expected) {
        std::ofstream(name + ".actual", std::ios::binary) << actual;
    }
}

const char* TypeName(const CKSTHeaderInfoItem& item)
{
    switch (item.m_type) {
        case KST_HIT_BOOL:
            return "flag";
        case KST_HIT_SHORT:
            return "short";
        case KST_HIT_LONG:
            return "long";
        case KST_HIT_DOUBLE:
            return "double";
        case KST_HIT_STRING:
            return item.m_hidden ? "hidden" : "text";
        default:
            return "other";
    }
}

void AppendTree(std::string& out, const char* key, const CKSTHeaderInfoList& tree)
{
    out += std::string("[") + key + "]\n";
    for (int i = 0; i < tree.GetCount(true); ++i) {
        const CKSTHeaderInfoItem& item = tree.GetItem(i);
        const std::string value = Bytes(item.GetValueText());
        out += std::string(TypeName(item)) + " " + Bytes(item.m_name) + " =" +
               (value.empty() ? "" : " " + value) + "\n";
    }
}

std::string SavedTrees(const KstAppSettings& s)
{
    KstSettingsTrees trees;
    KstSaveSettings(s, trees);
    KstSaveAssociationFlags(s.associations, trees.associations);
    std::string out;
    AppendTree(out, kKstSettingsKey, trees.settings);
    AppendTree(out, kKstAsciiKey, trees.ascii);
    AppendTree(out, kKstFftKey, trees.fft);
    AppendTree(out, kKstAssociationsKey, trees.associations);
    return out;
}

// A key without its "[key]" line counts as not opened; "#" starts a comment line.
KstSettingsTrees ParseTrees(const std::string& text)
{
    KstSettingsTrees trees;
    const std::map<std::string, std::pair<CKSTHeaderInfoList*, bool*>> keys = {
        {kKstSettingsKey, {&trees.settings, &trees.settingsOpened}},
        {kKstAsciiKey, {&trees.ascii, &trees.asciiOpened}},
        {kKstFftKey, {&trees.fft, &trees.fftOpened}},
        {kKstAssociationsKey, {&trees.associations, &trees.associationsOpened}},
    };
    CKSTHeaderInfoList* tree = nullptr;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            const auto key = keys.find(line.substr(1, line.size() - 2));
            if (key == keys.end()) {
                ADD_FAILURE() << "unknown key " << line;
                return trees;
            }
            tree = key->second.first;
            *key->second.second = true;
            continue;
        }
        const size_t space = line.find(' ');
        const size_t equals = line.find(" =", space);
        if (!tree || space == std::string::npos || equals == std::string::npos) {
            ADD_FAILURE() << "malformed line " << line;
            return trees;
        }
        const std::string type = line.substr(0, space);
        const CKSTString name = line.substr(space + 1, equals - space - 1).c_str();
        const CKSTString value = equals + 3 <= line.size() ? line.substr(equals + 3).c_str() : "";
        if (type == "flag") {
            tree->SetBool(name, value != "0");
        } else if (type == "long" || type == "short") {
            tree->SetLong(name, value.ToLong());
        } else if (type == "text" || type == "hidden" || type == "double") {
            tree->SetString(name, value, type == "hidden");
        } else {
            ADD_FAILURE() << "unknown type: " << line;
        }
    }
    return trees;
}

class FieldLines {
public:
    void Add(const std::string& name, const CKSTString& value) { Line(name, Bytes(value)); }
    void Add(const std::string& name, double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", value);
        Line(name, text);
    }
    template <class T>
    void Add(const std::string& name, T value)
    {
        Line(name, std::to_string(static_cast<long long>(value)));
    }
    void Add(const std::string& name, const std::vector<CKSTString>& list)
    {
        for (size_t i = 0; i < list.size(); ++i) {
            Add(name + "[" + std::to_string(i) + "]", list[i]);
        }
    }

    std::vector<std::string> m_lines;

private:
    void Line(const std::string& name, const std::string& value)
    {
        m_lines.push_back(name + " =" + (value.empty() ? "" : " " + value));
    }
};

// Every field, listed here by hand so that the check does not depend on the stored description.
std::vector<std::string> Describe(const KstAppSettings& s)
{
    FieldLines f;
    f.Add("language", s.language);
    f.Add("lastLoadDir", s.lastLoadDir);
    f.Add("showTitle", s.showTitle);
    f.Add("showChannelTree", s.showChannelTree);
    f.Add("showComment", s.showComment);
    f.Add("showValues", s.showValues);
    f.Add("showVariables", s.showVariables);
    f.Add("showSpectra", s.showSpectra);
    f.Add("showProcess", s.showProcess);
    f.Add("reportTopLine", s.reportTopLine);
    f.Add("reportBottomLine", s.reportBottomLine);
    f.Add("reportMarginLeft", s.reportMarginLeft);
    f.Add("reportMarginRight", s.reportMarginRight);
    f.Add("reportMarginTop", s.reportMarginTop);
    f.Add("reportMarginBottom", s.reportMarginBottom);
    f.Add("settingsUsage", s.settingsUsage);
    f.Add("settingsUseOnlyFitting", s.settingsUseOnlyFitting);
    f.Add("settingsFiles", s.settingsFiles);
    f.Add("onlineBufferMode", s.onlineBufferMode);
    f.Add("onlineBackView", s.onlineBackView);
    f.Add("onlineBufferType", s.onlineBufferType);
    f.Add("onlineBufferIndex", s.onlineBufferIndex);
    f.Add("onlineReadMode", s.onlineReadMode);
    f.Add("onlineReadInterval", s.onlineReadInterval);
    f.Add("onlineRamUsage", s.onlineRamUsage);
    f.Add("ftpPassive", s.ftpPassive);
    f.Add("onlineInterpolation", s.onlineInterpolation);
    f.Add("interpolationFactor", s.interpolationFactor);
    f.Add("triggerChannel", s.triggerChannel);
    f.Add("triggerLevel", s.triggerLevel);
    f.Add("updateInterval", s.updateInterval);
    f.Add("recentSources", s.recentSources);
    f.Add("dbSource", s.dbSource);
    f.Add("dbUser", s.dbUser);
    f.Add("dbPassword", s.dbPassword);
    f.Add("dbDatabase", s.dbDatabase);
    f.Add("dbTable", s.dbTable);
    f.Add("reductionOn", s.reductionOn);
    f.Add("reductionType", s.reductionType);
    f.Add("reductionFactor", s.reductionFactor);
    f.Add("archivePath", s.archivePath);
    f.Add("archiveIncludesSubfolders", s.archiveIncludesSubfolders);
    f.Add("processSettingsPath", s.processSettingsPath);
    const CKSTTextFormat& t = s.textFormat;
    f.Add("textFormat.formatCode", t.formatCode);
    f.Add("textFormat.xAxis", t.xAxis);
    f.Add("textFormat.writeHeader", t.writeHeader);
    f.Add("textFormat.readSeparator", t.readSeparator);
    f.Add("textFormat.writeSeparator", t.writeSeparator);
    f.Add("textFormat.decimalMark", t.decimalMark);
    f.Add("textFormat.dateFormat", t.dateFormat);
    f.Add("textFormat.columnWidth", t.columnWidth);
    f.Add("textFormat.valueDecimals", t.valueDecimals);
    f.Add("textFormat.averageCount", t.averageCount);
    f.Add("textFormat.interpolate", t.interpolate);
    f.Add("textFormat.timeDecimals", t.timeDecimals);
    f.Add("textFormat.removeEmptyColumns", t.removeEmptyColumns);
    f.Add("textFormat.suppressGroupNames", t.suppressGroupNames);
    f.Add("textFormat.headerLines", t.headerLines);
    f.Add("textFormat.timeColumnTitle", t.timeColumnTitle);
    f.Add("fft.padding", s.fft.padding);
    f.Add("fft.window", s.fft.window);
    f.Add("fft.killOffset", s.fft.killOffset);
    f.Add("fft.smoothPoints", s.fft.smoothPoints);
    f.Add("fft.calcPoints", s.fft.calcPoints);
    for (int i = 0; i < kKstAssociationCount; ++i) {
        f.Add(std::string("associations.") + KstAssociationAt(i).extension, s.associations[i]);
    }
    return f.m_lines;
}

std::string ChangedFields(const KstAppSettings& s)
{
    const std::vector<std::string> initial = Describe(KstAppSettings());
    const std::set<std::string> unchanged(initial.begin(), initial.end());
    std::string out;
    for (const std::string& line : Describe(s)) {
        if (unchanged.count(line) == 0) {
            out += line + "\n";
        }
    }
    return out;
}

std::vector<CKSTString> Numbered(const char* prefix, int count)
{
    std::vector<CKSTString> list;
    for (int i = 1; i <= count; ++i) {
        list.push_back(CKSTString(prefix) + CKSTString::FormatInt(i));
    }
    return list;
}

// Every field away from both its initial value and the registry's default.
KstAppSettings EveryFieldChanged()
{
    KstAppSettings s;
    s.language = 1;
    s.lastLoadDir = "C:\\Messungen";
    s.showTitle = 0;
    s.showChannelTree = 1;
    s.showComment = 0;
    s.showValues = 1;
    s.showVariables = 0;
    s.showSpectra = 1;
    s.showProcess = 1;
    s.reportTopLine = "&[Title] top";
    s.reportBottomLine = "page &[Page]";
    s.reportMarginLeft = 21.5;
    s.reportMarginRight = 0.1;
    s.reportMarginTop = 12.125;
    s.reportMarginBottom = 1e-3;
    s.settingsUsage = 2;
    s.settingsUseOnlyFitting = 0;
    s.settingsFiles = Numbered("C:\\settings", kKstMaxSettingsFiles);
    s.onlineBufferMode = 2;
    s.onlineBackView = -3600.0;
    s.onlineBufferType = 1;
    s.onlineBufferIndex = 4;
    s.onlineReadMode = 1;
    s.onlineReadInterval = 0.05;
    s.onlineRamUsage = 55.5;
    s.ftpPassive = 0;
    s.onlineInterpolation = 1;
    s.interpolationFactor = 12;
    s.triggerChannel = 3;
    s.triggerLevel = -1.25;
    s.updateInterval = 2.0;
    s.recentSources = Numbered("node", kKstMaxRecentSources);
    s.dbSource = "odbc source";
    s.dbUser = "user";
    s.dbPassword = "pass word!";
    s.dbDatabase = "runs db";
    s.dbTable = "runs";
    s.reductionOn = 1;
    s.reductionType = 2;
    s.reductionFactor = 8;
    s.archivePath = "D:\\Archiv";
    s.archiveIncludesSubfolders = 1;
    s.processSettingsPath = "C:\\p.qlp";
    CKSTTextFormat& t = s.textFormat;
    t.formatCode = 7;
    t.xAxis = 0;
    t.writeHeader = 0;
    t.readSeparator = 2;
    t.writeSeparator = 1;
    t.decimalMark = 0;
    t.dateFormat = 3;
    t.columnWidth = 9;
    t.valueDecimals = 5;
    t.averageCount = 6;
    t.interpolate = 1;
    t.timeDecimals = 3;
    t.removeEmptyColumns = 0;
    t.suppressGroupNames = 1;
    t.headerLines = 4;
    t.timeColumnTitle = "Zeit";
    s.fft.padding = 3;
    s.fft.window = 2;
    s.fft.killOffset = 1;
    s.fft.smoothPoints = 5;
    s.fft.calcPoints = 1024;
    for (int i = 0; i < kKstAssociationCount; i += 2) {
        s.associations[i] = 1;
    }
    return s;
}

// Values no dialog sets: codes outside the keyword tables and choices, flags above 1, lists
// longer than the stored positions.
KstAppSettings OutOfRange()
{
    KstAppSettings s;
    s.language = 5;
    s.showTitle = 2;
    s.onlineBufferMode = 7;
    s.onlineBufferType = -1;
    s.onlineReadMode = 2;
    s.reductionType = 4;
    s.settingsFiles = Numbered("C:\\settings", kKstMaxSettingsFiles + 1);
    s.recentSources = Numbered("node", kKstMaxRecentSources + 2);
    CKSTTextFormat& t = s.textFormat;
    t.formatCode = 3;
    t.xAxis = 2;
    t.readSeparator = -1;
    t.writeSeparator = 3;
    t.decimalMark = 2;
    t.dateFormat = 5;
    t.interpolate = 2;
    t.averageCount = -2;
    t.removeEmptyColumns = 2;
    s.fft.padding = 4;
    s.fft.window = -1;
    s.fft.killOffset = 2;
    s.associations[0] = 2;
    return s;
}

TEST(AppSettingsStored, SavedTreesAreTheFixtures)
{
    struct Case {
        const char* fixture;
        KstAppSettings (*record)();
    };
    const Case cases[] = {
        {"settings_saved_initial_record.txt", [] { return KstAppSettings(); }},
        {"settings_saved_every_field_changed.txt", EveryFieldChanged},
        {"settings_saved_out_of_range.txt", OutOfRange},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        ExpectFixture(c.fixture, SavedTrees(c.record()));
    }
}

TEST(AppSettingsStored, RecordsReadFromSampleTreesAreTheFixtures)
{
    struct Case {
        const char* trees;  // null: no key could be opened
        bool useRegistry, english, intoChangedRecord;
        const char* record;
    };
    const Case cases[] = {
        {nullptr, true, false, false, "settings_read_no_keys.txt"},
        {nullptr, true, false, true, "settings_read_no_keys_into_changed_record.txt"},
        {nullptr, false, true, false, "settings_read_noreg_english_user.txt"},
        {nullptr, false, false, true, "settings_read_noreg_into_changed_record.txt"},
        {"settings_trees_empty_keys.txt", true, false, false, "settings_read_empty_keys.txt"},
        {"settings_trees_empty_keys.txt", true, true, true,
         "settings_read_empty_keys_into_changed_record.txt"},
        {"settings_saved_initial_record.txt", true, true, false,
         "settings_read_saved_initial_record.txt"},
        {"settings_saved_every_field_changed.txt", true, false, false,
         "settings_read_saved_every_field_changed.txt"},
        {"settings_saved_out_of_range.txt", true, false, false,
         "settings_read_saved_out_of_range.txt"},
        {"settings_trees_wrong_types.txt", true, false, false, "settings_read_wrong_types.txt"},
        {"settings_trees_unknown_texts_and_legacy_names.txt", true, false, false,
         "settings_read_unknown_texts_and_legacy_names.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        const KstSettingsTrees trees =
            c.trees ? ParseTrees(ReadFixture(c.trees)) : KstSettingsTrees();
        KstSettingsEnvironment environment;
        environment.useRegistry = c.useRegistry;
        environment.userIsEnglish = c.english;
        environment.isExistingFile = [](const CKSTString& path) { return path.Find("gone") < 0; };
        KstAppSettings s = c.intoChangedRecord ? EveryFieldChanged() : KstAppSettings();
        KstLoadSettings(trees, environment, s);
        ExpectFixture(c.record, ChangedFields(s));
    }
}

// ---- Driven by the stored description -------------------------------------------------------

// Sets every described field away from its default, numbers and texts each to a value of its
// own, and keeps the stored names. A flag that is off at load is left alone.
class ChangeEveryField {
public:
    void Flag(const char* name, uint8_t& field, uint8_t fallback)
    {
        Stored(name);
        field = fallback != 0 ? 0 : 1;
    }
    void Long(const char* name, int32_t& field, int32_t fallback)
    {
        Stored(name);
        field = fallback + Next();
    }
    void Double(const char* name, double& field, double fallback)
    {
        Stored(name);
        field = fallback + Next() + 0.25;
    }
    void Text(const char* name, CKSTString& field, const char* fallback)
    {
        Stored(name);
        field = CKSTString(fallback) + name + " text";
    }
    void KeptText(const char* name, CKSTString& field) { Text(name, field, ""); }
    void HiddenText(const char* name, CKSTString& field, const char* fallback)
    {
        Text(name, field, fallback);
    }
    void Keyword(const char* name, int32_t& field, const CKSTKeywordMap& keywords,
                 const char* fallback)
    {
        Stored(name);
        const int32_t standard = keywords.ValueOf(fallback);
        field = keywords.NameOf(standard + 1).IsEmpty() ? standard - 1 : standard + 1;
        EXPECT_FALSE(keywords.NameOf(field).IsEmpty()) << name << " has a single keyword";
    }
    void Language(const char* name, int32_t& field)
    {
        Stored(name);
        field = field == 0 ? 1 : 0;
    }
    void List(const char* prefix, std::vector<CKSTString>& list, int count, KstListEntries)
    {
        list.clear();
        for (int i = 1; i <= count; ++i) {
            const CKSTString name = CKSTString(prefix) + CKSTString::FormatInt(i);
            Stored(name.c_str());
            list.push_back(name + " entry");
        }
    }
    void OffAtLoad(const char* name, uint8_t&) { Stored(name); }
    template <size_t N>
    void Choice(const char* name, int32_t& field, int32_t fallback,
                const KstTextChoice (&choices)[N], const char* = nullptr)
    {
        Stored(name);
        field = choices[0].value != fallback ? choices[0].value : choices[1].value;
    }
    void NumberText(const char* name, int16_t& field, int16_t fallback, KstOlderFlag = {nullptr, 0})
    {
        Stored(name);
        field = static_cast<int16_t>(fallback + Next());
    }
    void FlagText(const char* name, uint8_t& field, uint8_t fallback)
    {
        Flag(name, field, fallback);
    }
    void CountText(const char* switchName, const char* countName, int32_t& field)
    {
        Stored(switchName);
        Stored(countName);
        field = Next();
    }
    void AssociationFlag(const char* name, uint8_t& field)
    {
        Stored(name);
        field = field != 0 ? 0 : 1;
    }

    std::vector<std::string> m_names;

private:
    void Stored(const char* name) { m_names.push_back(name); }
    int32_t Next() { return ++m_count; }

    int32_t m_count = 0;
};

template <class Io, class S>
void VisitEveryTree(Io& io, S& s)
{
    KstVisitGeneralSettings(io, s);
    KstVisitSettingsFileChoices(io, s);
    KstVisitAsciiOptions(io, s.textFormat);
    KstVisitFftOptions(io, s.fft);
    KstVisitAssociationFlags(io, s.associations);
}

KstSettingsEnvironment EveryFileExists()
{
    KstSettingsEnvironment environment;
    environment.isExistingFile = [](const CKSTString&) { return true; };
    return environment;
}

KstSettingsTrees Saved(const KstAppSettings& s)
{
    KstSettingsTrees trees;
    KstSaveSettings(s, trees);
    KstSaveAssociationFlags(s.associations, trees.associations);
    return Opened(trees);
}

TEST(AppSettingsDescription, EveryFieldComesBackFromTheSavedTrees)
{
    // Loaded over the defaults, which every changed value differs from: a value the load does
    // not read keeps its default and shows.
    KstAppSettings defaults;
    KstLoadSettings(Opened(KstSettingsTrees()), EveryFileExists(), defaults);
    KstAppSettings changed = defaults;
    ChangeEveryField change;
    VisitEveryTree(change, changed);

    KstAppSettings loaded = defaults;
    KstLoadSettings(Saved(changed), EveryFileExists(), loaded);
    EXPECT_EQ(SavedTrees(loaded), SavedTrees(changed));
}

TEST(AppSettingsDescription, EveryStoredNameIsUsedOncePerTree)
{
    KstAppSettings s;
    ChangeEveryField settings, ascii, fft, associations;
    KstVisitGeneralSettings(settings, s);
    KstVisitSettingsFileChoices(settings, s);
    KstVisitAsciiOptions(ascii, s.textFormat);
    KstVisitFftOptions(fft, s.fft);
    KstVisitAssociationFlags(associations, s.associations);
    for (const ChangeEveryField* tree : {&settings, &ascii, &fft, &associations}) {
        std::set<std::string> seen;
        for (const std::string& name : tree->m_names) {
            EXPECT_TRUE(seen.insert(name).second) << name;
        }
    }
}

// What a load takes for every absent value; a kept text and an association flag keep the
// record's own.
class ExpectDefaults {
public:
    explicit ExpectDefaults(int32_t userLanguage) : m_userLanguage(userLanguage) {}

    void Flag(const char* name, uint8_t field, uint8_t fallback) { Expect(name, field, fallback); }
    void Long(const char* name, int32_t field, int32_t fallback) { Expect(name, field, fallback); }
    void Double(const char* name, double field, double fallback) { Expect(name, field, fallback); }
    void Text(const char* name, const CKSTString& field, const char* fallback)
    {
        Expect(name, Bytes(field), std::string(fallback));
    }
    void KeptText(const char*, const CKSTString&) {}
    void HiddenText(const char* name, const CKSTString& field, const char* fallback)
    {
        Text(name, field, fallback);
    }
    void Keyword(const char* name, int32_t field, const CKSTKeywordMap& keywords,
                 const char* fallback)
    {
        Expect(name, field, keywords.ValueOf(fallback));
    }
    void Language(const char* name, int32_t field) { Expect(name, field, m_userLanguage); }
    void List(const char* prefix, const std::vector<CKSTString>& list, int, KstListEntries)
    {
        Expect(prefix, list.size(), size_t{0});
    }
    void OffAtLoad(const char* name, uint8_t field) { Expect(name, field, uint8_t{0}); }
    template <size_t N>
    void Choice(const char* name, int32_t field, int32_t fallback, const KstTextChoice (&)[N],
                const char* = nullptr)
    {
        Expect(name, field, fallback);
    }
    void NumberText(const char* name, int16_t field, int16_t fallback, KstOlderFlag = {nullptr, 0})
    {
        Expect(name, field, fallback);
    }
    void FlagText(const char* name, uint8_t field, uint8_t fallback)
    {
        Expect(name, field, fallback);
    }
    void CountText(const char* switchName, const char*, int32_t field)
    {
        Expect(switchName, field, 0);
    }
    void AssociationFlag(const char*, uint8_t) {}

private:
    template <class T>
    void Expect(const char* name, const T& field, const T& fallback)
    {
        EXPECT_EQ(field, fallback) << name;
    }

    int32_t m_userLanguage;
};

TEST(AppSettingsDescription, AbsentValuesReadAsTheirDefaults)
{
    struct Case {
        const char* name;
        bool useRegistry, english;
    };
    const Case cases[] = {
        {"empty keys, German user", true, false},
        {"empty keys, English user", true, true},
        {"noreg", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KstSettingsEnvironment environment = EveryFileExists();
        environment.useRegistry = c.useRegistry;
        environment.userIsEnglish = c.english;
        KstAppSettings s = EveryFieldChanged();
        KstLoadSettings(Opened(KstSettingsTrees()), environment, s);
        ExpectDefaults expect(c.english ? 1 : 0);
        VisitEveryTree(expect, s);
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
