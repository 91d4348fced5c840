#pragma once
// The application object of the program on a registry root of its own, with every modal dialog
// and message box scripted.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/win/TalvenorApp.h"
#include "framework/framework_test_support.h"
#include "support/win/DialogScript.h"

namespace kst_test {

// Registry root of the tests below HKEY_CURRENT_USER; emptied before and after each test.
constexpr char kAppTestRoot[] = "Software\\Kestro\\TalvenorAppTests\\";

struct ShownBox {
    std::string text;
    std::string caption;
    UINT type;
    UINT textId;
    bool owned;
};

class AppTest : public FrameworkTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh application object on the test root with the given command line.
    CTalvenorApp& NewApp(const char* commandLine = "");
    // Runs InitInstance; the modal runs it met are in `m_dialogs`.
    bool Start(const char* commandLine);
    // Ends the current application object and its windows.
    void EndApp();

    // Answers every message box with `m_boxAnswer` and records it.
    void RecordBoxes();
    // Ends the splash and the file-types dialog at once (Cancel) and records their ids.
    void AnswerStartDialogs();

    // Runs each modal dialog by the next script queued for its template in `m_scripts` (Cancel
    // when none is left) and records it in `m_dialogs`.
    void RunDialogScripts();
    // The next open or save dialog chooses `path` (empty: Cancel) with the filter (0: as
    // preset) and records how it was set up.
    void ChooseFile(const CKSTString& path, int filterIndex = 0);

    static bool KeyExists(const std::string& subkey);
    static std::string ReadText(const std::string& subkey, const char* value, DWORD* type = nullptr);

    std::unique_ptr<CTalvenorApp> m_app;
    std::string m_commandLine;
    std::vector<ShownBox> m_boxes;
    std::vector<UINT> m_dialogs;
    int m_boxAnswer = IDOK;
    std::map<UINT, std::vector<CKSTDialogScript>> m_scripts;
    std::string m_fileDialogTitle;
    std::string m_fileDialogInitial;
    DWORD m_fileDialogFilter = 0;
    DWORD m_fileDialogFlags = 0;
    int m_fileDialogs = 0;
};

}  // namespace kst_test
