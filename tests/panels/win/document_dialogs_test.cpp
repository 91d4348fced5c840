// The password dialogs and the cut and X-axis dialogs, run through the modal seam.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "framework/framework_test_support.h"
#include "panels/win/CutCursorDlg.h"
#include "panels/win/FileLockDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"

namespace kst_test {
namespace {

// The control's own visibility, whether or not the scripted dialog is shown.
bool Visible(CWnd& dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void SetPicker(CWnd& dialog, int id, WORD year, WORD month, WORD day, WORD hour, WORD minute,
               WORD second)
{
    SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
    SendDlgItemMessageA(dialog.m_hWnd, id, DTM_SETSYSTEMTIME, GDT_VALID,
                        reinterpret_cast<LPARAM>(&time));
}

CKSTTimeStamp Stamp(int year, int month, int day, int hour, int minute, double second)
{
    CKSTTimeStamp stamp;
    stamp.SetDateTime(year, month, day, hour, minute, second);
    return stamp;
}

class DocumentDialogs : public FrameworkTest {};

TEST_F(DocumentDialogs, LockClosesOnlyWhenBothEntriesAreTheSameBytes)
{
    CKSTMessageBoxScript boxes;
    std::string caption;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) { caption = DialogCaption(d); })
                                 .SetText(IDC_LOCK_PASSWORD, "Secret")
                                 .SetText(IDC_LOCK_RETYPE, "secret")
                                 .Click(IDOK)
                                 .SetText(IDC_LOCK_RETYPE, "Secret")
                                 .Click(IDOK);
    CKSTFileLockDlg dialog(true);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(caption, "Lock File");
    EXPECT_EQ(boxes.ShownIds(), std::vector<UINT>{KST_STR_LOCK_RETYPED_WRONG});
    EXPECT_STREQ(boxes.Shown()[0].text.c_str(), "The password was retyped incorrectly");
    // The dialog stayed open after the mismatch: the second retype reached it.
    EXPECT_STREQ(dialog.m_strPassword.c_str(), "Secret");
    EXPECT_STREQ(dialog.m_strRetype.c_str(), "Secret");
}

TEST_F(DocumentDialogs, UnlockTakesTheCallersCaptionAndItsOwnCancel)
{
    struct Case {
        int button;
        int result;
    };
    for (const Case& c : {Case{IDOK, IDOK}, Case{IDC_UNLOCK_CANCEL, IDCANCEL}}) {
        std::string caption;
        std::string cancelText;
        KstSeams().modalDriver = CKSTDialogScript(-5)
                                     .Run([&](CWnd& d) {
                                         caption = DialogCaption(d);
                                         cancelText = DialogItemText(d, IDC_UNLOCK_CANCEL);
                                     })
                                     .SetText(IDC_LOCK_PASSWORD, "typed")
                                     .Click(c.button);
        CKSTUnlockFileDlg dialog(false);
        dialog.m_strCaption = "Sperre entfernen";
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(caption, "Sperre entfernen");
        EXPECT_EQ(cancelText, "Abbrechen");
        EXPECT_STREQ(dialog.m_strPassword.c_str(), "typed");
    }
}

TEST_F(DocumentDialogs, CutOpensInTheFormOfTheAxisMode)
{
    struct Case {
        int axisMode;
        int checked;  // 0: none
        int shown;
        int hidden;
    };
    const Case cases[] = {
        {1, IDC_CUT_STANDARD, IDC_CUT_START_X, IDC_START_DATE},
        {2, IDC_CUT_ABSOLUTE, IDC_END_TIME, IDC_CUT_END_X},
        {3, IDC_CUT_RELATIVE, IDC_CUT_END_SECONDS, IDC_CUT_START_UNIT},
        {0, 0, IDC_CUT_START_UNIT, IDC_CUT_START_DAYS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.axisMode);
        bool shown = false;
        bool hidden = true;
        int checked = -1;
        std::string days, hours, minutes, seconds, unit;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
            shown = Visible(d, c.shown);
            hidden = !Visible(d, c.hidden);
            checked = 0;
            for (int id : {IDC_CUT_STANDARD, IDC_CUT_ABSOLUTE, IDC_CUT_RELATIVE}) {
                if (IsDlgButtonChecked(d.m_hWnd, id) == BST_CHECKED) {
                    checked = id;
                }
            }
            days = DialogItemText(d, IDC_CUT_START_DAYS);
            hours = DialogItemText(d, IDC_CUT_START_HOURS);
            minutes = DialogItemText(d, IDC_CUT_START_MINUTES);
            seconds = DialogItemText(d, IDC_CUT_START_SECONDS);
            unit = DialogItemText(d, IDC_CUT_END_UNIT);
        });
        CKSTCutCursorDlg dialog(true);
        dialog.m_nXAxisMode = static_cast<uint8_t>(c.axisMode);
        dialog.m_dStartOffset = 90061.25;
        dialog.m_strUnit = "s";
        dialog.m_nResultMode = 9;
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(checked, c.checked);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(hidden);
        EXPECT_EQ(days + "|" + hours + "|" + minutes + "|" + seconds, "1|1|1|1.25");
        EXPECT_EQ(unit, "s");
        // Cancel leaves the caller's values.
        EXPECT_EQ(dialog.m_nResultMode, 9);
    }
}

TEST_F(DocumentDialogs, CutResultsOfTheThreeForms)
{
    const CKSTTimeStamp base = Stamp(2020, 1, 1, 0, 0, 0.0);
    struct Case {
        const char* what;
        CKSTDialogScript script;
        int resultMode;
        CKSTTimeStamp start;
    };
    const Case cases[] = {
        {"standard", CKSTDialogScript().Click(IDC_CUT_STANDARD).SetText(IDC_CUT_START_X, "2.5"), 1,
         CKSTTimeStamp()},
        {"relative seconds count whole",
         CKSTDialogScript()
             .Click(IDC_CUT_RELATIVE)
             .SetText(IDC_CUT_START_DAYS, "0")
             .SetText(IDC_CUT_START_HOURS, "25")
             .SetText(IDC_CUT_START_MINUTES, "0")
             .SetText(IDC_CUT_START_SECONDS, "12.9"),
         2, Stamp(2020, 1, 2, 1, 0, 12.0)},
        {"absolute takes the time picker's time of day",
         CKSTDialogScript().Click(IDC_CUT_ABSOLUTE).Run([](CWnd& d) {
             SetPicker(d, IDC_START_DATE, 2004, 3, 1, 6, 7, 8);
             SetPicker(d, IDC_START_TIME, 1999, 9, 9, 13, 45, 10);
         }),
         3, Stamp(2004, 3, 1, 13, 45, 10.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KstSeams().modalDriver = CKSTDialogScript(c.script).Click(IDOK);
        CKSTCutCursorDlg dialog(false);
        dialog.m_nXAxisMode = 1;
        dialog.m_baseTime = base;
        dialog.m_startDate = dialog.m_startTime = base;
        dialog.m_endDate = dialog.m_endTime = base + 60.0;
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_nResultMode, c.resultMode);
        if (c.resultMode == 1) {
            EXPECT_STREQ(dialog.m_strStartX.c_str(), "2.5");
        } else {
            EXPECT_TRUE(dialog.m_startDate == c.start)
                << dialog.m_startDate.GetYear() << "-" << dialog.m_startDate.GetMonth() << "-"
                << dialog.m_startDate.GetDay() << " " << dialog.m_startDate.GetHour() << ":"
                << dialog.m_startDate.GetMinute() << ":" << dialog.m_startDate.GetSecond();
        }
    }
}

TEST_F(DocumentDialogs, EditXAxisJoinsDateAndTimeOfDay)
{
    std::string caption;
    std::string unit;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     caption = DialogCaption(d);
                                     unit = DialogItemText(d, IDC_XAXIS_UNIT);
                                     SetPicker(d, IDC_START_DATE, 2010, 7, 8, 23, 59, 59);
                                     SetPicker(d, IDC_START_TIME, 2000, 1, 1, 9, 30, 0);
                                 })
                                 .SetText(IDC_XAXIS_UNIT, "h")
                                 .Click(IDOK);
    CKSTEditXAxisDlg dialog(false);
    dialog.m_date = dialog.m_time = Stamp(2001, 2, 3, 4, 5, 6.0);
    dialog.m_strUnit = "s";
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(caption, "X-Achse bearbeiten");
    EXPECT_EQ(unit, "s");
    EXPECT_TRUE(dialog.m_startTime == Stamp(2010, 7, 8, 9, 30, 0.0));
    EXPECT_STREQ(dialog.m_strUnit.c_str(), "h");
}

}  // namespace
}  // namespace kst_test
