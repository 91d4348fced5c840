#include <windows.h>

#include "data/settings/CurveWndSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(CurveWndSettingsWin, BackgroundStartsAsTheMenuColour)
{
    const CKSTCurveWndSettings settings;
    EXPECT_EQ(GetSysColor(COLOR_MENU), settings.m_BackgroundColor);
}

}  // namespace
