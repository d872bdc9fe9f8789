// The About dialog. A second one can only be asked for while the first is open (its modal
// loop still dispatches the tray icon's messages): it closes at once and the first comes
// forward.
#include "app/about_dialog.h"

#include "core/app_state.h"
#include "res/resource.h"

void ShowAboutDialog()
{
    (void)DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), g_app.ownWindow,
                          AboutDialogProc, 0);
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): a dialog procedure, the system's order
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!g_app.openAboutDialog) {
            g_app.openAboutDialog = dialog;
        } else {
            EndDialog(dialog, IDCANCEL);
            SetForegroundWindow(g_app.openAboutDialog);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (g_app.openAboutDialog == dialog)
            g_app.openAboutDialog = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
