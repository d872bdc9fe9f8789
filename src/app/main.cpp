// Process entry of usbphone.exe.
#include <windows.h>

#include "app/app_state.h"
#include "res/resource.h"

// Window class name: the single-instance test of every copy of the program looks for it.
static const char kWindowClass[] = "TavrixWindowClass20041118";

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    LoadStringA(instance, IDS_APP_TITLE, g_app.windowTitle, sizeof g_app.windowTitle);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);
    g_app.ownWindow = CreateWindowExA(0, kWindowClass, g_app.windowTitle, WS_OVERLAPPEDWINDOW,
                                      100, 100, 100, 60, nullptr, nullptr, instance, nullptr);
    if (!g_app.ownWindow)
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}
