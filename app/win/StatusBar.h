#pragma once
// The main frame's status bar. Its message pane receives message numbers instead of texts
// (every command prompt in the string table is a number) and shows the message of that number
// in the current language, so a language switch changes the visible message at once. Panes
// whose text starts with a colour pair ("WHITE|RED|...") are drawn in those colours.
#include <windows.h>

#include <cstdint>

#include "framework/StatusBar.h"

class CKSTStatusBar : public CStatusBar {
    DECLARE_MESSAGE_MAP()

public:
    CKSTStatusBar();

    // 0 German, otherwise English; shows the current message again in that language.
    void SetLanguage(uint16_t language);
    uint16_t GetLanguage() const { return m_language; }
    // The id of message 1; the message of number n is string base + n - 1.
    void SetStringBase(int base) { m_nStringBase = base; }
    int GetMessageNumber() const { return m_nMessage; }

    void DrawItem(LPDRAWITEMSTRUCT draw) override;

protected:
    // WM_SETTEXT: lParam is a prompt; 0 when the message pane took its text, -1 otherwise.
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

private:
    int ShowMessage();

    uint16_t m_language;
    int m_nStringBase = 0;
    int m_nMessage = 0;
};
