#include "elements/win/ElementDialog.h"

#include "curvewnd/win/CurveDialog.h"
#include "foundation/win/StringLoader.h"

CKSTString CKSTElementDialog::Text(int stringId) const
{
    return LoadResString(stringId, m_language != 0);
}

void CKSTElementDialog::SetItemText(int controlId, int stringId)
{
    SetDlgItemText(controlId, Text(stringId).c_str());
}

void CKSTElementDialog::FillCombo(int controlId, std::initializer_list<int> stringIds)
{
    HWND combo = ::GetDlgItem(m_hWnd, controlId);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int id : stringIds) {
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(id).c_str()));
    }
}

void CKSTElementDialog::PickColour(uint32_t& colour)
{
    if (KstChooseColour(this, colour)) {
        UpdateData(TRUE);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

void CKSTElementDialog::PickFont(CKSTFontDesc& font)
{
    if (KstChooseFont(this, font)) {
        UpdateData(TRUE);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}
