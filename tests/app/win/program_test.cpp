// The program itself, started as its own process and driven only through its windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "acquisition/DemoNode.h"
#include "data/DataSet.h"
#include "data/DocFile.h"
#include "foundation/win/RegistryTree.h"
#include "framework/framework_test_support.h"
#include "resources/ResourceIds.h"

namespace kst_test {
namespace {

constexpr char kMainTitle[] = "Talvenor - Vizuve 2.49";
constexpr char kRoot[] = "Software\\Kestro\\Talvenor";

struct WindowSearch {
    DWORD process;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindInProcess(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    if (process == search->process && IsWindowVisible(window) &&
        std::string(title) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override { ForgetProgramState(); }
    void TearDown() override
    {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 1);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        ForgetProgramState();
    }

    static void ForgetProgramState()
    {
        for (const char* key : {"Association", "Associations", "VadudeDuzavu", "Options",
                                "Recent File List"}) {
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kRoot) + "\\" + key).c_str());
        }
    }

    static void SetText(const char* subkey, const char* name, const std::string& value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kRoot) + "\\" + subkey).c_str(),
                                  0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }

    static std::string GetText(const char* subkey, const char* name)
    {
        char data[256] = {};
        DWORD size = sizeof data;
        if (RegGetValueA(HKEY_CURRENT_USER, (std::string(kRoot) + "\\" + subkey).c_str(), name,
                         RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
            return "<absent>";
        }
        return data;
    }

    // The state after a first start of today: no dialog waits at start-up.
    static void SeedStartedToday()
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        SetText("Association", "RazOridid", "1");
        SetText("VadudeDuzavu\\SplashDate", "Day", std::to_string(now.wDay));
        SetText("VadudeDuzavu\\SplashDate", "Month", std::to_string(now.wMonth));
        SetText("VadudeDuzavu\\SplashDate", "Year", std::to_string(now.wYear));
    }

    bool Launch(const std::string& arguments)
    {
        std::string line = std::string("\"") + KST_PROGRAM_PATH + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &m_process) != FALSE;
    }

    HWND WaitForWindow(const char* title, DWORD limitMs = 3 * kGuardMs)
    {
        const ULONGLONG deadline = GetTickCount64() + limitMs;
        while (GetTickCount64() < deadline) {
            WindowSearch search{m_process.dwProcessId, title, nullptr};
            EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                return search.found;
            }
            if (WaitForSingleObject(m_process.hProcess, 50) == WAIT_OBJECT_0) {
                return nullptr;  // ended before showing it
            }
        }
        return nullptr;
    }

    // Closes the main window like a user and returns the exit code, or -1 when it stays.
    int CloseAndWait(HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.hProcess, 3 * kGuardMs) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        return static_cast<int>(code);
    }

    PROCESS_INFORMATION m_process{};
};

TEST_F(Program, StartsWithNoregAndCloses)
{
    ASSERT_TRUE(Launch("/noreg"));
    HWND main = WaitForWindow(kMainTitle);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(GetMenu(main), nullptr);
    EXPECT_EQ(CloseAndWait(main), 0);
    // Nothing was written.
    EXPECT_EQ(GetText("Association", "RazOridid"), "<absent>");
    EXPECT_EQ(GetText("Options\\SETTINGS", "Language"), "<absent>");
}

TEST_F(Program, StartsAfterAFirstStartAndSavesItsSettings)
{
    SeedStartedToday();
    ASSERT_TRUE(Launch(""));
    HWND main = WaitForWindow(kMainTitle);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CloseAndWait(main), 0);
    EXPECT_EQ(GetText("Options\\SETTINGS", "Language"), "Deutsch");
}

TEST_F(Program, FirstStartDialogsAnsweredThroughTheirWindows)
{
    ASSERT_TRUE(Launch(""));
    // The first start speaks German.
    HWND fileTypes = WaitForWindow("Dateitypen");
    ASSERT_NE(fileTypes, nullptr);
    HWND bbl = GetDlgItem(fileTypes, IDC_FILETYPES_BBL);
    ASSERT_NE(bbl, nullptr);
    char label[64] = {};
    GetWindowTextA(bbl, label, sizeof label);
    EXPECT_STREQ(label, ".bbl Dateien");
    SendMessageA(bbl, BM_CLICK, 0, 0);
    PostMessageA(fileTypes, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileTypes, IDOK)));
    // The splash of the day ends itself, then the main window shows.
    HWND main = WaitForWindow(kMainTitle);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CloseAndWait(main), 0);
    EXPECT_EQ(GetText("Association", "RazOridid"), "1");
    EXPECT_EQ(GetText("Associations", "BBL"), "1");
    EXPECT_EQ(GetText("Associations", "CSV"), "0");
    UnregisterFileType("bbl");
}

TEST_F(Program, DemoStreamRecordsUntilStoppedAndTheRecordingReopens)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string recording = std::string(temp) + "kst-demo-stream.qld";
    DeleteFileA(recording.c_str());
    SeedStartedToday();
    ASSERT_TRUE(Launch("\"" + recording + "\" /noreg /ONLQVANE 255.255.255.255"));
    HWND main = WaitForWindow(kMainTitle);
    ASSERT_NE(main, nullptr);

    // The recording is written when the stream starts and grows with the first tick.
    auto size = [&]() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExA(recording.c_str(), GetFileExInfoStandard, &data)
                   ? static_cast<long long>(data.nFileSizeLow)
                   : -1LL;
    };
    ULONGLONG deadline = GetTickCount64() + 3 * kGuardMs;
    long long created = -1;
    while ((created = size()) <= 0 && GetTickCount64() < deadline) {
        Sleep(50);
    }
    ASSERT_GT(created, 0);
    while (size() == created && GetTickCount64() < deadline) {
        Sleep(50);
    }
    EXPECT_GT(size(), created);

    // Stop Live-Stream: the recording becomes the document, named in the title.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_ONLINE_STOP, 0), 0);
    EXPECT_NE(WaitForWindow("kst-demo-stream.qld - Talvenor - Vizuve 2.49"), nullptr);
    EXPECT_EQ(CloseAndWait(main), 0);

    CKSTDocFile file;
    ASSERT_EQ(file.OpenRead(recording.c_str()), 0);
    CKSTDataSet data;
    EXPECT_EQ(file.ReadDataSet(data, nullptr, nullptr), KST_OK);
    EXPECT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(data.GetChannels().GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const CKSTChannel& channel = *data.GetChannels().GetAt(i);
        EXPECT_STREQ(channel.GetName().c_str(), kst_node::kDemoFifoNames[i]);
        EXPECT_GT(channel.GetCount(), 0u);
    }
    DeleteFileA(recording.c_str());
}

}  // namespace
}  // namespace kst_test
