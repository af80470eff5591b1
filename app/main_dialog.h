// MainDialog: the program's only window, a modeless dialog from template 129.
#pragma once

#include <windows.h>

#include "framework/message_loop.h"
#include "framework/text.h"
#include "framework/window_binding.h"

class MainDialog : public WindowBinding, public MessageFilter, public IdleHandler {
public:
    MainDialog() = default;
    ~MainDialog() override;

    // Creates the window (not yet shown); null when the template cannot be loaded.
    HWND Create();
    HWND Window() const { return BoundWindow(); }

    bool PreTranslateMessage(MSG* msg) override;
    void OnIdle() override;

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    void OnInitDialog();
    bool OnCommand(int controlId);
    void OnExit();
};
