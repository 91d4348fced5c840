#include "elements/win/LCDWnd.h"

#include <algorithm>
#include <cmath>

#include "data/Channel.h"
#include "data/DataSet.h"
#include "foundation/Geometry.h"
#include "foundation/TimeStamp.h"

namespace {

constexpr char kClassName[] = "KSTLCDClass";
constexpr UINT kParentRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN |
                               RDW_FRAME;

bool ContainsClockWord(const CKSTString& title)
{
    return title.Find(CKSTString("Uhrzeit")) >= 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CKSTLCDWnd, CKSTBufferedElementWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_TIMER()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CKSTLCDWnd::CKSTLCDWnd()
{
    SetTitlePosition(m_titleAlignment);
    SetValueAlignment(m_valueAlignment);
}

CKSTLCDWnd::~CKSTLCDWnd()
{
    if (m_hWnd) {
        DestroyWindow();
    }
}

int CKSTLCDWnd::Create(CWnd* parent, IKSTElementOwner* owner, bool snapToGrid, DWORD style,
                       const RECT& rect)
{
    RegisterElementClass(kClassName);
    const RECT ordered = NormalizeRect(rect);
    m_owner = owner;
    m_styleWord = style;
    m_snapToGrid = snapToGrid ? 1 : 0;
    if (!CWnd::CreateEx(0, kClassName, "LCD", style | WS_CHILD, ordered, parent, 0)) {
        return -1003;
    }
    ShowWindow(SW_SHOW);
    SetTransparentStyle(m_hWnd, AnyTransparent());
    return 0;
}

void CKSTLCDWnd::Show()
{
    if (m_hWnd) {
        ShowWindow(SW_SHOW);
    }
}

void CKSTLCDWnd::SubscribeElementEvents(HWND window)
{
    ::SubscribeElementEvents(m_notify, window);
}

void CKSTLCDWnd::UnsubscribeElementEvents(HWND window)
{
    ::UnsubscribeElementEvents(m_notify, window);
}

void CKSTLCDWnd::SetDisplayType(uint32_t type)
{
    m_displayType = type;
    if (!AnyTransparent()) {
        m_doubleBuffered = 1;
    }
}

void CKSTLCDWnd::SetDoubleBuffered(bool doubleBuffered)
{
    m_doubleBuffered = doubleBuffered ? 1 : 0;
}

void CKSTLCDWnd::SetBackColor(uint32_t colour)
{
    m_titleBackColor = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetValueBackColor(uint32_t colour)
{
    m_valueBackColor = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetTitle(const CKSTString& title)
{
    m_title = title;
    UpdateClock();
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetLampValue(double value)
{
    m_value = value;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetTextColor(uint32_t colour)
{
    m_titleTextColor = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetValueTextColor(uint32_t colour)
{
    m_valueTextColor = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetLampActiveColor1(uint32_t colour)
{
    m_lampActive1 = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetLampActiveColor2(uint32_t colour)
{
    m_lampActive2 = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetLampPassiveColor(uint32_t colour)
{
    m_lampPassive = colour;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetTitleFont(const CKSTFontDesc& font)
{
    m_titleFont = font;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetValueFont(const CKSTFontDesc& font)
{
    m_valueFont = font;
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetLanguage(uint32_t language)
{
    if (language != m_language) {
        m_language = language;
        InvalidateIfCreated();
    }
}

void CKSTLCDWnd::SetTitlePosition(uint32_t code)
{
    m_titleAlignment = code;
    m_titlePlacement = KstPlaceFieldText(code, m_frameWidth, m_titleSide, true);
}

void CKSTLCDWnd::SetValueAlignment(uint32_t code)
{
    m_valueAlignment = code;
    m_valuePlacement = KstPlaceFieldText(code, m_frameWidth, m_titleSide, false);
}

void CKSTLCDWnd::UpdateClock()
{
    if (ContainsClockWord(m_title)) {
        if (m_hWnd && !m_clockTimer) {
            m_clockTimer = SetTimer(kClockTimer, 1000) ? kClockTimer : 0;
        }
        return;
    }
    if (m_clockTimer) {
        if (m_hWnd) {
            KillTimer(m_clockTimer);
        }
        m_clockTimer = 0;
        m_valueText.Empty();
    }
}

void CKSTLCDWnd::BindChannel(const CKSTDataSet* dataSet, const CKSTString& group,
                             const CKSTString& name)
{
    m_groupName = group;
    m_channelName = name;
    const int count = dataSet ? dataSet->GetChannels().GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        const CKSTChannel* channel = dataSet->GetChannels().GetAt(i);
        if (channel && channel->GetGroup() == group && channel->GetName() == name) {
            SetChannel(channel);
            m_channelIndex = i;
            if (m_title.Find(CKSTString("Title Name")) >= 0) {
                SetTitle(channel->GetName());
            }
            return;
        }
    }
    m_channelIndex = -1;
    m_channel = nullptr;
    Refresh();
    InvalidateIfCreated();
}

void CKSTLCDWnd::SetChannel(const CKSTChannel* channel)
{
    m_channel = channel;
    if (channel) {
        m_unit = channel->GetUnit();
        m_channelName = channel->GetName();
        m_groupName = channel->GetGroup();
    } else {
        m_unit = "V";
    }
    Refresh();
    InvalidateIfCreated();
}

void CKSTLCDWnd::Refresh()
{
    if (!m_hWnd) {
        return;
    }
    // The clock owns the value text while it runs; otherwise the text follows the source, so a
    // source that is a plain number again shows its number.
    if (!m_clockTimer) {
        m_valueText.Empty();
    }
    if (m_channel) {
        const double last = m_channel->GetLastValue();
        if (m_clockTimer) {
            m_value = last;
        } else if (m_channel->GetValueTextCount() > 0) {
            m_valueText = m_channel->FormatValue(last);
        } else if (m_channel->GetComment().Find(CKSTString("type:time")) >= 0) {
            CKSTTimeStamp time;
            time.SetFromDays(last);
            m_valueText = time.FormatTime(0);
        } else {
            m_value = last;
        }
    } else {
        if (m_title.IsEmpty()) {
            m_title = "New Title";
        }
        m_value = 0.0;
    }
    const bool valueChanged =
        m_drawnValueText != m_valueText ||
        (m_valueText.IsEmpty() && KstValueCompareText(m_valueText, m_drawnValue, m_precision,
                                                      m_unit) !=
                                      KstValueCompareText(m_valueText, m_value, m_precision,
                                                          m_unit));
    const bool titleChanged = m_drawnTitle != m_title;
    RedrawForRefresh(valueChanged, titleChanged);
}

void CKSTLCDWnd::RedrawForRefresh(bool valueChanged, bool titleChanged)
{
    if (!valueChanged && !titleChanged) {
        return;
    }
    Invalidate(TRUE);
    RECT client;
    GetClientRect(&client);
    const KstValueFieldRects fields = KstSplitValueFields(client, m_titleSide, m_splitRatio);
    if (m_valueTransparent && valueChanged) {
        RedrawParentArea(KstPlaceTextBox(fields.value, m_valueAlignment, m_valueTextExtent.cx,
                                         m_valueTextExtent.cy));
    }
    if (m_titleTransparent && titleChanged) {
        RedrawParentArea(fields.title);
    }
}

void CKSTLCDWnd::RedrawParentArea(const RECT& clientArea)
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent) {
        return;
    }
    RECT area = clientArea;
    MapWindowPoints(m_hWnd, parent, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(parent, &area, nullptr, kParentRedraw);
}

void CKSTLCDWnd::GetSettings(CKSTValueElementSettings& settings) const
{
    settings.m_TitleTextColor = m_titleTextColor;
    settings.m_TitleBackColor = m_titleBackColor;
    settings.m_TitleTransparent = m_titleTransparent;
    settings.m_TitleFont = m_titleFont;
    settings.m_ValueTextColor = m_valueTextColor;
    settings.m_ValueBackColor = m_valueBackColor;
    settings.m_ValueTransparent = m_valueTransparent;
    settings.m_ValueFont = m_valueFont;
    settings.m_LampActiveColor1 = m_lampActive1;
    settings.m_LampActiveColor2 = m_lampActive2;
    settings.m_LampPassiveColor = m_lampPassive;
    settings.m_DisplayType = m_displayType;
    settings.m_TitleSide = m_titleSide;
    settings.m_TitleAlignment = m_titleAlignment;
    settings.m_ValueAlignment = m_valueAlignment;
    settings.m_Operator1 = m_operator1;
    settings.m_Operator2 = m_operator2;
    settings.m_Threshold1 = m_threshold1;
    settings.m_Threshold2 = m_threshold2;
    settings.m_SplitRatio = m_splitRatio;
    settings.m_FrameWidth = m_frameWidth;
    settings.m_FrameColor = m_frameColor;
    settings.m_Frame = m_frame;
    settings.m_Precision = m_precision;
    settings.m_ShowGroup = m_showGroup;
    settings.m_ShowUnit = m_showUnit;
    settings.m_ChannelIndex = m_channelIndex;
    const bool bound = m_channelIndex != -1;
    settings.m_ChannelName = bound ? m_channelName : CKSTString();
    settings.m_GroupName = bound ? m_groupName : CKSTString();
    settings.m_Title = m_title;
}

void CKSTLCDWnd::ApplySettings(const CKSTValueElementSettings& s)
{
    m_title.Empty();
    m_titleTextColor = s.m_TitleTextColor;
    m_titleBackColor = s.m_TitleBackColor;
    m_titleTransparent = s.m_TitleTransparent ? 1 : 0;
    m_titleFont = s.m_TitleFont;
    m_valueTextColor = s.m_ValueTextColor;
    m_valueBackColor = s.m_ValueBackColor;
    m_valueTransparent = s.m_ValueTransparent ? 1 : 0;
    m_valueFont = s.m_ValueFont;
    m_lampActive1 = s.m_LampActiveColor1;
    m_lampActive2 = s.m_LampActiveColor2;
    m_lampPassive = s.m_LampPassiveColor;
    m_operator1 = s.m_Operator1;
    m_operator2 = s.m_Operator2;
    m_displayType = s.m_DisplayType;
    m_titleSide = s.m_TitleSide;
    SetTitlePosition(s.m_TitleAlignment);
    SetValueAlignment(s.m_ValueAlignment);
    m_threshold1 = s.m_Threshold1;
    m_threshold2 = s.m_Threshold2;
    // Stored numbers outside what the element can show are taken at the nearest bound.
    m_splitRatio = std::isfinite(s.m_SplitRatio) ? std::clamp(s.m_SplitRatio, 0.0, 1.0) : 0.5;
    m_frameWidth = std::clamp(s.m_FrameWidth, 0, KST_MAX_FRAME_WIDTH);
    m_unit.Empty();
    m_precision = std::clamp(s.m_Precision, 0, KST_MAX_PRECISION);
    m_frame = s.m_Frame ? 1 : 0;
    m_channelIndex = s.m_ChannelIndex;
    m_channelName = s.m_ChannelIndex == -1 ? CKSTString() : s.m_ChannelName;
    m_title = s.m_Title;
    m_frameColor = s.m_FrameColor;
    m_groupName = s.m_GroupName;
    m_showGroup = s.m_ShowGroup ? 1 : 0;
    m_showUnit = s.m_ShowUnit ? 1 : 0;
    if (AnyTransparent()) {
        m_doubleBuffered = 0;
    }
    UpdateClock();
    if (m_hWnd) {
        SetTransparentStyle(m_hWnd, AnyTransparent());
        SetWindowPos(nullptr, 0, 0, 0, 0, KST_SWP_FRAME_CHANGED);
        Invalidate(TRUE);
    }
}

int CKSTLCDWnd::Configure()
{
    CKSTValueElementSettings chosen;
    GetSettings(chosen);
    const int result = m_owner ? m_owner->EditValueSettings(chosen, m_language) : IDCANCEL;
    if (result == IDOK) {
        if (m_displayType == 1) {
            ApplyLampDialog(chosen);
        } else {
            ApplyValueDialog(chosen);
        }
    }
    AlignTransparencyStyle();
    return result;
}

void CKSTLCDWnd::AlignTransparencyStyle()
{
    if (!m_hWnd) {
        return;
    }
    if (!AnyTransparent()) {
        SetTransparentStyle(m_hWnd, false);
        m_doubleBuffered = 1;
        Invalidate(TRUE);
        return;
    }
    SetTransparentStyle(m_hWnd, true);
    m_doubleBuffered = 0;
    Fire(KST_ELEMENT_EVENT_LBUTTON_UP, 0);
    Invalidate(TRUE);
}

void CKSTLCDWnd::ApplyValueDialog(const CKSTValueElementSettings& c)
{
    m_frameColor = c.m_FrameColor;
    if (KstIsValidFrameWidth(c.m_FrameWidth)) {
        m_frameWidth = c.m_FrameWidth;
    }
    m_title = c.m_Title;
    m_titleFont = c.m_TitleFont;
    m_titleTextColor = c.m_TitleTextColor;
    m_titleBackColor = c.m_TitleBackColor;
    // The centred title offsets follow the side the element had before this change.
    SetTitlePosition(c.m_TitleAlignment);
    m_titleSide = c.m_TitleSide;
    m_titleTransparent = c.m_TitleTransparent ? 1 : 0;
    m_valueTransparent = c.m_ValueTransparent ? 1 : 0;
    m_showGroup = c.m_ShowGroup ? 1 : 0;
    m_showUnit = c.m_ShowUnit == 1 ? 1 : 0;
    m_frame = c.m_Frame == 1 ? 1 : 0;
    if (KstIsValidSplitRatio(c.m_SplitRatio)) {
        m_splitRatio = c.m_SplitRatio;
    }
    if (KstIsValidPrecision(c.m_Precision)) {
        m_precision = c.m_Precision;
    }
    m_valueFont = c.m_ValueFont;
    m_valueTextColor = c.m_ValueTextColor;
    m_valueBackColor = c.m_ValueBackColor;
    SetValueAlignment(c.m_ValueAlignment);
    UpdateClock();
}

void CKSTLCDWnd::ApplyLampDialog(const CKSTValueElementSettings& c)
{
    m_title = c.m_Title;
    m_titleFont = c.m_TitleFont;
    m_titleTextColor = c.m_TitleTextColor;
    m_titleBackColor = c.m_TitleBackColor;
    SetTitlePosition(c.m_TitleAlignment);
    m_titleSide = c.m_TitleSide;
    m_titleTransparent = c.m_TitleTransparent ? 1 : 0;
    m_valueTransparent = c.m_ValueTransparent ? 1 : 0;
    m_frame = c.m_Frame == 1 ? 1 : 0;
    if (KstIsValidSplitRatio(c.m_SplitRatio)) {
        m_splitRatio = c.m_SplitRatio;
    }
    if (KstIsValidPrecision(c.m_Precision)) {
        m_precision = c.m_Precision;
    }
    m_lampActive1 = c.m_LampActiveColor1;
    m_lampActive2 = c.m_LampActiveColor2;
    m_lampPassive = c.m_LampPassiveColor;
    m_valueBackColor = c.m_ValueBackColor;
    m_operator1 = c.m_Operator1;
    m_operator2 = c.m_Operator2;
    if (std::isfinite(c.m_Threshold1)) {
        m_threshold1 = c.m_Threshold1;
    }
    if (std::isfinite(c.m_Threshold2)) {
        m_threshold2 = c.m_Threshold2;
    }
    m_doubleBuffered = AnyTransparent() ? 0 : 1;
    UpdateClock();
}
