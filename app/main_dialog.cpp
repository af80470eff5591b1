// MainDialog: initialisation, commands and teardown.
#include "app/main_dialog.h"

#include "framework/module.h"
#include "res/resource.h"

MainDialog::~MainDialog() = default;

HWND MainDialog::Create() { return CreateBoundDialog(Module::Instance(), IDD_MAIN, nullptr); }

bool MainDialog::PreTranslateMessage(MSG* msg)
{
    return Window() && IsDialogMessageA(Window(), msg);
}

void MainDialog::OnIdle() {}

bool MainDialog::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    default:
        return false;
    }
}

void MainDialog::OnInitDialog()
{
    if (MessageLoop* loop = Module::GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
}

bool MainDialog::OnCommand(int controlId)
{
    switch (controlId) {
    case IDC_EXIT:
        OnExit();
        return true;
    default:
        return false;
    }
}

void MainDialog::OnExit()
{
    DestroyWindow(Window());
    PostQuitMessage(IDC_EXIT);
}
