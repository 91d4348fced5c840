#pragma once
// The settings dialogs of the numeric value, lamp, bar and pointer displays: owner-drawn sample
// buttons show the fonts and colours of the dialog's fields and open the pickers for them.
#include <windows.h>

#include <cstdint>

#include "elements/win/ElementDialog.h"

class CKSTSettingsDialog : public CKSTElementDialog {
    DECLARE_MESSAGE_MAP()

protected:
    using CKSTElementDialog::CKSTElementDialog;

    // The field a sample button shows; null for other controls.
    virtual CKSTFontDesc* FontOfButton(int id) = 0;
    virtual uint32_t* ColourOfButton(int id) = 0;

    // The texts of the title block, its alignment and position and the two buttons, which all
    // four dialogs have.
    void SetTitleBlockTexts();

    void OnSampleButton(UINT id);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
};
