#include "curvewnd/CurveOwner.h"

#include "curvewnd/settings/CurveWndSettings.h"

const CKSTCurveWndSettings& KstDefaultWindowSettings()
{
    static const CKSTCurveWndSettings settings;
    return settings;
}
