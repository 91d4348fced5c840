#pragma once
// The program's single document: the data set of the open measurement file and the file
// commands (open, append, save, save as, recent file, password lock, cut between cursors, X
// axis). What it does with files is CKSTDocumentCore's; this class gives it the application's
// message boxes, dialogs and options and runs the commands' dialogs.
//
// The main view and its curve windows reach the document through an IKSTDocumentDisplay (see
// SetDisplay); until the view provides one, the document shows nothing but keeps every rule.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/DocumentCore.h"
#include "framework/Document.h"

class CKSTAppOptions;
class IKSTMessageSink;

class CTalvenorDoc : public CDocument, private IKSTDocumentHost {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorDoc(CKSTAppOptions& options, IKSTMessageSink& messages);
    ~CTalvenorDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;
    BOOL OnSaveDocument(const char* pathName) override;

    CKSTDocumentCore& Core() { return m_core; }
    CKSTDataSet& GetDataSet() { return m_core.GetDataSet(); }
    void SetDisplay(IKSTDocumentDisplay* display) { m_core.SetDisplay(display); }
    // The file shown: the document's file once it was read or saved; empty for a new document.
    const CKSTString& GetCurrentPath() const { return m_core.GetPath(); }

    // Live data, appended files or edits not saved yet.
    bool IsLiveDataModified() const { return m_core.IsLiveDataModified(); }
    void SetLiveDataModified(bool modified) { m_core.SetLiveDataModified(modified); }
    // Window settings of a settings file (SETTINGSALL) for the next file opened.
    void SetPendingWindowSettings(std::unique_ptr<CKSTCurveWndSettings> settings)
    {
        m_core.SetPendingWindowSettings(std::move(settings));
    }

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
    // IKSTDocumentHost
    bool Message(int stringId, KstMessageKind box) override;
    int ShowFileError(int code) override;
    int RunAppendDialog(bool showSelection, int& method, bool& keepSelection) override;
    KstAppSettings& Settings() override;
    const CKSTCurveWndSettings& CurrentCurveSettings() override;
    void SetDocumentPath(const CKSTString& path) override;
    void BeginWait() override;
    void EndWait() override;

    bool IsEnglish() const;
    // The open dialog of Open and Open Selective; the chosen path, empty when cancelled.
    CKSTString ChooseFileToOpen();
    void OnFileOpenSelective();
    // Runs the unlock dialog with the caption until the right password or a cancel.
    bool AskPassword(int captionId);

    CKSTAppOptions& m_options;
    IKSTMessageSink& m_messages;
    CKSTDocumentCore m_core;
};
