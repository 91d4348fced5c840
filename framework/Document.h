#pragma once
// The document of the document/view architecture: the data of one file, its path and title,
// the modified flag and the views that show it.
//
// The framework never asks whether changes are to be saved; a program that wants to ask does
// so itself before it opens, creates or closes.
#include <windows.h>

#include <vector>

#include "foundation/String.h"
#include "framework/CmdUI.h"

class CDocTemplate;
class CFrameWnd;
class CView;

// The file that the base open and save steps hand to Serialize: read while loading, written
// while storing.
class CArchive {
public:
    enum Mode { load, store };
    CArchive(HANDLE file, Mode mode, const CKSTString& path)
        : m_file(file), m_mode(mode), m_strFilePath(path)
    {
    }

    BOOL IsLoading() const { return m_mode == load; }
    BOOL IsStoring() const { return m_mode == store; }
    const CKSTString& GetFilePath() const { return m_strFilePath; }
    // Bytes read (fewer at the end of the file).
    UINT Read(void* buffer, UINT count);
    // FALSE when not every byte could be written.
    BOOL Write(const void* buffer, UINT count);
    // No write fell short so far: a save replaces the old file only then.
    bool AllWritten() const { return m_allWritten; }

private:
    HANDLE m_file;
    Mode m_mode;
    CKSTString m_strFilePath;
    bool m_allWritten = true;
};

class CDocument : public CCmdTarget {
    DECLARE_MESSAGE_MAP()

public:
    CDocument() = default;
    ~CDocument() override;

    // A fresh, empty document: DeleteContents, no path, not modified.
    virtual BOOL OnNewDocument();
    // Opens the file for reading, lets Serialize load it and takes its path name; FALSE
    // (nothing changed) when the file cannot be opened. An override names the document itself:
    // a file that was opened but not read may leave it without a name.
    virtual BOOL OnOpenDocument(const char* pathName);
    // Lets Serialize write a new file beside `pathName` that then replaces it, so a failed save
    // leaves the old file; FALSE when writing or replacing failed.
    virtual BOOL OnSaveDocument(const char* pathName);
    virtual void DeleteContents() {}
    virtual void Serialize(CArchive& archive);

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    // The full form of the path becomes the path name and its file name the title; with
    // `addToMRU` it is added to the application's recent-file list.
    virtual void SetPathName(const char* pathName, BOOL addToMRU = TRUE);
    const CKSTString& GetPathName() const { return m_strPathName; }
    // The frames that show the document show the new title.
    virtual void SetTitle(const char* title);
    const CKSTString& GetTitle() const { return m_strTitle; }

    // OnUpdate of every view but `sender`.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, void* hintObject = nullptr);
    const std::vector<CView*>& GetViews() const { return m_views; }
    void AddView(CView* view);
    void RemoveView(CView* view);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

protected:
    CKSTString m_strTitle;
    CKSTString m_strPathName;
    BOOL m_bModified = FALSE;

private:
    friend class CDocTemplate;
    friend class CSingleDocTemplate;

    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;
};
