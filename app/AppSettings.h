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

// A calendar date as the splash key stores it.
struct KstDate {
    int16_t day = 0, month = 0, year = 0;
};
// The splash shows unless the stored date is today's.
bool KstIsSplashDue(const KstDate& stored, const KstDate& today);
