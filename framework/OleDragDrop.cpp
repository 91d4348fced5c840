#include "framework/OleDragDrop.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

#include "framework/Seams.h"

namespace {

HGLOBAL CopyGlobal(HGLOBAL source)
{
    const SIZE_T size = GlobalSize(source);
    const void* from = GlobalLock(source);
    if (!from) {
        return nullptr;
    }
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (void* to = copy ? GlobalLock(copy) : nullptr) {
        memcpy(to, from, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(source);
    return copy;
}

FORMATETC GlobalFormat(CLIPFORMAT format)
{
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// Reference counts of interfaces embedded in objects that their owners delete.
class EmbeddedRefCount {
public:
    ULONG AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Release() { return static_cast<ULONG>(InterlockedDecrement(&m_count)); }

private:
    LONG m_count = 1;
};

// Drops when the mouse buttons are released, cancels on Escape.
class MouseDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(); }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override
    {
        if (escape) {
            return DRAGDROP_S_CANCEL;
        }
        return keyState & (MK_LBUTTON | MK_RBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    EmbeddedRefCount m_refs;
};

}  // namespace

BOOL KstOleInit()
{
    const HRESULT result = OleInitialize(nullptr);
    return SUCCEEDED(result);
}

// ---- COleDataObject ----------------------------------------------------------------------------

void COleDataObject::Attach(IDataObject* data, BOOL autoRelease)
{
    Release();
    m_data = data;
    m_autoRelease = data && autoRelease;
    if (m_autoRelease) {
        m_data->AddRef();
    }
}

void COleDataObject::Release()
{
    if (m_data && m_autoRelease) {
        m_data->Release();
    }
    m_data = nullptr;
    m_autoRelease = false;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const
{
    FORMATETC query = GlobalFormat(format);
    query.tymed = TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_FILE | TYMED_GDI | TYMED_ENHMF;
    return m_data && m_data->QueryGetData(&query) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT format) const
{
    if (!m_data) {
        return nullptr;
    }
    FORMATETC query = GlobalFormat(format);
    STGMEDIUM medium{};
    if (FAILED(m_data->GetData(&query, &medium))) {
        return nullptr;
    }
    if (medium.tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(&medium);
        return nullptr;
    }
    // Memory that the source still owns is copied; otherwise the handle is the caller's.
    if (!medium.pUnkForRelease) {
        return medium.hGlobal;
    }
    HGLOBAL copy = CopyGlobal(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return copy;
}

// ---- COleDropTarget ----------------------------------------------------------------------------

class COleDropTarget::Interface : public IDropTarget {
public:
    explicit Interface(COleDropTarget& owner) : m_owner(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(); }

    // OLE's drag loop calls these: an exception from the handlers is reported and the drop
    // refused, never unwound through OLE.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override
    {
        return Guarded("drop target (enter)", effect, [&] {
            CWnd* window = m_owner.m_window;
            if (!window) {
                *effect = DROPEFFECT_NONE;
                return;
            }
            m_drag.Attach(data);
            *effect = Allowed(m_owner.OnDragEnter(window, &m_drag, keyState, ClientPoint(point)),
                              *effect);
        });
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override
    {
        return Guarded("drop target (over)", effect, [&] {
            CWnd* window = m_owner.m_window;
            *effect =
                window ? Allowed(m_owner.OnDragOver(window, &m_drag, keyState, ClientPoint(point)),
                                 *effect)
                       : DROPEFFECT_NONE;
        });
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        const HRESULT result = Guarded("drop target (leave)", nullptr, [&] {
            if (CWnd* window = m_owner.m_window) {
                m_owner.OnDragLeave(window);
            }
        });
        m_drag.Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                   DWORD* effect) override
    {
        const HRESULT outcome = Guarded("drop target (drop)", effect, [&] {
            CWnd* window = m_owner.m_window;
            m_drag.Attach(data);
            DROPEFFECT result = DROPEFFECT_NONE;
            if (window) {
                const CPoint at = ClientPoint(point);
                result = Allowed(m_owner.OnDragOver(window, &m_drag, keyState, at), *effect);
                if (result == DROPEFFECT_NONE) {
                    m_owner.OnDragLeave(window);
                } else if (!m_owner.OnDrop(window, &m_drag, result, at)) {
                    result = DROPEFFECT_NONE;
                }
            }
            *effect = result;
        });
        m_drag.Release();
        return outcome;
    }

    void ForgetDrag() { m_drag.Release(); }

private:
    template <class Body>
    HRESULT Guarded(const char* where, DWORD* effect, Body body)
    {
        try {
            body();
        } catch (...) {
            KstReportEscapedException(where, m_owner.m_window ? m_owner.m_window->m_hWnd : nullptr,
                                      0);
            if (effect) {
                *effect = DROPEFFECT_NONE;
            }
        }
        return S_OK;
    }
    static DROPEFFECT Allowed(DROPEFFECT wanted, DWORD allowed)
    {
        return (wanted & allowed) == wanted ? wanted : DROPEFFECT_NONE;
    }
    CPoint ClientPoint(POINTL screen) const
    {
        POINT point{screen.x, screen.y};
        if (m_owner.m_window) {
            m_owner.m_window->ScreenToClient(&point);
        }
        return CPoint(point.x, point.y);
    }

    COleDropTarget& m_owner;
    COleDataObject m_drag;
    EmbeddedRefCount m_refs;
};

COleDropTarget::COleDropTarget() : m_interface(std::make_unique<Interface>(*this)) {}

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* window)
{
    if (!window || !window->m_hWnd || m_window) {
        return FALSE;
    }
    if (FAILED(RegisterDragDrop(window->m_hWnd, m_interface.get()))) {
        return FALSE;
    }
    m_window = window;
    window->m_dropTarget = this;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (m_window) {
        if (m_window->m_hWnd) {
            RevokeDragDrop(m_window->m_hWnd);
        }
        m_window->m_dropTarget = nullptr;
        m_window = nullptr;
    }
    m_interface->ForgetDrag();
}

IDropTarget* COleDropTarget::GetIDropTarget()
{
    return m_interface.get();
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

// ---- COleDataSource ----------------------------------------------------------------------------

class COleDataSource::Interface : public IDataObject {
public:
    virtual ~Interface()
    {
        for (Entry& entry : m_cache) {
            ReleaseStgMedium(&entry.medium);
        }
    }

    // Takes ownership of the medium.
    void Cache(const FORMATETC& format, const STGMEDIUM& medium)
    {
        for (Entry& entry : m_cache) {
            if (entry.format.cfFormat == format.cfFormat &&
                entry.format.dwAspect == format.dwAspect) {
                ReleaseStgMedium(&entry.medium);
                entry = {format, medium};
                return;
            }
        }
        m_cache.push_back({format, medium});
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        const Entry* entry = Find(*format);
        if (!entry) {
            return DV_E_FORMATETC;
        }
        HGLOBAL copy = CopyGlobal(entry->medium.hGlobal);
        if (!copy) {
            return E_OUTOFMEMORY;
        }
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
    {
        return Find(*format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override
    {
        *out = *in;
        out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    // Accepts any format, so that helpers can store their own data in the object.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override
    {
        if (!(format->tymed & TYMED_HGLOBAL) || medium->tymed != TYMED_HGLOBAL) {
            return DV_E_TYMED;
        }
        FORMATETC stored = *format;
        stored.tymed = TYMED_HGLOBAL;
        stored.ptd = nullptr;
        if (release) {
            Cache(stored, *medium);
            return S_OK;
        }
        STGMEDIUM copy{};
        copy.tymed = TYMED_HGLOBAL;
        copy.hGlobal = CopyGlobal(medium->hGlobal);
        if (!copy.hGlobal) {
            return E_OUTOFMEMORY;
        }
        Cache(stored, copy);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override
    {
        if (direction != DATADIR_GET) {
            *out = nullptr;
            return E_NOTIMPL;
        }
        std::vector<FORMATETC> formats;
        for (const Entry& entry : m_cache) {
            formats.push_back(entry.format);
        }
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    struct Entry {
        FORMATETC format;
        STGMEDIUM medium;
    };

    const Entry* Find(const FORMATETC& query) const
    {
        for (const Entry& entry : m_cache) {
            if (entry.format.cfFormat == query.cfFormat &&
                entry.format.dwAspect == query.dwAspect && (query.tymed & TYMED_HGLOBAL)) {
                return &entry;
            }
        }
        return nullptr;
    }

    std::vector<Entry> m_cache;
    EmbeddedRefCount m_refs;
};

COleDataSource::COleDataSource() : m_interface(std::make_unique<Interface>()) {}

COleDataSource::~COleDataSource() = default;

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL data)
{
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = data;
    m_interface->Cache(GlobalFormat(format), medium);
}

void COleDataSource::CacheData(CLIPFORMAT format, STGMEDIUM* medium, const FORMATETC* formatEtc)
{
    FORMATETC stored = formatEtc ? *formatEtc : GlobalFormat(format);
    stored.cfFormat = format;
    stored.ptd = nullptr;
    stored.tymed = TYMED_HGLOBAL;
    if (medium->tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(medium);
        return;
    }
    m_interface->Cache(stored, *medium);
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD allowedEffects, IDropSource* dropSource)
{
    MouseDropSource mouseSource;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = KstDoDragDrop(m_interface.get(), dropSource ? dropSource : &mouseSource,
                                         allowedEffects, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

IDataObject* COleDataSource::GetIDataObject()
{
    return m_interface.get();
}
