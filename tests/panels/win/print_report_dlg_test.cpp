// The print report dialog, run through the modal seam in both languages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/framework_test_support.h"
#include "panels/win/PrintReportDlg.h"
#include "resources/ResourceIds.h"
#include "support/FakeReportRange.h"
#include "support/win/DialogScript.h"

namespace kst_test {
namespace {

bool Shown(CWnd& dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

class PrintReportDialog : public FrameworkTest {};

TEST_F(PrintReportDialog, OpensWithDefaultLayoutAndTemplatesOfItsLanguage)
{
    struct Case {
        uint32_t language;
        const char* caption;
        const char* perPageLabel;
        const char* marginGroup;
        const char* top;
        const char* bottom;
    };
    const Case cases[] = {
        {1, "Print Report", "X-Range per Page:", "Margin", "&[Title];;&[Date] &[Time]",
         "Page &[Page] of &[Pages]"},
        {0, "Bericht drucken", "X-Bereich pro Druckseite:", "Seitenrand",
         "&[Titel];;&[Datum] &[Zeit]", "Seite &[Seite] von &[Seiten]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        FakeReportRange range;
        std::string caption, perPageLabel, marginGroup, top, bottom, margins, unit, cancel;
        bool xRowShown = true;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
            caption = DialogCaption(d);
            perPageLabel = DialogItemText(d, IDC_REPORT_PER_PAGE_LABEL);
            marginGroup = DialogItemText(d, IDC_REPORT_MARGIN_GROUP);
            top = DialogItemText(d, IDC_REPORT_TOP_LINE);
            bottom = DialogItemText(d, IDC_REPORT_BOTTOM_LINE);
            margins = DialogItemText(d, IDC_REPORT_LEFT) + " " +
                      DialogItemText(d, IDC_REPORT_RIGHT) + " " +
                      DialogItemText(d, IDC_REPORT_TOP) + " " +
                      DialogItemText(d, IDC_REPORT_BOTTOM);
            unit = DialogItemText(d, IDC_REPORT_PER_PAGE_UNIT);
            cancel = DialogItemText(d, IDCANCEL);
            xRowShown = Shown(d, IDC_REPORT_XMIN) || Shown(d, IDC_REPORT_XMAX_LABEL);
        });
        CKSTPrintReportDlg dialog(c.language);
        dialog.SetRangeSource(&range);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(perPageLabel, c.perPageLabel);
        EXPECT_EQ(marginGroup, c.marginGroup);
        EXPECT_EQ(top, c.top);
        EXPECT_EQ(bottom, c.bottom);
        EXPECT_EQ(margins, "20 10 10 10");
        EXPECT_EQ(unit, "s");
        EXPECT_EQ(cancel, c.language ? "Cancel" : "Abbrechen");
        EXPECT_FALSE(xRowShown) << "no range chosen yet";
        // Cancel leaves the caller's layout alone.
        EXPECT_TRUE(dialog.m_layout.m_strTopLine.IsEmpty());
    }
}

TEST_F(PrintReportDialog, PageCountFollowsEveryKeystrokeAndTheRangeRowFollowsTheChoice)
{
    FakeReportRange range;
    std::string pages2500, pages2000, pagesZero, pagesWindow;
    bool rowInXRange = false;
    bool rowInWindow = true;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Click(IDC_REPORT_RANGE_X)
            .SetText(IDC_REPORT_XMIN, "0")
            .SetText(IDC_REPORT_XMAX, "2500")
            .SetText(IDC_REPORT_PER_PAGE, "1000")
            .Run([&](CWnd& d) {
                pages2500 = DialogItemText(d, IDC_REPORT_PAGES);
                rowInXRange = Shown(d, IDC_REPORT_XMIN) && Shown(d, IDC_REPORT_XMAX_UNIT);
            })
            .SetText(IDC_REPORT_PER_PAGE, "2000")
            .Run([&](CWnd& d) { pages2000 = DialogItemText(d, IDC_REPORT_PAGES); })
            .SetText(IDC_REPORT_PER_PAGE, "0")
            .Run([&](CWnd& d) { pagesZero = DialogItemText(d, IDC_REPORT_PAGES); })
            .SetText(IDC_REPORT_PER_PAGE, "12,5")
            .Click(IDC_REPORT_RANGE_WINDOW)
            .Run([&](CWnd& d) {
                pagesWindow = DialogItemText(d, IDC_REPORT_PAGES);
                rowInWindow = Shown(d, IDC_REPORT_XMIN_LABEL) || Shown(d, IDC_REPORT_XMAX);
            })
            .Click(IDOK);
    CKSTPrintReportDlg dialog(1);
    dialog.SetRangeSource(&range);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(pages2500, "3");
    EXPECT_EQ(pages2000, "2");
    EXPECT_EQ(pagesZero, "0");
    EXPECT_TRUE(rowInXRange);
    // The window shows 0..50: four pages of 12.5.
    EXPECT_EQ(pagesWindow, "4");
    EXPECT_FALSE(rowInWindow);
    EXPECT_EQ(dialog.m_nRangeMode, KST_REPORT_RANGE_WINDOW);
    EXPECT_DOUBLE_EQ(dialog.m_dXMax, 2500.0);
    EXPECT_DOUBLE_EQ(dialog.m_dRangePerPage, 12.5);
    EXPECT_EQ(dialog.m_nPages, 4);
}

TEST_F(PrintReportDialog, OkStoresTemplatesAndMarginsWithCommaDecimals)
{
    FakeReportRange range;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_REPORT_LEFT, "12,5")
                                 .SetText(IDC_REPORT_RIGHT, "7.25")
                                 .SetText(IDC_REPORT_TOP, "0")
                                 .SetText(IDC_REPORT_BOTTOM, "abc")
                                 .SetText(IDC_REPORT_BOTTOM_LINE, ";&[Seite];")
                                 .Click(IDOK);
    CKSTPrintReportDlg dialog(0);
    dialog.SetRangeSource(&range);
    dialog.m_layout.m_strTopLine = "kept &[Titel]";
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_layout.m_strTopLine, "kept &[Titel]");
    EXPECT_EQ(dialog.m_layout.m_strBottomLine, ";&[Seite];");
    EXPECT_DOUBLE_EQ(dialog.m_layout.m_dMarginLeft, 12.5);
    EXPECT_DOUBLE_EQ(dialog.m_layout.m_dMarginRight, 7.25);
    EXPECT_DOUBLE_EQ(dialog.m_layout.m_dMarginTop, 0.0);
    EXPECT_DOUBLE_EQ(dialog.m_layout.m_dMarginBottom, 0.0);
}

}  // namespace
}  // namespace kst_test
