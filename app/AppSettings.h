#pragma once
// The user's options held by the application object, and how they move between it and the
// settings trees of the registry keys below the program's root (one tree per key, loaded and
// saved as a whole). Everything here is portable: the registry itself is reached in win/.
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/HeaderInfoList.h"
#include "foundation/KeywordMap.h"
#include "foundation/String.h"
#include "formats/TextFormat.h"

// Keys below the program's root key of HKEY_CURRENT_USER ("Software\\Kestro\\Talvenor\\").
constexpr char kKstSettingsKey[] = "Options\\SETTINGS";
constexpr char kKstAsciiKey[] = "Options\\ASCIISAVE";
constexpr char kKstFftKey[] = "Options\\FFT";
constexpr char kKstAssociationsKey[] = "Associations";
constexpr char kKstAssociationKey[] = "Association";
constexpr char kKstSplashDateKey[] = "VadudeDuzavu\\SplashDate";

constexpr int kKstMaxSettingsFiles = 5;
constexpr int kKstMaxRecentSources = 10;
constexpr int kKstAssociationCount = 16;

// Keyword tables of the stored keyword values; an unknown name reads as 0.
const CKSTKeywordMap& KstBufferTypeKeywords();     // CIRCLEBUFFER 0, LOGGER 1, POST_PROCESS_BUFFER 2
const CKSTKeywordMap& KstBufferModeKeywords();     // NONE 0, FULL 1, PART 2
const CKSTKeywordMap& KstReadModeKeywords();       // ERASING 0, NONERASING 1
const CKSTKeywordMap& KstFftPaddingKeywords();     // AUTO 0, CUT 1, ZEROS 2, IPOL 3
const CKSTKeywordMap& KstFftWindowKeywords();      // RECTANGLE 0 ... BLACKM_HARRIS 3
const CKSTKeywordMap& KstReductionTypeKeywords();  // SIMPLE 0, MEAN 1, MINIMUM 2, MAXIMUM 3

// Spectrum options; every field 0 before reading.
struct KstFftOptions {
    int32_t padding = 0;
    int32_t window = 0;
    uint8_t killOffset = 0;
    int32_t smoothPoints = 0;
    int32_t calcPoints = 0;
};

// Extensions in the order of the association flags and their registry value names.
struct KstAssociation {
    const char* extension;  // lower case, no dot
    const char* valueName;
};
const KstAssociation& KstAssociationAt(int index);

// The options of the application object with the initial values its constructor gives them
// (the registry's defaults differ for some and apply when the settings key exists).
struct KstAppSettings {
    int32_t language = 0;  // 0 German, 1 English
    CKSTString lastLoadDir;
    uint8_t showTitle = 1, showChannelTree = 0, showComment = 1, showValues = 0;
    uint8_t showVariables = 1, showSpectra = 0, showProcess = 0;
    CKSTString reportTopLine, reportBottomLine;
    double reportMarginLeft = 20.0, reportMarginRight = 10.0;
    double reportMarginTop = 10.0, reportMarginBottom = 10.0;
    int32_t settingsUsage = 0;
    uint8_t settingsUseOnlyFitting = 0;
    std::vector<CKSTString> settingsFiles;  // newest first, at most five
    int32_t onlineBufferMode = 0;
    double onlineBackView = 0.0;
    int32_t onlineBufferType = 0;
    int32_t onlineBufferIndex = -1;
    int32_t onlineReadMode = 0;
    double onlineReadInterval = 0.2;
    double onlineRamUsage = 30.0;
    uint8_t ftpPassive = 1;
    uint8_t onlineInterpolation = 0;
    int32_t interpolationFactor = 10;
    int32_t triggerChannel = 0;
    double triggerLevel = 0.0;
    double updateInterval = 0.5;
    std::vector<CKSTString> recentSources;  // newest first
    CKSTString dbSource, dbUser, dbPassword, dbDatabase, dbTable;
    uint8_t reductionOn = 0;
    int32_t reductionType = 0;
    int32_t reductionFactor = 1;
    CKSTString archivePath;
    uint8_t archiveIncludesSubfolders = 0;
    CKSTString processSettingsPath;
    CKSTTextFormat textFormat;
    KstFftOptions fft;
    uint8_t associations[kKstAssociationCount] = {};
};

// What a load needs of the world outside the trees.
struct KstSettingsEnvironment {
    bool useRegistry = true;
    bool userIsEnglish = false;  // the user's default language is not German
    // True for an existing file that is no folder.
    std::function<bool(const CKSTString& path)> isExistingFile;
};

// The trees read at start-up; a key that could not be opened is marked so.
struct KstSettingsTrees {
    CKSTHeaderInfoList settings, ascii, fft, associations;
    bool settingsOpened = false, asciiOpened = false, fftOpened = false,
         associationsOpened = false;
};

// Applies the loaded trees to `s`. Without the registry every value counts as absent, so the
// stored defaults apply; with it, a settings key that could not be opened leaves the general
// and online values at their initial values.
void KstLoadSettings(const KstSettingsTrees& trees, const KstSettingsEnvironment& environment,
                     KstAppSettings& s);
// The trees to write back: the settings key's tree (every value, in the stored order) and the
// text-table and spectrum keys' trees.
void KstSaveSettings(const KstAppSettings& s, KstSettingsTrees& trees);

// The records alone (used by the two functions above).
void KstLoadAsciiOptions(const CKSTHeaderInfoList& tree, bool present, CKSTTextFormat& format);
void KstSaveAsciiOptions(const CKSTTextFormat& format, CKSTHeaderInfoList& tree);
void KstLoadFftOptions(const CKSTHeaderInfoList& tree, bool present, KstFftOptions& fft);
void KstSaveFftOptions(const KstFftOptions& fft, CKSTHeaderInfoList& tree);
void KstLoadAssociationFlags(const CKSTHeaderInfoList& tree, uint8_t (&flags)[kKstAssociationCount]);
void KstSaveAssociationFlags(const uint8_t (&flags)[kKstAssociationCount], CKSTHeaderInfoList& tree);

// ---- How the record is stored ------------------------------------------------------------
// One call per stored value, in the stored order, with the value's name and the default a load
// takes when the value is absent: the same description drives the load, the save and the
// tests. Io is the reader, the writer or a test's visitor; the record is const for writing.
//   Flag       binary byte; a value of any type converts (a text sets it unless it is "0")
//   Long       DWORD; a value of any type converts
//   Double     the number as text; a value of any type converts
//   Text       a value of another type leaves the field as it is
//   KeptText   a text that an absent value leaves as it is too
//   HiddenText a text kept hidden; anything else reads as the default
//   Keyword    a name of the keyword table; another name or type reads as 0
//   List       texts prefix1 ... prefixN, every position written (empty beyond the list)
//   OffAtLoad  a flag that is written but reads as off
// and texts of which a value of another type counts as absent:
//   Language   "Deutsch" or "English"; another text reads as English, an absent value as the
//              user's language
//   Choice     a text of a choice list; an older name is read when the value is absent
//   NumberText a 16-bit number; an older flag is read when the value is absent
//   FlagText   "1" or "0"; any number but 0 sets it
//   CountText  a count and a flag that switches it on; off reads as 0
//   AssociationFlag "1" or "0"; any other text clears it, an absent value leaves it

// Which stored texts of a numbered list a load takes; each text is taken once.
enum class KstListEntries {
    Any,
    ExistingFiles,  // not empty, and an existing file that is no folder
};

// A stored text and the value it stands for. The first choice of a list is what any other
// text reads as and what any other value is written as.
struct KstTextChoice {
    int32_t value;
    const char* text;
};

// A flag of earlier versions that stood for a number when set and for 0 when clear.
struct KstOlderFlag {
    const char* name;
    int16_t whenSet;
};

inline constexpr KstTextChoice kKstXAxisTexts[] = {{1, "auto"}, {0, "none"}};
inline constexpr KstTextChoice kKstReadSeparatorTexts[] = {
    {KST_TEXT_SEPARATOR_AUTO, "auto"},
    {KST_TEXT_SEPARATOR_COMMA, ","},
    {KST_TEXT_SEPARATOR_SEMICOLON, ";"},
    {KST_TEXT_SEPARATOR_TAB, "TAB"},
};
inline constexpr KstTextChoice kKstWriteSeparatorTexts[] = {
    {KST_TEXT_SEPARATOR_COMMA, ","},
    {KST_TEXT_SEPARATOR_SEMICOLON, ";"},
    {KST_TEXT_SEPARATOR_TAB, "TAB"},
};
inline constexpr KstTextChoice kKstDecimalMarkTexts[] = {{0, ","}, {1, "."}};
inline constexpr KstTextChoice kKstDateFormatTexts[] = {
    {KST_TEXT_DATE_AUTO, "auto"},     {KST_TEXT_DATE_DDMMYY, "DDMMYY"},
    {KST_TEXT_DATE_MMDDYY, "MMDDYY"}, {KST_TEXT_DATE_YYMMDD, "YYMMDD"},
    {KST_TEXT_DATE_YYDDMM, "YYDDMM"},
};
inline constexpr KstTextChoice kKstTimeChannelTexts[] = {
    {KST_TEXT_CSV_SECONDS, "R"},
    {KST_TEXT_CSV_TIME, "A"},
    {KST_TEXT_CSV_DATETIME, "AC"},
};

// The settings key holds two groups: a key that could not be opened keeps the general values
// the record holds, but not the settings-file choices.
template <class Io, class S>
void KstVisitGeneralSettings(Io& io, S& s)
{
    io.Language("Language", s.language);
    io.KeptText("LastLoadDir", s.lastLoadDir);
    io.Flag("ShowTitle", s.showTitle, 1);
    io.Flag("ShowValues", s.showValues, 0);
    io.Flag("ShowComment", s.showComment, 1);
    io.Flag("ShowVariables", s.showVariables, 1);
    io.Flag("ShowChTree", s.showChannelTree, 0);
    io.Text("ReportTopLine", s.reportTopLine, "");
    io.Text("ReportBottomLine", s.reportBottomLine, "");
    io.Double("ReportMarginLeft", s.reportMarginLeft, 20.0);
    io.Double("ReportMarginRight", s.reportMarginRight, 10.0);
    io.Double("ReportMarginTop", s.reportMarginTop, 10.0);
    io.Double("ReportMarginBottom", s.reportMarginBottom, 10.0);
    io.Flag("ShowSpectra", s.showSpectra, 0);
    // The process window is never shown at start from the settings.
    io.OffAtLoad("ShowProcess", s.showProcess);
    io.Keyword("OnlineBufferMode", s.onlineBufferMode, KstBufferModeKeywords(), "NONE");
    io.Double("OnlineBackView", s.onlineBackView, 0.0);
    io.Keyword("OnlineBufferType", s.onlineBufferType, KstBufferTypeKeywords(), "CIRCLEBUFFER");
    io.Long("OnlineBufferIndex", s.onlineBufferIndex, -1);
    io.Keyword("OnlineReadMode", s.onlineReadMode, KstReadModeKeywords(), "ERASING");
    io.Double("OnlineReadInterval", s.onlineReadInterval, 0.2);
    io.Double("OnlineRAMUsage", s.onlineRamUsage, 30.0);
    io.Flag("OnlineFTPPassive", s.ftpPassive, 1);
    io.Flag("OnlineInterpolation", s.onlineInterpolation, 1);
    io.Long("OnlineIpolFactor", s.interpolationFactor, 35);
    io.Long("OnlineTriggerChannel", s.triggerChannel, 0);
    io.Double("OnlineTriggerLevel", s.triggerLevel, 0.5);
    io.Double("OnlineUpdateInterval", s.updateInterval, 0.5);
    io.KeptText("ProcessSettingsPath", s.processSettingsPath);
    io.List("OnlineNode_", s.recentSources, kKstMaxRecentSources, KstListEntries::Any);
    io.Text("DBODBCSource", s.dbSource, "");
    io.Text("DBUser", s.dbUser, "");
    io.HiddenText("DBPassword", s.dbPassword, "");
    io.Text("DBDatabase", s.dbDatabase, "");
    io.Text("DBTable", s.dbTable, "");
    io.Flag("Reduction", s.reductionOn, 0);
    io.Long("ReductionFactor", s.reductionFactor, 1);
    io.Text("ArchivePath", s.archivePath, "");
    io.Flag("ArchiveIncSub", s.archiveIncludesSubfolders, 0);
    io.Keyword("ReductionType", s.reductionType, KstReductionTypeKeywords(), "SIMPLE");
}

template <class Io, class S>
void KstVisitSettingsFileChoices(Io& io, S& s)
{
    io.List("SettingsPath_", s.settingsFiles, kKstMaxSettingsFiles, KstListEntries::ExistingFiles);
    io.Long("SettingsUsage", s.settingsUsage, 1);
    io.Flag("SettingsUseOnlyFitting", s.settingsUseOnlyFitting, 1);
}

template <class Io, class F>
void KstVisitAsciiOptions(Io& io, F& f)
{
    io.Choice("LoadXAxis", f.xAxis, 1, kKstXAxisTexts);
    io.Choice("LoadSeparator", f.readSeparator, KST_TEXT_SEPARATOR_AUTO, kKstReadSeparatorTexts,
              "LoadSeperator");
    io.Choice("SaveSeparator", f.writeSeparator, KST_TEXT_SEPARATOR_COMMA, kKstWriteSeparatorTexts,
              "Seperator");
    io.Choice("SaveDecMarker", f.decimalMark, 1, kKstDecimalMarkTexts);
    io.Choice("LoadDateFormat", f.dateFormat, KST_TEXT_DATE_AUTO, kKstDateFormatTexts);
    io.NumberText("Fraction", f.valueDecimals, 3);
    io.NumberText("FractionTime", f.timeDecimals, 0, KstOlderFlag{"bMilliseconds", 3});
    io.FlagText("bMissingValues", f.interpolate, 0);
    io.CountText("bAverage", "AverageCount", f.averageCount);
    io.Choice("TimeChannel", f.formatCode, KST_TEXT_CSV_TIME, kKstTimeChannelTexts);
    io.NumberText("HeaderLines", f.headerLines, -1);
    io.Flag("RemoveEmpty", f.removeEmptyColumns, 1);
    io.Flag("SuppressGroup", f.suppressGroupNames, 0);
}

template <class Io, class F>
void KstVisitFftOptions(Io& io, F& fft)
{
    io.Keyword("Padding", fft.padding, KstFftPaddingKeywords(), "AUTO");
    io.Keyword("Window", fft.window, KstFftWindowKeywords(), "RECTANGLE");
    io.Flag("KillOffset", fft.killOffset, 0);
    io.Long("SmoothPoints", fft.smoothPoints, 0);
    io.Long("CalcPoints", fft.calcPoints, 0);
}

template <class Io, class Flags>
void KstVisitAssociationFlags(Io& io, Flags& flags)
{
    for (int i = 0; i < kKstAssociationCount; ++i) {
        io.AssociationFlag(KstAssociationAt(i).valueName, flags[i]);
    }
}

// A calendar date as the splash key stores it.
struct KstDate {
    int16_t day = 0, month = 0, year = 0;
};
// The splash shows unless the stored date is today's.
bool KstIsSplashDue(const KstDate& stored, const KstDate& today);
