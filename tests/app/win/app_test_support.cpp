#include "app_test_support.h"

#include "resources/ResourceIds.h"

namespace kst_test {

namespace {

void DeleteTestRoot()
{
    std::string root(kAppTestRoot);
    root.pop_back();
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
}

}  // namespace

void AppTest::SetUp()
{
    FrameworkTest::SetUp();
    DeleteTestRoot();
}

void AppTest::TearDown()
{
    EndApp();
    DeleteTestRoot();
    FrameworkTest::TearDown();
}

CTalvenorApp& AppTest::NewApp(const char* commandLine)
{
    EndApp();
    m_app = std::make_unique<CTalvenorApp>();
    m_app->Options().SetRegistryRoot(kAppTestRoot);
    m_commandLine = commandLine;
    m_app->SetCommandLine(m_commandLine.c_str());
    return *m_app;
}

bool AppTest::Start(const char* commandLine)
{
    NewApp(commandLine);
    return m_app->InitInstance() != FALSE;
}

void AppTest::EndApp()
{
    m_app.reset();
    // The main frame's end posts WM_QUIT; it must not end the next loops.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void AppTest::RecordBoxes()
{
    KstSeams().messageBox = [this](const KstMessageBoxCall& call) {
        m_boxes.push_back({call.text.c_str(), call.caption.c_str(), call.type, call.textId,
                           call.owner != nullptr});
        return m_boxAnswer;
    };
}

void AppTest::AnswerStartDialogs()
{
    KstSeams().modalDriver = [this](KstModalRun& run) {
        m_dialogs.push_back(run.templateId);
        return run.templateId == IDD_SPLASH ? 0 : IDCANCEL;
    };
}

void AppTest::RunDialogScripts()
{
    KstSeams().modalDriver = [this](KstModalRun& run) {
        m_dialogs.push_back(run.templateId);
        auto script = m_scripts.find(run.templateId);
        if (script == m_scripts.end() || script->second.empty()) {
            return IDCANCEL;
        }
        CKSTDialogScript next = script->second.front();
        script->second.erase(script->second.begin());
        return next(run);
    };
}

void AppTest::ChooseFile(const CKSTString& path, int filterIndex)
{
    auto choose = [this, path, filterIndex](OPENFILENAMEA& ofn, DWORD& error) {
        error = 0;
        m_fileDialogTitle = ofn.lpstrTitle ? ofn.lpstrTitle : "";
        m_fileDialogFilter = ofn.nFilterIndex;
        m_fileDialogInitial = ofn.lpstrFile;
        m_fileDialogFlags = ofn.Flags;
        ++m_fileDialogs;
        if (path.IsEmpty()) {
            return FALSE;
        }
        lstrcpynA(ofn.lpstrFile, path.c_str(), static_cast<int>(ofn.nMaxFile));
        if (filterIndex > 0) {
            ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
        }
        return TRUE;
    };
    KstSeams().getOpenFileName = choose;
    KstSeams().getSaveFileName = choose;
}

bool AppTest::KeyExists(const std::string& subkey)
{
    HKEY key = nullptr;
    std::string path = std::string(kAppTestRoot) + subkey;
    if (subkey.empty()) {
        path.pop_back();
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::string AppTest::ReadText(const std::string& subkey, const char* value, DWORD* type)
{
    const std::string path = std::string(kAppTestRoot) + subkey;
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD storedType = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), value, RRF_RT_ANY, &storedType, data,
                     &size) != ERROR_SUCCESS) {
        return "<absent>";
    }
    if (type) {
        *type = storedType;
    }
    return std::string(data, storedType == REG_SZ && size > 0 ? size - 1 : size);
}

}  // namespace kst_test
