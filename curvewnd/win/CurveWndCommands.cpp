// The commands of the curve window's popup menus, the extra commands other windows add to
// them, and the entry points of the window's settings and edit dialogs.
#include "curvewnd/win/CurveEditDialogs.h"
#include "curvewnd/win/CurveWnd.h"
#include "curvewnd/win/PopupMenuThread.h"

IKSTCurveEditDialogs& CKSTCurveWnd::EditDialogs() const
{
    return m_editDialogs != nullptr ? *m_editDialogs : KstCurveEditDialogs();
}

KstPopupSnapshot CKSTCurveWnd::TakePopupSnapshot(const POINT& point) const
{
    KstPopupSnapshot snapshot;
    snapshot.window = m_hWnd;
    snapshot.module = GetInstanceHandle();
    snapshot.english = IsEnglish();
    snapshot.displayKind = m_displayKind;
    snapshot.measureMode = m_interaction.measureMode;
    snapshot.zoomed = HasZoomedAxes();
    snapshot.rangeWindow = m_xAxis->IsRangeWindow();
    snapshot.hasRangeTemplate = m_xAxis->GetRangeTemplate() != nullptr;
    snapshot.rootRangeMode = m_xAxis->GetRootRangeMode();
    for (const KstMenuCommand& command : m_menuCommands) {
        snapshot.extras.push_back(KstPopupSnapshot::Extra{command.text, command.id});
    }
    snapshot.point = point;
    return snapshot;
}

BOOL CKSTCurveWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The popup menu's thread sends its choice without a control; nothing of the window is
    // touched after an extra command, which may delete it.
    if (lParam == 0) {
        m_interaction.popupOpen = 0;
    }
    const UINT id = LOWORD(wParam);
    for (const KstMenuCommand& command : m_menuCommands) {
        if (command.id == id) {
            const HWND target = static_cast<HWND>(command.target);
            m_interaction.cursorFrozen = 1;
            ::SendMessageA(target, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
    }
    if (lParam == 0 && HIWORD(wParam) == 0 && (id == 0 || RunCommand(id))) {
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

namespace {

POINT MouseInClient(HWND window)
{
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(window, &point);
    return point;
}

}  // namespace

bool CKSTCurveWnd::RunCommand(UINT id)
{
    auto forEachCurve = [this](const std::function<void(CKSTCurve&)>& change) {
        SetUpdateEnabled(false, true);
        for (const auto& group : m_groups) {
            for (int c = 0; c < group->GetCurveCount(); ++c) {
                change(*group->GetCurve(c));
            }
        }
        SetUpdateEnabled(true, true);
    };
    auto swapKinds = [&](uint32_t from1, uint32_t to1, uint32_t from2, uint32_t to2) {
        forEachCurve([=](CKSTCurve& curve) {
            if (curve.GetCurveKind() == from1) {
                curve.SetCurveKind(to1, false);
            } else if (curve.GetCurveKind() == from2) {
                curve.SetCurveKind(to2, false);
            }
        });
    };
    switch (id) {
        case kKstCmdTotalRezoom:
            Rezoom(0);
            return true;
        case kKstCmdStepRezoom:
            Rezoom(2);
            return true;
        case kKstCmdRezoomXRange:
            Rezoom(1);
            return true;
        case kKstCmdSimpleMeasure:
            if (m_interaction.measureMode == kMeasureSimple) {
                EndMeasure();
            } else {
                StartSimpleMeasure(MouseInClient(m_hWnd));
            }
            return true;
        case kKstCmdDiffMeasure:
            if (m_interaction.measureMode == kMeasureDifferential) {
                EndMeasure();
            } else {
                StartDifferentialMeasure(MouseInClient(m_hWnd), true);
            }
            return true;
        case kKstCmdCreateMarker:
            CreateMarker(nullptr);
            return true;
        case kKstCmdCreateLimit:
            CreateLimit(nullptr);
            return true;
        case kKstCmdShowAsTable:
            m_valueTable.reset();
            m_valueTable = Dialogs().OpenValueTable(*this);
            return true;
        case kKstCmdEditXAxis:
            RunInCursorBracket([this] { EditDialogs().XAxisSettings(*this); });
            return true;
        case kKstCmdEditYAxis:
            for (const auto& group : m_groups) {
                for (int a = 0; a < group->GetAxisCount(); ++a) {
                    CKSTYAxis* axis = group->GetAxis(a);
                    if (!group->AxisHasNoCurve(axis)) {
                        RunInCursorBracket([&] { EditDialogs().YAxisSettings(*this, *axis); });
                        return true;
                    }
                }
            }
            return true;
        case kKstCmdEditCurve:
            for (int c = 0; c < GetCurveCount(); ++c) {
                CKSTCurve* curve = GetCurve(c, true);
                const uint32_t kind = curve != nullptr ? curve->GetCurveKind() : 0;
                if (curve != nullptr && kind != CKSTCurve::kKindHiddenExcluded &&
                    kind != CKSTCurve::kKindShownExcluded) {
                    RunInCursorBracket([&] { EditDialogs().CurveDisplay(*this, *curve); });
                    return true;
                }
            }
            return true;
        case kKstCmdCommonOptions:
        case kKstCmdBarSettings:
        case kKstCmdPointerSettings:
            RunInCursorBracket([this] { WindowSettings(); });
            return true;
        case kKstCmdAllCurvesVisible:
            swapKinds(CKSTCurve::kKindHidden, CKSTCurve::kKindShown, CKSTCurve::kKindHiddenExcluded,
                      CKSTCurve::kKindShownExcluded);
            return true;
        case kKstCmdAllCurvesHidden:
            swapKinds(CKSTCurve::kKindShown, CKSTCurve::kKindHidden, CKSTCurve::kKindShownExcluded,
                      CKSTCurve::kKindHiddenExcluded);
            return true;
        case kKstCmdAllMarkersVisible:
        case kKstCmdAllMarkersIcons:
        case kKstCmdAllMarkersHidden: {
            const uint32_t mode = id == kKstCmdAllMarkersVisible ? CKSTCurve::kEventsShown
                                  : id == kKstCmdAllMarkersIcons ? CKSTCurve::kEventsAsIcons
                                                                 : CKSTCurve::kEventsHidden;
            forEachCurve([mode](CKSTCurve& curve) { curve.SetEventDisplayMode(mode, false); });
            return true;
        }
        case kKstCmdEqualHeight:
            SetUpdateEnabled(false, true);
            for (const auto& group : m_groups) {
                group->SetWeight(1.0);
            }
            SetUpdateEnabled(true, true);
            return true;
        case kKstCmdCopyToClipboard:
            RunInCursorBracket([this] { ClipboardCommand(); });
            return true;
        default:
            return false;
    }
}

int CKSTCurveWnd::CreateMarker(CKSTPlotMarker* marker)
{
    if (GetCurveCount() == 0) {
        return IDCANCEL;
    }
    return EditDialogs().Marker(*this, marker);
}

int CKSTCurveWnd::CreateLimit(CKSTLimitLine* line)
{
    if (GetCurveCount() == 0) {
        return IDCANCEL;
    }
    return EditDialogs().Limit(*this, line);
}

int CKSTCurveWnd::WindowSettings()
{
    switch (m_displayKind) {
        case kDisplayBar:
            return Dialogs().BarSettings(*this);
        case kDisplayPointer:
            return Dialogs().MeterSettings(*this);
        default:
            return Dialogs().OptionsSheet(*this);
    }
}
