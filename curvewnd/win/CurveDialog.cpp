#include "curvewnd/win/CurveDialog.h"

#include <commctrl.h>

#include <charconv>
#include <cmath>

#include "curvewnd/Curve.h"
#include "data/Channel.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/win/DlgItems.h"
#include "foundation/win/StringLoader.h"
#include "framework/CommonDialogs.h"

namespace {

bool ParseNumber(CKSTString text, double& value)
{
    text.Trim();
    const char* end = text.c_str() + text.GetLength();
    const auto parsed = std::from_chars(text.c_str(), end, value, std::chars_format::general);
    return !text.IsEmpty() && parsed.ec == std::errc() && parsed.ptr == end &&
           std::isfinite(value);
}

}  // namespace

CKSTCurveDialog::CKSTCurveDialog(UINT templateId, IKSTCurveDialogHost& host, CWnd* parent)
    : CDialog(templateId, parent), m_host(&host), m_english(host.IsEnglish())
{
}

CKSTString CKSTCurveDialog::Text(int id) const
{
    return LoadResString(id, m_english);
}

CKSTString CKSTCurveDialog::CurveLabel(const CKSTCurve& curve) const
{
    const CKSTString group = curve.GetChannelLabelPrefix();
    if (m_host->GetWindowSettings().m_LegendGroup && !group.IsEmpty()) {
        return group + ": " + curve.GetChannelName();
    }
    return curve.GetChannelName();
}

void CKSTCurveDialog::SetItemText(int controlId, int stringId)
{
    SetDlgItemText(controlId, Text(stringId).c_str());
}

void CKSTCurveDialog::FillCombo(int controlId, std::initializer_list<int> stringIds)
{
    HWND combo = ::GetDlgItem(m_hWnd, controlId);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int id : stringIds) {
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(id).c_str()));
    }
}

void CKSTCurveDialog::FillComboTexts(int controlId, std::initializer_list<const char*> texts)
{
    HWND combo = ::GetDlgItem(m_hWnd, controlId);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* text : texts) {
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

void CKSTCurveDialog::CollectCurves()
{
    m_curves.clear();
    const int count = m_host->GetCurveCount(false);
    for (int i = 0; i < count; ++i) {
        if (CKSTCurve* curve = m_host->GetCurve(i, false)) {
            m_curves.push_back(curve);
        }
    }
}

void CKSTCurveDialog::FillCurveList(int controlId)
{
    CollectCurves();
    HWND combo = ::GetDlgItem(m_hWnd, controlId);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const CKSTCurve* curve : m_curves) {
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CurveLabel(*curve).c_str()));
    }
}

CKSTCurve* CKSTCurveDialog::FindOwnerCurve(const IKSTCurveItemOwner* owner) const
{
    if (!owner) {
        return nullptr;
    }
    const int count = m_host->GetCurveCount(true);
    for (int i = 0; i < count; ++i) {
        CKSTCurve* curve = m_host->GetCurve(i, true);
        if (curve && static_cast<const IKSTCurveItemOwner*>(curve) == owner) {
            return curve;
        }
    }
    return nullptr;
}

int CKSTCurveDialog::CurveListIndex(const CKSTCurve* curve) const
{
    for (size_t i = 0; i < m_curves.size(); ++i) {
        if (m_curves[i] == curve) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CKSTCurve* CKSTCurveDialog::CurveAt(int index) const
{
    return index >= 0 && index < static_cast<int>(m_curves.size()) ? m_curves[index] : nullptr;
}

void CKSTCurveDialog::ShowItem(int id, bool show)
{
    if (show) {
        ShowDlgItem(m_hWnd, id);
    } else {
        HideDlgItem(m_hWnd, id);
    }
}

void CKSTCurveDialog::EnableItem(int id, bool enable)
{
    if (enable) {
        EnableDlgItem(m_hWnd, id);
    } else {
        DisableDlgItem(m_hWnd, id);
    }
}

void KstDrawColourButton(const DRAWITEMSTRUCT& draw, COLORREF colour)
{
    RECT frame = draw.rcItem;
    DrawFrameControl(draw.hDC, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((draw.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    RECT inner = draw.rcItem;
    InflateRect(&inner, -2, -2);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(draw.hDC, &inner, brush);
    DeleteObject(brush);
}

void KstDrawFontButton(const DRAWITEMSTRUCT& draw, const CKSTFontDesc& font)
{
    RECT frame = draw.rcItem;
    DrawFrameControl(draw.hDC, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((draw.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    RECT inner = draw.rcItem;
    InflateRect(&inner, -2, -2);
    FillRect(draw.hDC, &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    CKSTFontDesc sample(font);
    HFONT handle = static_cast<HFONT>(sample.CreateOwnFont());
    HGDIOBJ old = handle ? SelectObject(draw.hDC, handle) : nullptr;
    const int oldMode = SetBkMode(draw.hDC, TRANSPARENT);
    DrawTextA(draw.hDC, "AaZz", -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(draw.hDC, oldMode);
    if (old) {
        SelectObject(draw.hDC, old);
    }
}

bool KstChooseColour(CWnd* owner, uint32_t& colour)
{
    CColorDialog dialog(colour, CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT, owner);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    colour = dialog.GetColor();
    return true;
}

bool KstChooseFont(CWnd* owner, CKSTFontDesc& font)
{
    LOGFONTA logFont{};
    font.GetLogFont(logFont);
    CFontDialog dialog(&logFont, CF_SCREENFONTS | CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT,
                       nullptr, owner);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    LOGFONTA chosen{};
    dialog.GetCurrentFont(&chosen);
    font = CKSTFontDesc(chosen);
    return true;
}

void CKSTCurveDialog::ShowDuration(int base, bool show)
{
    for (int id = base; id < base + 8; ++id) {
        ShowItem(id, show);
    }
}

void CKSTCurveDialog::EnableDuration(int base, bool enable)
{
    for (int id = base; id < base + 8; ++id) {
        EnableItem(id, enable);
    }
}

void DDX_Duration(CDataExchange* dx, int base, double& seconds)
{
    HWND dialog = dx->m_pDlgWnd->m_hWnd;
    static constexpr double kUnits[] = {86400.0, 3600.0, 60.0, 1.0};
    if (!dx->m_bSaveAndValidate) {
        const bool negative = seconds < 0.0;
        double rest = std::fabs(seconds);
        double parts[4] = {};
        for (int i = 0; i < 3; ++i) {
            parts[i] = std::floor(rest / kUnits[i]);
            rest -= parts[i] * kUnits[i];
        }
        parts[3] = rest;
        for (int i = 0; i < 4; ++i) {
            const CKSTString text =
                CKSTString::FormatGeneral(negative ? -parts[i] : parts[i], 15, 'g');
            SetDlgItemTextA(dialog, base + 2 * i, text.c_str());
        }
        return;
    }
    double total = 0.0;
    for (int i = 0; i < 4; ++i) {
        HWND field = dx->PrepareCtrl(base + 2 * i);
        double value = 0.0;
        if (!ParseNumber(CWnd::FromHandle(field)->GetWindowText(), value)) {
            dx->Fail(KST_IDP_PARSE_REAL, "Please enter a number.");
        }
        total += value * kUnits[i];
    }
    seconds = total;
}

void DDX_DateTime(CDataExchange* dx, int dateId, int timeId, CKSTTimeStamp& time)
{
    HWND dialog = dx->m_pDlgWnd->m_hWnd;
    if (!dx->m_bSaveAndValidate) {
        SYSTEMTIME parts{};
        parts.wYear = static_cast<WORD>(time.GetYear());
        parts.wMonth = static_cast<WORD>(time.GetMonth());
        parts.wDay = static_cast<WORD>(time.GetDay());
        parts.wHour = static_cast<WORD>(time.GetHour());
        parts.wMinute = static_cast<WORD>(time.GetMinute());
        parts.wSecond = static_cast<WORD>(time.GetSecond());
        for (int id : {dateId, timeId}) {
            SendDlgItemMessageA(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID,
                                reinterpret_cast<LPARAM>(&parts));
        }
        return;
    }
    SYSTEMTIME date{};
    SYSTEMTIME clock{};
    SendDlgItemMessageA(dialog, dateId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    SendDlgItemMessageA(dialog, timeId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&clock));
    time = CKSTTimeStamp(date.wYear, date.wMonth, date.wDay, clock.wHour, clock.wMinute,
                         clock.wSecond);
}
