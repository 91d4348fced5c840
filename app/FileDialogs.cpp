#include "app/FileDialogs.h"

#include <cstring>

namespace {

// The patterns of the open and append dialogs, in their order.
constexpr const char* kOpenPatterns[] = {
    "*.qld;*.dat;*.raw;*.kxd;*.zrw;*.wav;*.txt;*.asc;*.log;*.csv;*.ddf;*.ddb;*.mat;*.fig;*.bbl;"
    "*.dbl;*.flt",
    "*.qld",
    "*.zrw",
    "*.dat;*.raw",
    "*.csv;*.txt;*.asc;*.log",
    "*.wav",
    "*.ddf;*.ddb",
    "*.mat;*.fig",
    "*.bbl",
    "*.dbl",
    "*.flt",
    "*.*",
};
constexpr int kOpenCount = sizeof kOpenPatterns / sizeof kOpenPatterns[0];

std::vector<KstFileFilter> WithOpenPatterns(const char* const (&texts)[kOpenCount])
{
    std::vector<KstFileFilter> filters;
    for (int i = 0; i < kOpenCount; ++i) {
        filters.push_back({texts[i], kOpenPatterns[i]});
    }
    return filters;
}

}  // namespace

const std::vector<KstFileFilter>& KstOpenFilters(bool english)
{
    static const char* const kEnglish[kOpenCount] = {
        "All supported datatypes",
        "Talvenor Documents (*.qld)",
        "ZRW File Format (*.zrw)",
        "FAMOS files (*.dat, *.raw)",
        "ASCII files (*csv, *.txt, *.asc, *.log)",
        "WAVE files (*.wav)",
        "DASYLab files (*.ddf, *.ddb)",
        "MatLab files (*.mat, *.fig)",
        "Halvik Files (*.bbl)",
        "Double files (*.dbl)",
        "Float files (*.flt)",
        "All Files (*.*)",
    };
    static const char* const kGerman[kOpenCount] = {
        "Alle Dateiformate",
        "Talvenor Dokumente (*.qld)",
        "ZRW Datei Format (*.zrw)",
        "FAMOS Dateien (*.dat, *.raw)",
        "ASCII Dateien (*csv, *.txt, *.asc, *.log)",
        "WAVE Dateien (*.wav)",
        "DASYLab Dateien (*.ddf, *.ddb)",
        "MatLab Dateien (*.mat, *.fig)",
        "Halvik Dateien (*.bbl)",
        "Double Dateien (*.dbl)",
        "Float Dateien (*.flt)",
        "Alle Dateien (*.*)",
    };
    static const std::vector<KstFileFilter> english_ = WithOpenPatterns(kEnglish);
    static const std::vector<KstFileFilter> german = WithOpenPatterns(kGerman);
    return english ? english_ : german;
}

const std::vector<KstFileFilter>& KstAppendFilters(bool english)
{
    static const char* const kEnglish[kOpenCount] = {
        "All supported datatypes",
        "Talvenor Documents (*.qld)",
        "ZRW File Format (*.zrw)",
        "FAMOS Files (*.dat, *.raw)",
        "ASCII Files (*.csv, *.txt, *.asc, *.log)",
        "WAVE Files (*.wav)",
        "DASYLab Files (*.ddf, *.ddb)",
        "MATLAB Files (*.mat, *.fig)",
        "Halvik Files (*.bbl)",
        "Double Files (*.dbl)",
        "Float Files (*.flt)",
        "All Files (*.*)",
    };
    static const char* const kGerman[kOpenCount] = {
        "Alle Dateiformate",
        "Talvenor Dokumente (*.qld)",
        "ZRW Dateiformat (*.zrw)",
        "FAMOS Dateien (*.dat, *.raw)",
        "ASCII Dateien (*.csv, *.txt, *.asc, *.log)",
        "WAVE Dateien (*.wav)",
        "DASYLab Dateien (*.ddf, *.ddb)",
        "MATLAB Dateien (*.mat, *.fig)",
        "Halvik Dateien (*.bbl)",
        "Double Dateien (*.dbl)",
        "Float Dateien (*.flt)",
        "Alle Dateien (*.*)",
    };
    static const std::vector<KstFileFilter> english_ = WithOpenPatterns(kEnglish);
    static const std::vector<KstFileFilter> german = WithOpenPatterns(kGerman);
    return english ? english_ : german;
}

const std::vector<KstFileFilter>& KstSaveAsFilters()
{
    static const std::vector<KstFileFilter> filters = {
        {"Talvenor (*.qld)", "*.qld"},
        {"DASYLab (*.ddf)", "*.ddf"},
        {"Famos (*.dat)", "*.dat"},
        {"MATLAB (*.mat)", "*.mat"},
        {"UDBF (*.dat)", "*.dat"},
        {"Halvik (*.bbl)", "*.bbl"},
        {"16Bit-WAVE (*.wav)", "*.wav"},
        {"Excel (*.csv)", "*.csv"},
        {"Windows Bitmap (*.bmp)", "*.bmp"},
        {"GIF (*.gif)", "*.gif"},
        {"JPG (*.jpg)", "*.jpg"},
        {"All Files (*.*)", "*.*"},
    };
    return filters;
}

CKSTString KstFilterString(const std::vector<KstFileFilter>& filters)
{
    CKSTString text;
    for (const KstFileFilter& filter : filters) {
        text += filter.text;
        text += '|';
        text += filter.pattern;
        text += '|';
    }
    text += '|';
    return text;
}

CKSTString KstPathTail3(const CKSTString& path)
{
    CKSTString tail = path.GetLength() > 3 ? path.Right(3) : path;
    tail.MakeLower();
    return tail;
}

bool KstSavesInPlace(const CKSTString& currentPath)
{
    if (currentPath.IsEmpty()) {
        return false;
    }
    const CKSTString tail = KstPathTail3(currentPath);
    for (const char* extension : {"qld", "zrw", "dat", "ddf", "mat", "wav", "bbl"}) {
        if (tail == extension) {
            return true;
        }
    }
    return false;
}

KstSaveAsStart KstSaveAsStartFor(const CKSTString& currentPath)
{
    KstSaveAsStart start;
    start.initialName =
        currentPath.GetLength() < 4 ? currentPath : currentPath.Left(currentPath.GetLength() - 4);
    const CKSTString tail = KstPathTail3(currentPath);
    struct Rule {
        const char* tail;
        int filterIndex;
        const char* extension;  // null: the current one
    };
    static const Rule kRules[] = {
        {"qld", 1, nullptr}, {"kxd", 1, nullptr}, {"zrw", 1, nullptr}, {"ddb", 2, "ddb"},
        {"ddf", 2, "ddb"},   {"dat", 3, "dat"},   {"mat", 4, "mat"},   {"fig", 4, "mat"},
        {"bbl", 6, "bbl"},   {"wav", 7, "wav"},   {"csv", 8, "csv"},
    };
    start.defaultExtension = "qld";
    for (const Rule& rule : kRules) {
        if (tail == rule.tail) {
            start.filterIndex = rule.filterIndex;
            start.defaultExtension = rule.extension ? CKSTString(rule.extension) : tail;
            break;
        }
    }
    return start;
}

int KstSaveAsFileType(int filterIndex)
{
    static const int kTypes[] = {KST_FILE_NATIVE, KST_FILE_DASYLAB, KST_FILE_FAMOS, KST_FILE_MATLAB,
                                 KST_FILE_UDBF,   KST_FILE_RECORD,  KST_FILE_WAV,   KST_FILE_TEXT,
                                 KST_FILE_BITMAP, KST_FILE_GIF,     KST_FILE_JPEG};
    constexpr int count = sizeof kTypes / sizeof kTypes[0];
    return filterIndex >= 1 && filterIndex <= count ? kTypes[filterIndex - 1] : KST_FILE_NATIVE;
}

CKSTString KstFolderOf(const CKSTString& path)
{
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? CKSTString() : path.Left(slash);
}
