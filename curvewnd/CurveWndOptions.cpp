// The value mappings between the window-settings dialogs and a curve window.
#include "curvewnd/CurveWndOptions.h"

#include "curvewnd/CurveWndCore.h"
#include "curvewnd/YAxis.h"

namespace {

// Placement codes of the background picture by row (top, centre, bottom) and column.
constexpr uint32_t kPlacements[3][3] = {{5, 6, 7}, {11, 12, 13}, {8, 9, 10}};

bool IsPointer(const CKSTCurveWndCore& window)
{
    return window.GetDisplayKind() == CKSTCurveWndCore::kDisplayPointer;
}

}  // namespace

void KstFillInstrumentOptions(const CKSTCurveWndCore& window, KstInstrumentOptions& options)
{
    const CKSTCurveWndSettings& s = window.Settings();
    options.font = s.m_LegendFontDesc;
    options.textColour = s.m_LegendTextColor;
    options.windowColour = s.m_BackgroundColor;
    options.plotColour = s.m_PlotBackgroundColor;
    options.gradient = s.m_BColorGradient != 0 ? 1 : 0;
    options.showGroup = s.m_LegendGroup != 0;
    options.title = s.m_LegendStyle == 4;
    options.titleAlign = s.m_LegendAlign == 0 ? 0 : s.m_LegendAlign == 1 ? 2 : 1;
    options.style = 0;
    options.barColour = 0;
    options.showValue = 0;
    options.titleText.Empty();
    const CKSTYAxis* axis = window.GetAxis(0);
    options.scaleAngle = IsPointer(window) && axis != nullptr ? axis->GetDialAngle() : 0.0;
    if (const CKSTCurve* curve = window.GetCurve(0, true)) {
        const uint32_t kind = curve->GetDisplayKind();
        options.style = IsPointer(window) ? (kind == CKSTAxisGroup::kStylePointer ? 1 : 0)
                                          : (kind == CKSTCurve::kStyle3DBars ? 1 : 0);
        options.barColour = curve->GetColor();
        options.showValue = curve->GetShowBarValue() ? 1 : 0;
        const CKSTString group = curve->GetChannelLabelPrefix();
        options.titleText = s.m_LegendGroup != 0 && !group.IsEmpty()
                                ? group + ":" + curve->GetChannelName()
                                : curve->GetChannelName();
    }
}

bool KstApplyInstrumentOptions(CKSTCurveWndCore& window, const KstInstrumentOptions& options)
{
    KstInstrumentOptions before;
    KstFillInstrumentOptions(window, before);
    bool changed = false;
    auto note = [&](bool differs) {
        changed = changed || differs;
        return differs;
    };
    if (note(!(options.font == before.font))) {
        window.SetLegendFont(options.font, true);
    }
    if (note(options.textColour != before.textColour)) {
        window.SetLegendTextColor(options.textColour, true);
    }
    if (note(options.windowColour != before.windowColour)) {
        window.SetBackColor(options.windowColour, true);
    }
    if (note(options.plotColour != before.plotColour)) {
        window.SetPlotBackColor(options.plotColour, true);
    }
    if (note((options.gradient == 1) != (before.gradient == 1))) {
        window.SetColorGradient(options.gradient == 1, true);
    }
    if (note(options.showGroup != before.showGroup)) {
        window.SetLegendGroup(options.showGroup, true);
    }
    if (note(options.title != before.title)) {
        window.SetLegendStyle(options.title ? 4 : 3, true);
    }
    if (note(options.titleAlign != before.titleAlign)) {
        const uint32_t align = options.titleAlign == 0 ? 0 : options.titleAlign == 1 ? 4 : 1;
        window.SetLegendAlign(align, true);
    }
    if (CKSTCurve* curve = window.GetCurve(0, true)) {
        if (note(options.style != before.style)) {
            const uint32_t kind =
                IsPointer(window)
                    ? (options.style == 1 ? CKSTAxisGroup::kStylePointer : CKSTCurve::kStyleNeedle)
                    : (options.style == 1 ? CKSTCurve::kStyle3DBars : CKSTCurve::kStyleBars);
            curve->SetDisplayKind(kind, true);
        }
        if (note(options.barColour != before.barColour)) {
            curve->SetColor(options.barColour, true);
        }
        if (note((options.showValue == 1) != (before.showValue == 1))) {
            curve->SetShowBarValue(options.showValue == 1, true);
        }
    }
    CKSTYAxis* axis = window.GetAxis(0);
    if (IsPointer(window) && axis != nullptr && note(options.scaleAngle != before.scaleAngle)) {
        axis->SetDialAngle(options.scaleAngle);
        window.RecalcLayout();
        window.UpdateNow();
    }
    if (changed) {
        window.SetModified(true);
    }
    return changed;
}

void KstFillBackgroundOptions(const CKSTCurveWndCore& window, KstBackgroundOptions& options)
{
    const CKSTCurveWndSettings& s = window.Settings();
    options.legendChoice = s.m_LegendStyle == 1 ? 0 : s.m_LegendStyle == 2 ? 1 : 2;
    options.showGroup = s.m_LegendGroup != 0;
    options.showGrid = s.m_GridVisible != 0;
    options.legendColour = s.m_LegendTextColor;
    options.gridColour = s.m_GridColor;
    options.windowColour = s.m_BackgroundColor;
    options.plotColour = s.m_PlotBackgroundColor;
    options.gradient = s.m_BColorGradient != 0;
    options.groupText = s.m_CursorTextName != 0;
    options.axesFont = s.m_AxesFontDesc;
    options.legendFont = s.m_LegendFontDesc;
    options.picture = s.m_BackgroundImage;
    options.pictureRow = 1;
    options.pictureColumn = 1;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (kPlacements[row][column] == s.m_ImagePlacement) {
                options.pictureRow = row;
                options.pictureColumn = column;
            }
        }
    }
}

bool KstApplyBackgroundOptions(CKSTCurveWndCore& window, const KstBackgroundOptions& options)
{
    KstBackgroundOptions before;
    KstFillBackgroundOptions(window, before);
    bool changed = false;
    auto note = [&](bool differs) {
        changed = changed || differs;
        return differs;
    };
    if (note(options.legendChoice != before.legendChoice)) {
        window.SetLegendStyle(options.legendChoice == 0   ? 1
                              : options.legendChoice == 1 ? 2
                                                          : 0,
                              true);
    }
    if (note(options.showGroup != before.showGroup)) {
        window.SetLegendGroup(options.showGroup, true);
    }
    if (note(options.showGrid != before.showGrid)) {
        window.SetGridVisible(options.showGrid, true);
    }
    if (note(options.legendColour != before.legendColour)) {
        window.SetLegendTextColor(options.legendColour, true);
    }
    if (note(options.gridColour != before.gridColour)) {
        window.SetGridColor(options.gridColour, true);
    }
    if (note(options.windowColour != before.windowColour)) {
        window.SetBackColor(options.windowColour, true);
    }
    if (note(options.plotColour != before.plotColour)) {
        window.SetPlotBackColor(options.plotColour, true);
    }
    if (note(options.gradient != before.gradient)) {
        window.SetColorGradient(options.gradient, true);
    }
    if (note(options.groupText != before.groupText)) {
        window.SetCursorTextName(options.groupText, true);
    }
    if (note(!(options.axesFont == before.axesFont))) {
        window.SetAxesFont(options.axesFont, true);
    }
    if (note(!(options.legendFont == before.legendFont))) {
        window.SetLegendFont(options.legendFont, true);
    }
    const int row = options.pictureRow >= 0 && options.pictureRow < 3 ? options.pictureRow : 1;
    const int column =
        options.pictureColumn >= 0 && options.pictureColumn < 3 ? options.pictureColumn : 1;
    const uint32_t placement = kPlacements[row][column];
    if (note(!options.picture.IsEqual(before.picture) ||
             placement != window.Settings().m_ImagePlacement)) {
        window.SetBackgroundImage(options.picture, placement, true);
    }
    if (changed) {
        window.SetModified(true);
    }
    return changed;
}

int KstStructureChoiceOfMode(uint32_t mode)
{
    static constexpr int kChoices[] = {0, 1, 3, 4, 2};
    return mode < 5 ? kChoices[mode] : 0;
}

uint32_t KstStructureModeOfChoice(int choice)
{
    static constexpr uint32_t kModes[] = {0, 1, 4, 2, 3};
    return choice >= 0 && choice < 5 ? kModes[choice] : 0;
}

void KstApplyStructurePage(CKSTCurveWndCore& window, int choice, const CKSTCurveWndSettings& edited)
{
    const uint32_t mode = KstStructureModeOfChoice(choice);
    if (mode != window.GetArrangeMode()) {
        window.SetModified(true);
        window.Rezoom(0);
        window.ArrangeCurves(mode, true, false);
    }
    CKSTCurveWndSettings record(edited);
    record.CompactGroups();
    window.SetUpdateEnabled(false, true);
    window.ApplySettings(record, false, false);
    window.SetUpdateEnabled(true, true);
    window.PostWindowEvent(CKSTCurveWndCore::kEventStructureChanged);
}
