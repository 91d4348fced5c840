#pragma once
// The button element of a process window: a shaded face in an on or off colour inside a ring
// of the frame colour, with a text. While its owner runs, a press toggles it; while designing,
// presses select and move it and a double click opens its settings dialog. The state is shown
// only: nothing reads it. It follows the element protocol (ElementProtocol.h).
#include <windows.h>

#include <cstdint>

#include "data/settings/ProcessLayout.h"
#include "elements/ElementOwner.h"
#include "elements/win/ElementProtocol.h"
#include "elements/win/ElementWnd.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

class CKSTChannel;
class CKSTDataSet;

class CKSTButtonWnd : public CKSTBufferedElementWnd {
    DECLARE_MESSAGE_MAP()

public:
    CKSTButtonWnd() = default;
    ~CKSTButtonWnd() override;

    // A child of parent at rect (corners in either order); owner may be null for a button that
    // is never designed (it then always toggles). -1003 when no window was made.
    int Create(CWnd* parent, IKSTElementOwner* owner, DWORD style, const RECT& rect);

    void SubscribeElementEvents(HWND window);
    void UnsubscribeElementEvents(HWND window);

    // 0 ellipse, 1 cylinder, 2 rectangle.
    void SetStyle(uint32_t style);
    void SetOnColor(uint32_t colour);
    void SetOffColor(uint32_t colour);
    void SetFrameColor(uint32_t colour);
    void SetBackColor(uint32_t colour);
    void SetTextColor(uint32_t colour);
    void SetFont(const CKSTFontDesc& font);
    void SetTitle(const CKSTString& text);
    void SetDoubleBuffered(bool doubleBuffered);
    void SetLanguage(uint32_t language);
    void SetState(bool on);

    CKSTString GetTitle() const { return m_text; }
    CKSTFontDesc GetFont() const { return m_font; }
    bool IsOn() const { return m_on != 0; }

    void BindChannel(const CKSTDataSet* dataSet, const CKSTString& group, const CKSTString& name);
    void SetChannel(const CKSTChannel* channel);
    void Refresh();

    void GetSettings(CKSTButtonElementSettings& settings) const;
    void ApplySettings(const CKSTButtonElementSettings& settings);
    // Dialog 962 on the button's properties; applied on IDOK. The dialog's result.
    INT_PTR Configure();

    void Draw(HDC dc, const RECT& rect);

protected:
    bool WantsTransparency() const override { return m_transparent != 0; }

    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);

private:
    bool IsDesigning() const { return m_owner && m_owner->IsDesignMode(); }

    uint32_t m_style = 1;
    uint32_t m_onColor = 0x0000FF;
    uint32_t m_offColor = 0x00FF00;
    uint32_t m_frameColor = 0x00FFFF;
    uint32_t m_backColor = 0x808080;
    uint32_t m_textColor = 0;
    DWORD m_styleWord = 0;
    IKSTElementOwner* m_owner = nullptr;
    uint8_t m_on = 0;
    uint8_t m_transparent = 0;
    uint32_t m_textFormat = DT_CENTER | DT_VCENTER;
    int32_t m_channelIndex = -1;
    CKSTString m_groupName;
    CKSTString m_channelName;
    const CKSTChannel* m_channel = nullptr;
    double m_value = 0.0;
    CKSTString m_unit;
    CKSTString m_text;
    CKSTFontDesc m_font;
    uint32_t m_language = 0;
};
