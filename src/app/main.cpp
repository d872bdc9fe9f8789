// Process entry of usbphone.exe: start-up, the message loop and shutdown.
#include <windows.h>

#include "app/main_window.h"
#include "app/reactions.h"
#include "core/app_state.h"
#include "handset/handset_api.h"
#include "res/resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    LoadStringA(instance, IDS_APP_TITLE, g_app.windowTitle, sizeof g_app.windowTitle);
    // The mutex first: two copies started together both pass the window search.
    if (AnotherInstanceStarted() || FindRunningInstance())
        return 0;

    LoadHandsetLibrary("KVLIB.DLL");
    // Without the library, or without an entry point the program calls, it runs as with
    // the handset unplugged and never calls into the library.
    if (!HandsetLibraryUsable())
        g_app.handsetStatus = -1;
    RegisterMainWindowClass(instance);
    if (!CreateMainWindow(instance, showCommand))
        return 0;
    StartHandset();

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    StopHandset();
    // Always 0, also when GetMessage failed and no WM_QUIT was read.
    return 0;
}
