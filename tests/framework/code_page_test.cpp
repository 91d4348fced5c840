#include <windows.h>

#include <gtest/gtest.h>

#include "framework/CodePage.h"
#include "framework/Seams.h"
#include "framework_test_support.h"
#include "support/win/MessageBoxScript.h"

namespace {

class CodePageTest : public kst_test::FrameworkTest {};

TEST_F(CodePageTest, ProcessRunsInTheProgramsCodePage)
{
    EXPECT_EQ(KST_PROGRAM_CODE_PAGE, GetACP());
    EXPECT_EQ(KST_PROGRAM_CODE_PAGE, KstActiveCodePage());
    // The micro sign and an umlaut as the program stores them become the right characters.
    const char text[] = "\xB5V \xE4";
    wchar_t wide[8] = {};
    ASSERT_EQ(5, MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8));
    EXPECT_EQ(0x00B5, wide[0]);
    EXPECT_EQ(0x00E4, wide[3]);
    EXPECT_TRUE(KstCheckCodePage()) << "no warning in the program's code page";
}

TEST_F(CodePageTest, AnotherCodePageIsWarnedAbout)
{
    for (UINT codePage : {1250u, 65001u, 437u}) {
        SCOPED_TRACE(codePage);
        CKSTMessageBoxScript boxes;
        KstSeams().activeCodePage = [codePage] { return codePage; };
        EXPECT_FALSE(KstCheckCodePage());
        ASSERT_EQ(1u, boxes.Shown().size());
        const KstMessageBoxCall shown = boxes.Shown()[0];
        EXPECT_EQ(KST_IDP_CODE_PAGE, shown.textId);
        EXPECT_EQ(KstCodePageWarning(codePage), shown.text);
        CKSTString number;
        number.Format("%u", codePage);
        EXPECT_NE(-1, shown.text.Find(number)) << shown.text.c_str();
        EXPECT_TRUE(shown.type & MB_ICONWARNING);
    }
}

}  // namespace
