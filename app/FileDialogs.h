#pragma once
// What the open, append and save dialogs of the file commands offer: their filter lists in
// both languages, and the rules that pick the Save As dialog's first filter, default extension
// and initial name from the current path and turn the chosen filter into a file type code.
// Portable: the dialogs themselves run in win/.
#include <vector>

#include "foundation/String.h"

// One filter line of a file dialog.
struct KstFileFilter {
    const char* text;
    const char* pattern;
};

// In the dialogs' order; `english` picks the texts (the patterns are the same).
const std::vector<KstFileFilter>& KstOpenFilters(bool english);
const std::vector<KstFileFilter>& KstAppendFilters(bool english);
const std::vector<KstFileFilter>& KstSaveAsFilters();
// The form the file dialog takes: "text|pattern|...||".
CKSTString KstFilterString(const std::vector<KstFileFilter>& filters);

// File type codes of the measurement-file object that Save As can choose.
enum KstFileTypeCode : int {
    KST_FILE_NATIVE = 1,
    KST_FILE_TEXT = 3,
    KST_FILE_FAMOS = 4,
    KST_FILE_DASYLAB = 5,
    KST_FILE_MATLAB = 6,
    KST_FILE_UDBF = 7,
    KST_FILE_WAV = 9,
    KST_FILE_RECORD = 12,
    KST_FILE_BITMAP = 13,
    KST_FILE_GIF = 14,
    KST_FILE_JPEG = 15,
};

// The last three characters of a path, lower case (the whole path when shorter).
CKSTString KstPathTail3(const CKSTString& path);
// Save writes in place when the current path is not empty and ends in one of the extensions
// the program writes back as they are (qld, zrw, dat, ddf, mat, wav, bbl); otherwise it asks
// with Save As.
bool KstSavesInPlace(const CKSTString& currentPath);

struct KstSaveAsStart {
    CKSTString initialName;  // the current path without its extension
    int filterIndex = 0;     // from 1; 0: no filter preselected
    CKSTString defaultExtension;
};
KstSaveAsStart KstSaveAsStartFor(const CKSTString& currentPath);
// The file type code of a Save As filter index (from 1); "All Files" and unknown indexes give
// the native format.
int KstSaveAsFileType(int filterIndex);

// The folder part of a path (the text before the last backslash; empty without one).
CKSTString KstFolderOf(const CKSTString& path);
