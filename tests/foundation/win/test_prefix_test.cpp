// Checks of the Wine test prefix itself: if these fail, every window and registry test after
// them would fail for reasons that have nothing to do with the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(TestPrefix, RegistryRoundTripUnderThrowAwayKey)
{
    const char* key = "Software\\KstTestHarness\\RoundTrip";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &h, nullptr));
    const std::string text = "Grüße\\1";
    const DWORD word = 0xDEADBEEF;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(h, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Word", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&word), sizeof word));

    char buffer[64] = {};
    DWORD type = 0, size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(h, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(text, buffer);
    DWORD readWord = 0;
    size = sizeof readWord;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(h, "Word", nullptr, &type,
                                              reinterpret_cast<BYTE*>(&readWord), &size));
    EXPECT_EQ(word, readWord);
    RegCloseKey(h);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KstTestHarness"));
}

TEST(TestPrefix, UnmanagedWindowsAndArialReplacement)
{
    char value[8] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver",
                                          "Managed", RRF_RT_REG_SZ, nullptr, value, &size));
    EXPECT_STREQ("N", value);

    // Text metrics must come from a scalable face (the replacement), not a bitmap fallback.
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
    EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_EQ(11, metrics.tmHeight - metrics.tmInternalLeading);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST(TestPrefix, VersionResourceIsLinked)
{
    HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    EXPECT_NE(nullptr, info);
}

}  // namespace
