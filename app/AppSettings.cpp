#include "app/AppSettings.h"

#include <cmath>

namespace {

const KstAssociation kAssociations[kKstAssociationCount] = {
    {"qld", "QLD"}, {"zrw", "ZRW"}, {"dat", "DAT"}, {"raw", "RAW"}, {"ddf", "DDF"}, {"ddb", "DDB"},
    {"mat", "MAT"}, {"fig", "FIG"}, {"wav", "WAV"}, {"dbl", "DBL"}, {"flt", "FLT"}, {"bbl", "BBL"},
    {"asc", "ASC"}, {"csv", "CSV"}, {"log", "LOG"}, {"txt", "TXT"},
};

CKSTString Numbered(const char* name, int n)
{
    return CKSTString(name) + CKSTString::FormatInt(n);
}

uint8_t ReadFlag(const CKSTHeaderInfoList& tree, const char* name, uint8_t fallback)
{
    bool value = false;
    tree.GetBoolOr(name, value, fallback != 0);
    return value ? 1 : 0;
}

int32_t ReadKeyword(const CKSTHeaderInfoList& tree, const char* name, const char* fallback,
                    const CKSTKeywordMap& table)
{
    CKSTString text;
    tree.GetStringOr(name, text, fallback);
    return table.ValueOf(text);
}

// Texts that hold a 16-bit number, as the text-table options store them.
bool ReadShortText(const CKSTHeaderInfoList& tree, const char* name, int16_t& value)
{
    CKSTString text;
    if (tree.GetString(name, text) < 0) {
        return false;
    }
    value = static_cast<int16_t>(text.ToInt64());
    return true;
}

}  // namespace

const CKSTKeywordMap& KstBufferTypeKeywords()
{
    static const CKSTKeywordMap map("CIRCLEBUFFER", 0, "LOGGER", 1, "POST_PROCESS_BUFFER", 2,
                                    nullptr);
    return map;
}

const CKSTKeywordMap& KstBufferModeKeywords()
{
    static const CKSTKeywordMap map("NONE", 0, "FULL", 1, "PART", 2, nullptr);
    return map;
}

const CKSTKeywordMap& KstReadModeKeywords()
{
    static const CKSTKeywordMap map("ERASING", 0, "NONERASING", 1, nullptr);
    return map;
}

const CKSTKeywordMap& KstFftPaddingKeywords()
{
    static const CKSTKeywordMap map("AUTO", 0, "CUT", 1, "ZEROS", 2, "IPOL", 3, nullptr);
    return map;
}

const CKSTKeywordMap& KstFftWindowKeywords()
{
    static const CKSTKeywordMap map("RECTANGLE", 0, "HANNING", 1, "HAMMING", 2, "BLACKM_HARRIS",
                                    3, nullptr);
    return map;
}

const CKSTKeywordMap& KstReductionTypeKeywords()
{
    static const CKSTKeywordMap map("SIMPLE", 0, "MEAN", 1, "MINIMUM", 2, "MAXIMUM", 3, nullptr);
    return map;
}

const KstAssociation& KstAssociationAt(int index)
{
    return kAssociations[index];
}

void KstLoadSettings(const KstSettingsTrees& trees, const KstSettingsEnvironment& environment,
                     KstAppSettings& s)
{
    static const CKSTHeaderInfoList kNothing;
    const bool settingsPresent = environment.useRegistry && trees.settingsOpened;
    const CKSTHeaderInfoList& t = environment.useRegistry ? trees.settings : kNothing;
    // A key that could not be opened keeps the initial values; without the registry the stored
    // defaults apply as if the key were empty.
    if (settingsPresent || !environment.useRegistry) {
        CKSTString language;
        if (t.GetString("Language", language) >= 0) {
            s.language = language == "Deutsch" ? 0 : 1;
        } else {
            s.language = environment.userIsEnglish ? 1 : 0;
        }
        t.GetString("LastLoadDir", s.lastLoadDir);
        s.showTitle = ReadFlag(t, "ShowTitle", 1);
        s.showValues = ReadFlag(t, "ShowValues", 0);
        s.showComment = ReadFlag(t, "ShowComment", 1);
        s.showVariables = ReadFlag(t, "ShowVariables", 1);
        s.showChannelTree = ReadFlag(t, "ShowChTree", 0);
        t.GetStringOr("ReportTopLine", s.reportTopLine, "");
        t.GetStringOr("ReportBottomLine", s.reportBottomLine, "");
        t.GetDoubleOr("ReportMarginLeft", s.reportMarginLeft, 20.0);
        t.GetDoubleOr("ReportMarginRight", s.reportMarginRight, 10.0);
        t.GetDoubleOr("ReportMarginTop", s.reportMarginTop, 10.0);
        t.GetDoubleOr("ReportMarginBottom", s.reportMarginBottom, 10.0);
        s.showSpectra = ReadFlag(t, "ShowSpectra", 0);
        s.onlineBufferMode = ReadKeyword(t, "OnlineBufferMode", "NONE", KstBufferModeKeywords());
        t.GetDoubleOr("OnlineBackView", s.onlineBackView, 0.0);
        s.onlineBufferType =
            ReadKeyword(t, "OnlineBufferType", "CIRCLEBUFFER", KstBufferTypeKeywords());
        t.GetLongOr("OnlineBufferIndex", s.onlineBufferIndex, -1);
        s.onlineReadMode = ReadKeyword(t, "OnlineReadMode", "ERASING", KstReadModeKeywords());
        t.GetDoubleOr("OnlineReadInterval", s.onlineReadInterval, 0.2);
        t.GetDoubleOr("OnlineRAMUsage", s.onlineRamUsage, 30.0);
        s.ftpPassive = ReadFlag(t, "OnlineFTPPassive", 1);
        s.onlineInterpolation = ReadFlag(t, "OnlineInterpolation", 1);
        t.GetLongOr("OnlineIpolFactor", s.interpolationFactor, 35);
        t.GetLongOr("OnlineTriggerChannel", s.triggerChannel, 0);
        t.GetDoubleOr("OnlineTriggerLevel", s.triggerLevel, 0.5);
        t.GetDoubleOr("OnlineUpdateInterval", s.updateInterval, 0.5);
        t.GetString("ProcessSettingsPath", s.processSettingsPath);
        t.GetStringOr("DBODBCSource", s.dbSource, "");
        t.GetStringOr("DBUser", s.dbUser, "");
        if (t.GetString("DBPassword", s.dbPassword, true) < 0) {
            s.dbPassword = "";
        }
        t.GetStringOr("DBDatabase", s.dbDatabase, "");
        t.GetStringOr("DBTable", s.dbTable, "");
        s.reductionOn = ReadFlag(t, "Reduction", 0);
        t.GetLongOr("ReductionFactor", s.reductionFactor, 1);
        t.GetStringOr("ArchivePath", s.archivePath, "");
        s.archiveIncludesSubfolders = ReadFlag(t, "ArchiveIncSub", 0);
        s.reductionType = ReadKeyword(t, "ReductionType", "SIMPLE", KstReductionTypeKeywords());
    }
    // The process window is never shown at start from the settings.
    s.showProcess = 0;

    s.recentSources.clear();
    for (int i = 1; i <= kKstMaxRecentSources; ++i) {
        CKSTString source;
        if (t.GetString(Numbered("OnlineNode_", i), source) < 0) {
            continue;
        }
        bool known = false;
        for (const CKSTString& entry : s.recentSources) {
            known = known || entry == source;
        }
        if (!known) {
            s.recentSources.push_back(source);
        }
    }

    KstLoadAsciiOptions(trees.ascii, environment.useRegistry && trees.asciiOpened, s.textFormat);
    KstLoadFftOptions(trees.fft, environment.useRegistry && trees.fftOpened, s.fft);

    s.settingsFiles.clear();
    for (int i = 1; i <= kKstMaxSettingsFiles; ++i) {
        CKSTString path;
        if (t.GetString(Numbered("SettingsPath_", i), path) < 0 || path.IsEmpty()) {
            continue;
        }
        bool known = false;
        for (const CKSTString& entry : s.settingsFiles) {
            known = known || entry == path;
        }
        if (!known && environment.isExistingFile && environment.isExistingFile(path)) {
            s.settingsFiles.push_back(path);
        }
    }
    t.GetLongOr("SettingsUsage", s.settingsUsage, 1);
    s.settingsUseOnlyFitting = ReadFlag(t, "SettingsUseOnlyFitting", 1);

    if (environment.useRegistry && trees.associationsOpened) {
        KstLoadAssociationFlags(trees.associations, s.associations);
    }
}

void KstSaveSettings(const KstAppSettings& s, KstSettingsTrees& trees)
{
    CKSTHeaderInfoList& t = trees.settings;
    t.Clear();
    t.SetString("Language", s.language == 0 ? "Deutsch" : "English");
    t.SetString("LastLoadDir", s.lastLoadDir);
    t.SetBool("ShowTitle", s.showTitle != 0);
    t.SetBool("ShowValues", s.showValues != 0);
    t.SetBool("ShowComment", s.showComment != 0);
    t.SetBool("ShowVariables", s.showVariables != 0);
    t.SetBool("ShowChTree", s.showChannelTree != 0);
    t.SetString("ReportTopLine", s.reportTopLine);
    t.SetString("ReportBottomLine", s.reportBottomLine);
    t.SetDouble("ReportMarginLeft", s.reportMarginLeft);
    t.SetDouble("ReportMarginRight", s.reportMarginRight);
    t.SetDouble("ReportMarginTop", s.reportMarginTop);
    t.SetDouble("ReportMarginBottom", s.reportMarginBottom);
    t.SetBool("ShowSpectra", s.showSpectra != 0);
    t.SetBool("ShowProcess", s.showProcess != 0);
    t.SetString("OnlineBufferMode", KstBufferModeKeywords().NameOf(s.onlineBufferMode));
    t.SetDouble("OnlineBackView", s.onlineBackView);
    t.SetString("OnlineBufferType", KstBufferTypeKeywords().NameOf(s.onlineBufferType));
    t.SetLong("OnlineBufferIndex", s.onlineBufferIndex);
    t.SetString("OnlineReadMode", KstReadModeKeywords().NameOf(s.onlineReadMode));
    t.SetDouble("OnlineReadInterval", s.onlineReadInterval);
    t.SetDouble("OnlineRAMUsage", s.onlineRamUsage);
    t.SetBool("OnlineFTPPassive", s.ftpPassive != 0);
    t.SetBool("OnlineInterpolation", s.onlineInterpolation != 0);
    t.SetLong("OnlineIpolFactor", s.interpolationFactor);
    t.SetLong("OnlineTriggerChannel", s.triggerChannel);
    t.SetDouble("OnlineTriggerLevel", s.triggerLevel);
    t.SetDouble("OnlineUpdateInterval", s.updateInterval);
    t.SetString("ProcessSettingsPath", s.processSettingsPath);
    for (int i = 0; i < kKstMaxRecentSources; ++i) {
        const bool present = i < static_cast<int>(s.recentSources.size());
        t.SetString(Numbered("OnlineNode_", i + 1), present ? s.recentSources[i] : CKSTString());
    }
    t.SetString("DBODBCSource", s.dbSource);
    t.SetString("DBUser", s.dbUser);
    t.SetString("DBPassword", s.dbPassword, true);
    t.SetString("DBDatabase", s.dbDatabase);
    t.SetString("DBTable", s.dbTable);
    t.SetBool("Reduction", s.reductionOn != 0);
    t.SetLong("ReductionFactor", s.reductionFactor);
    t.SetString("ArchivePath", s.archivePath);
    t.SetBool("ArchiveIncSub", s.archiveIncludesSubfolders != 0);
    t.SetString("ReductionType", KstReductionTypeKeywords().NameOf(s.reductionType));
    for (int i = 0; i < kKstMaxSettingsFiles; ++i) {
        const bool present = i < static_cast<int>(s.settingsFiles.size());
        t.SetString(Numbered("SettingsPath_", i + 1),
                    present ? s.settingsFiles[i] : CKSTString());
    }
    t.SetLong("SettingsUsage", s.settingsUsage);
    t.SetBool("SettingsUseOnlyFitting", s.settingsUseOnlyFitting != 0);

    KstSaveAsciiOptions(s.textFormat, trees.ascii);
    KstSaveFftOptions(s.fft, trees.fft);
}

void KstLoadAsciiOptions(const CKSTHeaderInfoList& tree, bool present, CKSTTextFormat& format)
{
    format = CKSTTextFormat();
    format.formatCode = 1;
    format.xAxis = 1;
    format.writeHeader = 1;
    format.readSeparator = 3;
    format.writeSeparator = 0;
    format.decimalMark = 1;
    format.dateFormat = 0;
    format.columnWidth = 0;
    format.valueDecimals = 3;
    format.averageCount = 0;
    format.interpolate = 0;
    format.timeDecimals = 0;
    format.removeEmptyColumns = 1;
    format.suppressGroupNames = 0;
    format.headerLines = -1;
    if (!present) {
        return;
    }
    CKSTString text;
    if (tree.GetString("LoadXAxis", text) >= 0) {
        format.xAxis = text == "none" ? 0 : 1;
    }
    if (tree.GetString("LoadSeparator", text) >= 0 || tree.GetString("LoadSeperator", text) >= 0) {
        format.readSeparator = text == ";" ? 1 : text == "," ? 0 : text == "TAB" ? 2 : 3;
    }
    if (tree.GetString("SaveSeparator", text) >= 0 || tree.GetString("Seperator", text) >= 0) {
        format.writeSeparator = text == ";" ? 1 : text == "TAB" ? 2 : 0;
    }
    if (tree.GetString("SaveDecMarker", text) >= 0) {
        format.decimalMark = text == "." ? 1 : 0;
    }
    if (tree.GetString("LoadDateFormat", text) >= 0) {
        format.dateFormat = text == "DDMMYY"   ? 1
                            : text == "MMDDYY" ? 2
                            : text == "YYMMDD" ? 3
                            : text == "YYDDMM" ? 4
                                               : 0;
    }
    ReadShortText(tree, "Fraction", format.valueDecimals);
    if (!ReadShortText(tree, "FractionTime", format.timeDecimals) &&
        tree.GetString("bMilliseconds", text) >= 0) {
        format.timeDecimals = text.ToInt64() != 0 ? 3 : 0;
    }
    if (tree.GetString("bMissingValues", text) >= 0) {
        format.interpolate = text.ToInt64() != 0 ? 1 : 0;
    }
    if (tree.GetString("bAverage", text) >= 0) {
        CKSTString count;
        format.averageCount = 0;
        if (text.ToInt64() != 0 && tree.GetString("AverageCount", count) >= 0) {
            format.averageCount = static_cast<int32_t>(count.ToInt64());
        }
    }
    if (tree.GetString("TimeChannel", text) >= 0) {
        format.formatCode = text == "A" ? 1 : text == "AC" ? 2 : 7;
    }
    ReadShortText(tree, "HeaderLines", format.headerLines);
    bool flag = false;
    if (tree.GetBool("RemoveEmpty", flag) >= 0) {
        format.removeEmptyColumns = flag ? 1 : 0;
    }
    if (tree.GetBool("SuppressGroup", flag) >= 0) {
        format.suppressGroupNames = flag ? 1 : 0;
    }
}

void KstSaveAsciiOptions(const CKSTTextFormat& format, CKSTHeaderInfoList& tree)
{
    static const char* const kReadSeparators[] = {",", ";", "TAB", "auto"};
    static const char* const kDateFormats[] = {"auto", "DDMMYY", "MMDDYY", "YYMMDD", "YYDDMM"};
    tree.Clear();
    tree.SetString("LoadXAxis", format.xAxis == 0 ? "none" : "auto");
    const int readSeparator =
        format.readSeparator >= 0 && format.readSeparator <= 2 ? format.readSeparator : 3;
    tree.SetString("LoadSeparator", kReadSeparators[readSeparator]);
    tree.SetString("SaveSeparator", format.writeSeparator == 1   ? ";"
                                    : format.writeSeparator == 2 ? "TAB"
                                                                 : ",");
    tree.SetString("SaveDecMarker", format.decimalMark == 1 ? "." : ",");
    const int date = format.dateFormat >= 1 && format.dateFormat <= 4 ? format.dateFormat : 0;
    tree.SetString("LoadDateFormat", kDateFormats[date]);
    tree.SetString("Fraction", CKSTString::FormatInt(format.valueDecimals));
    tree.SetString("FractionTime", CKSTString::FormatInt(format.timeDecimals));
    tree.SetString("bMissingValues", format.interpolate ? "1" : "0");
    tree.SetString("bAverage", format.averageCount != 0 ? "1" : "0");
    tree.SetString("AverageCount", CKSTString::FormatInt(format.averageCount));
    tree.SetString("TimeChannel", format.formatCode == 1   ? "A"
                                  : format.formatCode == 2 ? "AC"
                                                           : "R");
    tree.SetString("HeaderLines", CKSTString::FormatInt(format.headerLines));
    tree.SetBool("RemoveEmpty", format.removeEmptyColumns != 0);
    tree.SetBool("SuppressGroup", format.suppressGroupNames != 0);
}

void KstLoadFftOptions(const CKSTHeaderInfoList& tree, bool present, KstFftOptions& fft)
{
    fft = KstFftOptions();
    if (!present) {
        return;
    }
    CKSTString text;
    if (tree.GetString("Padding", text) >= 0) {
        fft.padding = KstFftPaddingKeywords().ValueOf(text);
    }
    if (tree.GetString("Window", text) >= 0) {
        fft.window = KstFftWindowKeywords().ValueOf(text);
    }
    fft.killOffset = ReadFlag(tree, "KillOffset", 0);
    tree.GetLongOr("SmoothPoints", fft.smoothPoints, 0);
    tree.GetLongOr("CalcPoints", fft.calcPoints, 0);
}

void KstSaveFftOptions(const KstFftOptions& fft, CKSTHeaderInfoList& tree)
{
    tree.Clear();
    tree.SetString("Padding", KstFftPaddingKeywords().NameOf(fft.padding));
    tree.SetString("Window", KstFftWindowKeywords().NameOf(fft.window));
    tree.SetBool("KillOffset", fft.killOffset != 0);
    tree.SetLong("SmoothPoints", fft.smoothPoints);
    tree.SetLong("CalcPoints", fft.calcPoints);
}

void KstLoadAssociationFlags(const CKSTHeaderInfoList& tree,
                             uint8_t (&flags)[kKstAssociationCount])
{
    for (int i = 0; i < kKstAssociationCount; ++i) {
        CKSTString text;
        if (tree.GetString(kAssociations[i].valueName, text) >= 0) {
            flags[i] = text == "1" ? 1 : 0;
        }
    }
}

void KstSaveAssociationFlags(const uint8_t (&flags)[kKstAssociationCount],
                             CKSTHeaderInfoList& tree)
{
    tree.Clear();
    for (int i = 0; i < kKstAssociationCount; ++i) {
        tree.SetString(kAssociations[i].valueName, flags[i] ? "1" : "0");
    }
}

bool KstIsSplashDue(const KstDate& stored, const KstDate& today)
{
    return stored.day != today.day || stored.month != today.month || stored.year != today.year;
}
