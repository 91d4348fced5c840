// The measuring cursors of the curve window: inverted lines in the off-screen picture (drawing
// one twice erases it), the X axis' cursor labels, the value labels of the curves and the
// differential-measure table.
#include <algorithm>

#include "curvewnd/CurveLabels.h"
#include "curvewnd/win/CurvePaint.h"
#include "curvewnd/win/CurveWnd.h"
#include "curvewnd/win/CurveWndScrollBar.h"
#include "foundation/win/StringLoader.h"
#include "framework/Seams.h"
#include "resources/StringIds.h"

namespace {

// Curves that take part in the cursor: shown y(t) curves not only in the value list.
bool FollowsCursor(const CKSTCurve& curve)
{
    return curve.GetCurveKind() == CKSTCurve::kKindShown && curve.GetValueListMode() != 2;
}

}  // namespace

void CKSTCurveWnd::DrawCursor(int index)
{
    const int32_t x = index == 1 ? m_interaction.cursor1X : m_interaction.cursor2X;
    const int32_t y = index == 1 ? m_interaction.cursor1Y : m_interaction.cursor2Y;
    for (const auto& group : m_groups) {
        if (!group->IsVisible()) {
            continue;
        }
        if (CKSTCurve* first = group->GetFirstCurve()) {
            InvertCursorLine(*first, x);
        }
        for (int c = 0; c < group->GetCurveCount(); ++c) {
            CKSTCurve& curve = *group->GetCurve(c);
            if (!FollowsCursor(curve)) {
                continue;
            }
            if (curve.IsMatrixCurve()) {
                InvertRowLine(curve, y);
            } else if (m_interaction.crossCursor != 0) {
                InvertValueLine(curve, x);
            }
        }
    }
}

void CKSTCurveWnd::ShowCursorLabels()
{
    m_xAxis->ShowCursorLabel(1, m_interaction.cursor1X);
    if (m_interaction.measureMode == kMeasureDifferential) {
        m_xAxis->ShowCursorLabel(2, m_interaction.cursor2X);
    }
}

void CKSTCurveWnd::ShowValueBoxes(int32_t x, int32_t y)
{
    for (const auto& group : m_groups) {
        for (int c = 0; group->IsVisible() && c < group->GetCurveCount(); ++c) {
            CKSTCurve& curve = *group->GetCurve(c);
            if (FollowsCursor(curve) && curve.GetShowAtCursor()) {
                ShowLabelTip(curve, x, y, group.get());
            }
        }
    }
}

void CKSTCurveWnd::MoveValueBoxes(int32_t x, int32_t y)
{
    for (const auto& group : m_groups) {
        for (int c = 0; c < group->GetCurveCount(); ++c) {
            CKSTCurve& curve = *group->GetCurve(c);
            if (curve.GetLabelTip() != nullptr) {
                MoveLabelTip(curve, x, y, group.get());
            }
        }
    }
}

void CKSTCurveWnd::HideValueBoxes()
{
    for (const auto& group : m_groups) {
        for (int c = 0; c < group->GetCurveCount(); ++c) {
            HideLabelTip(*group->GetCurve(c));
        }
    }
}

void CKSTCurveWnd::OpenDiffTable(bool clear)
{
    m_diffTable = Dialogs().OpenDiffMeasure(*this);
    if (m_diffTable) {
        m_diffTable->SetCursorRange(m_interaction.cursor1X, m_interaction.cursor2X, true, clear);
    }
}

void CKSTCurveWnd::StartSimpleMeasure(const POINT& point)
{
    if (IsEmpty() || m_interaction.measureMode == kMeasureSimple) {
        return;
    }
    if (m_interaction.measureMode == kMeasureDifferential) {
        EndMeasure();
    }
    InteractionState& s = m_interaction;
    s.measureMode = kMeasureSimple;
    s.cursor1X = point.x;
    s.cursor1Y = point.y;
    s.cursor2X = 0;
    s.cursor2Y = 0;
    s.dragging1 = s.dragging2 = 0;
    if (m_drawingEnabled == 0) {
        s.cursorsHidden = 1;
        return;
    }
    m_xAxis->ShowCursorLabel(1, s.cursor1X);
    ShowValueBoxes(s.cursor1X, s.cursor1Y);
    DrawCursor(1);
    s.cursorsHidden = 0;
}

void CKSTCurveWnd::StartDifferentialMeasure(const POINT& point, bool showTable)
{
    if (IsEmpty() || m_interaction.measureMode == kMeasureDifferential) {
        return;
    }
    if (m_interaction.measureMode == kMeasureSimple) {
        EndMeasure();
    }
    InteractionState& s = m_interaction;
    s.measureMode = kMeasureDifferential;
    const RECT band = NormalizeRect(m_xAxis->GetRect());
    KstDifferentialColumns(band.left, band.right, s.cursor1X, s.cursor2X);
    s.cursor1Y = point.y;
    s.cursor2Y = point.y + 10;
    s.dragging1 = s.dragging2 = 0;
    s.showDifferenceTable = showTable ? 1 : 0;
    if (m_drawingEnabled == 0) {
        s.cursorsHidden = 1;
        return;
    }
    ShowCursorLabels();
    if (showTable) {
        OpenDiffTable(true);
    }
    DrawCursor(1);
    DrawCursor(2);
    s.cursorsHidden = 0;
}

void CKSTCurveWnd::EndMeasure()
{
    InteractionState& s = m_interaction;
    const uint32_t mode = s.measureMode;
    const bool drawn = s.cursorsHidden == 0;
    s.measureMode = kMeasureNone;
    if (mode == kMeasureSimple) {
        if (drawn) {
            DrawCursor(1);
        }
        m_xAxis->HideCursorLabel(1);
        HideValueBoxes();
    } else if (mode == kMeasureDifferential) {
        if (drawn) {
            DrawCursor(1);
            DrawCursor(2);
        }
        m_xAxis->HideCursorLabel(1);
        m_xAxis->HideCursorLabel(2);
        if ((s.dragging1 != 0 || s.dragging2 != 0) && ::GetCapture() == m_hWnd) {
            s.dragging1 = s.dragging2 = 0;
            ::ReleaseCapture();
        }
        s.dragging1 = s.dragging2 = 0;
        m_diffTable.reset();
    }
    if (mode != kMeasureNone) {
        FirePost(kEventMeasureEnded);
    }
    s.cursorFrozen = 0;
    s.cursorsHidden = 0;
}

void CKSTCurveWnd::HideCursors()
{
    InteractionState& s = m_interaction;
    if (IsEmpty() || s.cursorsHidden != 0) {
        return;
    }
    if (s.measureMode == kMeasureSimple) {
        DrawCursor(1);
        m_xAxis->HideCursorLabel(1);
        HideValueBoxes();
    } else if (s.measureMode == kMeasureDifferential) {
        DrawCursor(1);
        DrawCursor(2);
        m_xAxis->HideCursorLabel(1);
        m_xAxis->HideCursorLabel(2);
    }
    s.cursorsHidden = 1;
}

void CKSTCurveWnd::ShowCursors()
{
    InteractionState& s = m_interaction;
    if (IsEmpty() || s.cursorsHidden == 0 || m_drawingEnabled == 0) {
        return;
    }
    if (s.measureMode == kMeasureSimple) {
        m_xAxis->ShowCursorLabel(1, s.cursor1X);
        ShowValueBoxes(s.cursor1X, s.cursor1Y);
        DrawCursor(1);
    } else if (s.measureMode == kMeasureDifferential) {
        ShowCursorLabels();
        DrawCursor(1);
        DrawCursor(2);
        if (!m_diffTable && s.showDifferenceTable != 0) {
            OpenDiffTable(false);
        } else if (m_diffTable) {
            m_diffTable->Refresh();
        }
    }
    s.cursorsHidden = 0;
}

void CKSTCurveWnd::RedrawCursors()
{
    InteractionState& s = m_interaction;
    if (IsEmpty()) {
        return;
    }
    if (s.measureMode == kMeasureSimple) {
        DrawCursor(1);
        m_xAxis->MoveCursorLabel(1, s.cursor1X);
        MoveValueBoxes(s.cursor1X, s.cursor1Y);
    } else if (s.measureMode == kMeasureDifferential) {
        DrawCursor(1);
        DrawCursor(2);
        m_xAxis->MoveCursorLabel(1, s.cursor1X);
        m_xAxis->MoveCursorLabel(2, s.cursor2X);
        if (m_diffTable && m_diffTable->IsShown()) {
            m_diffTable->Refresh();
        }
    }
}

void CKSTCurveWnd::SetLeftCursorValue(double x)
{
    InteractionState& s = m_interaction;
    if (s.cursorsHidden != 0 || s.dragging1 != 0 || s.dragging2 != 0 ||
        s.measureMode == kMeasureNone || IsEmpty()) {
        return;
    }
    DrawCursor(1);
    s.cursor1X = m_xAxis->ValueToPixel(x);
    DrawCursor(1);
    m_xAxis->MoveCursorLabel(1, s.cursor1X);
    MoveValueBoxes(s.cursor1X, s.cursor1Y);
    if (m_diffTable) {
        m_diffTable->SetCursorRange(s.cursor1X, s.cursor2X, false, false);
    }
}

void CKSTCurveWnd::SetRightCursorValue(double x)
{
    InteractionState& s = m_interaction;
    if (s.cursorsHidden != 0 || s.dragging1 != 0 || s.dragging2 != 0 ||
        s.measureMode != kMeasureDifferential || IsEmpty()) {
        return;
    }
    DrawCursor(2);
    s.cursor2X = m_xAxis->ValueToPixel(x);
    DrawCursor(2);
    m_xAxis->MoveCursorLabel(2, s.cursor2X);
    MoveValueBoxes(s.cursor2X, s.cursor2Y);
    if (m_diffTable) {
        m_diffTable->SetCursorRange(s.cursor1X, s.cursor2X, false, false);
    }
}

void CKSTCurveWnd::SetCrossCursor(bool on)
{
    const uint8_t value = on ? 1 : 0;
    if (value == m_interaction.crossCursor) {
        return;
    }
    const bool shown = m_interaction.cursorsHidden == 0;
    if (shown) {
        HideCursors();
    }
    m_interaction.crossCursor = value;
    if (shown) {
        ShowCursors();
    }
}

void CKSTCurveWnd::RefreshValueTable()
{
    if (m_valueTable && m_valueTable->IsShown()) {
        m_valueTable->Refresh();
    }
}

void CKSTCurveWnd::ShowZoomLimitMessage()
{
    const bool english = IsEnglish();
    const CKSTString text = LoadResString(KST_STR_CW_ZOOM_LIMIT, english);
    const CKSTString caption = LoadResString(KST_STR_CW_ZOOM_CAPTION, english);
    KstMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION,
                  KST_STR_CW_ZOOM_LIMIT);
}

void CKSTCurveWnd::SetXScrollThumb(int32_t position)
{
    if (m_xScrollBar && m_xScrollBar->GetSafeHwnd() != nullptr) {
        m_xScrollBar->SetScrollPos(position);
    }
}

void CKSTCurveWnd::SetGroupScrollThumb(int32_t position)
{
    if (m_groupScrollBar && m_groupScrollBar->GetSafeHwnd() != nullptr) {
        m_groupScrollBar->SetScrollPos(position);
    }
}

void CKSTCurveWnd::InvalidateScrollBars()
{
    for (CKSTCurveWndScrollBar* bar : {m_xScrollBar.get(), m_groupScrollBar.get()}) {
        if (bar != nullptr && bar->GetSafeHwnd() != nullptr) {
            ::InvalidateRect(bar->GetSafeHwnd(), nullptr, TRUE);
        }
    }
}

void CKSTCurveWnd::TakeFocus()
{
    if (m_hWnd != nullptr) {
        ::SetFocus(m_hWnd);
    }
}
