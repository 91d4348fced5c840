#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Seams.h"
#include "framework_test_support.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"
#include "test_resources.h"

namespace {

constexpr int kCustomEnd = 101;
constexpr int kTimerEnd = 102;
const char* const kHostClass = "KSTFrameworkDialogHostClass";

// Every kind of exchange of the dialog resource IDD_TEST_DATA.
class DataDialog : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    explicit DataDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_DATA, parent) {}

    CKSTString m_name = "initial";
    int m_count = 5;
    double m_factor = 2.5;
    int m_enabled = 1;
    int m_mode = 1;
    int m_kind = 2;
    CEdit m_nameEdit;

    bool upperCaseName = false;  // the name field corrects itself while it is typed in
    int nameChanges = 0;
    bool endByTimer = false;
    bool ownerDisabledWhileRunning = false;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (const char* kind : {"Line", "Bar", "Pointer"}) {
            SendDlgItemMessageA(m_hWnd, IDC_TEST_KIND, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(kind));
        }
        UpdateData(FALSE);
        if (endByTimer) {
            SetTimer(1, 20);
        }
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_TEST_NAME, m_nameEdit);
        DDX_Text(dx, IDC_TEST_NAME, m_name);
        DDX_Text(dx, IDC_TEST_COUNT, m_count);
        DDV_MinMaxInt(dx, m_count, 3, 100);
        DDX_Text(dx, IDC_TEST_FACTOR, m_factor);
        DDX_Check(dx, IDC_TEST_ENABLED, m_enabled);
        DDX_Radio(dx, IDC_TEST_MODE_A, m_mode);
        DDX_CBIndex(dx, IDC_TEST_KIND, m_kind);
    }
    void OnCustomEnd() { EndDialog(kCustomEnd); }
    void OnNameChanged()
    {
        ++nameChanges;
        if (upperCaseName && UpdateData(TRUE)) {
            m_name.MakeUpper();
            UpdateData(FALSE);
        }
    }
    void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        ownerDisabledWhileRunning = m_pParentWnd && !m_pParentWnd->IsWindowEnabled();
        EndDialog(kTimerEnd);
    }
};

BEGIN_MESSAGE_MAP(DataDialog, CDialog)
ON_BN_CLICKED(IDC_TEST_CUSTOM_END, OnCustomEnd)
ON_EN_CHANGE(IDC_TEST_NAME, OnNameChanged)
ON_WM_TIMER()
END_MESSAGE_MAP()

class NoteDialog : public CDialog {
public:
    NoteDialog() : CDialog(IDD_TEST_MODELESS) {}
    CKSTString m_note = "note";
    bool initialised = false;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_TEST_NOTE, m_note); }
};

class DialogTest : public kst_test::FrameworkTest {
protected:
    static CKSTString Text(CWnd& dialog, int id) { return dialog.GetDlgItemText(id); }
    static LRESULT Check(CWnd& dialog, int id)
    {
        return SendDlgItemMessageA(dialog.m_hWnd, id, BM_GETCHECK, 0, 0);
    }
};

TEST_F(DialogTest, ModalRunShowsTheMembersAndReadsTheControlsBackOnOK)
{
    DataDialog dialog;
    std::vector<CKSTString> shown;
    std::vector<LRESULT> states;
    KstSeams().modalDriver =
        CKSTDialogScript()
            .Run([&](CWnd& d) {
                for (int id : {IDC_TEST_NAME, IDC_TEST_COUNT, IDC_TEST_FACTOR}) {
                    shown.push_back(Text(d, id));
                }
                states = {Check(d, IDC_TEST_ENABLED), Check(d, IDC_TEST_MODE_B),
                          SendDlgItemMessageA(d.m_hWnd, IDC_TEST_KIND, CB_GETCURSEL, 0, 0)};
            })
            .SetText(IDC_TEST_NAME, "renamed")
            .SetText(IDC_TEST_COUNT, " 42 ")
            .SetText(IDC_TEST_FACTOR, "-1.25e3")
            .Click(IDC_TEST_ENABLED)
            .Click(IDC_TEST_MODE_C)
            .Select(IDC_TEST_KIND, 0)
            .Click(IDOK);

    EXPECT_EQ(IDOK, dialog.DoModal());

    EXPECT_EQ((std::vector<CKSTString>{"initial", "5", "2.5"}), shown);
    EXPECT_EQ((std::vector<LRESULT>{BST_CHECKED, BST_CHECKED, 2}), states);
    EXPECT_EQ(CKSTString("renamed"), dialog.m_name);
    EXPECT_EQ(42, dialog.m_count);
    EXPECT_EQ(-1250.0, dialog.m_factor);
    EXPECT_EQ(0, dialog.m_enabled);
    EXPECT_EQ(2, dialog.m_mode);
    EXPECT_EQ(0, dialog.m_kind);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_nameEdit.m_hWnd) << "bound controls go with their dialog";
}

TEST_F(DialogTest, RefusedValueKeepsTheDialogOpenAndTheMembersUnchanged)
{
    struct Case {
        int control;
        const char* text;
        UINT message;
        const char* shown;
    };
    // A range check refuses a value already read, so only the parse cases keep the member.
    const Case cases[] = {
        {IDC_TEST_FACTOR, "abc", KST_IDP_PARSE_REAL, "Please enter a number."},
        {IDC_TEST_FACTOR, "1.5x", KST_IDP_PARSE_REAL, "Please enter a number."},
        {IDC_TEST_FACTOR, "", KST_IDP_PARSE_REAL, "Please enter a number."},
        {IDC_TEST_FACTOR, "inf", KST_IDP_PARSE_REAL, "Please enter a number."},
        {IDC_TEST_COUNT, "12.5", KST_IDP_PARSE_INT, "Please enter an integer."},
        {IDC_TEST_COUNT, "99999999999", KST_IDP_PARSE_INT, "Please enter an integer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CKSTMessageBoxScript boxes;
        DataDialog dialog;
        bool openAfterOK = false;
        HWND focusAfterOK = nullptr;
        KstSeams().modalDriver =
            CKSTDialogScript(IDCANCEL).SetText(c.control, c.text).Click(IDOK).Run([&](CWnd& d) {
                openAfterOK = d.m_hWnd != nullptr;
                focusAfterOK = GetFocus() == GetDlgItem(d.m_hWnd, c.control) ? GetFocus() : nullptr;
            });

        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_TRUE(openAfterOK);
        EXPECT_NE(nullptr, focusAfterOK) << "the refused field gets the focus";
        EXPECT_EQ(std::vector<UINT>{c.message}, boxes.ShownIds());
        ASSERT_EQ(1u, boxes.Shown().size());
        EXPECT_STREQ(c.shown, boxes.Shown()[0].text.c_str());
        EXPECT_EQ(5, dialog.m_count);
        EXPECT_EQ(2.5, dialog.m_factor);
    }

    CKSTMessageBoxScript boxes;
    DataDialog dialog;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).SetText(IDC_TEST_COUNT, "2").Click(IDOK);
    EXPECT_EQ(IDCANCEL, dialog.DoModal()) << "a value out of range does not end the dialog";
    EXPECT_EQ(std::vector<UINT>{KST_IDP_PARSE_RANGE}, boxes.ShownIds());
    ASSERT_EQ(1u, boxes.Shown().size());
    EXPECT_STREQ("Please enter an integer between 3 and 100.", boxes.Shown()[0].text.c_str());
}

TEST_F(DialogTest, FieldThatCorrectsItselfWhileTypedSettlesAfterOneRewrite)
{
    DataDialog dialog;
    dialog.upperCaseName = true;
    CKSTString shown;
    int changesBefore = 0;
    KstSeams().modalDriver = CKSTDialogScript(IDOK)
                                 .Run([&](CWnd&) { changesBefore = dialog.nameChanges; })
                                 .SetText(IDC_TEST_NAME, "abc")
                                 .Run([&](CWnd& d) { shown = Text(d, IDC_TEST_NAME); });

    dialog.DoModal();

    EXPECT_EQ(CKSTString("ABC"), shown);
    EXPECT_EQ(CKSTString("ABC"), dialog.m_name);
    // The typed text and the corrected one; writing back an unchanged text notifies nobody.
    EXPECT_EQ(2, dialog.nameChanges - changesBefore);
}

TEST_F(DialogTest, DialogEndsWithItsOwnCodes)
{
    DataDialog scripted;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_TEST_CUSTOM_END);
    EXPECT_EQ(kCustomEnd, scripted.DoModal());

    // The real modal loop, ended by the dialog's own timer; its owner is disabled meanwhile.
    KstRegisterClass(kHostClass, 0, nullptr);
    CWnd owner;
    ASSERT_TRUE(
        owner.CreateEx(0, kHostClass, "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    KstResetSeams();
    kst_test::Watchdog guard;
    DataDialog timed(&owner);
    timed.endByTimer = true;
    EXPECT_EQ(kTimerEnd, timed.DoModal());
    EXPECT_TRUE(timed.ownerDisabledWhileRunning);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST_F(DialogTest, ModelessDialogClosesItsWindowAndChildPaneStays)
{
    KstRegisterClass(kHostClass, 0, nullptr);
    CWnd host;
    ASSERT_TRUE(
        host.CreateEx(0, kHostClass, "host", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr));

    struct Case {
        const char* what;
        UINT templateId;
        CWnd* parent;
        int button;
        bool windowRemains;
        const char* noteAfter;
    };
    const Case cases[] = {
        {"modeless OK", IDD_TEST_MODELESS, nullptr, IDOK, false, "typed"},
        {"modeless Cancel", IDD_TEST_MODELESS, nullptr, IDCANCEL, false, "note"},
        {"child pane OK", IDD_TEST_CHILD, &host, IDOK, true, "typed"},
        {"child pane Cancel", IDD_TEST_CHILD, &host, IDCANCEL, true, "note"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoteDialog dialog;
        ASSERT_TRUE(dialog.Create(c.templateId, c.parent));
        EXPECT_TRUE(dialog.initialised);
        EXPECT_EQ(CKSTString("note"), dialog.GetDlgItemText(IDC_TEST_NOTE));
        if (c.parent) {
            EXPECT_EQ(c.parent->m_hWnd, ::GetParent(dialog.m_hWnd));
        }
        dialog.SetDlgItemText(IDC_TEST_NOTE, "typed");
        SendDlgItemMessageA(dialog.m_hWnd, c.button, BM_CLICK, 0, 0);
        EXPECT_EQ(c.windowRemains, dialog.m_hWnd != nullptr);
        EXPECT_EQ(CKSTString(c.noteAfter), dialog.m_note);
        dialog.DestroyWindow();
    }
    host.DestroyWindow();
}

TEST_F(DialogTest, DialogOfItsOwnWindowClassIsBoundToItsObject)
{
    const char* const className = "KSTFrameworkOwnDialogClass";
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassExA(&wc);  // fails harmlessly when a repeated run registered it already

    for (UINT templateId : {IDD_TEST_OWN_CLASS_EX, IDD_TEST_OWN_CLASS}) {
        SCOPED_TRACE(templateId);
        NoteDialog dialog;
        ASSERT_TRUE(dialog.Create(templateId));
        EXPECT_TRUE(dialog.initialised);
        char actual[64] = {};
        GetClassNameA(dialog.m_hWnd, actual, sizeof(actual));
        EXPECT_STREQ(className, actual);
        EXPECT_EQ(CKSTString("note"), dialog.GetDlgItemText(IDC_TEST_NOTE));
        dialog.DestroyWindow();
    }
}

}  // namespace
