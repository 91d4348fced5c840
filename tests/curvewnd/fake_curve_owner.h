#pragma once
// A curve window stand-in for axis, limit-line and marker tests: settings, language, display
// kind and X channel as the test sets them; invalidations, text tips and curve requests are
// recorded. Texts measure 6 pixels per character and 13 pixels high unless a test plugs in
// another measure.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "curvewnd/CurveOwner.h"
#include "data/settings/CurveWndSettings.h"

class FixedPitchMeasure : public IKSTTextMeasure {
public:
    static constexpr int32_t kCharWidth = 6;
    static constexpr int32_t kHeight = 13;

    bool MeasureText(const CKSTFontDesc& font, const CKSTString& text, int32_t& width,
                     int32_t& height) override
    {
        lastFont = font;
        width = kCharWidth * text.GetLength();
        height = kHeight;
        return true;
    }

    CKSTFontDesc lastFont;
};

struct TipLog {
    int created = 0;
    int destroyed = 0;
    RECT rect = {0, 0, 0, 0};
    std::string text;
};

class RecordingTip : public IKSTTextTip {
public:
    RecordingTip(TipLog& log, const RECT& rect, const CKSTString& text) : m_log(log)
    {
        ++m_log.created;
        SetText(rect, text);
    }
    ~RecordingTip() override { ++m_log.destroyed; }
    void SetText(const RECT& rect, const CKSTString& text) override
    {
        m_log.rect = rect;
        m_log.text = text.c_str();
    }

private:
    TipLog& m_log;
};

class FakeCurveOwner : public IKSTCurveOwner {
public:
    const CKSTCurveWndSettings& GetWindowSettings() const override { return settings; }
    bool IsEnglish() const override { return english; }
    uint32_t GetDisplayKind() const override { return displayKind; }
    const CKSTChannel* GetXChannel() const override { return xChannel; }
    double GetDataEndTime() const override { return dataEnd; }
    bool HasDrawingWindow() const override { return drawingWindow; }
    void InvalidateRect(int32_t left, int32_t top, int32_t right, int32_t bottom, bool) override
    {
        invalidated.push_back(RECT{left, top, right, bottom});
    }
    IKSTTextMeasure* GetTextMeasure() override { return measure; }
    std::unique_ptr<IKSTTextTip> CreateTextTip(const RECT& rect, const CKSTFontDesc&, uint32_t,
                                               const CKSTString& text) override
    {
        return std::make_unique<RecordingTip>(tips, rect, text);
    }
    bool GetCurveColorOfAxis(const CKSTYAxis& axis, uint32_t& colour) const override
    {
        const auto found = curveColours.find(&axis);
        if (found == curveColours.end()) {
            return false;
        }
        colour = found->second;
        return true;
    }
    void GetChannelNamesOfAxis(const CKSTYAxis&, std::vector<CKSTString>& names) const override
    {
        names = channelNames;
    }

    CKSTCurveWndSettings settings;
    bool english = true;
    uint32_t displayKind = 0;
    const CKSTChannel* xChannel = nullptr;
    double dataEnd = 0.0;
    bool drawingWindow = true;
    std::vector<RECT> invalidated;
    FixedPitchMeasure fixedPitch;
    IKSTTextMeasure* measure = &fixedPitch;
    TipLog tips;
    std::map<const CKSTYAxis*, uint32_t> curveColours;
    std::vector<CKSTString> channelNames;
};

// Records what limit lines and markers ask of their curve, in order.
class RecordingCurve : public IKSTCurveItemOwner {
public:
    void Invalidate() override { calls.push_back("invalidate"); }
    void SortEvents() override { calls.push_back("sort"); }

    std::vector<std::string> calls;
};
