#pragma once
// An edit field that pops up over a rectangle to change one text in place (a value-sheet cell,
// a group name, a title).
//
// The owner sets the text, the rectangle, optionally the font and text colour, and the
// notification it wants (message and two parameters, usually row and column), then runs the
// popup modally (DoModal) or opens it modelessly (Create). Editing ends when the edit loses the
// focus or Enter is pressed: the text is kept, the popup hides and the notification is sent
// to the owner with SendNotifyMessage (it does not wait for an owner of another thread). A
// modal run then returns 0. Escape ends without taking the edited text and without notifying
// (a modal run returns IDCANCEL). The owner reads the result with GetText; it deletes a
// modeless popup later (never from inside the notification), deleting closes it.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "foundation/FontDesc.h"
#include "foundation/String.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "resources/ResourceIds.h"

class CKSTEditPopupDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_EDIT_POPUP };

    explicit CKSTEditPopupDlg(CWnd* owner = nullptr);
    ~CKSTEditPopupDlg() override;

    // Opens the popup modelessly over its rectangle, owned by the owner given at construction.
    BOOL Create();
    using CDialog::Create;

    // The rectangle in screen coordinates: (x, y, x + width, y + height).
    void SetRect(int x, int y, int width, int height);
    // The edit's font: a copy of the setting, kept for the popup's lifetime, so it may be set
    // before the popup opens and the caller's setting may go away. Null sets no font (the
    // system font).
    void SetFont(const CKSTFontDesc* font, BOOL redraw = TRUE);
    void SetText(const CKSTString& text) { m_text = text; }
    // 0xFFFFFFFF draws in the system's colours.
    void SetTextColor(COLORREF color) { m_textColor = color; }
    // A window border around the edit.
    void SetBorder(bool border) { m_border = border ? 1 : 0; }
    // Message 0 notifies nobody; the parameters go out as wParam and lParam.
    void SetNotification(UINT message, int32_t first, int32_t second);

    CKSTString GetText() const { return m_text; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;

    void OnSize(UINT type, int width, int height);
    HBRUSH OnCtlColor(HDC dc, CWnd* control, UINT controlType);
    void OnEditKillFocus();

private:
    // Takes the edited text, ends the popup, then notifies the owner; once only.
    void Finish();
    void ApplyFont(BOOL redraw);

    CEdit m_edit;
    CKSTString m_text;
    CWnd* m_pOwner;
    UINT m_notifyMessage = 0;
    int32_t m_notifyFirst = 0;
    int32_t m_notifySecond = 0;
    RECT m_rect{0, 0, 100, 100};
    int32_t m_border = 0;
    COLORREF m_textColor = 0xFFFFFFFF;
    std::unique_ptr<CKSTFontDesc> m_font;
    bool m_finished = false;
};
