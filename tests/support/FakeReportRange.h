#pragma once
// A record and its main curve window as report printing reads them: data from 10 s to 110 s in a
// window showing 0 to 50 with cursors at 5 and 6; as an XY display its X channel runs at twice
// the time.
#include "panels/PrintReportPages.h"

namespace kst_test {

class FakeReportRange : public IKSTReportRangeSource {
public:
    int displayKind = 0;
    bool xy = false;
    double xStep = 0.0;  // a dominant X step when not 0
    int xCount = 0;
    CKSTString unit = "s";

    double GetDataStartTime() const override { return 10.0; }
    double GetDataEndTime() const override { return 110.0; }
    double GetVisibleXMin() const override { return 0.0; }
    double GetVisibleXMax() const override { return 50.0; }
    double GetLeftCursorValue() const override { return 5.0; }
    double GetRightCursorValue() const override { return 6.0; }
    int GetDisplayKind() const override { return displayKind; }
    bool IsXYDisplay() const override { return xy; }
    double GetXValueAtTime(double time) const override { return 2.0 * time; }
    double GetTimeOfNearestXValue(double x) const override { return x / 2.0; }
    bool GetXChannelStep(double& step, int& sampleCount) const override
    {
        step = xStep;
        sampleCount = xCount;
        return xStep != 0.0;
    }
    CKSTString GetXUnitText() const override { return unit; }
};

}  // namespace kst_test
