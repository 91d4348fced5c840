#include "curvewnd/CurveOwner.h"

#include "data/settings/CurveWndSettings.h"

const CKSTCurveWndSettings& KstDefaultWindowSettings()
{
    static const CKSTCurveWndSettings settings;
    return settings;
}
