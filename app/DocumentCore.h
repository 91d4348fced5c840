#pragma once
// What the program's single document does with files, without a window: opening, appending,
// saving, the password lock, stepping through the folder, cutting to a time range and moving
// the X axis' start. The document window class (app/win/TalvenorDoc) drives it through two
// seams: the host (questions, messages and the application's options) and the display (the main
// view and its curve windows).
#include <cstdint>
#include <memory>
#include <vector>

#include "app/AppSettings.h"
#include "app/DocumentRules.h"
#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTCurveWndSettings;

enum class KstMessageKind {
    Ok,             // OK
    OkExclamation,  // OK with the exclamation icon
    YesNo,          // the answer is true for yes
};

// The application around the document.
class IKSTDocumentHost {
public:
    virtual ~IKSTDocumentHost() = default;

    // Shows string `id` in the current language; true for yes (and for OK).
    virtual bool Message(int stringId, KstMessageKind box) = 0;
    // The file-error report: -1 after an error message, 0 for a notice or a code without one.
    virtual int ShowFileError(int code) = 0;
    // Asks whether unsaved live data are to be saved first and saves them; false when the user
    // wanted them saved and the save did not complete (the caller's action is then cancelled).
    virtual bool QuerySaveLiveData() = 0;
    // The Append File dialog: its result (KstAppendMode), the method index and the box.
    virtual int RunAppendDialog(bool showSelection, int& method, bool& keepSelection) = 0;

    virtual KstAppSettings& Settings() = 0;
    // The application's current curve-window settings (the start display settings).
    virtual const CKSTCurveWndSettings& CurrentCurveSettings() = 0;
    // The path (empty for none) becomes the document's path name and a recent file.
    virtual void SetDocumentPath(const CKSTString& path) = 0;
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// A host for tools and benchmarks that run the document without a user: every question is
// answered yes, nothing is shown, the options are the defaults.
class CKSTUnattendedDocumentHost : public IKSTDocumentHost {
public:
    bool Message(int, KstMessageKind) override { return true; }
    int ShowFileError(int code) override { return code < 0 ? -1 : 0; }
    bool QuerySaveLiveData() override { return true; }
    int RunAppendDialog(bool, int&, bool&) override { return KST_APPEND_CANCEL; }
    KstAppSettings& Settings() override { return m_settings; }
    const CKSTCurveWndSettings& CurrentCurveSettings() override;
    void SetDocumentPath(const CKSTString&) override {}

private:
    KstAppSettings m_settings;
};

// What the curve window shows of its X axis, for the cut dialog.
struct KstXAxisState {
    CKSTTimeStamp origin;
    double visibleMin = 0.0;
    double visibleMax = 0.0;
    int timeMode = 1;  // 1 numeric seconds, 2 and 3 date and time
    CKSTString unit = "s";
    bool differentialMeasure = false;
    double leftCursor = 0.0, rightCursor = 0.0;
    CKSTString leftText, rightText;
};

// The main view with its record window and curve windows. Until they exist the document uses
// this one, which shows nothing and answers as an empty, offline view.
class IKSTDocumentDisplay {
public:
    virtual ~IKSTDocumentDisplay() = default;

    virtual bool IsOnline() { return false; }
    // The kind of the connected source (KstSourceKind); 0 when offline.
    virtual int32_t GetSourceKind() { return 0; }
    virtual void StopLiveStream() {}
    virtual void EnableRedraw(bool) {}
    // The view shows the data set; with storeStructure the main curve window's structure is
    // first stored into it.
    virtual void AttachDataSet(CKSTDataSet&, bool /*storeStructure*/) {}
    virtual void ApplyCurveSettingsByName(const CKSTCurveWndSettings&) {}
    virtual void ApplyChannelVisibility(const CKSTChannelList&) {}
    // The main curve window's settings; false when there is no window.
    virtual bool GetMainCurveSettings(CKSTCurveWndSettings&) { return false; }
    // The X channel of an XY display, null otherwise.
    virtual const CKSTChannel* GetXYChannel() { return nullptr; }
    // The main curve window as a picture file of the type (13 bitmap, 14 GIF, 15 JPEG).
    virtual int SavePicture(const CKSTString&, int32_t) { return -1228; }
    virtual void SetLocked(bool) {}
    virtual void UpdatePanes() {}
    virtual void UpdateStatusBar() {}
    // The curve of the channel keeps its events strictly inside [t1, t2], moved by shift.
    virtual void CutCurveEvents(const CKSTChannel&, double /*t1*/, double /*t2*/, double) {}
    // False when no curve window shows an X axis.
    virtual bool GetXAxisState(KstXAxisState&) { return false; }
    // Channels (name and group) selected in the structure tree.
    virtual void GetSelectedChannels(CKSTChannelList&) {}
};

enum class KstSaveResult {
    Saved,
    Abandoned,  // the user said no to a question, or the format cannot hold the data
    Failed,     // the writer or the replacement failed; the old file is untouched
};

// The cut dialog's answer.
struct KstCutRequest {
    int mode = 1;  // 1 numbers, 2 and 3 date and time
    CKSTString startText, endText;
    CKSTTimeStamp start, end;
    bool german = false;
};

class CKSTDocumentCore {
public:
    CKSTDocumentCore(IKSTDocumentHost& host, IKSTDocumentDisplay* display = nullptr);
    ~CKSTDocumentCore();
    CKSTDocumentCore(const CKSTDocumentCore&) = delete;
    CKSTDocumentCore& operator=(const CKSTDocumentCore&) = delete;

    // Replaces the display (null: the empty one).
    void SetDisplay(IKSTDocumentDisplay* display);
    IKSTDocumentDisplay& Display() { return *m_display; }

    CKSTDataSet& GetDataSet() { return m_dataSet; }
    CKSTChannelList& GetOpenSelection() { return m_openSelection; }
    CKSTChannelList& GetCarriedVisibility() { return m_carriedVisibility; }
    int32_t GetFileType() const { return m_fileType; }
    int32_t GetAppendMode() const { return m_appendMode; }
    uint16_t GetAppendMethod() const { return m_appendMethod; }

    // An empty document; false when unsaved live data were to be saved and were not.
    bool NewDocument();
    // 0 when nothing was opened (the user kept the online session or its live data, or the
    // file cannot be read at all), 1 otherwise; `read` tells whether the data were read.
    int OpenFile(const CKSTString& path, const CKSTCurveWndSettings* apply, bool* read = nullptr);
    // Appends one file; `cancelled` when the user cancelled the Append File dialog.
    void AppendFile(const CKSTString& path, bool ask, bool& selectionOnly, bool& cancelled);
    // Files dropped on the window: the first is opened, the others appended; nothing is
    // appended when the first was not opened.
    void OpenDroppedFiles(const std::vector<CKSTString>& paths);
    // The companion layout of the folder ("*.acc"); 0 when there is none.
    int ReadAccFile(const CKSTString& path);

    // The folder's files of enabled types; true when the path is among them.
    bool BuildFolderList(const CKSTString& path);
    int GetFolderIndex() const { return m_folderIndex; }
    int GetFolderFileCount() const { return static_cast<int>(m_folderPaths.size()); }
    void OpenPreviousFile() { StepFolder(-1); }
    void OpenNextFile() { StepFolder(1); }
    // The file the data were read from or saved to; empty for none.
    const CKSTString& GetPath() const { return m_path; }
    // Whether Save may write the document's own file without asking for a name: not when the
    // file was cut short or held no data, as the document then holds less than the file.
    bool CanSaveInPlace() const;

    // Live data, appended files or edits that are not in a file yet.
    bool IsLiveDataModified() const { return m_liveDataModified; }
    void SetLiveDataModified(bool modified) { m_liveDataModified = modified; }
    // Window settings that a settings file left for the next open, which takes them over.
    void SetPendingWindowSettings(std::unique_ptr<CKSTCurveWndSettings> settings);
    bool HasPendingWindowSettings() const { return m_pendingWindowSettings != nullptr; }

    KstSaveResult SaveFile(const CKSTString& path, int32_t fileType);
    // The data as shown, as a native document with the main curve window's settings; the
    // document's path and unsaved mark stay. Always true: what went wrong has been told.
    bool SaveDisplayedData(const CKSTString& path);

    // ---- The lock ----
    const CKSTDocLock& GetLock() const { return m_lock; }
    void Lock(const CKSTString& password, bool notify);
    void Unlock(bool notify) { SetLocked(false, notify); }
    void ClearLock(bool notify);
    void SetLocked(bool locked, bool notify);

    // ---- Editing ----
    // The preset of the cut dialog: the cursors in differential measure, else the visible X
    // range (`hint` is then set: the user is told how to set the cursors). Without a curve
    // window, the range of the data.
    KstXAxisState GetCutPreset(bool& hint);
    // True when something was cut (or the mode changes nothing but still counts as an edit).
    bool Cut(const KstCutRequest& request);
    // Every channel gets the unit and a start moved with the earliest one to `start`.
    bool EditXAxis(const CKSTTimeStamp& start, const CKSTString& unit);

private:
    enum class OpenOutcome {
        Declined,    // the user kept the online session or the unsaved live data
        Unopenable,  // the file cannot be opened at all; the document is unchanged
        ReadFailed,  // the file was opened but not read; the document is empty
        Read,
    };
    OpenOutcome TryOpen(const CKSTString& path, const CKSTCurveWndSettings* apply);
    int ReadFile(const CKSTString& path, const CKSTCurveWndSettings* apply);
    void ApplyWindowSettingsRules(int& result, const CKSTString& path,
                                  const CKSTCurveWndSettings* apply);
    void StepFolder(int direction);
    int WriteTarget(const KstSaveTarget& target, const CKSTString& path);
    // Writes through a temporary file beside the path that replaces it only when complete.
    int WriteReplacing(const KstSaveTarget& target, const CKSTString& path);
    void OpenFailed();

    IKSTDocumentHost& m_host;
    IKSTDocumentDisplay m_noDisplay;
    IKSTDocumentDisplay* m_display;

    CKSTDataSet m_dataSet;
    CKSTChannelList m_openSelection;
    CKSTChannelList m_carriedVisibility;
    CKSTDocLock m_lock;
    std::vector<CKSTString> m_folderPaths;  // sorted
    int m_folderIndex = 0;
    int32_t m_fileType = 0;
    int32_t m_appendMode = KST_APPEND_CREATE_NEW;
    uint16_t m_appendMethod = 0;
    CKSTString m_path;
    bool m_liveDataModified = false;
    bool m_fileNotWhole = false;  // the file was cut short or held no data
    std::unique_ptr<CKSTCurveWndSettings> m_pendingWindowSettings;
};

// The window-settings rule of an opened file (result 0 or no settings): whether the data set
// takes the application's current curve-window settings.
bool KstTakesCurrentSettings(int result, bool hasWindowSettings, bool recentListEmpty,
                             int32_t settingsUsage);
