// The settings of the application object in the registry, in a throw-away root.
#include "app_test_support.h"

namespace kst_test {
namespace {

class AppRegistry : public AppTest {};

TEST_F(AppRegistry, FirstStartSecondStartAndNoreg)
{
    // First start: no key, the initial values.
    CTalvenorApp& first = NewApp();
    first.Options().Load();
    EXPECT_EQ(first.Settings().language, 0);
    EXPECT_EQ(first.Settings().interpolationFactor, 10);
    EXPECT_EQ(first.Settings().onlineInterpolation, 0);
    EXPECT_DOUBLE_EQ(first.Settings().triggerLevel, 0.0);
    EXPECT_EQ(first.Settings().settingsUsage, 1);
    first.Settings().dbPassword = "p\xe4ss";
    first.Settings().onlineBackView = -3600.0;
    first.Settings().recentSources = {"10.0.0.1"};
    first.Options().Save();

    // Stored types: flags one binary byte, integers DWORD, doubles and texts strings, the
    // password hidden (a zero byte first).
    DWORD type = 0;
    EXPECT_EQ(ReadText("Options\\SETTINGS", "Language", &type), "Deutsch");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadText("Options\\SETTINGS", "ShowTitle", &type), std::string("\x01", 1));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ReadText("Options\\SETTINGS", "OnlineIpolFactor", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadText("Options\\SETTINGS", "OnlineBackView", &type), "-3600");
    EXPECT_EQ(ReadText("Options\\SETTINGS", "OnlineBufferMode"), "NONE");
    EXPECT_EQ(ReadText("Options\\SETTINGS", "OnlineNode_10"), "");
    const std::string password = ReadText("Options\\SETTINGS", "DBPassword");
    ASSERT_FALSE(password.empty());
    EXPECT_EQ(password[0], '\0');
    EXPECT_EQ(password.find("p\xe4ss"), std::string::npos);
    EXPECT_EQ(ReadText("Options\\ASCIISAVE", "TimeChannel"), "A");
    EXPECT_EQ(ReadText("Options\\FFT", "Window"), "RECTANGLE");

    // Second start: the stored values and the registry's defaults.
    CTalvenorApp& second = NewApp();
    second.Options().Load();
    EXPECT_EQ(second.Settings().language, 0);
    EXPECT_EQ(second.Settings().interpolationFactor, 10);
    EXPECT_STREQ(second.Settings().dbPassword.c_str(), "p\xe4ss");
    EXPECT_DOUBLE_EQ(second.Settings().onlineBackView, -3600.0);
    ASSERT_EQ(second.GetRecentSourceCount(), 2);
    EXPECT_STREQ(second.GetRecentSource(0).c_str(), "10.0.0.1");
    EXPECT_TRUE(second.GetRecentSource(1).IsEmpty());
    EXPECT_TRUE(second.GetRecentSource(7).IsEmpty());

    // "/noreg": nothing read (the table's defaults) and nothing written.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Kestro\\TalvenorAppTests");
    CTalvenorApp& noreg = NewApp();
    noreg.Options().SetUseRegistry(false);
    noreg.Options().Load();
    EXPECT_EQ(noreg.Settings().interpolationFactor, 35);
    EXPECT_EQ(noreg.Settings().onlineInterpolation, 1);
    EXPECT_DOUBLE_EQ(noreg.Settings().triggerLevel, 0.5);
    EXPECT_EQ(noreg.Settings().settingsUsage, 1);
    noreg.Options().Save();
    noreg.SaveAssociationFlags();
    EXPECT_FALSE(KeyExists("Options"));
    EXPECT_FALSE(KeyExists("Associations"));
}

TEST_F(AppRegistry, LegacyValueNamesAndMissingSettingsFiles)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER,
                              (std::string(kAppTestRoot) + "Options\\ASCIISAVE").c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "LoadSeperator", 0, REG_SZ, reinterpret_cast<const BYTE*>("TAB"), 4);
    RegSetValueExA(key, "Seperator", 0, REG_SZ, reinterpret_cast<const BYTE*>(";"), 2);
    RegSetValueExA(key, "bMilliseconds", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(key);

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string kept = std::string(folder) + "kst_app_kept.qls";
    CloseHandle(CreateFileA(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER,
                              (std::string(kAppTestRoot) + "Options\\SETTINGS").c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string paths[] = {kept, "C:\\no\\such\\deleted.qls", folder};
    for (int i = 0; i < 3; ++i) {
        const std::string name = "SettingsPath_" + std::to_string(i + 1);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(paths[i].c_str()),
                       static_cast<DWORD>(paths[i].size() + 1));
    }
    RegCloseKey(key);

    CTalvenorApp& again = NewApp();
    again.Options().Load();
    EXPECT_EQ(again.Settings().textFormat.readSeparator, 2);
    EXPECT_EQ(again.Settings().textFormat.writeSeparator, 1);
    EXPECT_EQ(again.Settings().textFormat.timeDecimals, 3);
    // The deleted file and the folder are dropped; the next save forgets them.
    ASSERT_EQ(again.GetSettingsFileCount(), 1);
    EXPECT_STREQ(again.GetSettingsFile(0).c_str(), kept.c_str());
    again.Options().Save();
    EXPECT_EQ(ReadText("Options\\SETTINGS", "SettingsPath_2"), "");
    DeleteFileA(kept.c_str());
}

}  // namespace
}  // namespace kst_test
