#pragma once
// The program's single document: the data set of the open measurement file and the file
// commands (open, append, save, save as, recent file, password lock, cut between cursors, X
// axis). What it does with files is CKSTDocumentCore's; this class gives it the application's
// message boxes, dialogs and options and runs the commands' dialogs.
//
// The main view and its curve windows reach the document through a KstDocumentDisplay (see
// SetDisplay); until the view provides one, the document shows nothing but keeps every rule.
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "app/DocumentCore.h"
#include "framework/Document.h"

class CTalvenorDoc : public CDocument, private KstDocumentHost {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorDoc();
    ~CTalvenorDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;
    BOOL OnSaveDocument(const char* pathName) override;
    void Serialize(CArchive& archive) override;
    // A path the open routine refused to take stays out of the path name and recent list.
    void SetPathName(const char* pathName, BOOL addToMRU = TRUE) override;

    CKSTDocumentCore& Core() { return m_core; }
    CKSTDataSet& GetDataSet() { return m_core.GetDataSet(); }
    void SetDisplay(KstDocumentDisplay* display) { m_core.SetDisplay(display); }

    // 0 when nothing was opened, 1 otherwise (also after a reported read error).
    int OpenFile(const CKSTString& path, const CKSTCurveWndSettings* apply = nullptr);
    // The selective open: the open selection has been filled by the caller.
    int OpenSelected(const CKSTString& path);
    bool Reload();
    // The file's channel descriptions, for the channel selection of a selective open.
    int ReadChannelList(const CKSTString& path, CKSTChannelList& list);

    void AppendFiles(const CKSTString& path, bool ask, bool& selectionOnly, bool& cancelled);
    // Appends the files one after the other, asking about shared channel names for the first;
    // `stop` is set when the user cancels.
    void AppendFiles(const std::vector<CKSTString>& paths, bool& stop);
    // Files dropped on the main window: the first is opened, the others appended.
    void OpenDroppedFiles(HDROP drop);

    // false: Abandoned or failed; the path and the unsaved mark are unchanged.
    bool SaveFile(const CKSTString& path, int32_t fileType);
    bool SaveDisplayedData(const CKSTString& path) { return m_core.SaveDisplayedData(path); }
    // The previous or next file of the open file's folder (the view's keys).
    void OpenPreviousFile() { m_core.OpenPreviousFile(); }
    void OpenNextFile() { m_core.OpenNextFile(); }
    // Asks whether unsaved live data are to be saved; false when they were to be and were not.
    bool QuerySaveLiveData() override;

    // What the frame's status bar and enabling rules read.
    bool IsLocked() const { return m_core.GetLock().IsLocked(); }
    const CKSTString& GetLockPassword() const { return m_core.GetLock().GetPassword(); }

    // ---- Commands -----------------------------------------------------------------------
    void OnFileNew();
    void OnFileOpen();
    void OnFileAppend();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileMruFile1();
    void OnLockFile();
    void OnUnlockFile();
    void OnRemoveLock();
    void OnCutBetweenCursors();
    void OnEditXAxis();

private:
    // KstDocumentHost
    bool Message(int stringId, KstMessageKind box) override;
    int ShowFileError(int code) override;
    int RunAppendDialog(bool showSelection, int& method, bool& keepSelection) override;
    KstAppSettings& Settings() override;
    const CKSTCurveWndSettings& CurrentCurveSettings() override;
    std::unique_ptr<CKSTCurveWndSettings> TakePendingWindowSettings() override;
    void SetCurrentPath(const CKSTString& path) override;
    void SetLiveDataModified(bool modified) override;
    void SetDocumentPath(const CKSTString& path) override;
    void BeginWait() override;
    void EndWait() override;

    bool IsEnglish() const;
    // Runs the unlock dialog with the caption until the right password or a cancel.
    bool AskPassword(int captionId);

    CKSTDocumentCore m_core;
    // The path name the document itself gave (or refused) after an open.
    bool m_pathNameDecided = false;
};
