#include "app/DocumentRules.h"

#include <charconv>
#include <cstring>

#include "data/MeasurementFile.h"
#include "panels/FileFilter.h"

namespace {

bool IsOneOf(const CKSTString& extension, std::initializer_list<const char*> list)
{
    for (const char* candidate : list) {
        if (extension == candidate) {
            return true;
        }
    }
    return false;
}

constexpr char kAllSupported[] =
    "*.qld;*.dat;*.raw;*.kxd;*.zrw;*.wav;*.txt;*.asc;*.log;*.csv;*.ddf;*.ddb;*.mat;*.fig;*.bbl;"
    "*.dbl;*.flt";

const KstFileFilter kOpenFilters[] = {
    {"All supported datatypes", "Alle Dateiformate", kAllSupported},
    {"Talvenor Documents (*.qld)", "Talvenor Dokumente (*.qld)", "*.qld"},
    {"ZRW File Format (*.zrw)", "ZRW Datei Format (*.zrw)", "*.zrw"},
    {"FAMOS files (*.dat, *.raw)", "FAMOS Dateien (*.dat, *.raw)", "*.dat;*.raw"},
    {"ASCII files (*csv, *.txt, *.asc, *.log)", "ASCII Dateien (*csv, *.txt, *.asc, *.log)",
     "*.csv;*.txt;*.asc;*.log"},
    {"WAVE files (*.wav)", "WAVE Dateien (*.wav)", "*.wav"},
    {"DASYLab files (*.ddf, *.ddb)", "DASYLab Dateien (*.ddf, *.ddb)", "*.ddf;*.ddb"},
    {"MatLab files (*.mat, *.fig)", "MatLab Dateien (*.mat, *.fig)", "*.mat;*.fig"},
    {"Halvik Files (*.bbl)", "Halvik Dateien (*.bbl)", "*.bbl"},
    {"Double files (*.dbl)", "Double Dateien (*.dbl)", "*.dbl"},
    {"Float files (*.flt)", "Float Dateien (*.flt)", "*.flt"},
    {"All Files (*.*)", "Alle Dateien (*.*)", "*.*"},
};

const KstFileFilter kAppendFilters[] = {
    {"All supported datatypes", "Alle Dateiformate", kAllSupported},
    {"Talvenor Documents (*.qld)", "Talvenor Dokumente (*.qld)", "*.qld"},
    {"ZRW File Format (*.zrw)", "ZRW Dateiformat (*.zrw)", "*.zrw"},
    {"FAMOS Files (*.dat, *.raw)", "FAMOS Dateien (*.dat, *.raw)", "*.dat;*.raw"},
    {"ASCII Files (*.csv, *.txt, *.asc, *.log)", "ASCII Dateien (*.csv, *.txt, *.asc, *.log)",
     "*.csv;*.txt;*.asc;*.log"},
    {"WAVE Files (*.wav)", "WAVE Dateien (*.wav)", "*.wav"},
    {"DASYLab Files (*.ddf, *.ddb)", "DASYLab Dateien (*.ddf, *.ddb)", "*.ddf;*.ddb"},
    {"MATLAB Files (*.mat, *.fig)", "MATLAB Dateien (*.mat, *.fig)", "*.mat;*.fig"},
    {"Halvik Files (*.bbl)", "Halvik Dateien (*.bbl)", "*.bbl"},
    {"Double Files (*.dbl)", "Double Dateien (*.dbl)", "*.dbl"},
    {"Float Files (*.flt)", "Float Dateien (*.flt)", "*.flt"},
    {"All Files (*.*)", "Alle Dateien (*.*)", "*.*"},
};

struct SaveAsFilter {
    const char* text;
    const char* pattern;
    int32_t fileType;
};

const SaveAsFilter kSaveAsFilters[kKstSaveAsFilterCount] = {
    {"Talvenor (*.qld)", "*.qld", KST_FILE_NATIVE},
    {"DASYLab (*.ddf)", "*.ddf", KST_FILE_DASYLAB},
    {"Famos (*.dat)", "*.dat", KST_FILE_FAMOS},
    {"MATLAB (*.mat)", "*.mat", KST_FILE_MATLAB},
    {"UDBF (*.dat)", "*.dat", KST_FILE_UDBF_BIG},
    {"Halvik (*.bbl)", "*.bbl", KST_FILE_RECORD},
    {"16Bit-WAVE (*.wav)", "*.wav", KST_FILE_WAV},
    {"Excel (*.csv)", "*.csv", KST_FILE_TEXT},
    {"Windows Bitmap (*.bmp)", "*.bmp", KST_FILE_BMP},
    {"GIF (*.gif)", "*.gif", KST_FILE_GIF},
    {"JPG (*.jpg)", "*.jpg", KST_FILE_JPEG},
    {"All Files (*.*)", "*.*", KST_FILE_NATIVE},
};


}  // namespace

CKSTString KstPathExtension(const CKSTString& path)
{
    CKSTString extension = path.Right(3);
    extension.MakeLower();
    return extension;
}

KstSaveTarget KstChooseSaveTarget(const CKSTString& path, int32_t fileType)
{
    const CKSTString extension = KstPathExtension(path);
    if (IsOneOf(extension, {"qld", "kxd", "zrw"})) {
        return {KstSaveWriter::Native, KstSaveCheck::None, KST_FILE_NATIVE};
    }
    if (extension == "dat") {
        if (fileType == KST_FILE_UDBF_BIG || fileType == KST_FILE_UDBF_LITTLE) {
            return {KstSaveWriter::Udbf, KstSaveCheck::CommonTimeBaseXDelta, fileType};
        }
        return {KstSaveWriter::Famos, KstSaveCheck::None, KST_FILE_FAMOS};
    }
    if (extension == "ddf") {
        return {KstSaveWriter::Dasylab, KstSaveCheck::XDelta, KST_FILE_DASYLAB};
    }
    if (extension == "mat") {
        return {KstSaveWriter::Matlab, KstSaveCheck::None, KST_FILE_MATLAB};
    }
    if (extension == "bbl") {
        return {KstSaveWriter::Record, KstSaveCheck::XDelta, KST_FILE_RECORD};
    }
    if (extension == "wav") {
        return {KstSaveWriter::Wav, KstSaveCheck::WavRules, KST_FILE_WAV};
    }
    if (extension == "bmp") {
        return {KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_BMP};
    }
    if (extension == "gif") {
        return {KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_GIF};
    }
    if (extension == "jpg") {
        return {KstSaveWriter::Picture, KstSaveCheck::None, KST_FILE_JPEG};
    }
    return {KstSaveWriter::Text, KstSaveCheck::None, KST_FILE_TEXT};
}

bool KstCanSaveInPlace(const CKSTString& path)
{
    return !path.IsEmpty() &&
           IsOneOf(KstPathExtension(path), {"qld", "zrw", "dat", "ddf", "mat", "wav", "bbl"});
}

CKSTString KstSaveAsFilter()
{
    CKSTString filter;
    for (const SaveAsFilter& entry : kSaveAsFilters) {
        filter += entry.text;
        filter += '|';
        filter += entry.pattern;
        filter += '|';
    }
    filter += '|';
    return filter;
}

int32_t KstSaveAsFileType(int filterIndex)
{
    if (filterIndex < 1 || filterIndex > kKstSaveAsFilterCount) {
        return KST_FILE_NATIVE;
    }
    return kSaveAsFilters[filterIndex - 1].fileType;
}

KstSaveAsPreset KstSaveAsPresetFor(const CKSTString& currentPath)
{
    KstSaveAsPreset preset{0, "qld", currentPath};
    if (currentPath.GetLength() >= 4) {
        preset.initialName = currentPath.Left(currentPath.GetLength() - 4);
    }
    const CKSTString extension = KstPathExtension(currentPath);
    if (IsOneOf(extension, {"qld", "kxd", "zrw"})) {
        preset = {1, extension, preset.initialName};
    } else if (IsOneOf(extension, {"ddb", "ddf"})) {
        preset = {2, "ddb", preset.initialName};
    } else if (extension == "dat") {
        preset = {3, "dat", preset.initialName};
    } else if (IsOneOf(extension, {"mat", "fig"})) {
        preset = {4, "mat", preset.initialName};
    } else if (extension == "bbl") {
        preset = {6, "bbl", preset.initialName};
    } else if (extension == "wav") {
        preset = {7, "wav", preset.initialName};
    } else if (extension == "csv") {
        preset = {8, "csv", preset.initialName};
    }
    return preset;
}

CKSTString KstOpenFilter(bool english)
{
    return KstFilterString(kOpenFilters, english);
}

CKSTString KstAppendFilter(bool english)
{
    return KstFilterString(kAppendFilters, english);
}

const std::vector<KstFolderFileType>& KstFolderFileTypes()
{
    static const std::vector<KstFolderFileType> types = {
        {"qld", 0},  {"kxd", 0},  {"zrw", 1},  {"dat", 2},  {"raw", 3},  {"ddf", 4},
        {"ddb", 5},  {"mat", 6},  {"fig", 7},  {"wav", 8},  {"dbl", 9},  {"flt", 10},
        {"bbl", 11}, {"asc", 12}, {"csv", 13}, {"log", 14}, {"txt", 15},
    };
    return types;
}

bool KstIsFolderFileType(const CKSTString& extension, const uint8_t* options, int optionCount)
{
    for (const KstFolderFileType& type : KstFolderFileTypes()) {
        if (extension == type.extension) {
            return type.optionIndex < optionCount && options[type.optionIndex] != 0;
        }
    }
    return false;
}

// ---- The lock -------------------------------------------------------------------------------

void CKSTDocLock::StoreIn(CKSTHeaderInfoList& header) const
{
    if (HasPassword()) {
        header.Add(CKSTHeaderInfoItem(kKstLockEntry, m_password, true));
        return;
    }
    // Only the hidden entry is the lock; a visible entry of that name is the user's variable.
    for (int index = header.Find(kKstLockEntry, true); index >= 0;
         index = header.Find(kKstLockEntry, true)) {
        const CKSTString removed(
            "\x1D"
            "lock removed");
        header.GetItem(index).m_name = removed;
        header.Remove(removed);
    }
}

CKSTString CKSTDocLock::FindIn(const CKSTHeaderInfoList& header)
{
    CKSTString password;
    if (header.GetString(kKstLockEntry, password, true) < 0) {
        password.Empty();
    }
    return password;
}

// ---- Cut between cursors --------------------------------------------------------------------

bool KstParseCutBound(const CKSTString& text, bool german, double& value)
{
    CKSTString number = text;
    number.Trim();
    if (german) {
        number.Replace(',', '.');
    }
    const char* first = number.c_str();
    const char* last = first + number.GetLength();
    if (first != last && *first == '+') {
        ++first;
    }
    double parsed = 0.0;
    const auto result = std::from_chars(first, last, parsed);
    if (number.IsEmpty() || result.ec != std::errc() || result.ptr != last) {
        return false;
    }
    value = parsed;
    return true;
}

CKSTString KstFormatCutBound(double value)
{
    return CKSTString::FormatGeneral(value, 16);
}
