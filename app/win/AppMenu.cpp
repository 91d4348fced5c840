// The application's language switch and the pane switches of the View menu.
#include "app/MainMenu.h"
#include "app/win/MainFrame.h"
#include "app/win/TalvenorApp.h"
#include "app/win/TalvenorView.h"
#include "panels/win/SmallDialogs.h"
#include "resources/ResourceIds.h"

void CTalvenorApp::SetLanguage(int language)
{
    Settings().language = language == 1 ? 1 : 0;
    if (CMainFrame* frame = GetFrame()) {
        frame->RebuildMenu();
        frame->SetLanguage(static_cast<uint16_t>(Settings().language));
    }
}

void CTalvenorApp::SetPaneShown(const KstPaneToggle& toggle, bool shown)
{
    Settings().*toggle.flag = shown ? 1 : 0;
    CTalvenorView* view = GetView();
    if (view) {
        CKSTRecordWnd& record = view->GetRecordWnd();
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
    RebuildMenu();
    if (view && view->m_hWnd) {
        RECT client;
        view->GetClientRect(&client);
        view->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
}

void CTalvenorApp::OnPaneToggle(UINT id)
{
    if (const KstPaneToggle* toggle = KstFindPaneToggle(id)) {
        SetPaneShown(*toggle, Settings().*toggle->flag == 0);
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
    uint32_t language = static_cast<uint32_t>(Settings().language);
    CKSTLanguageDialog dialog(&language, m_pMainWnd);
    dialog.DoModal();
    SetLanguage(static_cast<int>(language));
}
