#pragma once
// Settings dialog of the text element: text, font, colours, alignment, frame and transparent
// background. The element fills the members, runs the dialog and reads them after IDOK.
#include <windows.h>

#include <cstdint>

#include "elements/win/ElementDialog.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "resources/ResourceIds.h"

class CKSTTextElementDialog : public CKSTElementDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_TEXT_ELEMENT };

    explicit CKSTTextElementDialog(CWnd* parent = nullptr);

    uint32_t m_textColor = 0;
    uint32_t m_backColor = 0xFFFFFF;
    CKSTFontDesc m_font;
    CKSTString m_text;
    int m_frame = 0;
    // 0 "left-aligned", 1 "centered", 2 "right-aligned", -1 none.
    int m_alignmentIndex = 0;
    int m_transparent = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnFont();
    void OnTextColour();
    void OnBackColour();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
};
