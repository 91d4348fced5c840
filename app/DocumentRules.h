#pragma once
// The document's file rules that need no window: which writer a save uses, how the save and open
// dialogs are preset, the password lock, the Append File dialog's answers and the numbers typed
// into the cut dialog.
#include <cstdint>
#include <vector>

#include "foundation/HeaderInfoList.h"
#include "foundation/String.h"

// ---- Saving -------------------------------------------------------------------------------

enum class KstSaveWriter {
    Native,   // qld, kxd, zrw
    Udbf,     // dat from a Save As filter of type 7 or 8
    Famos,    // dat otherwise
    Dasylab,  // ddf
    Matlab,   // mat
    Record,   // bbl
    Wav,      // wav
    Picture,  // bmp, gif, jpg: the main curve window
    Text,     // anything else
};

// What is checked before the writer runs.
enum class KstSaveCheck {
    None,
    XDelta,                // time-vector channels: ask whether to interpolate
    CommonTimeBaseXDelta,  // a common time base first, then XDelta
    WavRules,              // the sound rules: ask whether to fit the channels
};

struct KstSaveTarget {
    KstSaveWriter writer;
    KstSaveCheck check;
    int32_t fileType;  // the measurement-file type code of the writer
};

// The last three characters of the path in lower case; shorter paths whole.
CKSTString KstPathExtension(const CKSTString& path);
// The writer by extension; `fileType` of the Save As filter matters only for "dat".
KstSaveTarget KstChooseSaveTarget(const CKSTString& path, int32_t fileType);

// Save writes in place for these extensions and runs Save As for every other.
bool KstCanSaveInPlace(const CKSTString& path);

// The Save As dialog: filters (index from 1), preselection and initial name.
constexpr int kKstSaveAsFilterCount = 12;
// Text and pattern pairs, "|"-separated, ending "||" (the dialog's filter form).
CKSTString KstSaveAsFilter();
// The file type code of a chosen filter index; anything outside the list is native.
int32_t KstSaveAsFileType(int filterIndex);
struct KstSaveAsPreset {
    int filterIndex;        // 0: no preselection
    CKSTString defaultExt;  // without the dot
    CKSTString initialName;
};
KstSaveAsPreset KstSaveAsPresetFor(const CKSTString& currentPath);

// The open and append dialogs' filters in the language.
CKSTString KstOpenFilter(bool english);
CKSTString KstAppendFilter(bool english);

// The extensions of the folder list, with the association flag index that enables each.
struct KstFolderFileType {
    const char* extension;
    int optionIndex;
};
const std::vector<KstFolderFileType>& KstFolderFileTypes();
// The extension (lower case) is in the list and its option is set.
bool KstIsFolderFileType(const CKSTString& extension, const uint8_t* options, int optionCount);

// ---- The lock -------------------------------------------------------------------------------

constexpr char kKstLockEntry[] = "LockPass";
constexpr int kKstMinPasswordLength = 4;

// The password a document file carries, and whether the open document is locked by it.
class CKSTDocLock {
public:
    const CKSTString& GetPassword() const { return m_password; }
    bool HasPassword() const { return !m_password.IsEmpty(); }
    bool IsLocked() const { return m_locked; }

    void Lock(const CKSTString& password)
    {
        m_password = password;
        m_locked = true;
    }
    void SetLocked(bool locked) { m_locked = locked; }
    void Clear()
    {
        m_password.Empty();
        m_locked = false;
    }

    // A new lock is refused while one exists.
    bool CanLock() const { return !HasPassword() && !m_locked; }
    // Exact bytes, case-sensitive.
    bool Matches(const CKSTString& entry) const { return HasPassword() && entry == m_password; }

    // Writes the password into the header as the hidden entry, or removes the hidden entry
    // when there is no password.
    void StoreIn(CKSTHeaderInfoList& header) const;
    // The password of a hidden entry of the header; empty when there is none.
    static CKSTString FindIn(const CKSTHeaderInfoList& header);

private:
    CKSTString m_password;
    bool m_locked = false;
};

// ---- Appending ------------------------------------------------------------------------------

// The Append File dialog's results; IDCANCEL (2) cancels.
enum KstAppendMode : int32_t {
    KST_APPEND_CANCEL = 2,
    KST_APPEND_CREATE_NEW = 101,
    KST_APPEND_TO_EXISTING = 102,
};

// ---- Cut between cursors --------------------------------------------------------------------

// A number typed as a cut bound: blanks around it are ignored; with the German user interface
// ',' is the decimal mark. False when the text is not a whole number.
bool KstParseCutBound(const CKSTString& text, bool german, double& value);
// The number as the cut dialog shows it: up to 16 significant digits, '.' as decimal mark.
CKSTString KstFormatCutBound(double value);
