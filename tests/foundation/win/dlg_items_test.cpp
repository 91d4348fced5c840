#include <gtest/gtest.h>
#include <windows.h>

#include "foundation/win/DlgItems.h"

namespace {

TEST(DlgItems, EnableDisableShowHide)
{
    HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(dialog);
    HWND item = CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, dialog,
                                reinterpret_cast<HMENU>(42), GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(item);
    // The dialog itself stays hidden, so visibility is read from the item's own style.
    auto visible = [&] { return (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0; };

    DisableDlgItem(dialog, 42);
    EXPECT_FALSE(IsWindowEnabled(item));
    EnableDlgItem(dialog, 42);
    EXPECT_TRUE(IsWindowEnabled(item));
    HideDlgItem(dialog, 42);
    EXPECT_FALSE(visible());
    ShowDlgItem(dialog, 42);
    EXPECT_TRUE(visible());

    // A missing control is left alone.
    DisableDlgItem(dialog, 43);
    HideDlgItem(dialog, 43);
    EXPECT_TRUE(IsWindowEnabled(item));
    EXPECT_TRUE(visible());
    DestroyWindow(dialog);
}

}  // namespace
