#include "curvewnd/Curve.h"

#include <algorithm>
#include <cstdlib>

#include "curvewnd/XAxis.h"
#include "curvewnd/YAxis.h"
#include "data/Channel.h"

namespace {

// The element after (step 1) or before (step -1) `item`, wrapping around; an item not in the
// list stands after the last element.
template <class T>
T* Neighbour(const std::vector<std::unique_ptr<T>>& list, const T* item, int step)
{
    if (list.empty()) {
        return nullptr;
    }
    const int n = static_cast<int>(list.size());
    int index = n;
    for (int i = 0; i < n; ++i) {
        if (list[i].get() == item) {
            index = i;
            break;
        }
    }
    if (step > 0) {
        return list[index + 1 < n ? index + 1 : 0].get();
    }
    return list[index > 0 ? index - 1 : n - 1].get();
}

template <class T>
T* At(const std::vector<std::unique_ptr<T>>& list, int i)
{
    return i >= 0 && i < static_cast<int>(list.size()) ? list[i].get() : nullptr;
}

}  // namespace

CKSTCurve::CKSTCurve(IKSTCurveHost* owner)
    : m_owner(owner), m_channel(nullptr), m_xAxis(nullptr), m_yAxis(nullptr), m_rect{0, 0, 0, 0}
{
    StoreDefaults();
}

CKSTCurve::~CKSTCurve() = default;

void CKSTCurve::StoreDefaults()
{
    m_displayStyle = kStyleLines;
    m_symbol = kSymbolPoint;
    m_valueListMode = 0;
    m_lastDrawn = POINT{-1, -1};
    m_colour = KST_COLOR_AUTOMATIC;
    m_interpolateGaps = 0;
    m_curveKind = kKindShown;
    m_eventDisplayMode = kEventsShown;
    m_showInLegend = 1;
    m_showAtCursor = 1;
    m_decimals = -1;
    // Event texts are drawn in boxes on the curve without frame and fill by default.
    m_eventTemplate.Reset();
    m_eventTemplate.SetType(CKSTPlotMarker::kOnWindow);
    m_eventTemplate.SetAngle(90);
    m_eventTemplate.SetFrame(false);
    m_eventTemplate.SetBackgroundColour(KST_COLOR_NONE);
    m_eventTemplate.SetOwner(this);
    m_lastBarTop = 0;
    m_showBarValue = 0;
    m_dialCentreX = -1;
    m_dialCentreY = -1;
    m_dialRadius = 0;
}

void CKSTCurve::CopyFrom(const CKSTCurve& other)
{
    if (&other == this) {
        return;
    }
    m_owner = other.m_owner;
    m_channel = other.m_channel;
    m_xAxis = other.m_xAxis;
    m_yAxis = other.m_yAxis;
    m_rect = other.m_rect;
    m_displayStyle = other.m_displayStyle;
    m_symbol = other.m_symbol;
    m_valueListMode = other.m_valueListMode;
    m_lastDrawn = other.m_lastDrawn;
    m_colour = other.m_colour;
    m_lastBarTop = other.m_lastBarTop;
    m_dialCentreX = other.m_dialCentreX;
    m_dialCentreY = other.m_dialCentreY;
    m_dialRadius = other.m_dialRadius;
    m_interpolateGaps = other.m_interpolateGaps;
    m_showBarValue = other.m_showBarValue;
    m_showInLegend = other.m_showInLegend;
    m_showAtCursor = other.m_showAtCursor;
    m_decimals = other.m_decimals;
    m_curveKind = other.m_curveKind;
    m_eventDisplayMode = other.m_eventDisplayMode;
    m_eventTemplate.CopyFrom(other.m_eventTemplate);
    m_labelTip.reset();
    CopyLevelLines(other);
    CopyEvents(other);
}

void CKSTCurve::SetSources(CKSTChannel* channel, CKSTXAxis* xAxis, CKSTYAxis* yAxis)
{
    m_channel = channel;
    m_xAxis = xAxis;
    m_yAxis = yAxis;
}

// ---------------------------------------------------------------------------------------------
// Queries

CKSTString CKSTCurve::GetChannelName() const
{
    return m_channel != nullptr ? m_channel->GetName() : CKSTString();
}

CKSTString CKSTCurve::GetChannelString() const
{
    return m_channel != nullptr ? m_channel->GetUniqueName() : CKSTString();
}

CKSTString CKSTCurve::GetChannelLabelPrefix() const
{
    return m_channel != nullptr ? m_channel->GetGroup() : CKSTString();
}

uint32_t CKSTCurve::GetColor() const
{
    if (m_colour != KST_COLOR_AUTOMATIC) {
        return m_colour;
    }
    if (m_channel != nullptr &&
        static_cast<uint32_t>(m_channel->GetColor()) != KST_COLOR_AUTOMATIC) {
        return static_cast<uint32_t>(m_channel->GetColor());
    }
    return m_owner != nullptr ? m_owner->GetAutoCurveColor(*this) : 0;
}

bool CKSTCurve::IsMatrixCurve() const
{
    return m_channel != nullptr && m_channel->GetTimeBaseType() == CKSTChannel::kMatrix;
}

bool CKSTCurve::GetDominantTimeStep(double& step) const
{
    step = 0.0;
    if (m_channel == nullptr) {
        return false;
    }
    const uint32_t count = m_channel->GetCount();
    if (m_channel->GetTimeBaseType() != CKSTChannel::kTimeVector || count == 0) {
        return m_channel->GetDominantTimeStep(step, 0.5);
    }
    const double* times = m_channel->GetTimes();
    TimeStepCache& cache = m_timeStep;
    if (cache.channel != m_channel || cache.times != times || cache.count != count ||
        cache.first != times[0] || cache.last != times[count - 1]) {
        cache.channel = m_channel;
        cache.times = times;
        cache.count = count;
        cache.first = times[0];
        cache.last = times[count - 1];
        cache.found = m_channel->GetDominantTimeStep(cache.step, 0.5);
    }
    step = cache.step;
    return cache.found;
}

RECT CKSTCurve::GetRect() const
{
    return NormalizeRect(m_rect);
}

void CKSTCurve::SetDial(int32_t centreX, int32_t centreY, int32_t radius)
{
    m_dialCentreX = centreX;
    m_dialCentreY = centreY;
    m_dialRadius = radius;
}

void CKSTCurve::AddCell(const RECT& box)
{
    CKSTEventCell cell;
    cell.left = box.left;
    cell.top = box.top;
    cell.right = box.right;
    cell.bottom = box.bottom;
    m_cells.push_back(cell);
}

CKSTLimitLine* CKSTCurve::GetLevelLine(int i) const
{
    return At(m_levelLines, i);
}

CKSTPlotMarker* CKSTCurve::GetEvent(int i) const
{
    return At(m_events, i);
}

CKSTPlotMarker* CKSTCurve::GetDefaultMarkerEvent() const
{
    for (const auto& event : m_events) {
        if (event->IsDefaultMarker()) {
            return event.get();
        }
    }
    return nullptr;
}

void CKSTCurve::ClearDefaultMarkerFlags()
{
    for (const auto& event : m_events) {
        event->SetDefaultMarker(false);
    }
}

CKSTLimitLine* CKSTCurve::NextLevelLine(const CKSTLimitLine* line) const
{
    return Neighbour(m_levelLines, line, 1);
}

CKSTLimitLine* CKSTCurve::PrevLevelLine(const CKSTLimitLine* line) const
{
    return Neighbour(m_levelLines, line, -1);
}

CKSTPlotMarker* CKSTCurve::NextEvent(const CKSTPlotMarker* event) const
{
    return Neighbour(m_events, event, 1);
}

CKSTPlotMarker* CKSTCurve::PrevEvent(const CKSTPlotMarker* event) const
{
    return Neighbour(m_events, event, -1);
}

// ---------------------------------------------------------------------------------------------
// Setters

void CKSTCurve::Changed(bool redraw)
{
    Invalidate();
    if (redraw && m_owner != nullptr) {
        m_owner->RecalcLayout();
        m_owner->UpdateNow();
    }
}

namespace {

template <class T, class V>
bool Store(T& field, V value)
{
    const T stored = static_cast<T>(value);
    if (field == stored) {
        return false;
    }
    field = stored;
    return true;
}

}  // namespace

void CKSTCurve::SetColor(uint32_t colour, bool redraw)
{
    if (Store(m_colour, colour)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetDisplayKind(uint32_t style, bool redraw)
{
    if (Store(m_displayStyle, style)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetInterpolateGaps(bool on, bool redraw)
{
    if (Store(m_interpolateGaps, on ? 1 : 0)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetShowInLegend(bool on, bool redraw)
{
    if (Store(m_showInLegend, on ? 1 : 0)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetShowAtCursor(bool on, bool redraw)
{
    if (Store(m_showAtCursor, on ? 1 : 0)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetShowBarValue(bool on, bool redraw)
{
    if (Store(m_showBarValue, on ? 1 : 0)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetDecimals(int16_t decimals, bool redraw)
{
    if (Store(m_decimals, decimals)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetSymbol(uint32_t symbol, bool redraw)
{
    if (Store(m_symbol, symbol)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetValueListMode(uint32_t mode, bool redraw)
{
    if (Store(m_valueListMode, mode)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetEventDisplayMode(uint32_t mode, bool redraw)
{
    if (Store(m_eventDisplayMode, mode)) {
        Changed(redraw);
    }
}

void CKSTCurve::SetRect(const RECT& rect)
{
    if (IsSameRect(rect, m_rect)) {
        return;
    }
    m_rect = rect;
    Invalidate();
}

int32_t CKSTCurve::SetCurveKind(uint32_t kind, bool redraw)
{
    if (kind == m_curveKind) {
        return static_cast<int32_t>(kind);
    }
    m_curveKind = kind;
    Invalidate();
    if (m_owner == nullptr) {
        return 0;
    }
    m_owner->UpdateLegend();
    if (redraw) {
        m_owner->RecalcGroupRanges();
        m_owner->RecalcLayout();
        m_owner->UpdateNow();
    }
    if (m_owner->IsSubscribed(IKSTCurveHost::kEventCurveChanged)) {
        return m_owner->PostEvent(IKSTCurveHost::kEventCurveChanged, this);
    }
    return 0;
}

void CKSTCurve::SetAxisRange(double minimum, double maximum)
{
    if (m_yAxis == nullptr) {
        return;
    }
    m_yAxis->SetRange(minimum, maximum, false);
    Changed(true);
}

void CKSTCurve::SetAxisParameter(double spacing, bool automatic)
{
    if (m_yAxis == nullptr) {
        return;
    }
    m_yAxis->SetTickSpacing(spacing, automatic);
    Changed(true);
}

void CKSTCurve::OnSourceChanged(const CKSTXAxis* xAxis)
{
    if (xAxis != nullptr && xAxis == m_xAxis) {
        Invalidate();
    }
}

void CKSTCurve::OnAxisChanged(const CKSTYAxis* yAxis)
{
    if (yAxis != nullptr && yAxis == m_yAxis) {
        Invalidate();
    }
}

void CKSTCurve::Invalidate()
{
    if (m_owner == nullptr || !m_owner->HasDrawingWindow()) {
        return;
    }
    const RECT band = GetRect();
    m_owner->InvalidateRect(band.left, band.top, band.right, band.bottom, false);
}

// ---------------------------------------------------------------------------------------------
// Lists

void CKSTCurve::AddLevelLine(const CKSTLimitLine& line, bool redraw)
{
    auto copy = std::make_unique<CKSTLimitLine>(this);
    copy->CopyFrom(line);
    m_levelLines.push_back(std::move(copy));
    Changed(redraw);
}

void CKSTCurve::AddLevelLineFrom(const CKSTLimitSettings& record)
{
    m_levelLines.push_back(std::make_unique<CKSTLimitLine>(this));
    CKSTLimitLine& line = *m_levelLines.back();
    line.SetLineStyle(record.m_LineStyle);
    line.SetValue(record.m_Value);
    line.SetColour(record.m_Color);
}

void CKSTCurve::CopyLevelLines(const CKSTCurve& other)
{
    if (&other == this) {
        return;
    }
    m_levelLines.clear();
    for (const auto& line : other.m_levelLines) {
        auto copy = std::make_unique<CKSTLimitLine>(this);
        copy->CopyFrom(*line);
        m_levelLines.push_back(std::move(copy));
    }
}

void CKSTCurve::CopyEvents(const CKSTCurve& other)
{
    if (&other == this) {
        return;
    }
    m_events.clear();
    for (const auto& event : other.m_events) {
        auto copy = std::make_unique<CKSTPlotMarker>(this);
        copy->CopyFrom(*event);
        m_events.push_back(std::move(copy));
    }
}

void CKSTCurve::AddEventCopy(const CKSTPlotMarker& event, bool redraw)
{
    auto copy = std::make_unique<CKSTPlotMarker>(this);
    copy->CopyFrom(event);
    m_events.push_back(std::move(copy));
    SortEvents();
    Changed(redraw);
}

void CKSTCurve::ApplyMarkerDescription(CKSTPlotMarker& marker,
                                       const CKSTMarkerSettings& description,
                                       const CKSTFontDesc& font)
{
    marker.SetText(description.m_Text);
    marker.SetType(description.m_Type);
    marker.SetPosition(description.m_Value);
    marker.SetAtDataPoint(description.m_AtPoint != 0);
    marker.SetTextColour(description.m_Color);
    marker.SetFrame(description.m_Frame != 0);
    marker.SetPointer(description.m_Pointer != 0);
    marker.SetBackgroundColour(description.m_BackgroundColor);
    // Records keep the angle as an unsigned word: -90 is stored as 65446.
    marker.SetAngle(static_cast<int16_t>(description.m_Rotation));
    marker.SetFont(font);
}

void CKSTCurve::AddEvent(const CKSTMarkerSettings& description, const CKSTFontDesc& font)
{
    // Filled before it joins the list, so its setters neither sort nor invalidate.
    auto event = std::make_unique<CKSTPlotMarker>();
    ApplyMarkerDescription(*event, description, font);
    event->SetOwner(this);
    m_events.push_back(std::move(event));
    SortEvents();
}

void CKSTCurve::SetEventTemplate(const CKSTMarkerSettings& description, const CKSTFontDesc& font)
{
    ApplyMarkerDescription(m_eventTemplate, description, font);
}

void CKSTCurve::SortEvents()
{
    for (size_t i = 1; i < m_events.size(); ++i) {
        for (size_t j = i; j > 0 && m_events[j - 1]->GetTime() > m_events[j]->GetTime(); --j) {
            std::swap(m_events[j - 1], m_events[j]);
        }
    }
}

bool CKSTCurve::RemoveLevelLine(const CKSTLimitLine* line)
{
    for (auto it = m_levelLines.begin(); it != m_levelLines.end(); ++it) {
        if (it->get() == line) {
            m_levelLines.erase(it);
            Invalidate();
            return true;
        }
    }
    return false;
}

bool CKSTCurve::RemoveEvent(const CKSTPlotMarker* event)
{
    for (auto it = m_events.begin(); it != m_events.end(); ++it) {
        if (it->get() == event) {
            m_events.erase(it);
            Invalidate();
            return true;
        }
    }
    return false;
}

void CKSTCurve::RemoveEventsInSpan(double t1, double t2)
{
    if (t1 == 0.0 && t2 == 0.0) {
        m_events.clear();
        return;
    }
    m_events.erase(std::remove_if(m_events.begin(), m_events.end(),
                                  [t1, t2](const std::unique_ptr<CKSTPlotMarker>& event) {
                                      return t1 <= event->GetTime() && event->GetTime() <= t2;
                                  }),
                   m_events.end());
}

void CKSTCurve::KeepEventsInSpan(double t1, double t2, double shift)
{
    m_events.erase(std::remove_if(m_events.begin(), m_events.end(),
                                  [t1, t2](const std::unique_ptr<CKSTPlotMarker>& event) {
                                      return !(t1 < event->GetTime() && event->GetTime() < t2);
                                  }),
                   m_events.end());
    ShiftEvents(shift);
}

void CKSTCurve::ShiftEvents(double dt)
{
    for (const auto& event : m_events) {
        // Detached for the move: an owned marker's position setter re-sorts and redraws.
        event->SetOwner(nullptr);
        event->SetPosition(event->GetTime() + dt);
        event->SetOwner(this);
    }
}

CKSTPlotMarker* CKSTCurve::FindEventAt(const POINT& point) const
{
    for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
        if ((*it)->HitTest(point)) {
            return it->get();
        }
    }
    return nullptr;
}

CKSTLimitLine* CKSTCurve::FindLevelLineAt(const POINT& point) const
{
    if (m_yAxis == nullptr) {
        return nullptr;
    }
    for (auto it = m_levelLines.rbegin(); it != m_levelLines.rend(); ++it) {
        const int64_t row = m_yAxis->ValueToPixel(m_yAxis->Transform((*it)->GetValue()));
        if (std::llabs(row - int64_t(point.y)) < 5) {
            return it->get();
        }
    }
    return nullptr;
}
