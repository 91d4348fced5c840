#pragma once
// The user's options with the place they are kept: the settings record, the curve-window
// settings that new documents and live data start with, and the program's registry key. The
// application owns it; the document, the main view and the main frame are given it when the
// framework makes them.
#include "app/AppSettings.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/String.h"

class CKSTAppOptions {
public:
    KstAppSettings& Settings() { return m_settings; }
    const KstAppSettings& Settings() const { return m_settings; }
    CKSTCurveWndSettings& StartSettings() { return m_startSettings; }
    const CKSTCurveWndSettings& StartSettings() const { return m_startSettings; }
    bool IsEnglish() const { return m_settings.language == 1; }

    // The key below HKEY_CURRENT_USER that holds every key of the program, ending in "\".
    void SetRegistryRoot(const CKSTString& root) { m_registryRoot = root; }
    const CKSTString& GetRegistryRoot() const { return m_registryRoot; }
    // Off with "/noreg": nothing is read from or written to the registry.
    void SetUseRegistry(bool use) { m_useRegistry = use; }
    bool UsesRegistry() const { return m_useRegistry; }
    // The program's key for a subkey, below HKEY_CURRENT_USER.
    CKSTString RegistryKey(const char* subkey) const { return m_registryRoot + subkey; }

    // The settings trees into the record; without the registry the defaults apply.
    void Load();
    void Save() const;
    void LoadAssociationFlags();
    void SaveAssociationFlags() const;

private:
    KstAppSettings m_settings;
    CKSTCurveWndSettings m_startSettings;
    CKSTString m_registryRoot = "Software\\Kestro\\Talvenor\\";
    bool m_useRegistry = true;
};
