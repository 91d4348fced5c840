// The ASCII load and save options, run through the modal seam in both languages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/framework_test_support.h"
#include "panels/win/AsciiDialogs.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"

namespace kst_test {
namespace {

std::string ComboItem(CWnd& dialog, int id, int index)
{
    char text[256] = {};
    SendDlgItemMessageA(dialog.m_hWnd, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Enabled(CWnd& dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog.m_hWnd, id)) != FALSE;
}

// The spin control's step as the control itself reports it.
std::function<void(CWnd&)> Spin(int delta)
{
    return [delta](CWnd& d) {
        NMUPDOWN step{};
        step.hdr.hwndFrom = GetDlgItem(d.m_hWnd, IDC_ASCII_AVERAGE_SPIN);
        step.hdr.idFrom = IDC_ASCII_AVERAGE_SPIN;
        step.hdr.code = UDN_DELTAPOS;
        step.iDelta = delta;
        SendMessageA(d.m_hWnd, WM_NOTIFY, IDC_ASCII_AVERAGE_SPIN, reinterpret_cast<LPARAM>(&step));
    };
}

class AsciiDialogs : public FrameworkTest {};

TEST_F(AsciiDialogs, LoadTextsInBothLanguages)
{
    struct Case {
        uint32_t language;
        const char* caption;
        const char* xAxisLabel;
        const char* none;
        const char* firstDateOrder;
        const char* removeEmpty;
        const char* cancel;
    };
    const Case cases[] = {
        {1, "ASCII Load Options", "X-Axis", "none", "DDMMYY", "Ignore empty columns", "Cancel"},
        {0, "ASCII-Ladeoptionen", "X-Achse", "keine", "TTMMJJ", "Leere Spalten ignorieren",
         "Abbrechen"},
    };
    for (const Case& c : cases) {
        std::string caption, xAxisLabel, none, dateOrder, removeEmpty, cancel, separator;
        LRESULT headerItems = 0;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
            caption = DialogCaption(d);
            xAxisLabel = DialogItemText(d, IDC_ASCII_X_AXIS_LABEL);
            none = ComboItem(d, IDC_ASCII_X_AXIS, 1);
            dateOrder = ComboItem(d, IDC_ASCII_DATE_FORMAT, 1);
            removeEmpty = DialogItemText(d, IDC_ASCII_REMOVE_EMPTY);
            cancel = DialogItemText(d, IDCANCEL);
            separator = DialogItemText(d, IDC_ASCII_SEPARATOR);
            headerItems = SendDlgItemMessageA(d.m_hWnd, IDC_ASCII_HEADER_LINES, CB_GETCOUNT, 0, 0);
        });
        CKSTTextFormat settings;
        EXPECT_EQ(KstRunLoadAsciiDialog(settings, c.language), IDCANCEL);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(xAxisLabel, c.xAxisLabel);
        EXPECT_EQ(none, c.none);
        EXPECT_EQ(dateOrder, c.firstDateOrder);
        EXPECT_EQ(removeEmpty, c.removeEmpty);
        EXPECT_EQ(cancel, c.cancel);
        EXPECT_EQ(separator, "auto");
        EXPECT_EQ(headerItems, 12);  // "auto", 0 .. 10
    }
}

TEST_F(AsciiDialogs, LoadChoicesReachTheRecordOnlyOnOK)
{
    struct Case {
        const char* what;
        CKSTDialogScript script;
        int result;
        int32_t separator;
        int16_t headerLines;
        int32_t xAxis;
        uint8_t removeEmpty;
    };
    const Case cases[] = {
        {"TAB and 12 typed",
         CKSTDialogScript(IDCANCEL)
             .Select(IDC_ASCII_SEPARATOR, 3)
             .SetText(IDC_ASCII_HEADER_LINES, "12")
             .Click(IDOK),
         IDOK, KST_TEXT_SEPARATOR_TAB, 12, 1, 1},
        {"auto chosen",
         CKSTDialogScript(IDCANCEL)
             .Select(IDC_ASCII_HEADER_LINES, 0)
             .Select(IDC_ASCII_X_AXIS, 1)
             .Click(IDC_ASCII_REMOVE_EMPTY)
             .Click(IDOK),
         IDOK, KST_TEXT_SEPARATOR_AUTO, -1, 0, 0},
        {"0 chosen", CKSTDialogScript(IDCANCEL).Select(IDC_ASCII_HEADER_LINES, 1).Click(IDOK), IDOK,
         KST_TEXT_SEPARATOR_AUTO, 0, 1, 1},
        {"cancel",
         CKSTDialogScript(IDCANCEL)
             .Select(IDC_ASCII_SEPARATOR, 1)
             .SetText(IDC_ASCII_HEADER_LINES, "4")
             .Click(IDCANCEL),
         IDCANCEL, KST_TEXT_SEPARATOR_AUTO, 3, 1, 1},
    };
    for (const Case& c : cases) {
        KstSeams().modalDriver = c.script;
        CKSTTextFormat settings;
        settings.headerLines = 3;
        const CKSTTextFormat before = settings;
        EXPECT_EQ(KstRunLoadAsciiDialog(settings, 1), c.result) << c.what;
        EXPECT_EQ(settings.readSeparator, c.separator) << c.what;
        EXPECT_EQ(settings.headerLines, c.headerLines) << c.what;
        EXPECT_EQ(settings.xAxis, c.xAxis) << c.what;
        EXPECT_EQ(settings.removeEmptyColumns, c.removeEmpty) << c.what;
        EXPECT_EQ(settings.dateFormat, before.dateFormat) << c.what;
        EXPECT_EQ(settings.writeSeparator, before.writeSeparator) << c.what;
    }
}

TEST_F(AsciiDialogs, SaveTextsInBothLanguages)
{
    const struct {
        uint32_t language;
        const char* caption;
        const char* average;
        const char* combined;
        const char* group;
    } cases[] = {
        {1, "ASCII Save Options", "Average with", "Date + Time combined", "Timeinformation"},
        {0, "ASCII-Speicheroptionen",
         "Mitteln \xFC"
         "ber",
         "Datum + Zeit kombiniert", "Zeitinformation"},
    };
    for (const auto& c : cases) {
        std::string caption, average, combined, group;
        KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
            caption = DialogCaption(d);
            average = DialogItemText(d, IDC_ASCII_AVERAGE);
            combined = DialogItemText(d, IDC_ASCII_TIME_COMBINED);
            group = DialogItemText(d, IDC_ASCII_TIME_GROUP);
        });
        CKSTTextFormat settings;
        EXPECT_EQ(KstRunSaveAsciiDialog(settings, c.language), IDCANCEL);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(average, c.average);
        EXPECT_EQ(combined, c.combined);
        EXPECT_EQ(group, c.group);
    }
}

TEST_F(AsciiDialogs, SaveSeparatorCouplesTheDecimalMark)
{
    std::string markAtStart, markSemicolon, markTab;
    bool enabledAtStart = true, enabledSemicolon = true, enabledTab = false;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& d) {
                markAtStart = DialogItemText(d, IDC_ASCII_DECIMAL_MARK);
                enabledAtStart = Enabled(d, IDC_ASCII_DECIMAL_MARK);
            })
            .Select(IDC_ASCII_SEPARATOR, KstSaveAsciiFields::kSeparatorSemicolon)
            .Run([&](CWnd& d) {
                markSemicolon = DialogItemText(d, IDC_ASCII_DECIMAL_MARK);
                enabledSemicolon = Enabled(d, IDC_ASCII_DECIMAL_MARK);
            })
            .Select(IDC_ASCII_SEPARATOR, KstSaveAsciiFields::kSeparatorTab)
            .Run([&](CWnd& d) {
                markTab = DialogItemText(d, IDC_ASCII_DECIMAL_MARK);
                enabledTab = Enabled(d, IDC_ASCII_DECIMAL_MARK);
            })
            .Select(IDC_ASCII_DECIMAL_MARK, KstSaveAsciiFields::kMarkPoint)
            .Click(IDOK);
    CKSTTextFormat settings;
    settings.writeSeparator = KST_TEXT_SEPARATOR_COMMA;
    settings.decimalMark = 0;  // a "," beside a "," separator is not offered
    ASSERT_EQ(KstRunSaveAsciiDialog(settings, 1), IDOK);
    EXPECT_EQ(markAtStart, ".");
    EXPECT_FALSE(enabledAtStart);
    EXPECT_EQ(markSemicolon, ",");
    EXPECT_FALSE(enabledSemicolon);
    EXPECT_EQ(markTab, ",") << "TAB keeps the last mark";
    EXPECT_TRUE(enabledTab);
    EXPECT_EQ(settings.writeSeparator, KST_TEXT_SEPARATOR_TAB);
    EXPECT_EQ(settings.decimalMark, 1);
}

TEST_F(AsciiDialogs, SaveAverageBoxSpinAndCountCheck)
{
    CKSTMessageBoxScript boxes;
    bool countEnabledAtStart = true, spinEnabledAtStart = true, countEnabledAfterClick = false;
    std::string afterSpins, afterRefusal;
    bool openAfterOK = false;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& d) {
                countEnabledAtStart = Enabled(d, IDC_ASCII_AVERAGE_COUNT);
                spinEnabledAtStart = Enabled(d, IDC_ASCII_AVERAGE_SPIN);
            })
            .Click(IDC_ASCII_AVERAGE)
            .Run([&](CWnd& d) { countEnabledAfterClick = Enabled(d, IDC_ASCII_AVERAGE_COUNT); })
            .Run(Spin(1))   // 2 - 1 is below 2: stays
            .Run(Spin(-1))  // 3
            .Run(Spin(-1))  // 4
            .Run([&](CWnd& d) { afterSpins = DialogItemText(d, IDC_ASCII_AVERAGE_COUNT); })
            .SetText(IDC_ASCII_AVERAGE_COUNT, "1")
            .Click(IDOK)
            .Run([&](CWnd& d) {
                openAfterOK = d.m_hWnd != nullptr;
                afterRefusal = DialogItemText(d, IDC_ASCII_AVERAGE_COUNT);
            })
            .SetText(IDC_ASCII_AVERAGE_COUNT, "6")
            .Click(IDC_ASCII_TIME_COMBINED)
            .Click(IDOK);
    CKSTTextFormat settings;
    ASSERT_EQ(KstRunSaveAsciiDialog(settings, 0), IDOK);
    EXPECT_FALSE(countEnabledAtStart);
    EXPECT_FALSE(spinEnabledAtStart);
    EXPECT_TRUE(countEnabledAfterClick);
    EXPECT_EQ(afterSpins, "4");
    EXPECT_TRUE(openAfterOK);
    EXPECT_EQ(afterRefusal, "2");
    ASSERT_EQ(boxes.ShownIds(), std::vector<UINT>{KST_STR_ASCII_INVALID_AVERAGE});
    EXPECT_EQ(boxes.Shown()[0].text, "Ung\xFCltige Anzahl zu mittelnder Werte (min. 2)");
    EXPECT_EQ(settings.averageCount, 6);
    EXPECT_EQ(settings.formatCode, KST_TEXT_CSV_DATETIME);
}

TEST_F(AsciiDialogs, SaveRefusesABadCountAlsoWithAveragingOffAndCancelKeepsTheRecord)
{
    CKSTMessageBoxScript boxes;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_ASCII_AVERAGE_COUNT, "0")
                                 .Click(IDOK)
                                 .Select(IDC_ASCII_SEPARATOR, KstSaveAsciiFields::kSeparatorTab)
                                 .Select(IDC_ASCII_VALUE_DECIMALS, 6)
                                 .Click(IDCANCEL);
    CKSTTextFormat settings;
    settings.averageCount = 0;
    EXPECT_EQ(KstRunSaveAsciiDialog(settings, 1), IDCANCEL);
    EXPECT_EQ(boxes.Shown().size(), 1u);
    const CKSTTextFormat defaults;
    EXPECT_EQ(settings.writeSeparator, defaults.writeSeparator);
    EXPECT_EQ(settings.valueDecimals, defaults.valueDecimals);
    EXPECT_EQ(settings.averageCount, 0);
}

}  // namespace
}  // namespace kst_test
