#pragma once
// The numeric value and lamp element of a process window: a title field beside or above a value
// field that shows either the bound channel's last value with its unit or a shaded lamp whose
// colour follows two threshold conditions. A title containing "Uhrzeit" makes it a clock. While
// its owner is designing, the line between the fields can be dragged. It follows the element
// protocol (ElementProtocol.h); its settings dialogs are run through its owner.
#include <windows.h>

#include <cstdint>

#include "data/settings/ProcessLayout.h"
#include "elements/ElementOwner.h"
#include "elements/ValueLayout.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/ElementWnd.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

class CKSTChannel;
class CKSTDataSet;

class CKSTLCDWnd : public CKSTBufferedElementWnd {
    DECLARE_MESSAGE_MAP()

public:
    static constexpr UINT_PTR kClockTimer = 5;

    CKSTLCDWnd();
    ~CKSTLCDWnd() override;

    // A child of parent at rect (corners in either order); owner may be null for an element
    // that is never designed. snapToGrid: a dragged split line snaps to the owner's grid.
    // -1003 when no window was made.
    int Create(CWnd* parent, IKSTElementOwner* owner, bool snapToGrid, DWORD style,
               const RECT& rect);
    void Show();

    void SubscribeElementEvents(HWND window);
    void UnsubscribeElementEvents(HWND window);

    // 0 numeric value, 1 lamp.
    void SetDisplayType(uint32_t type);
    void SetDoubleBuffered(bool doubleBuffered);
    void SetBackColor(uint32_t colour);  // title background
    void SetValueBackColor(uint32_t colour);
    void SetTitle(const CKSTString& title);
    void SetLampValue(double value);
    void SetTextColor(uint32_t colour);  // title text
    void SetValueTextColor(uint32_t colour);
    void SetLampActiveColor1(uint32_t colour);
    void SetLampActiveColor2(uint32_t colour);
    void SetLampPassiveColor(uint32_t colour);
    void SetTitleFont(const CKSTFontDesc& font);
    void SetValueFont(const CKSTFontDesc& font);
    void SetLanguage(uint32_t language);
    // Alignment codes 6 left, 12 centred, 9 right; the placement follows the frame width and
    // title side the element has now.
    void SetTitlePosition(uint32_t code);
    void SetValueAlignment(uint32_t code);

    CKSTString GetTitle() const { return m_title; }
    CKSTFontDesc GetTitleFont() const { return m_titleFont; }
    CKSTFontDesc GetValueFont() const { return m_valueFont; }
    CKSTString GetChannelName() const { return m_channelName; }
    CKSTString GetValueText() const { return m_valueText; }
    double GetValue() const { return m_value; }
    double GetSplitRatio() const { return m_splitRatio; }
    bool IsClockRunning() const { return m_clockTimer != 0; }
    bool IsSplitArmed() const { return m_splitArmed != 0; }

    // Binds the first channel of the data set with that group and name; the keys are kept for
    // a later rebind.
    void BindChannel(const CKSTDataSet* dataSet, const CKSTString& group, const CKSTString& name);
    void SetChannel(const CKSTChannel* channel);
    // Takes the channel's last value (or text) and repaints only when what is shown changes.
    void Refresh();

    void GetSettings(CKSTValueElementSettings& settings) const;
    void ApplySettings(const CKSTValueElementSettings& settings);
    // The owner's settings dialog on the element's properties; applied on IDOK. The result.
    int Configure();

    void Draw(HDC dc, const RECT& rect);

protected:
    bool WantsTransparency() const override { return AnyTransparent(); }

    int OnCreate(LPCREATESTRUCT create);
    void OnDestroy();
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);

private:
    bool AnyTransparent() const { return m_titleTransparent || m_valueTransparent; }
    // Starts the clock for a title with "Uhrzeit"; stops it and drops its text otherwise.
    void UpdateClock();
    void ApplyValueDialog(const CKSTValueElementSettings& chosen);
    void ApplyLampDialog(const CKSTValueElementSettings& chosen);
    void AlignTransparencyStyle();
    // The split line: arming by the cursor, dragging, and the ratio a point gives.
    void UpdateSplitCursor(CPoint point);
    void SetSplitFromPoint(CPoint point);
    RECT SplitBand() const;
    // Repaints the part of the parent behind a transparent field.
    void RedrawParentArea(const RECT& clientArea);
    void RedrawForRefresh(bool valueChanged, bool titleChanged);

    void DrawValueNumber(HDC dc, const RECT& field, bool opaque);
    void DrawLamp(HDC dc, const RECT& field, bool opaque);
    void DrawTitle(HDC dc, const RECT& field, bool opaque);
    void DrawFrame(HDC dc, const RECT& rect);

    uint32_t m_displayType = 0;
    CKSTString m_title;
    CKSTString m_drawnTitle;
    uint32_t m_titleTextColor = 0xFF0000;
    uint32_t m_titleBackColor = 0xFFFFFF;
    CKSTFontDesc m_titleFont;
    uint32_t m_titleAlignment = KST_VALUE_ALIGN_LEFT;
    KstTextPlacement m_titlePlacement{KST_DT_CENTER | KST_DT_VCENTER, 0, 0};
    double m_value = 0.0;
    double m_drawnValue = 0.0;
    CKSTString m_drawnValueText;
    CKSTString m_valueText;
    SIZE m_valueTextExtent{0, 0};
    uint32_t m_valueTextColor = 0xFFFFFF;
    uint32_t m_valueBackColor = 0x0000FF;
    CKSTFontDesc m_valueFont;
    CKSTString m_unit;
    uint32_t m_valueAlignment = KST_VALUE_ALIGN_CENTRE;
    KstTextPlacement m_valuePlacement{KST_DT_CENTER | KST_DT_VCENTER, 0, 0};
    uint32_t m_lampActive1 = 0x0000FF;
    uint32_t m_lampActive2 = 0x00FFFF;
    uint32_t m_lampPassive = 0x00FF00;
    double m_threshold1 = 0.0;
    double m_threshold2 = 0.0;
    uint32_t m_operator1 = 0;
    uint32_t m_operator2 = 0;
    int32_t m_precision = 3;
    int32_t m_channelIndex = -1;
    CKSTString m_groupName;
    CKSTString m_channelName;
    const CKSTChannel* m_channel = nullptr;
    uint32_t m_titleSide = KST_TITLE_LEFT;
    DWORD m_styleWord = 0x40000300;
    double m_splitRatio = 0.5;
    uint8_t m_frame = 0;
    uint8_t m_valueTransparent = 0;
    uint8_t m_titleTransparent = 0;
    int32_t m_frameWidth = 1;
    uint32_t m_frameColor = 0x808080;
    uint32_t m_language = 0;
    uint8_t m_snapToGrid = 1;
    IKSTElementOwner* m_owner = nullptr;
    uint8_t m_splitArmed = 0;
    uint8_t m_splitDragging = 0;
    POINT m_splitPoint{0, 0};
    uint8_t m_showGroup = 1;
    uint8_t m_showUnit = 1;
    UINT_PTR m_clockTimer = 0;
};
