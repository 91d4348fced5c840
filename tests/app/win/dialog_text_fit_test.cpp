// Every dialog of the program shows the whole text of each static, button, check box and radio
// button in both languages: each dialog opens with the texts its code sets, in the dialog font.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "app/win/AboutDlg.h"
#include "curvewnd/win/CurveDisplayDlg.h"
#include "curvewnd/win/LimitDlg.h"
#include "curvewnd/win/MarkerDlg.h"
#include "curvewnd/win/XAxisDlg.h"
#include "curvewnd/win/YAxisDlg.h"
#include "curvewnd/win/fake_dialog_window.h"
#include "data/ChannelList.h"
#include "elements/win/ButtonDialog.h"
#include "elements/win/InstrumentDialog.h"
#include "elements/win/TextElementDialog.h"
#include "elements/win/ValueDialog.h"
#include "foundation/win/StringLoader.h"
#include "framework/framework_test_support.h"
#include "panels/win/AsciiDialogs.h"
#include "panels/win/ChannelSelectDlg.h"
#include "panels/win/CutCursorDlg.h"
#include "panels/win/FileLockDlg.h"
#include "panels/win/OptionsDlg.h"
#include "panels/win/PrintReportDlg.h"
#include "panels/win/SmallDialogs.h"
#include "panels/win/SplashDlg.h"
#include "panels/win/StructTreeDlg.h"
#include "resources/ResourceIds.h"
#include "support/SelectableChannels.h"
#include "support/win/DialogTextFit.h"

namespace kst_test {
namespace {

class QuietAssociationHost : public IKSTAssociationHost {
public:
    explicit QuietAssociationHost(bool english) : m_english(english) {}
    uint8_t* GetAssociationFlags() override { return m_flags; }
    void RegisterFileType(const char*, const char*, bool, uint8_t&) override {}
    void SaveAssociationFlags() override {}
    bool UsesRegistry() const override { return false; }
    bool IsEnglish() const override { return m_english; }

private:
    uint8_t m_flags[16] = {};
    bool m_english;
};

LANGID g_language = 0;
LANGID TestLanguage()
{
    return g_language;
}

// Dialogs whose code sets no text: their template shows as it stands.
constexpr int kTemplateOnly[] = {IDD_EDIT_POPUP};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

BOOL CALLBACK CollectDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::set<int>*>(ids)->insert(
            static_cast<int>(reinterpret_cast<UINT_PTR>(name)));
    }
    return TRUE;
}

std::set<int> DialogTemplates()
{
    std::set<int> ids;
    EnumResourceNamesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                       CollectDialogId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

class DialogTextFit : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        m_previousSource = SetUserLanguageIdSource(TestLanguage);
        ASSERT_TRUE(m_host.CreateEx(0, KstRegisterWndClass(0).c_str(), "host", WS_POPUP, 0, 0, 320,
                                    400, nullptr, nullptr));
        AddSelectableChannels(m_channels, {{"Motor", "u", "1"}, {"", "t", "1"}});
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        SetUserLanguageIdSource(m_previousSource);
        FrameworkTest::TearDown();
    }

    // Opens every dialog of the program in the language, measuring each as it opens.
    void MeasureEveryDialog(bool english)
    {
        g_language = english ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                             : MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN);
        KstSeams().modalDriver = [this, english](KstModalRun& run) {
            Measure(run.window->m_hWnd, static_cast<int>(run.templateId), english);
            return IDCANCEL;
        };
        RunPanelDialogs(english);
        RunDocumentDialogs(english);
        RunCurveDialogs(english);
        RunElementDialogs(english);
        MeasureChannelPanel(english);
        for (int id : kTemplateOnly) {
            HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                             m_host.m_hWnd, PlainDialogProc, 0);
            ASSERT_NE(dialog, nullptr) << id;
            Measure(dialog, id, english);
            DestroyWindow(dialog);
        }
    }

    void Measure(HWND dialog, int id, bool english)
    {
        (english ? m_englishSeen : m_germanSeen).insert(id);
        for (KstClippedText& c : FindClippedTexts(dialog, id, english)) {
            m_clipped.push_back(std::move(c));
        }
    }

    void RunPanelDialogs(bool english)
    {
        QuietAssociationHost associations(english);
        CKSTOptionsDlg(associations).DoModal();
        CKSTSplashDlg().DoModal();
        CKSTAppendFileDlg(english).DoModal();
        CKSTCloseAppDlg(english).DoModal();
        CKSTGenerateSignalDlg(english).DoModal();
        CKSTInterpolationDlg({"U1", "U2"}).DoModal();
        CKSTFFTSettingsDlg(english).DoModal();
        uint32_t language = english ? 1 : 0;
        CKSTLanguageDialog(&language).DoModal();
        CKSTLoadAsciiDlg(language).DoModal();
        CKSTSaveAsciiDlg(language).DoModal();
        CKSTPrintReportDlg(language).DoModal();
        CAboutDlg(english).DoModal();
    }

    void RunDocumentDialogs(bool english)
    {
        CKSTFileLockDlg(english).DoModal();
        CKSTUnlockFileDlg(english).DoModal();
        CKSTCutCursorDlg(english).DoModal();
        CKSTEditXAxisDlg(english).DoModal();
        CKSTChannelSelectDlg select;
        select.SetLanguage(english ? 1 : 0);
        select.SetChannelList(&m_channels);
        select.SetUseRegistry(false);
        select.DoModal();
    }

    void RunCurveDialogs(bool english)
    {
        FakeDialogWindow window;
        window.english = english;
        CKSTCurve* curve = window.AddCurve("a");
        CKSTXAxisDlg(window).DoModal();
        CKSTYAxisDlg(window, *curve->GetYAxis()).DoModal();
        CKSTCurveDisplayDlg(window, *curve).DoModal();
        CKSTLimitDlg(window).DoModal();
        CKSTMarkerDlg::CreateMarker(window, nullptr);  // loads the rich edit it holds
    }

    void RunElementDialogs(bool english)
    {
        const CKSTValueElementSettings value;
        CKSTLCDDialog numeric(value);
        CKSTLampDialog lamp(value);
        CKSTBarDialog bar;
        CKSTMeterDialog meter;
        CKSTTextElementDialog text;
        CKSTButtonDialog button;
        for (CKSTElementDialog* dialog : std::initializer_list<CKSTElementDialog*>{
                 &numeric, &lamp, &bar, &meter, &text, &button}) {
            dialog->m_language = english ? 1 : 0;
            dialog->DoModal();
        }
    }

    // The channel tree is a panel inside other windows, never a dialog of its own.
    void MeasureChannelPanel(bool english)
    {
        CKSTStructTreeDlg panel;
        panel.SetLanguage(english ? 1 : 0);
        panel.SetWindowList(&m_channels, nullptr, nullptr);
        ASSERT_TRUE(panel.Create(&m_host));
        Measure(panel.m_hWnd, IDD_STRUCT_TREE, english);
        panel.DestroyWindow();
    }

    KstLanguageIdSource m_previousSource = nullptr;
    CWnd m_host;
    CKSTChannelList m_channels;
    std::set<int> m_germanSeen;
    std::set<int> m_englishSeen;
    std::vector<KstClippedText> m_clipped;
};

TEST_F(DialogTextFit, EveryDialogShowsEveryTextWholeInBothLanguages)
{
    Watchdog watchdog;
    MeasureEveryDialog(false);
    MeasureEveryDialog(true);
    EXPECT_TRUE(m_clipped.empty()) << FormatClippedTexts(m_clipped);
    const std::set<int> templates = DialogTemplates();
    EXPECT_GE(templates.size(), 20u);
    EXPECT_EQ(m_germanSeen, templates) << "a dialog template no case opens, or one missing";
    EXPECT_EQ(m_englishSeen, templates);
}

// The measure itself: texts that a control cuts off on the right or at the bottom are found,
// texts that fit are not. The close-application dialog serves as the fixture.
TEST_F(DialogTextFit, MeasureFindsTextsCutOffAndPassesTextsThatFit)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLOSE_APP),
                                     m_host.m_hWnd, PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND fft = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FFT_SETTINGS),
                                  m_host.m_hWnd, PlainDialogProc, 0);
    ASSERT_NE(fft, nullptr);
    // A check box text as wide as the control, which leaves no room for the box.
    HWND box = GetDlgItem(fft, IDC_FFT_SMOOTH);
    RECT boxClient{};
    GetClientRect(box, &boxClient);
    HDC dc = GetDC(box);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
    std::string filling;
    while (kst_text_fit::LineWidth(dc, filling + "x") <= boxClient.right) {
        filling += "x";
    }
    SelectObject(dc, previous);
    ReleaseDC(box, dc);

    const struct {
        HWND dialog;
        int control;
        std::string text;
        bool cut;
        bool height;
    } cases[] = {
        {dialog, IDCANCEL, "Cancel", false, false},
        {dialog, IDCANCEL, "Abbrechen und alles verwerfen", true, false},
        {dialog, IDCANCEL, "&&&&&&&&&&&&&&&&", false, false},  // shows 8 ampersands
        {dialog, IDC_CLOSEAPP_SAVE, "&Close and Save", false, false},
        {dialog, IDC_CLOSEAPP_TEXT, "One line.\r\nAnother line.", false, false},
        {dialog, IDC_CLOSEAPP_TEXT, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8", true, true},
        {dialog, IDC_CLOSEAPP_TEXT, std::string(200, 'W'), true, false},
        {fft, IDC_FFT_SMOOTH, "Smooth", false, false},
        {fft, IDC_FFT_SMOOTH, filling, true, false},
        {fft, IDC_FFT_LENGTH_LABEL, std::string(60, 'i') + " " + std::string(60, 'i'), true, false},
        {fft, IDC_FFT_LENGTH_LABEL, "Signal", false, false},
    };
    for (const auto& c : cases) {
        for (HWND d : {dialog, fft}) {
            EnumChildWindows(
                d, [](HWND control, LPARAM) { return SetWindowTextA(control, ""); }, 0);
        }
        SetDlgItemTextA(c.dialog, c.control, c.text.c_str());
        const std::vector<KstClippedText> clipped = FindClippedTexts(c.dialog, 1, true);
        ASSERT_EQ(clipped.size(), c.cut ? 1u : 0u) << c.text << "\n" << FormatClippedTexts(clipped);
        if (c.cut) {
            EXPECT_EQ(clipped[0].control, c.control) << c.text;
            EXPECT_EQ(clipped[0].height, c.height) << c.text;
            EXPECT_GT(clipped[0].needed, clipped[0].available) << c.text;
        }
    }
    DestroyWindow(fft);
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace kst_test
