#pragma once
// The program's own command-line keywords ("/"-separated: ONLCTRL, ONLQVANE, DATASOURCE,
// NOREG, EM1, VEMTA, SETTINGS, SETTINGSALL, PWIN), the file names of the rest of the line,
// and the small recent lists the application keeps. Portable: what the keywords ask for is
// carried out by the application object.
#include <cstdint>
#include <vector>

#include "foundation/String.h"

// Source kinds of an online connection.
enum KstSourceKind : int32_t {
    KST_SOURCE_NONE = 0,
    KST_SOURCE_NODE = 1,
    KST_SOURCE_CONTROLLER_BUFDES = 2,
    KST_SOURCE_CONTROLLER = 3,
    KST_SOURCE_CONTROLLER_PROBE = 4,
    KST_SOURCE_SERIAL_MASTER = 5,
    KST_SOURCE_PIPE = 6,
    KST_SOURCE_CONTROLLER_2 = 7,
};

// The default TCP command port of an acquisition node.
constexpr int kKstNodeCommandPort = 49163;

struct KstSettingsFileRequest {
    bool all;  // SETTINGSALL: the settings including markers
    CKSTString path;
};

// What the keywords of one command line ask for, in the order they were given.
struct KstCommandLineRequest {
    int32_t sourceKind = KST_SOURCE_NONE;  // none: no connection asked for
    CKSTString address;
    int32_t bufferMode = 0;  // 0 NONE, 1 FULL, 2 PART
    double backView = 0.0;   // negative seconds for PART
    CKSTString bufferTypeText = "CIRCLEBUFFER";
    int16_t bufferIndex = -1;
    CKSTString readModeText = "ERASING";
    bool pipeSource = false;       // EM1
    bool serialBusSource = false;  // VEMTA
    std::vector<KstSettingsFileRequest> settingsFiles;
    CKSTString processSettingsPath;  // PWIN; empty when not given
    CKSTString collectedText;        // the tokens that are no keyword, as typed, each + " "
};

// Upper case of ASCII letters and the German umlauts of code page 1252.
CKSTString KstUpperCase(const CKSTString& text);

KstCommandLineRequest KstParseCommandLineKeywords(const CKSTString& commandLine);

// The online read choice of a connection from the command line. False when the type text is
// none of the three buffer types: the stored values then stay.
bool KstMapDataSource(const KstCommandLineRequest& request, int32_t& bufferType,
                      int32_t& bufferIndex, int32_t& readMode);

// Names in a text of file names: blank-separated, or in double quotes (removed).
std::vector<CKSTString> KstSplitFileNames(const CKSTString& text);
// Ascending signed-byte order; a proper prefix first.
void KstSortFileNames(std::vector<CKSTString>& names);

// The recent display-settings files: `path` becomes the first of at most five; the list is not
// searched for an equal entry.
void KstPushSettingsFile(std::vector<CKSTString>& files, const CKSTString& path);
// `text` first, every other entry that differs from it after it in order.
void KstPromoteRecentSource(std::vector<CKSTString>& sources, const CKSTString& text);
