// The application's menu in the current language, the language switch and the pane switches
// of the View menu.
#include "app/MainMenu.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorView.h"
#include "foundation/win/StringLoader.h"
#include "framework/Menu.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"

namespace {

// The popup of the menu bar that holds `command`, by position; -1 when none does.
int PopupHolding(HMENU bar, UINT command)
{
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(bar, i);
        if (popup && GetMenuState(popup, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            return i;
        }
    }
    return -1;
}

// Removes the command from its popup together with the separator right before it.
void RemoveWithSeparatorBefore(HMENU bar, UINT command)
{
    const int popupIndex = PopupHolding(bar, command);
    if (popupIndex < 0) {
        return;
    }
    HMENU popup = GetSubMenu(bar, popupIndex);
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(popup, i) != command) {
            continue;
        }
        RemoveMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
        if (i > 0 &&
            (GetMenuState(popup, static_cast<UINT>(i - 1), MF_BYPOSITION) & MF_SEPARATOR)) {
            RemoveMenu(popup, static_cast<UINT>(i - 1), MF_BYPOSITION);
        }
        return;
    }
}

}  // namespace

void CTalvenorApp::RebuildMenu(int language)
{
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    if (!frame) {
        return;
    }
    const bool english = language == 1;
    CMenu menu;
    if (!menu.LoadMenu(IDR_MAINFRAME)) {
        return;
    }
    HMENU bar = menu.GetSafeHmenu();

    const KstHiddenMenuEntries hidden = KstHiddenMenuItems();
    if (const int popup = PopupHolding(bar, hidden.popupOfCommand); popup >= 0) {
        DeleteMenu(bar, static_cast<UINT>(popup), MF_BYPOSITION);
    }
    RemoveWithSeparatorBefore(bar, hidden.commandWithSeparator);
    DeleteMenu(bar, hidden.command, MF_BYCOMMAND);

    for (const KstMenuPopupText& text : KstMenuPopupTexts()) {
        HMENU owner = text.position < 0 ? bar : GetSubMenu(bar, text.popup);
        const int position = text.position < 0 ? text.popup : text.position;
        if (owner) {
            SetMenuItemTextById(owner, static_cast<UINT>(position), text.textId, english,
                                MFT_STRING, true);
        }
    }
    for (const KstMenuItemText& text : KstMenuItemTexts()) {
        SetMenuItemTextById(bar, text.commandId, text.textId, english);
    }
    for (const KstPaneToggle& toggle : KstPaneToggles()) {
        const bool shown = m_settings.*toggle.flag != 0;
        if (toggle.checkMark) {
            CheckMenuItem(bar, toggle.commandId,
                          MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
        } else {
            SetMenuItemTextById(bar, toggle.commandId, KstProcessWindowTextId(shown), english);
        }
    }
    if (frame->ReplaceMenu(menu)) {
        DrawMenuBar(frame->m_hWnd);
    }
}

void CTalvenorApp::SetLanguage(int language)
{
    m_settings.language = language == 1 ? 1 : 0;
    RebuildMenu(m_settings.language);
    if (m_pFrame) {
        m_pFrame->SetLanguage(static_cast<uint16_t>(m_settings.language));
    }
}

void CTalvenorApp::SetPaneShown(const KstPaneToggle& toggle, bool shown)
{
    m_settings.*toggle.flag = shown ? 1 : 0;
    if (m_pView) {
        CKSTRecordWnd& record = m_pView->GetRecordWnd();
        const struct {
            uint8_t KstAppSettings::*flag;
            void (CKSTRecordWnd::*show)(bool);
        } switches[] = {
            {&KstAppSettings::showTitle, &CKSTRecordWnd::ShowTitle},
            {&KstAppSettings::showChannelTree, &CKSTRecordWnd::ShowChannelList},
            {&KstAppSettings::showValues, &CKSTRecordWnd::ShowValueList},
            {&KstAppSettings::showSpectra, &CKSTRecordWnd::ShowSpectra},
            {&KstAppSettings::showVariables, &CKSTRecordWnd::ShowVariables},
            {&KstAppSettings::showComment, &CKSTRecordWnd::ShowComment},
            {&KstAppSettings::showProcess, &CKSTRecordWnd::ShowProcessWindow},
        };
        for (const auto& pane : switches) {
            if (pane.flag == toggle.flag) {
                (record.*pane.show)(shown);
            }
        }
    }
    RebuildMenu(m_settings.language);
    if (m_pView && m_pView->m_hWnd) {
        RECT client;
        m_pView->GetClientRect(&client);
        m_pView->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
}

void CTalvenorApp::OnPaneToggle(UINT id)
{
    if (const KstPaneToggle* toggle = KstFindPaneToggle(id)) {
        SetPaneShown(*toggle, m_settings.*toggle->flag == 0);
    }
}

void CTalvenorApp::OnShowProcess()
{
    SetPaneShown(*KstFindPaneToggle(ID_VIEW_PROCESS), true);
}

void CTalvenorApp::OnHideProcess()
{
    SetPaneShown(*KstFindPaneToggle(ID_VIEW_PROCESS), false);
}

void CTalvenorApp::OnSettingsLanguage()
{
    uint32_t language = static_cast<uint32_t>(m_settings.language);
    CKSTLanguageDialog dialog(&language, m_pMainWnd);
    dialog.DoModal();
    SetLanguage(static_cast<int>(language));
}
