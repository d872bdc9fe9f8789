// The handset library's callbacks: posted, never handled on the library's thread.
#include "app/handset_callbacks.h"

#include "app/app_messages.h"
#include "core/app_state.h"

void __stdcall HandsetKeyCallback(int key)
{
    PostMessageA(g_app.ownWindow, WM_APP_HANDSET_KEY, WPARAM(key), 0);
}

void __stdcall HandsetPlugCallback(int connected, int reserved)
{
    PostMessageA(g_app.ownWindow, WM_APP_HANDSET_PLUG, WPARAM(connected), LPARAM(reserved));
}
