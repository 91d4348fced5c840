#include "elements/win/StaticWnd.h"

#include "elements/ElementDialogMappings.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/TextElementDialog.h"
#include "foundation/Geometry.h"

namespace {

constexpr DWORD kBaseStyle = 0x40000300;
constexpr char kClassName[] = "KSTStaticClass";

UINT HorizontalFormat(int32_t code)
{
    switch (code) {
    case 0:
        return DT_LEFT;
    case 1:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTStaticWnd, CKSTElementWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_SIZE()
END_MESSAGE_MAP()

CKSTStaticWnd::CKSTStaticWnd() : m_backColor(GetSysColor(COLOR_BTNFACE)) {}

CKSTStaticWnd::~CKSTStaticWnd()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

int CKSTStaticWnd::Register()
{
    m_className = kClassName;
    return RegisterElementClass(kClassName) ? 0 : -1;
}

int CKSTStaticWnd::Create(CWnd* parent, DWORD style, const RECT& rect)
{
    (void)Register();
    const RECT ordered = NormalizeRect(rect);
    m_styleWord = style | kBaseStyle;
    if (CWnd::CreateEx(0, m_className.c_str(), "Static", m_styleWord, ordered, parent, 0)) {
        ShowWindow(SW_SHOW);
        SetTransparentStyle(m_hWnd, m_transparent != 0);
    }
    return 0;
}

void CKSTStaticWnd::RegisterDesignSinks(HWND window)
{
    SubscribeElementEvents(m_notify, window, false);
}

void CKSTStaticWnd::UnregisterDesignSinks(HWND window)
{
    UnsubscribeElementEvents(m_notify, window, false);
}

void CKSTStaticWnd::SetText(const CKSTString& text)
{
    m_text = text;
    if (m_hWnd) {
        SetWindowText(m_text.c_str());
        Invalidate(TRUE);
    }
}

void CKSTStaticWnd::SetBackColor(uint32_t colour)
{
    m_backColor = colour;
    InvalidateIfCreated();
}

void CKSTStaticWnd::SetTextColor(uint32_t colour)
{
    m_textColor = colour;
    InvalidateIfCreated();
}

void CKSTStaticWnd::SetFont(const CKSTFontDesc& font)
{
    m_font = font;
    InvalidateIfCreated();
}

DWORD CKSTStaticWnd::AlignmentStyle(int32_t code, DWORD current)
{
    switch (code) {
    case 0:
        return 0x40000200;
    case 4:
        return 0x40000201;
    case 1:
        return 0x40000202;
    default:
        return current;
    }
}

void CKSTStaticWnd::SetAlignment(int32_t code)
{
    m_alignment = code;
    m_styleWord = AlignmentStyle(code, m_styleWord);
    if (m_hWnd) {
        ModifyStyle(0, m_styleWord);
        Invalidate(TRUE);
    }
}

void CKSTStaticWnd::SetVisible(bool visible)
{
    if ((m_visible != 0) == visible) {
        return;
    }
    m_visible = visible ? 1 : 0;
    if (m_hWnd) {
        ShowWindow(visible ? SW_SHOW : SW_HIDE);
    }
}

void CKSTStaticWnd::SetLanguage(uint32_t language)
{
    if (language != m_language) {
        m_language = language;
        if (m_hWnd) {
            UpdateWindow();
        }
    }
}

void CKSTStaticWnd::SetFrame(bool frame)
{
    m_frame = frame ? 1 : 0;
    InvalidateIfCreated();
}

void CKSTStaticWnd::SetTransparent(bool transparent)
{
    m_transparent = transparent ? 1 : 0;
    if (m_hWnd) {
        SetTransparentStyle(m_hWnd, transparent);
        Invalidate(TRUE);
    }
}

void CKSTStaticWnd::GetSettings(CKSTTextElementSettings& settings) const
{
    settings.m_Text = m_text;
    settings.m_Alignment = m_alignment;
    settings.m_BackColor = m_backColor;
    settings.m_TextColor = m_textColor;
    settings.m_Font = m_font;
    settings.m_Frame = m_frame;
    settings.m_Transparent = m_transparent;
}

void CKSTStaticWnd::ApplySettings(const CKSTTextElementSettings& settings)
{
    m_text = settings.m_Text;
    m_backColor = settings.m_BackColor;
    m_textColor = settings.m_TextColor;
    m_font = settings.m_Font;
    m_frame = settings.m_Frame ? 1 : 0;
    m_transparent = settings.m_Transparent ? 1 : 0;
    SetAlignment(settings.m_Alignment);
    if (!m_hWnd) {
        return;
    }
    SetWindowText(m_text.c_str());
    if (SetTransparentStyle(m_hWnd, m_transparent != 0)) {
        SetWindowPos(nullptr, 0, 0, 0, 0, KST_SWP_FRAME_CHANGED);
    }
    Invalidate(TRUE);
}

INT_PTR CKSTStaticWnd::Configure()
{
    CKSTTextElementDialog dialog(this);
    dialog.m_textColor = m_textColor;
    dialog.m_backColor = m_backColor;
    dialog.m_font = m_font;
    dialog.m_text = m_text;
    dialog.m_frame = m_frame;
    dialog.m_alignmentIndex = KstTextAlignmentIndex(m_alignment);
    dialog.m_transparent = m_transparent;
    dialog.m_language = m_language;
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK) {
        return result;
    }
    SetFont(dialog.m_font);
    SetTextColor(dialog.m_textColor);
    SetBackColor(dialog.m_backColor);
    SetText(dialog.m_text);
    SetAlignment(KstTextAlignmentCode(dialog.m_alignmentIndex));
    m_frame = dialog.m_frame ? 1 : 0;
    m_transparent = dialog.m_transparent ? 1 : 0;
    if (m_hWnd) {
        SetTransparentStyle(m_hWnd, m_transparent != 0);
        Invalidate(TRUE);
        Fire(KST_ELEMENT_EVENT_LBUTTON_UP, 0);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return IDOK;
}

void CKSTStaticWnd::Draw(HDC dc, const RECT& rect)
{
    CKSTFontDesc font(m_font);
    HGDIOBJ oldFont = SelectObject(dc, font.CreateOwnFont());
    HBRUSH brush = CreateSolidBrush(m_backColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    SetBkColor(dc, m_backColor);
    ::SetTextColor(dc, m_textColor);
    SetBkMode(dc, TRANSPARENT);
    if (!m_transparent || m_transparencySuspended) {
        PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    }
    if (m_frame) {
        HBRUSH frameBrush = CreateSolidBrush(0x808080);
        FrameRect(dc, &rect, frameBrush);
        DeleteObject(frameBrush);
    }
    RECT textRect = rect;
    DrawTextA(dc, m_text.c_str(), m_text.GetLength(), &textRect,
              DT_SINGLELINE | DT_VCENTER | HorizontalFormat(m_alignment));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    DeleteObject(brush);
}

int CKSTStaticWnd::OnCreate(LPCREATESTRUCT create)
{
    return CWnd::OnCreate(create) == -1 ? -1 : 0;
}

void CKSTStaticWnd::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    Draw(dc, client);
    EndPaint(m_hWnd, &paint);
}

void CKSTStaticWnd::OnLButtonDown(UINT flags, CPoint point)
{
    m_drag.Press();
    CWnd::OnLButtonDown(flags, point);
    Fire(KST_ELEMENT_EVENT_LBUTTON_DOWN);
}

void CKSTStaticWnd::OnMouseMove(UINT flags, CPoint point)
{
    CWnd::OnMouseMove(flags, point);
    DragOnMouseMove(flags, point, true);
}

void CKSTStaticWnd::OnLButtonUp(UINT flags, CPoint point)
{
    CWnd::OnLButtonUp(flags, point);
    const CKSTElementDrag::Release release = m_drag.OnRelease(point.x, point.y);
    if (release.moved) {
        RestoreTransparencyAfterMove();
    }
    Fire(KST_ELEMENT_EVENT_LBUTTON_UP, KstPackPoint(release.dx, release.dy));
}

void CKSTStaticWnd::OnLButtonDblClk(UINT, CPoint)
{
    if (Configure() == IDOK) {
        Fire(KST_ELEMENT_EVENT_SETTINGS_OK);
    }
}

void CKSTStaticWnd::OnSize(UINT type, int width, int height)
{
    if (m_notify.IsRegistered(KST_ELEMENT_EVENT_SIZE)) {
        Fire(KST_ELEMENT_EVENT_SIZE);
    } else {
        CWnd::OnSize(type, width, height);
    }
}
