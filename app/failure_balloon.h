// FailureBalloon: a balloon tip pointing at a button that tells the user why a download
// failed. Shown until the next press or for about ten seconds. Interface thread only.
#pragma once

#include <windows.h>

class FailureBalloon {
public:
    // The dialog's timer that takes the balloon away.
    static const UINT_PTR kTimerId = 0x5B01;

    // Creates the tooltip window, owned by the button's dialog (it goes with that window).
    void Create(HWND button);
    // Points the balloon at the button with a title and a text, replacing any shown.
    void Show(const char* title, const char* text);
    void Hide();

private:
    HWND m_hButton = nullptr;
    HWND m_hTip = nullptr;  // destroyed with its owner, the dialog
    bool m_shown = false;
};
