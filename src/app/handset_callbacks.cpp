// The handset library's callbacks: posted, never handled on the library's thread.
#include "app/handset_callbacks.h"

#include "app/app_messages.h"
#include "core/app_state.h"

namespace {
// Counted before it is posted: the main thread may take it before PostMessage returns.
void PostHandsetEvent(UINT message, WPARAM wParam, LPARAM lParam)
{
    InterlockedIncrement(&g_app.handsetEventsQueued);
    if (!PostMessageA(g_app.ownWindow, message, wParam, lParam))
        InterlockedDecrement(&g_app.handsetEventsQueued);
}
} // namespace

void __stdcall HandsetKeyCallback(int key)
{
    PostHandsetEvent(WM_APP_HANDSET_KEY, WPARAM(key), 0);
}

void __stdcall HandsetPlugCallback(int connected, int reserved)
{
    PostHandsetEvent(WM_APP_HANDSET_PLUG, WPARAM(connected), LPARAM(reserved));
}
