#include "framework/Dialog.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "framework/Seams.h"
#include "framework/WndCreation.h"

namespace {

// Thrown by CDataExchange::Fail, caught by UpdateData; never leaves the framework.
struct ExchangeRefused {};

const DLGTEMPLATE* LoadDialogTemplate(UINT id)
{
    HINSTANCE module = KstResourceHandle();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

DWORD TemplateStyle(const DLGTEMPLATE* dialogTemplate)
{
    // An extended template starts with version 1 and signature 0xFFFF; its style follows the
    // help id and the extended style.
    const auto* words = reinterpret_cast<const WORD*>(dialogTemplate);
    if (words[1] == 0xFFFF) {
        DWORD style = 0;
        memcpy(&style, reinterpret_cast<const BYTE*>(dialogTemplate) + 12, sizeof(style));
        return style;
    }
    return dialogTemplate->style;
}

// Skips a menu or class field of a dialog template (none, an ordinal or a UTF-16 name); the
// class names of the program are ASCII.
const WORD* ReadNameOrOrdinal(const WORD* field, CKSTString& name)
{
    name.Empty();
    if (*field == 0) {
        return field + 1;
    }
    if (*field == 0xFFFF) {
        name.Format("#%u", static_cast<unsigned>(field[1]));
        return field + 2;
    }
    for (; *field; ++field) {
        name += static_cast<char>(*field);
    }
    return field + 1;
}

// The window class the template's dialog is made of: the dialog class unless it names one.
CKSTString TemplateClass(const DLGTEMPLATE* dialogTemplate)
{
    const auto* words = reinterpret_cast<const WORD*>(dialogTemplate);
    const size_t headerBytes = words[1] == 0xFFFF ? 26 : 18;
    const auto* field =
        reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(dialogTemplate) + headerBytes);
    CKSTString name;
    field = ReadNameOrOrdinal(field, name);  // the menu
    ReadNameOrOrdinal(field, name);
    return name.IsEmpty() ? CKSTString("#32770") : name;
}

CKSTString ControlText(HWND control)
{
    return CWnd::FromHandle(control)->GetWindowText();
}

void SetControlText(HWND control, const CKSTString& text)
{
    if (ControlText(control) != text) {
        SetWindowTextA(control, text.c_str());
    }
}

// The text without surrounding blanks and one leading '+', which std::from_chars refuses.
CKSTString NumberPart(HWND control)
{
    CKSTString text = ControlText(control);
    text.Trim();
    if (!text.IsEmpty() && text[0] == '+') {
        text.Delete(0, 1);
    }
    return text;
}

template <class T>
bool ParseWhole(const CKSTString& text, T& value)
{
    const char* end = text.c_str() + text.GetLength();
    const auto parsed = std::from_chars(text.c_str(), end, value);
    return !text.IsEmpty() && parsed.ec == std::errc() && parsed.ptr == end;
}

template <class T>
CKSTString FormatNumber(T value)
{
    char buffer[64];
    const auto formatted = std::to_chars(buffer, buffer + sizeof(buffer), value);
    CKSTString text;
    text.Assign(buffer, static_cast<int>(formatted.ptr - buffer));
    return text;
}

}  // namespace

// ---- Data exchange -----------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    return m_lastControl;
}

void CDataExchange::Fail(UINT messageId, const char* text)
{
    KstMessageBox(m_pDlgWnd->m_hWnd, text, nullptr, MB_OK | MB_ICONEXCLAMATION, messageId);
    if (m_lastControl) {
        ::SetFocus(m_lastControl);
        SendMessageA(m_lastControl, EM_SETSEL, 0, -1);
    }
    throw ExchangeRefused();
}

void DDX_Text(CDataExchange* dx, int id, CKSTString& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        value = ControlText(control);
    } else {
        SetControlText(control, value);
    }
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        SetControlText(control, FormatNumber(value));
        return;
    }
    int parsed = 0;
    if (!ParseWhole(NumberPart(control), parsed)) {
        dx->Fail(KST_IDP_PARSE_INT, "Please enter an integer.");
    }
    value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        SetControlText(control, FormatNumber(value));
        return;
    }
    UINT parsed = 0;
    if (!ParseWhole(NumberPart(control), parsed)) {
        dx->Fail(KST_IDP_PARSE_UINT, "Please enter an integer of 0 or more.");
    }
    value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        // 15 significant digits: what a double holds exactly, without binary noise.
        SetControlText(control, CKSTString::FormatGeneral(value, 15, 'g'));
        return;
    }
    const CKSTString text = NumberPart(control);
    double parsed = 0;
    const char* end = text.c_str() + text.GetLength();
    const auto result = std::from_chars(text.c_str(), end, parsed, std::chars_format::general);
    if (text.IsEmpty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) {
        dx->Fail(KST_IDP_PARSE_REAL, "Please enter a number.");
    }
    value = parsed;
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    } else if (SendMessageA(control, BM_GETCHECK, 0, 0) != value) {
        SendMessageA(control, BM_SETCHECK, value, 0);
    }
}

void DDX_Radio(CDataExchange* dx, int firstId, int& index)
{
    HWND first = dx->PrepareCtrl(firstId);
    if (!first) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        index = -1;
    }
    int position = 0;
    for (HWND button = first; button; button = GetWindow(button, GW_HWNDNEXT)) {
        if (button != first && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) {
            break;
        }
        if (!(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
            continue;
        }
        const LRESULT wanted = position == index ? BST_CHECKED : BST_UNCHECKED;
        const LRESULT shown = SendMessageA(button, BM_GETCHECK, 0, 0);
        if (dx->m_bSaveAndValidate) {
            if (shown == BST_CHECKED) {
                index = position;
            }
        } else if (shown != wanted) {
            SendMessageA(button, BM_SETCHECK, wanted, 0);
        }
        ++position;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    } else if (SendMessageA(control, CB_GETCURSEL, 0, 0) != index) {
        SendMessageA(control, CB_SETCURSEL, index, 0);
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (!control.m_hWnd) {
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum)
{
    if (dx->m_bSaveAndValidate && (value < minimum || value > maximum)) {
        CKSTString text;
        text.Format("Please enter an integer between %d and %d.", minimum, maximum);
        dx->Fail(KST_IDP_PARSE_RANGE, text.c_str());
    }
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum)
{
    if (dx->m_bSaveAndValidate && (value < minimum || value > maximum)) {
        CKSTString text;
        text.Format("Please enter an integer between %u and %u.", minimum, maximum);
        dx->Fail(KST_IDP_PARSE_RANGE, text.c_str());
    }
}

// ---- CDialog ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

BOOL CDialog::CreateFromTemplate(HWND owner)
{
    const DLGTEMPLATE* dialogTemplate = LoadDialogTemplate(m_nIDTemplate);
    if (!dialogTemplate || m_hWnd) {
        return FALSE;
    }
    if (m_mode != Mode::Modal) {
        m_mode = (TemplateStyle(dialogTemplate) & WS_CHILD) ? Mode::Child : Mode::Modeless;
    }
    const CKSTString dialogClass = TemplateClass(dialogTemplate);
    HWND window = nullptr;
    {
        KstCreationScope scope(this, dialogClass.c_str());
        window = CreateDialogIndirectParamA(KstResourceHandle(), dialogTemplate, owner,
                                            KstDialogProc, 0);
    }
    return window && m_hWnd == window;
}

INT_PTR CDialog::DoModal()
{
    m_mode = Mode::Modal;
    m_ended = false;
    m_modalResult = -1;
    HWND owner = m_pParentWnd ? GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    if (!CreateFromTemplate(owner)) {
        return -1;
    }
    m_disabledOwner = owner && ::IsWindowEnabled(owner) ? owner : nullptr;
    if (m_disabledOwner) {
        ::EnableWindow(m_disabledOwner, FALSE);
    }
    KstModalRun run{this, m_nIDTemplate, [this] { return m_ended || !m_hWnd; }};
    const KstModalDriver driver = KstSeams().modalDriver;
    if (driver) {
        const int endId = driver(run);
        if (!run.ended()) {
            EndDialog(endId);
        }
    } else {
        if (!run.ended()) {
            ShowWindow(SW_SHOWNORMAL);
        }
        KstRunModalLoop(run.ended);
    }
    ReleaseOwner();
    DestroyWindow();
    return m_modalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_mode = Mode::Modeless;
    return CreateFromTemplate(parent ? parent->m_hWnd : nullptr);
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    m_ended = true;
    // The owner is enabled before the dialog hides so that it gets the activation back.
    ReleaseOwner();
    if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

void CDialog::ReleaseOwner()
{
    if (m_disabledOwner) {
        ::EnableWindow(m_disabledOwner, TRUE);
        m_disabledOwner = nullptr;
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    // Filling the controls makes them notify; a handler that exchanges data again would read
    // controls not yet filled into their members (or refuse their old contents).
    if (m_filling) {
        return TRUE;
    }
    struct FillingScope {
        bool& flag;
        ~FillingScope() { flag = false; }
    } scope{m_filling};
    m_filling = !saveAndValidate;
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const ExchangeRefused&) {
        return FALSE;
    }
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::Close(int result)
{
    switch (m_mode) {
        case Mode::Modal:
            EndDialog(result);
            break;
        case Mode::Modeless:
            DestroyWindow();
            break;
        case Mode::Child:
            break;
    }
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE)) {
        Close(IDOK);
    }
}

void CDialog::OnCancel()
{
    Close(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    // Keyboard navigation (Tab, Enter, Escape) inside the dialog.
    if (m_hWnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        return ::IsDialogMessageA(m_hWnd, msg);
    }
    return FALSE;
}
