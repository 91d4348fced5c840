#include "framework/ToolBar.h"

#include <cstring>
#include <vector>

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"

namespace {

// The update-UI state of one button, addressed by its command id.
class ToolCmdUI : public CCmdUI {
public:
    explicit ToolCmdUI(HWND toolBar) : m_toolBar(toolBar) {}

    void Enable(BOOL on) override
    {
        m_bEnableChanged = true;
        m_bEnabled = on != FALSE;
        SendMessageA(m_toolBar, TB_ENABLEBUTTON, m_nID, MAKELPARAM(on ? TRUE : FALSE, 0));
    }
    void SetCheck(int check) override
    {
        SendMessageA(m_toolBar, TB_CHECKBUTTON, m_nID, MAKELPARAM(check ? TRUE : FALSE, 0));
    }
    void SetText(const char*) override {}

private:
    HWND m_toolBar;
};

// The toolbar resource. Microsoft's layout: WORD version 1, width, height, count, then a WORD
// id per button. The GNU resource compiler's TOOLBAR statement writes DWORD width, height and
// count and a DWORD per id, without a version; both are read.
struct ToolBarResource {
    int width = 0;
    int height = 0;
    std::vector<UINT> ids;
};

template <class Field>
UINT FieldAt(const BYTE* data, DWORD index)
{
    Field value;
    memcpy(&value, data + index * sizeof(Field), sizeof(Field));
    return static_cast<UINT>(value);
}

template <class Field>
bool ParseToolBar(const BYTE* data, DWORD size, DWORD first, ToolBarResource& out)
{
    if (size < (first + 3) * sizeof(Field)) {
        return false;
    }
    const UINT width = FieldAt<Field>(data, first);
    const UINT height = FieldAt<Field>(data, first + 1);
    const DWORD count = FieldAt<Field>(data, first + 2);
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF ||
        count > (size - (first + 3) * sizeof(Field)) / sizeof(Field)) {
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.ids.clear();
    for (DWORD i = 0; i < count; ++i) {
        out.ids.push_back(FieldAt<Field>(data, first + 3 + i));
    }
    return true;
}

bool ReadToolBarResource(HINSTANCE module, UINT id, ToolBarResource& out)
{
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(241));
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const auto* data = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    if (!data) {
        return false;
    }
    const DWORD size = SizeofResource(module, info);
    if (size >= sizeof(WORD) && FieldAt<WORD>(data, 0) == 1) {
        return ParseToolBar<WORD>(data, size, 1, out);
    }
    return ParseToolBar<DWORD>(data, size, 0, out);
}

}  // namespace

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_NOTIFY_REFLECT(TBN_HOTITEMCHANGE, OnHotItemChange)
END_MESSAGE_MAP()

CToolBar::~CToolBar()
{
    if (m_hWnd) {
        DestroyWindow();
    }
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
}

BOOL CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, UINT id)
{
    if (!CreateBar(TOOLBARCLASSNAMEA, ctrlStyle, style, parent, id)) {
        return FALSE;
    }
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT resourceId)
{
    HINSTANCE module = KstResourceHandle();
    ToolBarResource resource;
    if (!ReadToolBarResource(module, resourceId, resource)) {
        return FALSE;
    }
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return FALSE;
    }
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(resource.width, resource.height));
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
    if (SendMessage(TB_ADDBITMAP, info.bmWidth / resource.width, reinterpret_cast<LPARAM>(&add)) <
        0) {
        DeleteObject(bitmap);
        return FALSE;
    }
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
    m_bitmap = bitmap;
    return SetButtons(resource.ids.data(), static_cast<int>(resource.ids.size()));
}

BOOL CToolBar::SetButtons(const UINT* ids, int count)
{
    while (SendMessage(TB_BUTTONCOUNT) > 0) {
        SendMessage(TB_DELETEBUTTON, 0);
    }
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        button.idCommand = static_cast<int>(ids[i]);
        if (ids[i] == ID_SEPARATOR) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.iBitmap = image++;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
    }
    const BOOL added = count == 0 || SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(count),
                                                 reinterpret_cast<LPARAM>(buttons.data()));
    SendMessage(TB_AUTOSIZE);
    if (CFrameWnd* frame = GetFrame()) {
        frame->RecalcLayout();
    }
    return added;
}

int CToolBar::GetCount() const
{
    return static_cast<int>(SendMessage(TB_BUTTONCOUNT));
}

UINT CToolBar::GetItemID(int index) const
{
    TBBUTTON button{};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) {
        return ID_SEPARATOR;
    }
    return (button.fsStyle & TBSTYLE_SEP) ? ID_SEPARATOR : static_cast<UINT>(button.idCommand);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    ToolCmdUI state(m_hWnd);
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        state.m_nID = GetItemID(i);
        if (state.m_nID != ID_SEPARATOR) {
            state.m_nIndex = static_cast<UINT>(i);
            state.DoUpdate(target, disableIfNoHandler);
        }
    }
}

int CToolBar::CalcHeight(int width)
{
    SendMessage(TB_AUTOSIZE);
    return CControlBar::CalcHeight(width);
}

void CToolBar::OnHotItemChange(NMHDR* header, LRESULT* result)
{
    *result = 0;
    CFrameWnd* frame = GetFrame();
    if (!frame || !(m_dwStyle & CBRS_FLYBY)) {
        return;
    }
    const auto* change = reinterpret_cast<const NMTBHOTITEM*>(header);
    frame->TrackPrompt((change->dwFlags & HICF_LEAVING) ? AFX_IDS_IDLEMESSAGE
                                                        : static_cast<UINT>(change->idNew));
}
