#pragma once
// Settings dialog of the button element: its five colours, text, font, face style and
// transparent background. The button fills the members, runs the dialog and reads them after
// IDOK.
#include <windows.h>

#include <cstdint>

#include "elements/win/ElementDialog.h"
#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "resources/ResourceIds.h"

class CKSTButtonDialog : public CKSTElementDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_BUTTON_ELEMENT };

    explicit CKSTButtonDialog(CWnd* parent = nullptr) : CKSTElementDialog(IDD, parent) {}

    uint32_t m_onColor = 0;
    uint32_t m_offColor = 0;
    uint32_t m_frameColor = 0;
    uint32_t m_backColor = 0;
    uint32_t m_textColor = 0;
    CKSTString m_text;
    CKSTFontDesc m_font;
    int m_transparent = 0;
    // 0 "Cylinder", 1 "Ellipse", 2 "Rectangle", -1 none.
    int m_styleIndex = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    void OnColourButton(UINT id);
    void OnFont();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);

private:
    // The colour member of a colour button, null for other controls.
    uint32_t* ColourOf(int id);
};
