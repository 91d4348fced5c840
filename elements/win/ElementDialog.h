#pragma once
// What the settings dialogs of the text and button elements share: texts in the element's
// language, lists filled from the string table, and the colour and font pickers behind their
// owner-drawn sample buttons.
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "framework/Dialog.h"

class CKSTElementDialog : public CDialog {
public:
    CKSTElementDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

    // 0 German, otherwise English.
    uint32_t m_language = 0;

protected:
    CKSTString Text(int stringId) const;
    void SetItemText(int controlId, int stringId);
    void FillCombo(int controlId, std::initializer_list<int> stringIds);
    // The system picker starting at the current choice; on OK the choice is taken, the
    // controls are read back and the dialog repaints at once so the samples show it.
    void PickColour(uint32_t& colour);
    void PickFont(CKSTFontDesc& font);
};
