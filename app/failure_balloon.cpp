#include "app/failure_balloon.h"

#include <commctrl.h>

#include "framework/module.h"

namespace {

const UINT kShownMs = 10000;
const UINT_PTR kToolId = 1;

TOOLINFOA ToolInfo(HWND dialog, const char* text)
{
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = dialog;
    tool.uId = kToolId;
    tool.hinst = Module::Instance();
    tool.lpszText = const_cast<char*>(text);
    return tool;
}

}  // namespace

void FailureBalloon::Create(HWND button)
{
    m_hButton = button;
    HWND dialog = GetParent(button);
    m_hTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                             nullptr, Module::Instance(), nullptr);
    if (!m_hTip)
        return;
    TOOLINFOA tool = ToolInfo(dialog, "");
    SendMessageA(m_hTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    // Long messages wrap at about the width of the dialog's lower buttons row.
    RECT width = {0, 0, 200, 0};
    MapDialogRect(dialog, &width);
    SendMessageA(m_hTip, TTM_SETMAXTIPWIDTH, 0, width.right);
}

void FailureBalloon::Show(const char* title, const char* text)
{
    if (!m_hTip)
        return;
    Hide();
    HWND dialog = GetParent(m_hButton);
    TOOLINFOA tool = ToolInfo(dialog, text);
    SendMessageA(m_hTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(m_hTip, TTM_SETTITLEA, TTI_ERROR, reinterpret_cast<LPARAM>(title));

    RECT button;
    GetWindowRect(m_hButton, &button);
    SendMessageA(m_hTip, TTM_TRACKPOSITION, 0,
                 MAKELPARAM((button.left + button.right) / 2, button.bottom));
    SendMessageA(m_hTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(dialog, kTimerId, kShownMs, nullptr);
    m_shown = true;
}

void FailureBalloon::Hide()
{
    if (!m_shown)
        return;
    TOOLINFOA tool = ToolInfo(GetParent(m_hButton), nullptr);
    SendMessageA(m_hTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    KillTimer(GetParent(m_hButton), kTimerId);
    m_shown = false;
}
