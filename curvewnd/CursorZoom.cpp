// Measuring-cursor values, zoom steps, stepping back through them and the three kinds of
// scrolling of a curve window, and the arithmetic they share.
#include "curvewnd/CursorZoom.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "curvewnd/CurveWndCore.h"
#include "foundation/Numeric.h"

// --- Arithmetic ---

void KstDifferentialColumns(int32_t left, int32_t right, int32_t& cursor1, int32_t& cursor2)
{
    const int64_t span = static_cast<int64_t>(right) - left;
    cursor1 = static_cast<int32_t>(left + span / 3);
    cursor2 = static_cast<int32_t>(left + (2 * span) / 3);
}

bool KstZoomSpanAllowed(double span, double referenceSpan)
{
    if (!(span > 0.0) || !std::isfinite(span)) {
        return false;
    }
    if (!(referenceSpan > 0.0) || !std::isfinite(referenceSpan)) {
        return true;
    }
    return span / referenceSpan >= kKstMinZoomRatio;
}

bool KstHorizontalScrollMinimum(const KstHorizontalScroll& scroll, double rootMinimum,
                                double rootMaximum, double minimum, double span, double& newMinimum)
{
    const double line = span * (scroll.wheel ? 0.1 : 0.02);
    const double last = rootMaximum - span;
    switch (scroll.code) {
        case 0:
            newMinimum = std::max(minimum - line, rootMinimum);
            return true;
        case 1:
            newMinimum = std::min(minimum + line, last);
            return true;
        case 2:
            newMinimum = std::max(minimum - span, rootMinimum);
            return true;
        case 3:
            newMinimum = std::min(minimum + span, last);
            return true;
        case 5:
            if (scroll.scrollMaximum - scroll.trackPosition < scroll.pageSize) {
                newMinimum = last;
            } else {
                newMinimum =
                    rootMinimum + (rootMaximum - rootMinimum) * scroll.trackPosition * 0.001;
            }
            return true;
        case 6:
            newMinimum = rootMinimum;
            return true;
        case 7:
            newMinimum = last;
            return true;
        default:
            return false;
    }
}

int32_t KstScrollThumb(double minimum, double rootMinimum, double rootMaximum)
{
    const double range = rootMaximum - rootMinimum;
    if (!(range > 0.0) || !std::isfinite(range)) {
        return 0;
    }
    const double thumb = (minimum - rootMinimum) * 1000.0 / range;
    return static_cast<int32_t>(std::clamp(thumb, -1e9, 1e9));
}

int KstGroupPagingFirst(uint32_t code, int first, int count, int total, int32_t trackPosition)
{
    switch (code) {
        case 0:
            return std::max(first - 1, 0);
        case 1:
            return first + 1 + count >= total ? std::max(total - count, 0) : first + 1;
        case 2:
            return std::max(first - count, 0);
        case 3:
            return first + 2 * count >= total ? std::max(total - count, 0) : first + count;
        case 5:
            return std::max(trackPosition, 0);
        default:
            return -1;
    }
}

bool KstVerticalScrollRange(uint32_t code, int32_t trackPosition, double rootMinimum,
                            double rootMaximum, bool lowestOnTop, double& minimum, double& maximum,
                            int32_t& thumb)
{
    const double span = maximum - minimum;
    const double range = rootMaximum - rootMinimum;
    // Positive moves show higher values (further up the screen on a normal axis).
    double move = 0.0;
    switch (code) {
        case 0:
            move = span * 0.02;
            break;
        case 1:
            move = -span * 0.02;
            break;
        case 2:
            move = span;
            break;
        case 3:
            move = -span;
            break;
        case 5:
            break;
        default:
            return false;
    }
    if (lowestOnTop) {
        move = -move;
    }
    double newMinimum = minimum + move;
    if (code == 5) {
        const double offset = trackPosition * 0.001 * range;
        newMinimum = lowestOnTop ? rootMinimum + offset : rootMaximum - offset - span;
    }
    newMinimum = std::min(newMinimum, rootMaximum - span);
    newMinimum = std::max(newMinimum, rootMinimum);
    minimum = newMinimum;
    maximum = newMinimum + span;
    const double fromEnd = lowestOnTop ? minimum - rootMinimum : rootMaximum - maximum;
    thumb = range > 0.0 && std::isfinite(range)
                ? static_cast<int32_t>(std::clamp(fromEnd * 1000.0 / range, 0.0, 1000.0))
                : 0;
    if (code == 5) {
        thumb = trackPosition;
    }
    return true;
}

bool KstResizeGroupWeights(std::vector<double>& weights, const std::vector<int32_t>& bodies,
                           int index, int32_t newBody, int32_t minHeight)
{
    const int count = static_cast<int>(weights.size());
    if (count < 2 || index < 0 || index >= count || bodies.size() != weights.size()) {
        return false;
    }
    // Weights that cannot be scaled (none positive) count as equal shares.
    double total = 0.0;
    for (double& weight : weights) {
        if (!(weight >= 0.0) || !std::isfinite(weight)) {
            weight = 0.0;
        }
        total += weight;
    }
    if (!(total > 0.0)) {
        std::fill(weights.begin(), weights.end(), 1.0);
        total = count;
    }
    const int64_t allBodies = std::accumulate(bodies.begin(), bodies.end(), int64_t{0});
    const int32_t oldBody = bodies[index];
    int64_t body = std::max<int64_t>(newBody, minHeight);
    if (body > oldBody) {
        body = std::max<int64_t>(
            oldBody, std::min<int64_t>(body, allBodies - int64_t{minHeight} * (count - 1)));
    }
    if (body == oldBody) {
        return false;
    }
    // A collapsed body cannot give a ratio; one pixel stands for it.
    const double reference = std::max<int32_t>(oldBody, 1);
    const double weight = weights[index];
    const double newWeight =
        weight > 0.0 ? body * weight / reference : body * total / std::max<int64_t>(allBodies, 1);
    double before = 0.0;
    for (int i = 0; i < index; ++i) {
        before += weights[i];
    }
    const double restOld = total - before - weight;
    const double restNew = std::max(total - before - newWeight, 0.0);
    weights[index] = newWeight;
    const int after = count - index - 1;
    for (int i = index + 1; i < count; ++i) {
        weights[i] = restOld > 0.0 ? weights[i] * restNew / restOld : restNew / after;
    }
    double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    if (!(sum > 0.0) || !std::isfinite(sum)) {
        std::fill(weights.begin(), weights.end(), 1.0);
        return true;
    }
    for (double& w : weights) {
        w *= count / sum;
    }
    return true;
}

double KstRoundedRangeGrid(double step)
{
    if (!(step > 0.0) || !std::isfinite(step)) {
        return 0.0;
    }
    const int16_t exponent = DecadeExponent(step);
    const double mantissa = NormalizeToDecade(step);
    if (mantissa < 2.0) {
        return 2.0 * std::pow(10.0, exponent - 2);
    }
    if (mantissa < 5.0) {
        return 5.0 * std::pow(10.0, exponent - 2);
    }
    return std::pow(10.0, exponent - 1);
}

// --- Cursor values ---

int32_t CKSTCurveWndCore::GetLeftCursorPixel() const
{
    switch (m_interaction.measureMode) {
        case kMeasureSimple:
            return m_interaction.cursor1X;
        case kMeasureDifferential:
            return std::min(m_interaction.cursor1X, m_interaction.cursor2X);
        default:
            return -1;
    }
}

double CKSTCurveWndCore::GetLeftCursorValue() const
{
    if (m_interaction.measureMode == kMeasureNone) {
        return 0.0;
    }
    return m_xAxis->PixelToValue(GetLeftCursorPixel());
}

double CKSTCurveWndCore::GetRightCursorValue() const
{
    switch (m_interaction.measureMode) {
        case kMeasureSimple:
            return m_xAxis->PixelToValue(m_interaction.cursor1X);
        case kMeasureDifferential:
            return m_xAxis->PixelToValue(std::max(m_interaction.cursor1X, m_interaction.cursor2X));
        default:
            return 0.0;
    }
}

CKSTTimeStamp CKSTCurveWndCore::GetLeftCursorTime() const
{
    return m_xAxis->GetReferenceTime() + GetLeftCursorValue();
}

CKSTTimeStamp CKSTCurveWndCore::GetRightCursorTime() const
{
    return m_xAxis->GetReferenceTime() + GetRightCursorValue();
}

// --- Zoom ---

bool CKSTCurveWndCore::HasZoomedAxes() const
{
    if (m_xAxis->GetPreviousState() != nullptr) {
        return true;
    }
    return std::any_of(m_groups.begin(), m_groups.end(),
                       [](const auto& group) { return group->HasZoomedAxis(); });
}

void CKSTCurveWndCore::RedrawAroundCursors()
{
    const bool shown = m_interaction.cursorsHidden == 0;
    if (shown) {
        HideCursors();
    }
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
    if (shown) {
        ShowCursors();
    }
}

namespace {

struct AxisZoom {
    CKSTYAxis* axis;
    double minimum;
    double maximum;
};

}  // namespace

bool CKSTCurveWndCore::ZoomToRect(const RECT& bandIn)
{
    const RECT band = NormalizeRect(bandIn);
    if (IsEmpty() || band.right == band.left || band.bottom == band.top) {
        return false;
    }

    CKSTAxisGroup* group = nullptr;
    for (const auto& candidate : m_groups) {
        if (candidate->IsVisible() && candidate->HasShownCurve() &&
            candidate->HitTestBand(band.top, band.bottom)) {
            group = candidate.get();
            break;
        }
    }
    if (group == nullptr && CountListedGroups() == 1) {
        for (const auto& candidate : m_groups) {
            const RECT rect = NormalizeRect(candidate->GetRect());
            const auto inside = [&](int32_t y) { return y >= rect.top && y < rect.bottom; };
            if (candidate->IsVisible() && (inside(band.top) || inside(band.bottom))) {
                group = candidate.get();
                break;
            }
        }
    }

    // Every axis is decided and checked before any changes, so a refused step zooms nothing.
    std::vector<AxisZoom> yZooms;
    if (group != nullptr) {
        for (int a = 0; a < group->GetAxisCount(); ++a) {
            CKSTYAxis* axis = group->GetAxis(a);
            const RECT rect = NormalizeRect(axis->GetRect());
            const bool flipped = axis->IsLowestOnTop();
            const double upper = flipped ? axis->GetMinimum() : axis->GetMaximum();
            const double lower = flipped ? axis->GetMaximum() : axis->GetMinimum();
            double maximum = band.top > rect.top ? axis->PixelToValue(band.top) : upper;
            double minimum = band.bottom < rect.bottom ? axis->PixelToValue(band.bottom) : lower;
            if (maximum < minimum) {
                std::swap(maximum, minimum);
            }
            double dataMin = 0.0;
            double dataMax = 0.0;
            group->GetValueRange(axis, dataMin, dataMax);
            if (!KstZoomSpanAllowed(maximum - minimum, dataMax - dataMin)) {
                ShowZoomLimitMessage();
                return false;
            }
            yZooms.push_back(AxisZoom{axis, minimum, maximum});
        }
    }

    const RECT xRect = NormalizeRect(m_xAxis->GetRect());
    const bool coversBand = band.left <= xRect.left && band.right >= xRect.right;
    const bool outside = band.right <= xRect.left || band.left >= xRect.right;
    bool zoomX = !coversBand && !outside;
    double xMin = band.left > xRect.left ? m_xAxis->PixelToValue(band.left) : m_xAxis->GetMinimum();
    double xMax =
        band.right < xRect.right ? m_xAxis->PixelToValue(band.right) : m_xAxis->GetMaximum();
    if (xMax < xMin) {
        std::swap(xMin, xMax);
    }
    if (zoomX) {
        double first = 0.0;
        double last = 0.0;
        GetTimeRange(first, last);
        if (!KstZoomSpanAllowed(xMax - xMin, last - first)) {
            ShowZoomLimitMessage();
            return false;
        }
    }

    const uint16_t level = static_cast<uint16_t>(m_interaction.zoomDepth + 1);
    for (const AxisZoom& zoom : yZooms) {
        const double oldSpacing = zoom.axis->GetTickSpacing();
        const double oldRange = zoom.axis->GetMaximum() - zoom.axis->GetMinimum();
        zoom.axis->PushZoom(level);
        zoom.axis->SetRange(zoom.minimum, zoom.maximum, false);
        const double ticks = oldSpacing > 0.0 ? oldRange / oldSpacing : 0.0;
        zoom.axis->SetTickCount(ticks > 0.0 && std::isfinite(ticks) ? ticks : 5.0,
                                zoom.axis->IsAutoTicks());
        group->AxisChanged(zoom.axis);
    }
    if (zoomX) {
        m_xAxis->PushZoom(level);
        m_xAxis->SetSpan(xMax - xMin, m_xAxis->GetRangeMode(), false);
        m_xAxis->SetRange(xMin, xMax, CKSTXAxis::kRangeAutomatic, true);
        InvalidateScrollBars();
        SetXAxisForGroups();
    }
    if (!zoomX && yZooms.empty()) {
        return false;
    }
    m_interaction.zoomDepth = level;
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
    return true;
}

bool CKSTCurveWndCore::ZoomX(double minimum, double maximum)
{
    if (IsEmpty() || !(minimum < maximum)) {
        return false;
    }
    double first = 0.0;
    double last = 0.0;
    GetTimeRange(first, last);
    if (!KstZoomSpanAllowed(maximum - minimum, last - first)) {
        ShowZoomLimitMessage();
        return false;
    }
    const uint16_t level = static_cast<uint16_t>(m_interaction.zoomDepth + 1);
    m_xAxis->PushZoom(level);
    m_xAxis->SetSpan(maximum - minimum, m_xAxis->GetRangeMode(), false);
    m_xAxis->SetRange(minimum, maximum, CKSTXAxis::kRangeAutomatic, true);
    InvalidateScrollBars();
    SetXAxisForGroups();
    m_interaction.zoomDepth = level;
    RedrawAroundCursors();
    return true;
}

int32_t CKSTCurveWndCore::Rezoom(uint32_t mode)
{
    if (!HasDrawingWindow() || IsEmpty()) {
        return 0;
    }
    uint16_t target = 0;
    if (mode == 1) {
        Rezoom(0);
    } else if (mode == 2) {
        target =
            m_interaction.zoomDepth > 0 ? static_cast<uint16_t>(m_interaction.zoomDepth - 1) : 0;
    }
    CKSTXAxis& axis = *m_xAxis;
    const bool xSaved = axis.GetPreviousState() != nullptr;
    if (xSaved) {
        const CKSTXAxis* state = axis.GetZoomState(target);
        const double minimum = state->GetMinimum();
        const double maximum = state->GetMaximum();
        const uint32_t rangeMode = mode == 0 ? CKSTXAxis::kRangeAutomatic : state->GetRangeMode();
        const double spacing = state->GetTickSpacing();
        const bool atPoints = state->IsTicksAtDataPoints();
        const bool autoTicks = state->IsAutoTicks();
        axis.TruncateZoom(target);
        axis.SetRange(minimum, maximum, rangeMode, false);
        axis.SetTicks(spacing, atPoints, autoTicks);
        if (maximum > minimum) {
            axis.SetSpan(maximum - minimum, axis.GetRangeMode(), false);
        }
    } else if (mode == 0 && axis.GetRangeMode() == CKSTXAxis::kRangeMinMaxFixed) {
        axis.SetRange(axis.GetMinimum(), axis.GetMaximum(), CKSTXAxis::kRangeAutomatic, false);
    } else if (mode == 1 && m_interaction.zoomDepth == 0 && axis.GetRangeTemplate() != nullptr) {
        const CKSTXAxis* range = axis.GetRangeTemplate();
        axis.SetSpan(range->GetSpan(), range->GetRangeMode(), false);
    }
    m_interaction.zoomDepth = target;
    if (axis.GetPreviousState() == nullptr) {
        UpdateXRange();
    }
    SetXAxisForGroups();
    for (const auto& group : m_groups) {
        group->RestoreZoomLevel(target);
        group->AutoScaleAll();
    }
    InvalidateScrollBars();
    if (m_updatesEnabled != 0) {
        RedrawAroundCursors();
    }
    if (!IsSubscribed(kEventMeasureEnded)) {
        return 0;
    }
    PostWindowEvent(kEventMeasureEnded);
    return 1;
}

void CKSTCurveWndCore::SetRoundedXRange(double minimum, double maximum, uint32_t rangeMode)
{
    const bool absolute = m_xAxis->GetType() == CKSTXAxis::kTypeAbsoluteTime;
    const double difference = maximum - minimum;
    if (!absolute && difference > 0.0 && std::isfinite(difference)) {
        const double grid = KstRoundedRangeGrid(NiceStep(difference));
        if (grid > 0.0) {
            minimum = std::floor(minimum / grid) * grid;
            maximum = std::ceil(maximum / grid) * grid;
        }
    }
    m_xAxis->SetRange(minimum, maximum, rangeMode, true);
    SetXAxisForGroups();
}

// --- Scrolling ---

bool CKSTCurveWndCore::ScrollHorizontal(const KstHorizontalScroll& scroll)
{
    if (m_xAxis->GetPreviousState() == nullptr) {
        return false;
    }
    const double rootMinimum = m_xAxis->GetRootMinimum();
    const double rootMaximum = m_xAxis->GetRootMaximum();
    const double minimum = m_xAxis->GetMinimum();
    const double span = m_xAxis->GetMaximum() - minimum;
    double newMinimum = minimum;
    if (!KstHorizontalScrollMinimum(scroll, rootMinimum, rootMaximum, minimum, span, newMinimum)) {
        return false;
    }
    const bool shown = m_interaction.cursorsHidden == 0;
    if (shown) {
        HideCursors();
    }
    m_xAxis->SetRange(newMinimum, newMinimum + span, CKSTXAxis::kRangeAutomatic, true);
    SetXAxisForGroups();
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
    if (shown) {
        ShowCursors();
    }
    SetXScrollThumb(scroll.code == 5 ? scroll.trackPosition
                                     : KstScrollThumb(newMinimum, rootMinimum, rootMaximum));
    TakeFocus();
    PostWindowEvent(kEventMeasureEnded);
    return true;
}

bool CKSTCurveWndCore::ScrollGroups(uint32_t code, int32_t trackPosition)
{
    const std::vector<int> listed = LaidOutGroups();
    const int total = static_cast<int>(listed.size());
    int first = 0;
    int count = 0;
    for (int i = 0; i < total; ++i) {
        if (m_groups[listed[i]]->IsVisible()) {
            if (count == 0) {
                first = i;
            }
            ++count;
        }
    }
    if (total == 0 || count == 0) {
        return false;
    }
    int next = KstGroupPagingFirst(code, first, count, total, trackPosition);
    if (next < 0) {
        return false;
    }
    next = std::min(next, total - 1);
    const bool changed = next != first;
    if (changed) {
        m_firstShownGroup = listed[next];
        RedrawAroundCursors();
    }
    SetGroupScrollThumb(next);
    return changed;
}

bool CKSTCurveWndCore::ScrollGroupAxes(int groupIndex, uint32_t code, int32_t trackPosition)
{
    CKSTAxisGroup* group = GetGroup(groupIndex);
    if (group == nullptr || group->GetAxisCount() == 0) {
        return false;
    }
    std::vector<AxisZoom> moves;
    for (int a = 0; a < group->GetAxisCount(); ++a) {
        CKSTYAxis* axis = group->GetAxis(a);
        double minimum = axis->GetMinimum();
        double maximum = axis->GetMaximum();
        int32_t thumb = 0;
        if (!KstVerticalScrollRange(code, trackPosition, axis->GetRangeMin(), axis->GetRangeMax(),
                                    axis->IsLowestOnTop(), minimum, maximum, thumb)) {
            return false;
        }
        moves.push_back(AxisZoom{axis, minimum, maximum});
    }
    const bool shown = m_interaction.cursorsHidden == 0;
    if (shown) {
        HideCursors();
    }
    for (const AxisZoom& move : moves) {
        move.axis->SetRange(move.minimum, move.maximum, move.axis->IsAutoRange());
        group->AxisChanged(move.axis);
    }
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
    if (shown) {
        ShowCursors();
    }
    // The layout placed the group's scroll bar at the first axis' new range.
    return true;
}

// --- Group resizing ---

void CKSTCurveWndCore::ResizeGroup(int groupIndex, int32_t row)
{
    if (GetGroupCount() < 2) {
        return;
    }
    std::vector<int> shown;
    for (int g = 0; g < GetGroupCount(); ++g) {
        if (m_groups[g]->HasShownCurve() && m_groups[g]->IsVisible()) {
            shown.push_back(g);
        }
    }
    const auto at = std::find(shown.begin(), shown.end(), groupIndex);
    if (at == shown.end()) {
        return;
    }
    std::vector<double> weights;
    std::vector<int32_t> bodies;
    for (int g : shown) {
        const RECT rect = NormalizeRect(m_groups[g]->GetRect());
        weights.push_back(m_groups[g]->GetWeight());
        bodies.push_back(
            std::max<int32_t>(0, rect.bottom - rect.top - m_groups[g]->GetLegendHeight()));
    }
    const CKSTAxisGroup& dragged = *m_groups[groupIndex];
    const int32_t body = row - NormalizeRect(dragged.GetRect()).top - dragged.GetLegendHeight();
    const int index = static_cast<int>(at - shown.begin());
    if (!KstResizeGroupWeights(weights, bodies, index, body, m_settings.m_MinGroupHeight)) {
        return;
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        m_groups[shown[i]]->SetWeight(weights[i]);
    }
    RecalcLayout();
    InvalidateClient();
    UpdateNow();
}
