#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/Controls.h"
#include "framework_test_support.h"

namespace {

using ControlsTest = kst_test::FrameworkTest;

// Every wrapper creates its control class (the common controls and the rich edit need their
// libraries loaded first) and binds its object.
TEST_F(ControlsTest, EveryWrapperCreatesItsControl)
{
    ASSERT_TRUE(KstInitRichEdit());
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, KstRegisterWndClass(0).c_str(), "parent", WS_POPUP, 0, 0, 300,
                                200, nullptr, nullptr));
    const RECT rect{0, 0, 100, 40};
    const DWORD style = WS_CHILD | WS_VISIBLE;
    CButton button;
    CStatic label;
    CEdit edit;
    CComboBox combo;
    CListBox list;
    CListCtrl report;
    CTreeCtrl tree;
    CSpinButtonCtrl spin;
    CScrollBar scroll;
    CTabCtrl tabs;
    CDateTimeCtrl picker;
    CRichEditCtrl rich;
    struct Case {
        const char* className;
        CWnd& control;
        BOOL created;
    };
    const Case cases[] = {
        {"Button", button, button.Create("b", style, rect, &parent, 101)},
        {"Static", label, label.Create("s", style, rect, &parent, 102)},
        {"Edit", edit, edit.Create(style, rect, &parent, 103)},
        {"ComboBox", combo, combo.Create(style | CBS_DROPDOWNLIST, rect, &parent, 104)},
        {"ListBox", list, list.Create(style, rect, &parent, 105)},
        {"SysListView32", report, report.Create(style | LVS_REPORT, rect, &parent, 106)},
        {"SysTreeView32", tree, tree.Create(style, rect, &parent, 107)},
        {"msctls_updown32", spin, spin.Create(style, rect, &parent, 108)},
        {"ScrollBar", scroll, scroll.Create(style | SBS_HORZ, rect, &parent, 109)},
        {"SysTabControl32", tabs, tabs.Create(style, rect, &parent, 110)},
        {"SysDateTimePick32", picker, picker.Create(style, rect, &parent, 111)},
        {"RichEdit20A", rich, rich.Create(style | ES_MULTILINE, rect, &parent, 112)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        ASSERT_TRUE(c.created);
        char className[64] = {};
        GetClassNameA(c.control.m_hWnd, className, sizeof(className));
        EXPECT_STRCASEEQ(c.className, className);
        EXPECT_EQ(&c.control, CWnd::FromHandlePermanent(c.control.m_hWnd));
    }
    parent.DestroyWindow();
}

}  // namespace
