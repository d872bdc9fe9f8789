// A stand-in for the program in the cross-process test: loads KVLIB.DLL from its folder,
// opens it with its own window, binds callbacks that append what they receive (with the
// receiving thread) to a record file, and shows each key on the LCD from inside the callback
// as the program does. The test drives it with posted messages.
//   handset_host.exe <record file>
// Record lines: "main <tid>", "open <result>", "key <code> <tid>", "plug <c> <r> <tid>",
// "bound", "closed", "freed".
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "kvlib_api.h"

namespace {
// Messages the test posts to the host window (class kHostClass).
const char kHostClass[] = "HandsetSimTestHost";
const UINT kBind = WM_APP + 1;
const UINT kClose = WM_APP + 2;
const UINT kFree = WM_APP + 3;

KvlibApi g_api;
HANDLE g_record = INVALID_HANDLE_VALUE;
CRITICAL_SECTION g_recordLock;

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (length < 0 || length > (int)sizeof line - 3)
        return;
    line[length++] = '\r';
    line[length++] = '\n';
    EnterCriticalSection(&g_recordLock);
    DWORD written = 0;
    WriteFile(g_record, line, length, &written, nullptr);
    LeaveCriticalSection(&g_recordLock);
}

void __stdcall OnKey(int key)
{
    Record("key %d %lu", key, GetCurrentThreadId());
    char text[16];
    snprintf(text, sizeof text, "%d", key);
    LcdRequest request = {3, 1, 6, text, 1};
    g_api.DisplayLCD(request);
}

void __stdcall OnPlug(int connected, int reserved)
{
    Record("plug %d %d %lu", connected, reserved, GetCurrentThreadId());
    LcdRequest request = {2, (uint8_t)(connected != 0), connected ? 6 : 0, nullptr, 0};
    g_api.DisplayLCD(request);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kBind:
        g_api.Bind(OnKey, OnPlug);
        Record("bound");
        return 0;
    case kClose:
        g_api.Close();
        Record("closed");
        return 0;
    case kFree:
        FreeLibrary(g_api.module);
        g_api.module = nullptr;
        Record("freed");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    InitializeCriticalSection(&g_recordLock);
    g_record = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_record == INVALID_HANDLE_VALUE)
        return 3;
    Record("main %lu", GetCurrentThreadId());
    // By bare name, as the program loads it: found beside the exe.
    if (!LoadKvlib("KVLIB.DLL", &g_api))
        return 4;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kHostClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kHostClass, "host", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window)
        return 5;
    Record("open %d", g_api.Open(window));

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
