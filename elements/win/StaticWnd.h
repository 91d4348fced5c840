#pragma once
// The text element of a process window: one line of text on a coloured or transparent
// background, optionally framed. It fires the element events (ElementProtocol.h) into its
// notify list, so the process window, registered while designing, can select, move and size
// it; a double click opens its settings dialog in any mode.
#include <windows.h>

#include <cstdint>

#include "data/settings/ProcessLayout.h"
#include "elements/win/ElementWnd.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"

class CKSTStaticWnd : public CKSTElementWnd {
    DECLARE_MESSAGE_MAP()

public:
    CKSTStaticWnd();
    ~CKSTStaticWnd() override;

    // The window class "KSTStaticClass"; -1 when registration fails (also when it exists).
    int Register();
    // A child of parent at rect (corners in either order) with style | 0x40000300. Returns 0
    // even when no window was made: callers test the handle.
    int Create(CWnd* parent, DWORD style, const RECT& rect);

    void RegisterDesignSinks(HWND window);
    void UnregisterDesignSinks(HWND window);

    void SetText(const CKSTString& text);
    void SetBackColor(uint32_t colour);
    void SetTextColor(uint32_t colour);
    void SetFont(const CKSTFontDesc& font);
    // 0 left, 1 right, 4 centred.
    void SetAlignment(int32_t code);
    void SetVisible(bool visible);
    void SetLanguage(uint32_t language);
    void SetFrame(bool frame);
    void SetTransparent(bool transparent);

    CKSTString GetText() const { return m_text; }
    CKSTFontDesc GetFont() const { return m_font; }
    int32_t GetAlignment() const { return m_alignment; }
    uint32_t GetBackColor() const { return m_backColor; }
    uint32_t GetTextColor() const { return m_textColor; }
    bool HasFrame() const { return m_frame != 0; }
    bool IsTransparent() const { return m_transparent != 0; }
    DWORD GetStyleWord() const { return m_styleWord; }
    uint32_t GetLanguage() const { return m_language; }

    void GetSettings(CKSTTextElementSettings& settings) const;
    void ApplySettings(const CKSTTextElementSettings& settings);
    // Dialog 938 on the element's properties; applied on IDOK. The dialog's result.
    INT_PTR Configure();

    // The element's picture over rect (normally the client rectangle).
    void Draw(HDC dc, const RECT& rect);

protected:
    bool WantsTransparency() const override { return m_transparent != 0; }

    int OnCreate(LPCREATESTRUCT create);
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnSize(UINT type, int width, int height);

private:
    // The stored style of alignment codes 0, 4 and 1.
    static DWORD AlignmentStyle(int32_t code, DWORD current);

    CKSTString m_text;
    int32_t m_alignment = 0;
    uint32_t m_backColor;
    uint32_t m_textColor = 0;
    uint8_t m_frame = 0;
    CKSTFontDesc m_font;
    uint8_t m_visible = 1;
    DWORD m_styleWord = 0x40000300;
    CKSTString m_className;
    uint8_t m_transparent = 0;
    uint32_t m_language = 0;
};
