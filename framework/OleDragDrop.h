#pragma once
// OLE drag and drop inside the program: drop targets bound to window objects, the data object
// a target reads, and the data source a drag carries.
//
// OLE must be initialised on the UI thread first (KstOleInit). A window object owns its drop
// target and its data source as members for its whole life; both are COM objects whose
// interfaces never delete them, and a target revokes itself when its window is destroyed.
#include <windows.h>

#include <ole2.h>

#include <memory>

#include "framework/Wnd.h"

using DROPEFFECT = DWORD;

// OleInitialize for the calling thread; TRUE when OLE is usable there.
BOOL KstOleInit();

// The data of a drag, as a drop target sees it.
class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // Keeps `data` (with a reference of its own when `autoRelease` is set).
    void Attach(IDataObject* data, BOOL autoRelease = TRUE);
    void Release();
    IDataObject* GetIDataObject() const { return m_data; }

    BOOL IsDataAvailable(CLIPFORMAT format) const;
    // A copy of the data in global memory that the caller frees (GlobalFree); null when the
    // data is not offered as global memory in that format.
    HGLOBAL GetGlobalData(CLIPFORMAT format) const;

private:
    IDataObject* m_data = nullptr;
    bool m_autoRelease = false;
};

class COleDropTarget {
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // RegisterDragDrop for the window (which must exist); FALSE when OLE refuses.
    BOOL Register(CWnd* window);
    void Revoke();
    IDropTarget* GetIDropTarget();

    // The drag as it reaches the registered window; points in its client coordinates. An
    // effect outside what the source allows counts as DROPEFFECT_NONE. OnDrop runs only when
    // the last OnDragOver (called once more at the drop) allowed the drop; otherwise
    // OnDragLeave.
    virtual DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState,
                                   CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point);
    virtual void OnDragLeave(CWnd* window);
    virtual BOOL OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point);

private:
    class Interface;
    std::unique_ptr<Interface> m_interface;
    CWnd* m_window = nullptr;
};

class COleDataSource {
public:
    COleDataSource();
    virtual ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes ownership of `data` and offers it as global memory in `format`, replacing what
    // was offered in that format before.
    void CacheGlobalData(CLIPFORMAT format, HGLOBAL data);
    // Takes ownership of `medium` (global memory only) under the given format description.
    void CacheData(CLIPFORMAT format, STGMEDIUM* medium, const FORMATETC* formatEtc = nullptr);

    // Runs the drag (through the drag seam) with the given drop source, or one that drops on
    // releasing the mouse button and cancels on Escape; the effect of the drop, or
    // DROPEFFECT_NONE when it was cancelled.
    DROPEFFECT DoDragDrop(DWORD allowedEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE,
                          IDropSource* dropSource = nullptr);

    // This object's IDataObject, without a reference of its own. Its SetData accepts global
    // memory in any format (the shell's drag-image helper stores its own formats there).
    IDataObject* GetIDataObject();

private:
    class Interface;
    std::unique_ptr<Interface> m_interface;
};
