#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <vector>

#include "framework/PropertySheet.h"
#include "framework/Seams.h"
#include "framework_test_support.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"
#include "test_resources.h"

namespace {

// The sheet's Apply button (not shown with PSH_NOAPPLYNOW).
constexpr int kApplyButton = 0x3021;

class TextPage : public CPropertyPage {
public:
    TextPage() : CPropertyPage(IDD_TEST_PAGE_ONE) {}
    CKSTString m_text = "first";
    bool initialised = false;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_TEST_PAGE_TEXT, m_text); }
};

class NumberPage : public CPropertyPage {
public:
    NumberPage() : CPropertyPage(IDD_TEST_PAGE_TWO) {}
    int m_number = 7;
    bool initialised = false;
    int applied = 0;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, IDC_TEST_PAGE_NUMBER, m_number);
    }
    BOOL OnApply() override
    {
        ++applied;
        return CPropertyPage::OnApply();
    }
};

// A resizable sheet without Apply whose tabs are renamed at start, as the options sheets do.
class OptionsSheet : public CPropertySheet {
public:
    OptionsSheet() : CPropertySheet("Options")
    {
        m_psh.dwFlags |= PSH_NOAPPLYNOW;
        AddPage(&text);
        AddPage(&number);
    }
    INT_PTR DoModal() override
    {
        m_psh.dwFlags |= PSH_USECALLBACK;
        m_psh.pfnCallback = &OptionsSheet::Callback;
        return CPropertySheet::DoModal();
    }

    TextPage text;
    NumberPage number;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CPropertySheet::OnInitDialog();
        GetTabControl()->SetItemText(0, "Window Structure");
        GetTabControl()->SetItemText(1, "Common Options");
        return result;
    }

private:
    static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam)
    {
        if (message == PSCB_PRECREATE) {
            AddTemplateStyle(lParam, WS_THICKFRAME);
        }
        return PropSheetCallback(window, message, lParam);
    }
};

using PropertySheetTest = kst_test::FrameworkTest;

TEST_F(PropertySheetTest, PagesExchangeTheirDataWhenLeftAndOnOK)
{
    OptionsSheet sheet;
    std::vector<CKSTString> tabs;
    bool resizable = false;
    bool applyShown = true;
    bool secondCreatedAtStart = true;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& window) {
                auto& s = static_cast<OptionsSheet&>(window);
                tabs = {s.GetTabControl()->GetItemText(0), s.GetTabControl()->GetItemText(1)};
                resizable = (s.GetStyle() & WS_THICKFRAME) != 0;
                HWND apply = GetDlgItem(s.m_hWnd, kApplyButton);
                applyShown = apply && IsWindowVisible(apply);
                secondCreatedAtStart = s.number.initialised;
            })
            .SetText(IDC_TEST_PAGE_TEXT, "changed")
            .Run([](CWnd& window) { static_cast<OptionsSheet&>(window).SetActivePage(1); })
            .SetText(IDC_TEST_PAGE_NUMBER, "12")
            .Click(IDOK);

    EXPECT_EQ(IDOK, sheet.DoModal());

    EXPECT_EQ((std::vector<CKSTString>{"Window Structure", "Common Options"}), tabs);
    EXPECT_TRUE(resizable) << "the pre-create callback changed the template";
    EXPECT_FALSE(applyShown);
    EXPECT_TRUE(sheet.text.initialised);
    EXPECT_FALSE(secondCreatedAtStart) << "a page is created when it is first shown";
    EXPECT_EQ(CKSTString("changed"), sheet.text.m_text);
    EXPECT_EQ(12, sheet.number.m_number);
    EXPECT_EQ(1, sheet.number.applied);
    EXPECT_EQ(nullptr, sheet.m_hWnd);
}

TEST_F(PropertySheetTest, RefusedPageValueKeepsTheSheetOpen)
{
    CKSTMessageBoxScript boxes;
    OptionsSheet sheet;
    bool endedAfterOK = true;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([](CWnd& window) { static_cast<OptionsSheet&>(window).SetActivePage(1); })
            .SetText(IDC_TEST_PAGE_NUMBER, "x")
            .Click(IDOK)
            .Run([&](CWnd& window) {
                endedAfterOK = !SendMessageA(window.m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0);
            });

    EXPECT_EQ(IDCANCEL, sheet.DoModal());
    EXPECT_FALSE(endedAfterOK);
    EXPECT_EQ(std::vector<UINT>{KST_IDP_PARSE_INT}, boxes.ShownIds());
    EXPECT_EQ(7, sheet.number.m_number);
    EXPECT_EQ(0, sheet.number.applied);
}

}  // namespace
