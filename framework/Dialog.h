#pragma once
// Dialogs from resource templates and the data exchange between a dialog's members and its
// controls.
//
// One class per dialog resource: the class overrides OnInitDialog (calling the base first,
// which fills the controls with UpdateData(FALSE)) and DoDataExchange (DDX_... and DDV_...
// calls). A dialog runs modally (DoModal, ended by EndDialog with any code: IDOK, IDCANCEL or
// its own such as 101), modelessly (Create with a top-level template) or as a child pane
// (Create with a WS_CHILD template inside another window). OK and Cancel are decided once, by
// the way the dialog was created: a modal dialog ends, a modeless one destroys its window, a
// child pane stays (its data is still read on OK).
#include <windows.h>

#include "foundation/String.h"
#include "framework/Wnd.h"

// Ids of the framework's own messages, passed to the message-box seam.
enum KstFrameworkMessage : UINT {
    KST_IDP_PARSE_INT = 0xF100,    // "Please enter an integer."
    KST_IDP_PARSE_UINT = 0xF101,   // "Please enter an integer of 0 or more."
    KST_IDP_PARSE_REAL = 0xF102,   // "Please enter a number."
    KST_IDP_PARSE_RANGE = 0xF103,  // "Please enter an integer between <min> and <max>."
};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: controls to members, with validation
    CWnd* m_pDlgWnd;

    // The control with `id`, remembered as the one to focus when validation fails.
    HWND PrepareCtrl(int id);
    // Shows the message, focuses the last prepared control and abandons the exchange.
    [[noreturn]] void Fail(UINT messageId, const char* text);

private:
    HWND m_lastControl = nullptr;
};

// Texts are written to a control only when they differ from what it shows, so a dialog may
// call UpdateData(FALSE) from the change notifications of its own controls.
void DDX_Text(CDataExchange* dx, int id, CKSTString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// The radio buttons from `firstId` up to the next control with WS_GROUP; -1 when none checked.
void DDX_Radio(CDataExchange* dx, int firstId, int& index);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// Binds `control` to the dialog's control `id` (subclassed, so its map sees its messages).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum);

class CDialog : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog (through the modal-driver seam when one is set); returns the code given
    // to EndDialog, -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Modeless, or a child pane when the template has WS_CHILD.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    // FALSE when a value was refused (the message was shown and the control focused). Called
    // again while the controls are being filled (from their change notifications), it does
    // nothing.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;

    enum class Mode { Modal, Modeless, Child };
    Mode m_mode = Mode::Modal;

private:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    BOOL CreateFromTemplate(HWND owner);
    void Close(int result);
    void ReleaseOwner();

    HWND m_disabledOwner = nullptr;  // the owner window a modal run disabled
    bool m_filling = false;          // UpdateData(FALSE) is running
    bool m_ended = false;
    int m_modalResult = -1;
};
