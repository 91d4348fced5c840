#pragma once
// What the main view asks of the frame around it: the status bar and the menu. The frame
// implements it; the view finds it as its parent frame.

class IKSTViewFrame {
public:
    virtual ~IKSTViewFrame() = default;

    // Rebuilds the lock, rate and memory panes from the document and the view.
    virtual void UpdateStatusBar() = 0;
    // Plain texts for the rate and memory panes (the view's cursor report).
    virtual void SetPaneTexts(const char* rateText, const char* memoryText) = 0;
    // The menu of the current language, as after a print preview that replaced it.
    virtual void RebuildMenu() = 0;
};
