#include "data/settings/CurveWndSettings.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <utility>
#include <vector>

namespace {

// Group numbers from here up are reserved and never renumbered by CompactGroups.
constexpr int32_t kFirstReservedGroup = 32000;

}  // namespace

CKSTCurveWndSettings::CKSTCurveWndSettings() : m_BackgroundColor(KstSystemMenuColor()) {}

CKSTCurveWndSettings::~CKSTCurveWndSettings() = default;

bool CKSTCurveWndSettings::IsEqual(const CKSTCurveWndSettings& other) const
{
    return m_AutoTickDistX == other.m_AutoTickDistX && m_AutoTickDistY == other.m_AutoTickDistY &&
           m_PlotBackgroundColor == other.m_PlotBackgroundColor &&
           m_BackgroundColor == other.m_BackgroundColor &&
           m_BColorGradient == other.m_BColorGradient &&
           m_BackgroundImage.IsEqual(other.m_BackgroundImage) &&
           m_BorderWidth == other.m_BorderWidth && m_GridColor == other.m_GridColor &&
           m_XTextColor == other.m_XTextColor && m_YTextColor == other.m_YTextColor &&
           m_LegendTextColor == other.m_LegendTextColor && m_AxesFontDesc == other.m_AxesFontDesc &&
           m_LegendFontDesc == other.m_LegendFontDesc && m_GridVisible == other.m_GridVisible &&
           m_MainTickLength == other.m_MainTickLength && m_SubTickLength == other.m_SubTickLength &&
           m_LegendStyle == other.m_LegendStyle && m_LegendAlign == other.m_LegendAlign &&
           m_CursorCross == other.m_CursorCross && m_CursorTextName == other.m_CursorTextName &&
           m_ImagePlacement == other.m_ImagePlacement;
}

int16_t CKSTCurveWndSettings::InternFont(const CKSTFontDesc& font)
{
    for (size_t i = 0; i < m_Fonts.size(); ++i) {
        if (*m_Fonts[i] == font) {
            return static_cast<int16_t>(i);
        }
    }
    return static_cast<int16_t>(AppendOwned(m_Fonts, &font));
}

int16_t CKSTCurveWndSettings::InternImage(const CKSTRasterImage& image)
{
    // An image whose pixels were released keeps its size but has nothing to store either.
    if (image.GetPixelCount() == 0 || image.GetPixels() == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < m_Images.size(); ++i) {
        if (m_Images[i]->IsEqual(image)) {
            return static_cast<int16_t>(i);
        }
    }
    return static_cast<int16_t>(AppendOwned(m_Images, &image));
}

int16_t CKSTCurveWndSettings::InternTemplate(const CKSTMarkerSettings& marker)
{
    for (size_t i = 0; i < m_Templates.size(); ++i) {
        if (m_Templates[i]->IsEqual(marker)) {
            return static_cast<int16_t>(i);
        }
    }
    return static_cast<int16_t>(AppendOwned(m_Templates, &marker));
}

int CKSTCurveWndSettings::AddGroupSettings(const CKSTGroupSettings* group)
{
    return AppendOwned(m_Groups, group);
}

int CKSTCurveWndSettings::AddAxisSettings(const CKSTAxisSettings* axis, int32_t groupNumber)
{
    const int index = AppendOwned(m_Axes, axis);
    m_Axes[index]->m_SubIndex = groupNumber;
    return index;
}

int CKSTCurveWndSettings::AddCurveSettings(const CKSTCurveSettings* curve, int16_t axisIndex)
{
    const int index = AppendOwned(m_Curves, curve);
    m_Curves[index]->m_YIndex = axisIndex;
    return index;
}

int CKSTCurveWndSettings::CreateAxis(int32_t groupNumber, const CKSTString& unit)
{
    CKSTAxisSettings axis;
    axis.m_Unit = unit;
    return AddAxisSettings(&axis, groupNumber);
}

int CKSTCurveWndSettings::CreateAxisForUnit(const CKSTString& unit)
{
    return CreateAxis(GetNextGroupNumber(), unit);
}

int CKSTCurveWndSettings::AddCurveForChannel(const CKSTString& name, const CKSTString& group,
                                             const CKSTString& unit)
{
    int axis = -1;
    for (size_t i = 0; i < m_Axes.size(); ++i) {
        if (m_Axes[i]->m_Unit == unit) {
            axis = static_cast<int>(i);
            break;
        }
    }
    if (axis < 0) {
        axis = CreateAxisForUnit(unit);
    }
    CKSTCurveSettings curve;
    curve.m_Name = name;
    curve.m_Group = group;
    curve.m_Unit = unit;
    return AddCurveSettings(&curve, static_cast<int16_t>(axis));
}

void CKSTCurveWndSettings::MergeCurveItems(const CKSTCurveWndSettings& other)
{
    if (&other == this) {
        // The markers read would grow under the loop.
        const CKSTCurveWndSettings copy(other);
        MergeCurveItems(copy);
        return;
    }
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        const CKSTCurveSettings* source = nullptr;
        for (const std::unique_ptr<CKSTCurveSettings>& candidate : other.m_Curves) {
            if (candidate->m_Name == curve->m_Name) {
                source = candidate.get();
                break;
            }
        }
        if (source == nullptr) {
            continue;
        }
        for (const std::unique_ptr<CKSTMarkerSettings>& marker : source->m_Markers) {
            // A font index outside the other table means the default font, as -1 does.
            int16_t font = -1;
            if (marker->m_Font >= 0 && static_cast<size_t>(marker->m_Font) < other.m_Fonts.size()) {
                font = InternFont(*other.m_Fonts[marker->m_Font]);
            }
            curve->AddMarker(marker.get(), font);
        }
    }
}

int32_t CKSTCurveWndSettings::GetNextGroupNumber() const
{
    int32_t largest = -1;
    for (const std::unique_ptr<CKSTAxisSettings>& axis : m_Axes) {
        largest = std::max(largest, axis->m_SubIndex);
    }
    return largest == INT32_MAX ? INT32_MAX : largest + 1;
}

int CKSTCurveWndSettings::FindAxisOfGroup(int32_t groupNumber) const
{
    for (size_t i = 0; i < m_Axes.size(); ++i) {
        if (m_Axes[i]->m_SubIndex == groupNumber) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CKSTCurveWndSettings::FindCurveOfAxis(int axisIndex) const
{
    for (size_t i = 0; i < m_Curves.size(); ++i) {
        if (m_Curves[i]->m_YIndex == axisIndex) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CKSTCurveWndSettings::ReplaceAxisGroup(int32_t oldGroup, int32_t newGroup)
{
    for (const std::unique_ptr<CKSTAxisSettings>& axis : m_Axes) {
        if (axis->m_SubIndex == oldGroup) {
            axis->m_SubIndex = newGroup;
        }
    }
}

void CKSTCurveWndSettings::ReplaceCurveAxis(int oldAxis, int newAxis)
{
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        if (curve->m_YIndex == static_cast<int16_t>(oldAxis)) {
            curve->m_YIndex = static_cast<int16_t>(newAxis);
        }
    }
}

bool CKSTCurveWndSettings::GetCurveGroup(const CKSTCurveSettings& curve, int32_t& group) const
{
    if (curve.m_YIndex < 0 || static_cast<size_t>(curve.m_YIndex) >= m_Axes.size()) {
        return false;
    }
    group = m_Axes[curve.m_YIndex]->m_SubIndex;
    return true;
}

void CKSTCurveWndSettings::SortAxes()
{
    // The curves follow their axis records through a map from old to new position. (Marking
    // the moving axis' curves with -1 would also capture curves that had no axis before.)
    const size_t axisCount = m_Axes.size();
    std::vector<size_t> order(axisCount);
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return m_Axes[a]->m_SubIndex < m_Axes[b]->m_SubIndex;
    });
    std::vector<int16_t> newIndex(axisCount);
    KstOwnedTable<CKSTAxisSettings> sorted;
    sorted.reserve(axisCount);
    for (size_t position = 0; position < axisCount; ++position) {
        newIndex[order[position]] = static_cast<int16_t>(position);
        sorted.push_back(std::move(m_Axes[order[position]]));
    }
    m_Axes.swap(sorted);
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        if (curve->m_YIndex >= 0 && static_cast<size_t>(curve->m_YIndex) < axisCount) {
            curve->m_YIndex = newIndex[curve->m_YIndex];
        }
    }

    // Curves without a valid axis belong to no group and go last, in their order.
    std::vector<std::pair<bool, int32_t>> keys;
    keys.reserve(m_Curves.size());
    std::vector<size_t> curveOrder(m_Curves.size());
    std::iota(curveOrder.begin(), curveOrder.end(), size_t(0));
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        int32_t group = 0;
        const bool valid = GetCurveGroup(*curve, group);
        keys.emplace_back(!valid, group);
    }
    std::stable_sort(curveOrder.begin(), curveOrder.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    KstOwnedTable<CKSTCurveSettings> sortedCurves;
    sortedCurves.reserve(m_Curves.size());
    for (size_t index : curveOrder) {
        sortedCurves.push_back(std::move(m_Curves[index]));
    }
    m_Curves.swap(sortedCurves);
}

void CKSTCurveWndSettings::CompactGroups()
{
    int32_t free = 0;
    for (;;) {
        while (FindAxisOfGroup(free) >= 0) {
            ++free;
        }
        bool found = false;
        int32_t next = 0;
        for (const std::unique_ptr<CKSTAxisSettings>& axis : m_Axes) {
            const int32_t group = axis->m_SubIndex;
            if (group > free && group < kFirstReservedGroup && (!found || group < next)) {
                next = group;
                found = true;
            }
        }
        if (!found) {
            break;
        }
        ReplaceAxisGroup(next, free);
    }
    RemoveUnusedFonts();
}

bool CKSTCurveWndSettings::IsFontUsed(int index) const
{
    if (m_WindowStyleSettings.m_AxesFont == index || m_WindowStyleSettings.m_LegendFont == index) {
        return true;
    }
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        for (const std::unique_ptr<CKSTMarkerSettings>& marker : curve->m_Markers) {
            if (marker->m_Font == index) {
                return true;
            }
        }
    }
    for (const std::unique_ptr<CKSTMarkerSettings>& marker : m_Templates) {
        if (marker->m_Font == index) {
            return true;
        }
    }
    return false;
}

void CKSTCurveWndSettings::ReplaceFontReferences(int oldIndex, int newIndex)
{
    const auto replace = [oldIndex, newIndex](int16_t& reference) {
        if (reference == oldIndex) {
            reference = static_cast<int16_t>(newIndex);
        }
    };
    replace(m_WindowStyleSettings.m_AxesFont);
    replace(m_WindowStyleSettings.m_LegendFont);
    for (const std::unique_ptr<CKSTCurveSettings>& curve : m_Curves) {
        for (const std::unique_ptr<CKSTMarkerSettings>& marker : curve->m_Markers) {
            replace(marker->m_Font);
        }
    }
    for (const std::unique_ptr<CKSTMarkerSettings>& marker : m_Templates) {
        replace(marker->m_Font);
    }
}

void CKSTCurveWndSettings::RemoveUnusedFonts()
{
    size_t i = 0;
    while (i < m_Fonts.size()) {
        if (IsFontUsed(static_cast<int>(i))) {
            ++i;
            continue;
        }
        // The last font fills the gap; slot i is then examined again.
        const size_t last = m_Fonts.size() - 1;
        if (i != last) {
            m_Fonts[i] = std::move(m_Fonts[last]);
            ReplaceFontReferences(static_cast<int>(last), static_cast<int>(i));
        }
        m_Fonts.pop_back();
    }
}

void CKSTCurveWndSettings::RemoveAllAxes()
{
    m_Axes.clear();
}

void CKSTCurveWndSettings::RemoveAll()
{
    m_Fonts.clear();
    m_Images.clear();
    m_Groups.clear();
    m_Axes.clear();
    m_Curves.clear();
    m_Templates.clear();
}
