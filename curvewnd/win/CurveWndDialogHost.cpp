#include "curvewnd/win/CurveWndDialogHost.h"

#include "curvewnd/win/CurveWnd.h"

const CKSTCurveWndSettings& CKSTCurveWndDialogHost::GetWindowSettings() const
{
    return m_window.GetWindowSettings();
}

bool CKSTCurveWndDialogHost::IsEnglish() const
{
    return m_window.IsEnglish();
}

uint32_t CKSTCurveWndDialogHost::GetDisplayKind() const
{
    return m_window.GetDisplayKind();
}

const CKSTChannel* CKSTCurveWndDialogHost::GetXChannel() const
{
    return m_window.GetXChannel();
}

CKSTXAxis* CKSTCurveWndDialogHost::GetXAxis()
{
    return &m_window.GetXAxis();
}

double CKSTCurveWndDialogHost::GetLeftCursorValue() const
{
    return m_window.GetLeftCursorValue();
}

int CKSTCurveWndDialogHost::GetCurveCount(bool includeHidden) const
{
    if (includeHidden) {
        return m_window.GetCurveCount();
    }
    int count = 0;
    while (m_window.GetCurve(count, false) != nullptr) {
        ++count;
    }
    return count;
}

CKSTCurve* CKSTCurveWndDialogHost::GetCurve(int index, bool includeHidden) const
{
    return m_window.GetCurve(index, includeHidden);
}

int CKSTCurveWndDialogHost::GetCurveIndex(const CKSTCurve* curve, bool includeHidden) const
{
    // The window answers 0 for a curve it does not hold; the dialogs need to tell that apart.
    const int index = m_window.GetCurveIndex(curve, includeHidden);
    return curve != nullptr && m_window.GetCurve(index, includeHidden) == curve ? index : -1;
}

CKSTCurve* CKSTCurveWndDialogHost::GetNextCurve(const CKSTCurve* curve) const
{
    return m_window.GetNextCurve(curve);
}

CKSTCurve* CKSTCurveWndDialogHost::GetPreviousCurve(const CKSTCurve* curve) const
{
    return m_window.GetPreviousCurve(curve);
}

CKSTYAxis* CKSTCurveWndDialogHost::GetNextAxis(const CKSTYAxis* axis, bool any) const
{
    return m_window.GetNextAxis(axis, any);
}

CKSTYAxis* CKSTCurveWndDialogHost::GetPreviousAxis(const CKSTYAxis* axis, bool any) const
{
    return m_window.GetPreviousAxis(axis, any);
}

void CKSTCurveWndDialogHost::SetModified()
{
    m_window.SetModified(true);
}

void CKSTCurveWndDialogHost::RecalcLayout()
{
    m_window.RecalcLayout();
}

void CKSTCurveWndDialogHost::UpdateNow()
{
    m_window.UpdateNow();
}

void CKSTCurveWndDialogHost::RecalcGroupRanges()
{
    m_window.RecalcGroupRanges();
}

void CKSTCurveWndDialogHost::SetUpdateEnabled(bool enable)
{
    m_window.SetUpdateEnabled(enable, true);
}

bool CKSTCurveWndDialogHost::IsSubscribed(uint32_t event) const
{
    return m_window.IsSubscribed(event);
}

void CKSTCurveWndDialogHost::PostEvent(uint32_t event, intptr_t parameter)
{
    m_window.FirePostParams(event, static_cast<WPARAM>(parameter), 0);
}

void CKSTCurveWndDialogHost::RezoomTotal()
{
    m_window.Rezoom(0);
}

void CKSTCurveWndDialogHost::SetDisplayKind(uint32_t kind, const CKSTString& xChannelName)
{
    m_window.SetDisplayKind(kind, -1, xChannelName);
}

void CKSTCurveWndDialogHost::UpdateXRange()
{
    m_window.UpdateXRange();
}

void CKSTCurveWndDialogHost::SetXAxisForGroups()
{
    m_window.SetXAxisForGroups();
    if (m_window.IsUpdateEnabled()) {
        m_window.RecalcLayout();
        m_window.UpdateNow();
    }
}

void CKSTCurveWndDialogHost::SetXAxisTicks(double spacing, bool automatic, bool onlyAtDataPoints)
{
    m_window.SetXAxisTicks(spacing, onlyAtDataPoints, automatic, true);
}

void CKSTCurveWndDialogHost::SetXTextColor(uint32_t colour)
{
    m_window.SetXTextColor(colour, true);
}

void CKSTCurveWndDialogHost::SetXAxisRotation(int16_t degrees)
{
    m_window.SetXAxisRotation(degrees, true);
}
