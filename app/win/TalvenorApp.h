#pragma once
// The application object: takes the program from its command line to the shown main window,
// keeps the user's options, shows every message box of the program, associates file
// extensions with it, and carries out the menu's option, language, pane and help commands.
//
// It makes the document, the main frame and the main view through the document template and
// hands each its options and message boxes; it reaches them through the framework (the
// template's document, the main window and its active view), never the other way round.
#include <windows.h>

#include <memory>

#include "app/AppSettings.h"
#include "app/CommandLine.h"
#include "app/win/AppOptions.h"
#include "app/win/MessageSink.h"
#include "elements/win/ElementCurveDialogs.h"
#include "framework/App.h"
#include "panels/win/OptionsDlg.h"

class CMainFrame;
class CTalvenorDoc;
class CTalvenorView;
struct KstPaneToggle;

class CTalvenorApp : public CWinApp, public IKSTMessageSink, public IKSTAssociationHost {
    DECLARE_MESSAGE_MAP()

public:
    CTalvenorApp();
    ~CTalvenorApp() override;

    BOOL InitInstance() override;

    // The one document, frame and view; null before the framework made them or after they
    // ended.
    CTalvenorDoc* GetDocument() const;
    CMainFrame* GetFrame() const;
    CTalvenorView* GetView() const;

    CKSTAppOptions& Options() { return m_options; }
    KstAppSettings& Settings() { return m_options.Settings(); }
    // The data sources of the command line's EM1 and VEMTA keywords.
    bool HasPipeSource() const { return m_bPipeSource; }
    bool HasSerialBusSource() const { return m_bSerialBusSource; }

    // ---- Message boxes (IKSTMessageSink) ------------------------------------------------
    // Caption string 4006 of the language; owned by the main frame once it exists.
    int MessageBoxText(const char* text, UINT flags) override;
    int MessageBoxId(int id, UINT flags) override;
    int ShowErrorCode(int code, bool askReconnect) override;
    int ShowFileError(int code) override;
    bool IsEnglish() const override { return m_options.IsEnglish(); }

    // ---- File associations (IKSTAssociationHost) -----------------------------------------
    void RegisterFileType(const char* progId, const char* extension, bool wanted,
                          uint8_t& flag) override;
    uint8_t* GetAssociationFlags() override { return Settings().associations; }
    void SaveAssociationFlags() override { m_options.SaveAssociationFlags(); }
    bool UsesRegistry() const override { return m_options.UsesRegistry(); }

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

    // ---- Language and panes (AppMenu.cpp) -------------------------------------------------
    // The language of menus, status bar and messages from now on (0 German, 1 English).
    void SetLanguage(int language);
    // Shows or hides a pane of the record window and lays the view out again.
    void SetPaneShown(const KstPaneToggle& toggle, bool shown);

    // Writes the help file of the language into the temporary folder; its path.
    CKSTString WriteHelpFile();

    // ---- Recent lists -------------------------------------------------------------------
    CKSTString GetSettingsFile(int n) const;
    int GetSettingsFileCount() const;
    void RemoveSettingsFile(int n);
    CKSTString GetRecentSource(int n) const;
    int GetRecentSourceCount() const;
    void PromoteRecentSource(const CKSTString& text);

protected:
    void OnAppAbout();
    void OnFilePrintSetup();
    void OnFileTypes();
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
    void RebuildMenu();
    bool ReadSettingsFile(const CKSTString& path, bool all);
    int ShowBox(const char* text, UINT flags, UINT textId);

    CKSTAppOptions m_options;
    bool m_bPipeSource = false;       // EM1
    bool m_bSerialBusSource = false;  // VEMTA
    // The printer chosen in the print setup, kept for the next one (owned).
    HGLOBAL m_hDevMode = nullptr;
    HGLOBAL m_hDevNames = nullptr;
    // The dialogs curve windows borrow from the display elements, installed at start.
    std::unique_ptr<CKSTElementCurveDialogs> m_curveDialogs;
};

// The long form of a path; a name without one (a file that does not exist) stays as given.
CKSTString KstLongPathName(const CKSTString& path);
