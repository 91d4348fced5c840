#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Seams.h"
#include "framework_test_support.h"

namespace {

class SeamsTest : public kst_test::FrameworkTest {};

TEST_F(SeamsTest, RealHtmlHelpOpensNoWindowForAMissingFile)
{
    // hhctrl.ocx is loaded on first use.
    EXPECT_EQ(nullptr, KstHtmlHelp(nullptr, "Z:\\nowhere\\missing.chm", 0 /* HH_DISPLAY_TOPIC */,
                                   0));
}

TEST_F(SeamsTest, RealKeyStateFollowsTheKeyboard)
{
    const auto press = [](WORD key, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        return SendInput(1, &input, sizeof(input)) == 1;
    };
    for (WORD key : {VK_SHIFT, VK_CONTROL}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(press(key, true));
        KstPumpPendingMessages();
        EXPECT_TRUE(KstGetAsyncKeyState(key) & 0x8000);
        ASSERT_TRUE(press(key, false));
        KstPumpPendingMessages();
        EXPECT_FALSE(KstGetAsyncKeyState(key) & 0x8000);
        EXPECT_FALSE(KstIsKeyDown(key));
    }
}

}  // namespace
