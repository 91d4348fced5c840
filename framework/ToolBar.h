#pragma once
// The toolbar: buttons from a toolbar resource (button size and command ids, 0 for a
// separator) with their images from the bitmap of the same id, one image per button side by
// side. Button states come from update-UI on idle; clicks go to the frame as commands; with
// CBRS_FLYBY the button under the mouse shows its prompt in the status bar.
#include <windows.h>

#include <commctrl.h>

#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"

class CToolBar : public CControlBar {
    DECLARE_MESSAGE_MAP()

public:
    CToolBar() = default;
    ~CToolBar() override;

    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT,
                  DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);

    // FALSE when the resource or its bitmap is missing or malformed; the bar is then unchanged.
    BOOL LoadToolBar(UINT resourceId);
    // Replaces the buttons; images are numbered in order over the ids that are not separators.
    BOOL SetButtons(const UINT* ids, int count);

    int GetCount() const;
    UINT GetItemID(int index) const;

    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

protected:
    int CalcHeight(int width) override;
    void OnHotItemChange(NMHDR* header, LRESULT* result);

private:
    HBITMAP m_bitmap = nullptr;  // the images, owned while the bar shows them
};
