#include "app/win/AppOptions.h"

#include <windows.h>

#include "foundation/win/RegistryTree.h"
#include "foundation/win/StringLoader.h"

namespace {

bool IsExistingFile(const CKSTString& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CKSTAppOptions::Load()
{
    KstSettingsTrees trees;
    if (m_useRegistry) {
        trees.settingsOpened =
            RegLoadTree(HKEY_CURRENT_USER, RegistryKey(kKstSettingsKey), trees.settings) == 0;
        trees.asciiOpened =
            RegLoadTree(HKEY_CURRENT_USER, RegistryKey(kKstAsciiKey), trees.ascii) == 0;
        trees.fftOpened = RegLoadTree(HKEY_CURRENT_USER, RegistryKey(kKstFftKey), trees.fft) == 0;
        trees.associationsOpened = RegLoadTree(HKEY_CURRENT_USER, RegistryKey(kKstAssociationsKey),
                                               trees.associations) == 0;
    }
    KstSettingsEnvironment environment;
    environment.useRegistry = m_useRegistry;
    environment.userIsEnglish = IsEnglishUser();
    environment.isExistingFile = IsExistingFile;
    KstLoadSettings(trees, environment, m_settings);
}

void CKSTAppOptions::Save() const
{
    if (!m_useRegistry) {
        return;
    }
    KstSettingsTrees trees;
    KstSaveSettings(m_settings, trees);
    RegSaveTree(HKEY_CURRENT_USER, RegistryKey(kKstAsciiKey), trees.ascii);
    RegSaveTree(HKEY_CURRENT_USER, RegistryKey(kKstFftKey), trees.fft);
    RegSaveTree(HKEY_CURRENT_USER, RegistryKey(kKstSettingsKey), trees.settings);
}

void CKSTAppOptions::LoadAssociationFlags()
{
    CKSTHeaderInfoList tree;
    if (m_useRegistry &&
        RegLoadTree(HKEY_CURRENT_USER, RegistryKey(kKstAssociationsKey), tree) == 0) {
        KstLoadAssociationFlags(tree, m_settings.associations);
    }
}

void CKSTAppOptions::SaveAssociationFlags() const
{
    if (!m_useRegistry) {
        return;
    }
    CKSTHeaderInfoList tree;
    KstSaveAssociationFlags(m_settings.associations, tree);
    RegSaveTree(HKEY_CURRENT_USER, RegistryKey(kKstAssociationsKey), tree);
}
