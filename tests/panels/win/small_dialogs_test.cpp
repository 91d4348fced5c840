// The viewer's small dialogs, run through the modal seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/framework_test_support.h"
#include "panels/win/OptionsDlg.h"
#include "panels/win/SmallDialogs.h"
#include "panels/win/SplashDlg.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "support/win/DialogScript.h"
#include "support/win/MessageBoxScript.h"

namespace kst_test {
namespace {

bool Checked(CWnd& dialog, int id)
{
    return IsDlgButtonChecked(dialog.m_hWnd, id) == BST_CHECKED;
}

bool Enabled(CWnd& dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog.m_hWnd, id)) != FALSE;
}

// The application's side of the file-types dialog, with the same flag rule, recording what
// would reach the shell.
class RecordingHost : public IKSTAssociationHost {
public:
    uint8_t flags[16] = {};
    bool useRegistry = true;
    bool english = true;
    int saves = 0;
    std::vector<std::string> registered;  // "+ddf" or "-ddf"

    uint8_t* GetAssociationFlags() override { return flags; }
    void RegisterFileType(const char* progId, const char* extension, bool wanted,
                          uint8_t& flag) override
    {
        EXPECT_STREQ(progId, "TalvenorWriter");
        if (!wanted && flag) {
            registered.push_back(std::string("-") + extension);
            flag = 0;
        } else if (wanted && !flag) {
            registered.push_back(std::string("+") + extension);
            flag = 1;
        }
    }
    void SaveAssociationFlags() override { ++saves; }
    bool UsesRegistry() const override { return useRegistry; }
    bool IsEnglish() const override { return english; }
};

class SmallDialogs : public FrameworkTest {};

TEST_F(SmallDialogs, FileTypesBoxOfTwoExtensionsNeedsBoth)
{
    RecordingHost host;
    host.flags[4] = 1;  // ddf, not ddb
    bool ddfChecked = true;
    std::string label;
    std::string caption;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     ddfChecked = Checked(d, IDC_FILETYPES_DDF_DDB);
                                     label = DialogItemText(d, IDC_FILETYPES_DDF_DDB);
                                     char text[64] = {};
                                     GetWindowTextA(d.m_hWnd, text, sizeof text);
                                     caption = text;
                                 })
                                 .Click(IDOK);
    CKSTOptionsDlg dialog(host);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(ddfChecked);
    EXPECT_EQ(label, ".ddf/.ddb Files");
    EXPECT_EQ(caption, "File Types");
    // OK with the box unchecked removes ddf and leaves ddb alone.
    EXPECT_EQ(host.registered, std::vector<std::string>{"-ddf"});
    EXPECT_EQ(host.flags[4], 0);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(SmallDialogs, FileTypesRegisterBothExtensionsOfABoxAndNothingUnchanged)
{
    RecordingHost host;
    host.flags[0] = 1;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDOK);
    {
        CKSTOptionsDlg dialog(host);
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_TRUE(host.registered.empty()) << "OK without changes";

    host.useRegistry = false;  // "/NOREG": registered, but the flags are not saved
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_FILETYPES_DDF_DDB).Click(IDOK);
    {
        CKSTOptionsDlg dialog(host);
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_EQ(host.registered, (std::vector<std::string>{"+ddf", "+ddb"}));
    EXPECT_EQ(host.flags[4], 1);
    EXPECT_EQ(host.flags[5], 1);
    EXPECT_EQ(host.saves, 1);

    // Cancel changes nothing.
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Click(IDC_FILETYPES_QLD);
    host.registered.clear();
    CKSTOptionsDlg dialog(host);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(host.registered.empty());
}

TEST_F(SmallDialogs, LanguageClickCountsAlsoWhenClosedWithTheCloseBox)
{
    uint32_t language = 1;
    std::string caption;
    bool englishChecked = false;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     char text[64] = {};
                                     GetWindowTextA(d.m_hWnd, text, sizeof text);
                                     caption = text;
                                     englishChecked = Checked(d, IDC_LANGUAGE_ENGLISH);
                                 })
                                 .Click(IDC_LANGUAGE_GERMAN)
                                 .Command(IDCANCEL, BN_CLICKED);
    CKSTLanguageDialog dialog(&language);
    dialog.DoModal();
    EXPECT_EQ(caption, "Language");
    EXPECT_TRUE(englishChecked);
    EXPECT_EQ(language, 0u);

    uint32_t german = 0;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL).Run([&](CWnd& d) {
        char text[64] = {};
        GetWindowTextA(d.m_hWnd, text, sizeof text);
        caption = text;
    });
    CKSTLanguageDialog second(&german);
    second.DoModal();
    EXPECT_EQ(caption, "Sprache");
}

TEST_F(SmallDialogs, AppendFileResultsAndTheHiddenSelectionBox)
{
    struct Case {
        bool showSelection;
        int button;
        int result;
    };
    const Case cases[] = {
        {false, IDC_APPEND_CREATE_NEW, CKSTAppendFileDlg::kCreateNew},
        {true, IDC_APPEND_TO_EXISTING, CKSTAppendFileDlg::kAppendToExisting},
        {true, IDCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        bool boxVisible = false;
        std::string method;
        KstSeams().modalDriver =
            CKSTDialogScript(-5)
                .Run([&](CWnd& d) {
                    boxVisible = (GetWindowLongA(GetDlgItem(d.m_hWnd, IDC_APPEND_KEEP_SELECTION),
                                                 GWL_STYLE) &
                                  WS_VISIBLE) != 0;
                    method = DialogItemText(d, IDC_APPEND_METHOD);
                })
                .Select(IDC_APPEND_METHOD, 1)
                .Click(c.button);
        CKSTAppendFileDlg dialog(true);
        dialog.m_bShowSelection = c.showSelection;
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(boxVisible, c.showSelection);
        EXPECT_EQ(method, "accurate time");
        EXPECT_EQ(dialog.m_bKeepSelection, 1);
        if (c.result != IDCANCEL) {
            EXPECT_EQ(dialog.m_nMethod, 1);
        }
    }
}

TEST_F(SmallDialogs, CloseApplicationChoices)
{
    const struct {
        int button;
        int result;
        bool save;
    } cases[] = {{IDC_CLOSEAPP_SAVE, IDOK, true},
                 {IDC_CLOSEAPP_NO_SAVE, IDOK, false},
                 {IDCANCEL, IDCANCEL, true}};
    for (const auto& c : cases) {
        std::string text;
        std::string caption;
        KstSeams().modalDriver = CKSTDialogScript(-5)
                                     .Run([&](CWnd& d) {
                                         text = DialogItemText(d, IDC_CLOSEAPP_SAVE);
                                         caption = DialogCaption(d);
                                     })
                                     .Click(c.button);
        CKSTCloseAppDlg dialog(false);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.m_bSave, c.save);
        EXPECT_EQ(text, "Beenden und speichern");
        EXPECT_EQ(caption, std::string("Anwendung schlie\xDF") + "en");
    }
}

TEST_F(SmallDialogs, GenerateSignalRampGreysFrequencyAndAnEmptyNameKeepsItOpen)
{
    CKSTMessageBoxScript boxes;
    bool frequencyEnabled = true;
    bool phaseEnabled = true;
    bool openAfterOK = false;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Select(IDC_SIGNAL_WAVEFORM, CKSTGenerateSignalDlg::Ramp)
                                 .Run([&](CWnd& d) {
                                     frequencyEnabled = Enabled(d, IDC_SIGNAL_FREQUENCY);
                                     phaseEnabled = Enabled(d, IDC_SIGNAL_PHASE);
                                 })
                                 .Click(IDOK)
                                 .Run([&](CWnd& d) { openAfterOK = d.m_hWnd != nullptr; });
    CKSTGenerateSignalDlg dialog(true);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(frequencyEnabled);
    EXPECT_FALSE(phaseEnabled);
    EXPECT_TRUE(openAfterOK);
    ASSERT_EQ(boxes.ShownIds(), std::vector<UINT>{KST_STR_SIGNAL_ENTER_NAME});
    EXPECT_STREQ(boxes.Shown()[0].text.c_str(), "Please enter a name.");

    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .SetText(IDC_SIGNAL_NAME, "sine")
                                 .SetText(IDC_SIGNAL_AMPLITUDE, "2.5")
                                 .Click(IDOK);
    CKSTGenerateSignalDlg named(true);
    EXPECT_EQ(named.DoModal(), IDOK);
    EXPECT_STREQ(named.m_strName.c_str(), "sine");
    EXPECT_DOUBLE_EQ(named.m_dAmplitude, 2.5);
    EXPECT_STREQ(named.m_strUnit.c_str(), "V");
    EXPECT_EQ(named.m_nLength, 1000);
}

TEST_F(SmallDialogs, InterpolationListsTheChannelsAndRefusesFactorsBelowOne)
{
    CKSTMessageBoxScript boxes;
    std::string factor;
    LRESULT count = 0;
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Run([&](CWnd& d) {
                factor = DialogItemText(d, IDC_INTERPOLATION_FACTOR);
                count = SendDlgItemMessageA(d.m_hWnd, IDC_INTERPOLATION_CHANNEL, CB_GETCOUNT, 0, 0);
            })
            .SetText(IDC_INTERPOLATION_FACTOR, "0")
            .Click(IDOK);
    CKSTInterpolationDlg refused({"U1", "U2"});
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(factor, "35");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(boxes.Shown().size(), 1u);

    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL).Select(IDC_INTERPOLATION_CHANNEL, 1).Click(IDOK);
    CKSTInterpolationDlg dialog({"U1", "U2"});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nChannel, 1);
    EXPECT_EQ(dialog.m_nFactor, 35);
}

TEST_F(SmallDialogs, FftSmoothingOfTwoPointsOpensUncheckedAndStoresZero)
{
    bool smoothChecked = true;
    bool pointsEnabled = true;
    std::string points;
    KstSeams().modalDriver = CKSTDialogScript(IDCANCEL)
                                 .Run([&](CWnd& d) {
                                     smoothChecked = Checked(d, IDC_FFT_SMOOTH);
                                     pointsEnabled = Enabled(d, IDC_FFT_SMOOTH_POINTS);
                                     points = DialogItemText(d, IDC_FFT_SMOOTH_POINTS);
                                 })
                                 .Click(IDOK);
    CKSTFFTSettingsDlg dialog(true);
    KstFftRecord record{2, 1, true, 2, 256};
    dialog.SetSettings(record);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    dialog.GetSettings(record);
    EXPECT_FALSE(smoothChecked);
    EXPECT_FALSE(pointsEnabled);
    EXPECT_EQ(points, "3");
    EXPECT_EQ(record.smoothPoints, 0);
    EXPECT_EQ(record.lengthMode, 2);
    EXPECT_EQ(record.window, 1);
    EXPECT_TRUE(record.suppressDc);
    EXPECT_EQ(record.onlineLength, 256);

    // Checking smoothing enables the points at once.
    KstSeams().modalDriver =
        CKSTDialogScript(IDCANCEL)
            .Click(IDC_FFT_SMOOTH)
            .Run([&](CWnd& d) { pointsEnabled = Enabled(d, IDC_FFT_SMOOTH_POINTS); })
            .Click(IDOK);
    CKSTFFTSettingsDlg again(true);
    again.SetSettings(record);
    ASSERT_EQ(again.DoModal(), IDOK);
    again.GetSettings(record);
    EXPECT_TRUE(pointsEnabled);
    EXPECT_EQ(record.smoothPoints, 3);
}

TEST_F(SmallDialogs, SplashIsABorderlessPicture)
{
    LONG style = 0;
    LRESULT image = 0;
    KstSeams().modalDriver = CKSTDialogScript(0).Run([&](CWnd& d) {
        style = GetWindowLongA(d.m_hWnd, GWL_STYLE);
        image = SendDlgItemMessageA(d.m_hWnd, IDC_SPLASH_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    });
    CKSTSplashDlg splash;
    EXPECT_EQ(splash.DoModal(), 0);
    EXPECT_EQ(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME), 0);
    EXPECT_NE(image, 0);
}

}  // namespace
}  // namespace kst_test
