#include "elements/win/ButtonWnd.h"

#include "curvewnd/win/DCPixels.h"
#include "data/Channel.h"
#include "data/DataSet.h"
#include "elements/ElementDialogMappings.h"
#include "elements/ElementShading.h"
#include "elements/win/ButtonDialog.h"
#include "foundation/Geometry.h"

namespace {

constexpr char kClassName[] = "KSTButtonClass";

}  // namespace

BEGIN_MESSAGE_MAP(CKSTButtonWnd, CKSTBufferedElementWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CKSTButtonWnd::~CKSTButtonWnd()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

int CKSTButtonWnd::Create(CWnd* parent, IKSTElementOwner* owner, DWORD style, const RECT& rect)
{
    const RECT ordered = NormalizeRect(rect);
    RegisterElementClass(kClassName);
    m_owner = owner;
    m_styleWord = style;
    if (!CWnd::CreateEx(0, kClassName, "LCD", style | WS_CHILD, ordered, parent, 0)) {
        return -1003;
    }
    ShowWindow(SW_SHOW);
    SetTransparentStyle(m_hWnd, m_transparent != 0);
    return 0;
}

void CKSTButtonWnd::SubscribeElementEvents(HWND window)
{
    ::SubscribeElementEvents(m_notify, window);
}

void CKSTButtonWnd::UnsubscribeElementEvents(HWND window)
{
    ::UnsubscribeElementEvents(m_notify, window);
}

void CKSTButtonWnd::SetStyle(uint32_t style)
{
    m_style = style;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetOnColor(uint32_t colour)
{
    m_onColor = colour;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetOffColor(uint32_t colour)
{
    m_offColor = colour;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetFrameColor(uint32_t colour)
{
    m_frameColor = colour;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetBackColor(uint32_t colour)
{
    m_backColor = colour;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetTextColor(uint32_t colour)
{
    m_textColor = colour;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetFont(const CKSTFontDesc& font)
{
    m_font = font;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetTitle(const CKSTString& text)
{
    m_text = text;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetDoubleBuffered(bool doubleBuffered)
{
    m_doubleBuffered = doubleBuffered ? 1 : 0;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetLanguage(uint32_t language)
{
    if (language != m_language) {
        m_language = language;
        InvalidateIfCreated();
    }
}

void CKSTButtonWnd::SetState(bool on)
{
    m_on = on ? 1 : 0;
    InvalidateIfCreated();
}

void CKSTButtonWnd::BindChannel(const CKSTDataSet* dataSet, const CKSTString& group,
                                const CKSTString& name)
{
    m_groupName = group;
    m_channelName = name;
    const int count = dataSet ? dataSet->GetChannels().GetCount() : 0;
    if (count == 0) {
        m_text = name;
        m_channelIndex = -1;
        m_channel = nullptr;
        InvalidateIfCreated();
        return;
    }
    for (int i = 0; i < count; ++i) {
        const CKSTChannel* channel = dataSet->GetChannels().GetAt(i);
        if (channel && channel->GetGroup() == group && channel->GetName() == name) {
            SetChannel(channel);
            m_channelIndex = i;
            return;
        }
    }
    m_channelIndex = -1;
    m_channel = nullptr;
    InvalidateIfCreated();
}

void CKSTButtonWnd::SetChannel(const CKSTChannel* channel)
{
    m_channel = channel;
    if (channel) {
        m_unit = channel->GetUnit();
        m_channelName = channel->GetName();
        m_groupName = channel->GetGroup();
        m_text = m_channelName;
    } else {
        m_unit = "V";
        m_text = "Value:";
    }
    Refresh();
    InvalidateIfCreated();
}

void CKSTButtonWnd::Refresh()
{
    if (!m_hWnd) {
        return;
    }
    if (!m_channel) {
        if (m_text.IsEmpty()) {
            m_text = "New Title";
            Invalidate(TRUE);
        }
        m_value = 0.0;
    } else {
        m_value = m_channel->GetLastValue();
    }
}

void CKSTButtonWnd::GetSettings(CKSTButtonElementSettings& settings) const
{
    settings.m_Style = m_style;
    settings.m_OnColor = m_onColor;
    settings.m_OffColor = m_offColor;
    settings.m_FrameColor = m_frameColor;
    settings.m_BackColor = m_backColor;
    settings.m_TextColor = m_textColor;
    settings.m_Transparent = m_transparent;
    settings.m_Font = m_font;
    settings.m_Text = m_text;
    settings.m_ChannelIndex = m_channelIndex;
    const bool bound = m_channelIndex != -1;
    settings.m_ChannelName = bound ? m_channelName : m_text;
    settings.m_GroupName = bound ? m_groupName : CKSTString();
}

void CKSTButtonWnd::ApplySettings(const CKSTButtonElementSettings& settings)
{
    m_style = settings.m_Style;
    m_onColor = settings.m_OnColor;
    m_offColor = settings.m_OffColor;
    m_frameColor = settings.m_FrameColor;
    m_backColor = settings.m_BackColor;
    m_textColor = settings.m_TextColor;
    m_transparent = settings.m_Transparent ? 1 : 0;
    m_font = settings.m_Font;
    m_channelIndex = settings.m_ChannelIndex;
    m_channelName = settings.m_ChannelName;
    m_groupName = settings.m_GroupName;
    m_text = settings.m_ChannelIndex == -1 ? settings.m_ChannelName : m_channelName;
    if (m_transparent) {
        m_doubleBuffered = 0;
    }
    if (m_hWnd) {
        SetTransparentStyle(m_hWnd, m_transparent != 0);
        SetWindowPos(nullptr, 0, 0, 0, 0, KST_SWP_FRAME_CHANGED);
        Invalidate(TRUE);
    }
}

INT_PTR CKSTButtonWnd::Configure()
{
    CKSTButtonDialog dialog(this);
    dialog.m_onColor = m_onColor;
    dialog.m_offColor = m_offColor;
    dialog.m_frameColor = m_frameColor;
    dialog.m_backColor = m_backColor;
    dialog.m_textColor = m_textColor;
    dialog.m_text = m_text;
    dialog.m_font = m_font;
    dialog.m_transparent = m_transparent;
    dialog.m_styleIndex = KstButtonStyleIndex(m_style);
    dialog.m_language = m_language;
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK) {
        m_text = dialog.m_text;
        m_font = dialog.m_font;
        m_onColor = dialog.m_onColor;
        m_offColor = dialog.m_offColor;
        m_backColor = dialog.m_backColor;
        m_frameColor = dialog.m_frameColor;
        m_textColor = dialog.m_textColor;
        m_transparent = dialog.m_transparent != 0 ? 1 : 0;
        m_style = KstButtonStyleCode(dialog.m_styleIndex);
    }
    if (m_hWnd) {
        SetTransparentStyle(m_hWnd, m_transparent != 0);
        m_doubleBuffered = m_transparent ? 0 : 1;
        if (m_transparent) {
            Fire(KST_ELEMENT_EVENT_LBUTTON_UP, 0);
        }
        Invalidate(TRUE);
    }
    return result;
}

void CKSTButtonWnd::Draw(HDC dc, const RECT& rect)
{
    if (!m_transparent || m_transparencySuspended) {
        HBRUSH brush = CreateSolidBrush(m_backColor);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    const RECT face = KstButtonFaceRect(rect);
    const uint32_t faceColour = m_on ? m_onColor : m_offColor;
    const KstShadeShape shape = KstButtonShadeShape(m_style);
    const KstPixelArea area{rect.left, rect.top, rect.right, rect.bottom};
    DrawOnPixels(dc, area, [&](auto& surface) {
        KstShadeFace(surface, rect, m_frameColor, shape);
        KstShadeFace(surface, face, faceColour, shape);
    });
    CKSTFontDesc font(m_font);
    HGDIOBJ oldFont = SelectObject(dc, font.CreateOwnFont());
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_textColor);
    RECT textRect = face;
    DrawTextA(dc, m_text.c_str(), m_text.GetLength(), &textRect, m_textFormat | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void CKSTButtonWnd::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(&client);
    if (m_doubleBuffered && m_backBuffer.IsReady()) {
        Draw(m_backBuffer.GetHdc(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, m_backBuffer.GetHdc(), 0, 0, SRCCOPY);
    } else {
        Draw(dc, client);
    }
    EndPaint(m_hWnd, &paint);
}

void CKSTButtonWnd::OnLButtonDown(UINT flags, CPoint point)
{
    m_drag.Press();
    CWnd::OnLButtonDown(flags, point);
    if (!IsDesigning()) {
        m_on = m_on ? 0 : 1;
        Invalidate(TRUE);
    }
    Fire(KST_ELEMENT_EVENT_LBUTTON_DOWN);
}

void CKSTButtonWnd::OnLButtonDblClk(UINT flags, CPoint point)
{
    m_drag.Press();
    CWnd::OnLButtonDblClk(flags, point);
    if (IsDesigning() && Configure() == IDOK) {
        Fire(KST_ELEMENT_EVENT_SETTINGS_OK);
    }
}

void CKSTButtonWnd::OnMouseMove(UINT flags, CPoint point)
{
    CWnd::OnMouseMove(flags, point);
    DragOnMouseMove(flags, point, false);
}

void CKSTButtonWnd::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_drag.IsMoved()) {
        RestoreTransparencyAfterMove();
    }
    CWnd::OnLButtonUp(flags, point);
    m_drag.OnRelease(point.x, point.y);
    Fire(KST_ELEMENT_EVENT_LBUTTON_UP, 0);
}
