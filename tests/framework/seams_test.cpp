#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Seams.h"
#include "framework_test_support.h"

namespace {

class SeamsTest : public kst_test::FrameworkTest {};

TEST_F(SeamsTest, RealHtmlHelpOpensNoWindowForAMissingFile)
{
    // hhctrl.ocx is loaded on first use.
    EXPECT_EQ(nullptr,
              KstHtmlHelp(nullptr, "Z:\\nowhere\\missing.chm", 0 /* HH_DISPLAY_TOPIC */, 0));
}

}  // namespace
