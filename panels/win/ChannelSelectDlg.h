#pragma once
// Channel selection: the user ticks the channels of a list that an operation is to use (the
// channels of a selective open, for example). The caller presets the channels' selected flags,
// runs the dialog and reads the flags afterwards; OK is what counts. Named selections are kept
// in selection files (*.qls), the ten most recently used listed in the registry.
#include <windows.h>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "panels/ChannelSelection.h"
#include "panels/win/StructTreeDlg.h"
#include "resources/ResourceIds.h"

class CKSTChannelList;

class CKSTChannelSelectDlg : public CDialog {
    DECLARE_MESSAGE_MAP()

public:
    enum { IDD = IDD_CHANNEL_SELECT };
    static constexpr int kMinWidth = 300;
    static constexpr int kMinHeight = 200;

    explicit CKSTChannelSelectDlg(CWnd* parent = nullptr);

    // 0 German, 1 English.
    void SetLanguage(int language) { m_language = language; }
    // The channels whose selected flags the dialog changes; the caller's, set before the run.
    // On Cancel the flags keep what the user did: the caller decides by the result.
    void SetChannelList(CKSTChannelList* channels) { m_channels = channels; }
    // With false the recent list is neither read from nor written to the registry.
    void SetUseRegistry(bool use) { m_useRegistry = use ? 1 : 0; }
    // The key below HKEY_CURRENT_USER that holds the recent list.
    void SetRegistryKey(const CKSTString& key) { m_registryKey = key; }
    const CKSTRecentSelections& GetRecent() const { return m_recent; }

    int m_bSelectAll = 0;
    CKSTString m_strRecentLabel;
    int m_nRecentIndex = -1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnSize(UINT type, int width, int height);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnSelectAll();
    void OnSaveSelection();
    void OnBrowse();
    void OnRecentChanged();

private:
    CKSTString Text(int id) const;
    void LoadRecent();
    void SaveRecent();
    void FillRecent();
    void ApplyFile(int index);
    // The path becomes the most recent one, the combo shows it first and the file applies.
    void TakeFile(const CKSTString& path);
    void UpdateSelectAll();

    CButton m_placeholder;
    int m_language;
    RECT m_lastClient{0, 0, 0, 0};
    CKSTStructTreeDlg m_panel;
    CKSTChannelList* m_channels = nullptr;
    int m_useRegistry = 1;
    CKSTString m_registryKey;
    CKSTRecentSelections m_recent;
    CComboBox m_combo;
};
