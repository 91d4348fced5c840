#include "curvewnd/win/EditPopupDlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/framework_test_support.h"

namespace {

constexpr UINT kEditDone = WM_USER + 1;

// The window that opens the popup: records every completion notification together with the
// popup's text as the owner reads it at that moment.
class OwnerWnd : public CWnd {
    DECLARE_MESSAGE_MAP()

public:
    struct Note {
        int first;
        int second;
        CKSTString text;
    };

    bool CreateTop()
    {
        const CKSTString name = KstRegisterWndClass(0, nullptr, GetSysColorBrush(COLOR_WINDOW));
        return CreateEx(0, name.c_str(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500,
                        300, nullptr, nullptr) != FALSE;
    }

    CKSTEditPopupDlg* popup = nullptr;
    std::vector<Note> notes;

protected:
    LRESULT OnEditDone(WPARAM first, LPARAM second)
    {
        notes.push_back({static_cast<int>(first), static_cast<int>(second),
                         popup ? popup->GetText() : CKSTString()});
        return 0;
    }
};

BEGIN_MESSAGE_MAP(OwnerWnd, CWnd)
ON_MESSAGE(kEditDone, OnEditDone)
END_MESSAGE_MAP()

class EditPopupTest : public kst_test::FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        ASSERT_TRUE(owner.CreateTop());
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        FrameworkTest::TearDown();
    }

    static HWND EditOf(const CWnd& popup) { return GetDlgItem(popup.m_hWnd, IDC_EDIT_POPUP_TEXT); }

    OwnerWnd owner;
};

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual)
{
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST_F(EditPopupTest, OpensOverItsRectangleWithTheTextFocusedAndFollowsItsSize)
{
    CKSTEditPopupDlg popup(&owner);
    popup.SetRect(150, 160, 120, 24);
    popup.SetText("alpha");
    popup.SetBorder(true);
    ASSERT_TRUE(popup.Create());

    const HWND edit = EditOf(popup);
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(popup.IsWindowVisible());
    ExpectRect(RECT{150, 160, 270, 184}, WindowRect(popup.m_hWnd));
    ExpectRect(RECT{150, 160, 270, 184}, WindowRect(edit));
    EXPECT_EQ(edit, GetFocus());
    EXPECT_STREQ("alpha", CWnd::FromHandle(edit)->GetWindowText().c_str());
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & WS_BORDER);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_AUTOHSCROLL);

    popup.MoveWindow(100, 100, 200, 30);
    ExpectRect(RECT{100, 100, 300, 130}, WindowRect(edit));
}

TEST_F(EditPopupTest, ModelessEndingsKeepOrAbandonTheTextAndNotifyOnlyWhenEditingWasTaken)
{
    enum class Ending { FocusLeaves, Enter, Escape };
    struct Case {
        const char* name;
        UINT message;
        Ending ending;
        bool notified;
        const char* text;
    };
    const Case cases[] = {
        {"focus moves to the owner", kEditDone, Ending::FocusLeaves, true, "typed"},
        {"Enter", kEditDone, Ending::Enter, true, "typed"},
        {"Escape abandons the edit", kEditDone, Ending::Escape, false, "start"},
        {"no notification message", 0, Ending::FocusLeaves, false, "typed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.notes.clear();
        auto popup = std::make_unique<CKSTEditPopupDlg>(&owner);
        owner.popup = popup.get();
        popup->SetRect(200, 200, 100, 20);
        popup->SetText("start");
        popup->SetNotification(c.message, -1, 2);  // the header row of a grid is row -1
        ASSERT_TRUE(popup->Create());
        const HWND edit = EditOf(*popup);
        SetWindowTextA(edit, "typed");

        switch (c.ending) {
            case Ending::FocusLeaves:
                owner.SetFocus();
                break;
            case Ending::Enter:
                PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
                break;
            case Ending::Escape:
                PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
        }
        ASSERT_TRUE(kst_test::PumpUntil([&] { return !popup->IsWindowVisible(); }));
        kst_test::PumpUntil([] { return false; }, 50);

        EXPECT_STREQ(c.text, popup->GetText().c_str());
        ASSERT_EQ(c.notified ? 1u : 0u, owner.notes.size());
        if (c.notified) {
            EXPECT_EQ(-1, owner.notes[0].first);
            EXPECT_EQ(2, owner.notes[0].second);
            EXPECT_STREQ("typed", owner.notes[0].text.c_str()) << "text kept before notifying";
        }
        // Later focus changes and the deletion itself are no second ending.
        owner.SetFocus();
        popup.reset();
        owner.popup = nullptr;
        kst_test::PumpUntil([] { return false; }, 50);
        EXPECT_EQ(c.notified ? 1u : 0u, owner.notes.size());
    }
}

TEST_F(EditPopupTest, ModalRunEndsWithZeroOnEnterAndCancelsOnEscape)
{
    struct Case {
        const char* name;
        WPARAM key;
        INT_PTR result;
        const char* text;
        size_t notes;
    };
    const Case cases[] = {
        {"Enter", VK_RETURN, 0, "typed", 1},
        {"Escape", VK_ESCAPE, IDCANCEL, "start", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.notes.clear();
        CKSTEditPopupDlg popup(&owner);
        owner.popup = &popup;
        popup.SetRect(120, 90, 80, 22);
        popup.SetText("start");
        popup.SetNotification(kEditDone, 4, 1);

        UINT templateId = 0;
        bool ownerDisabled = false;
        CKSTString shownText;
        KstSeams().modalDriver = [&](KstModalRun& run) {
            templateId = run.templateId;
            ownerDisabled = !owner.IsWindowEnabled();
            const HWND edit = EditOf(*run.window);
            shownText = CWnd::FromHandle(edit)->GetWindowText();
            SetWindowTextA(edit, "typed");
            PostMessageA(edit, WM_KEYDOWN, c.key, 0);
            kst_test::PumpUntil(run.ended);
            return IDABORT;  // only when the keys did not end it
        };
        kst_test::Watchdog watchdog;
        EXPECT_EQ(c.result, popup.DoModal());

        EXPECT_EQ(static_cast<UINT>(IDD_EDIT_POPUP), templateId);
        EXPECT_TRUE(ownerDisabled);
        EXPECT_TRUE(owner.IsWindowEnabled());
        EXPECT_STREQ("start", shownText.c_str());
        EXPECT_STREQ(c.text, popup.GetText().c_str());
        ASSERT_EQ(c.notes, owner.notes.size());
        if (c.notes) {
            EXPECT_EQ(4, owner.notes[0].first);
            EXPECT_EQ(1, owner.notes[0].second);
        }
        owner.popup = nullptr;
    }
}

TEST_F(EditPopupTest, FontSetBeforeOpeningReachesTheEditAndOutlivesTheCallersSetting)
{
    CKSTEditPopupDlg popup(&owner);
    {
        CKSTFontDesc font;
        font.m_height = -19;
        font.m_weight = 700;
        popup.SetFont(&font);
    }
    ASSERT_TRUE(popup.Create());
    const HWND edit = EditOf(popup);

    const auto font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTA shown{};
    ASSERT_NE(0, GetObjectA(font, sizeof shown, &shown)) << "the font must still exist";
    EXPECT_EQ(-19, shown.lfHeight);
    EXPECT_EQ(700, shown.lfWeight);

    popup.SetFont(nullptr);
    EXPECT_EQ(0, SendMessageA(edit, WM_GETFONT, 0, 0));
}

TEST_F(EditPopupTest, TextColourAppliesOverTheDefaultColoursUnlessAutomatic)
{
    struct Case {
        const char* name;
        COLORREF color;
        COLORREF expected;
    };
    const Case cases[] = {
        {"automatic", 0xFFFFFFFF, GetSysColor(COLOR_WINDOWTEXT)},
        {"red", RGB(200, 0, 0), RGB(200, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTEditPopupDlg popup(&owner);
        popup.SetTextColor(c.color);
        ASSERT_TRUE(popup.Create());
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush = popup.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                reinterpret_cast<LPARAM>(EditOf(popup)));
        EXPECT_NE(0, brush) << "the default handling still gives the background brush";
        EXPECT_EQ(c.expected, GetTextColor(dc));
        DeleteDC(dc);
    }
}

}  // namespace
