#pragma once
// The application object: takes the program from its command line to the shown main window,
// keeps the user's options in the registry, shows every message box of the program,
// associates file extensions with it, and carries out the menu's file, option, language, pane
// and help commands.
#include <windows.h>

#include <memory>
#include <vector>

#include "app/AppSettings.h"
#include "app/CommandLine.h"
#include "data/settings/CurveWndSettings.h"
#include "framework/App.h"
#include "panels/win/OptionsDlg.h"

class CMainFrame;
class CTalvenorDoc;
class CTalvenorView;
struct KstPaneToggle;

class CTalvenorApp : public CWinApp, public KstAssociationHost {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorApp();
    ~CTalvenorApp() override;

    BOOL InitApplication() override;
    BOOL InitInstance() override;

    // The one document, frame and view, set when the framework made them.
    CTalvenorDoc* m_pDocument = nullptr;
    CMainFrame* m_pFrame = nullptr;
    CTalvenorView* m_pView = nullptr;

    // The key below HKEY_CURRENT_USER that holds every key of the program, ending in "\".
    CKSTString m_strRegistryRoot = "Software\\Kestro\\Talvenor\\";
    // Cleared by "/noreg" or "/NOREG" anywhere in the command line (case as written).
    bool m_bUseRegistry = true;
    KstAppSettings m_settings;
    CKSTCurveWndSettings m_startSettings;
    // Window settings with markers (SETTINGSALL) waiting for the next file opened; that open
    // takes them over.
    std::unique_ptr<CKSTCurveWndSettings> m_pAllSettings;
    bool m_bLiveDataModified = false;
    // The file shown: the document's file once it was read; empty for a new document.
    CKSTString m_strCurrentPath;
    bool m_bPipeSource = false;       // EM1
    bool m_bSerialBusSource = false;  // VEMTA

    // ---- Settings in the registry -------------------------------------------------------
    void LoadSettings();
    void SaveSettings();
    void LoadAssociationFlags();
    void SaveAssociationFlags() override;

    // ---- Message boxes ------------------------------------------------------------------
    // Caption string 4006 of the language; owned by the main frame once it exists.
    int MessageBoxText(const char* text, UINT flags);
    int MessageBoxId(int id, UINT flags);
    // 0 when nothing was shown, -1 after a plain message, else the button (IDYES, IDNO).
    int ShowErrorCode(int code, bool askReconnect);
    // -1 after an error message, 0 for a notice and for codes without a message.
    int ShowFileError(int code);

    // ---- File associations --------------------------------------------------------------
    void RegisterFileType(const char* progId, const char* extension, bool wanted,
                          uint8_t& flag) override;
    uint8_t* GetAssociationFlags() override { return m_settings.associations; }
    bool UsesRegistry() const override { return m_bUseRegistry; }
    bool IsEnglish() const override { return m_settings.language == 1; }

    // ---- Start-up steps -----------------------------------------------------------------
    // Once per user: the file-types dialog on the first start (registry in use only).
    void OfferAssociations();
    // The splash unless it was shown today (the day is kept in the registry when in use).
    void ShowSplashIfDue();
    // Opens the first of the names (sorted) and appends the others.
    void OpenFilesFromText(const CKSTString& text);
    // Carries out the program's own keywords of the command line.
    void RunCommandLineKeywords(const CKSTString& commandLine);
    void LoadStartDisplaySettings();

    // ---- Menu, language and panes (AppMenu.cpp) -------------------------------------------
    // Rebuilds the main menu in the language (0 German, 1 English) with the panes' check marks.
    void RebuildMenu(int language);
    // The language of menus, status bar and messages from now on.
    void SetLanguage(int language);
    // Shows or hides a pane of the record window and lays the view out again.
    void SetPaneShown(const KstPaneToggle& toggle, bool shown);

    // Writes the help file of the language into the temporary folder; its path.
    CKSTString WriteHelpFile();

    // ---- Recent lists -------------------------------------------------------------------
    CKSTString GetSettingsFile(int n) const;
    int GetSettingsFileCount() const { return static_cast<int>(m_settings.settingsFiles.size()); }
    void RemoveSettingsFile(int n);
    CKSTString GetRecentSource(int n) const;
    int GetRecentSourceCount() const { return static_cast<int>(m_settings.recentSources.size()); }
    void ClearRecentSources() { m_settings.recentSources.clear(); }
    void AddRecentSource(const CKSTString& text) { m_settings.recentSources.push_back(text); }
    void PromoteRecentSource(const CKSTString& text)
    {
        KstPromoteRecentSource(m_settings.recentSources, text);
    }

    void SetLiveDataModified() { m_bLiveDataModified = true; }
    bool IsLiveDataModified() const { return m_bLiveDataModified; }
    void ClearLiveDataModified() { m_bLiveDataModified = false; }

    // The key of the program's registry below HKEY_CURRENT_USER for a subkey.
    CKSTString RegistryKey(const char* subkey) const { return m_strRegistryRoot + subkey; }

protected:
    void OnAppAbout();
    void OnFilePrintSetup();
    void OnSettingsLanguage();
    void OnSettingsFft();
    void OnSettingsAsciiLoad();
    void OnSettingsAsciiSave();
    void OnMathInterpolation();
    void OnHelpIndex();
    void OnPaneToggle(UINT id);
    void OnShowProcess();
    void OnHideProcess();
    void OnNotAvailable();

private:
    // The printer chosen in the print setup, kept for the next one (owned).
    HGLOBAL m_hDevMode = nullptr;
    HGLOBAL m_hDevNames = nullptr;

    bool ReadSettingsFile(const CKSTString& path, bool all);
    int ShowBox(const char* text, UINT flags, UINT textId);
};

CTalvenorApp* KstTheApp();

// The long form of a path; a name without one (a file that does not exist) stays as given.
CKSTString KstLongPathName(const CKSTString& path);
