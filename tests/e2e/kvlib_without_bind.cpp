// A handset library that lacks USBPhone_Bind: the driver must not call into it at all.
// Every entry point it has appends its name to the file named by USBPHONE_SIM_JOURNAL.
#include <windows.h>

#include <cstdio>

namespace {
int Journal(const char* name)
{
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", path, sizeof path) == 0)
        return 0;
    FILE* file = fopen(path, "a");
    if (file) {
        fprintf(file, "%lu %s\n", GetCurrentThreadId(), name);
        fclose(file);
    }
    return 0;
}
} // namespace

extern "C" {
__declspec(dllexport) int __cdecl USBPhone_Open(HWND) { return Journal("USBPhone_Open"); }
__declspec(dllexport) int __cdecl USBPhone_Ring(int) { return Journal("USBPhone_Ring"); }
__declspec(dllexport) int __cdecl USBPhone_Light(int) { return Journal("USBPhone_Light"); }
__declspec(dllexport) int __cdecl USBPhone_DisplayLCD(int, int, int, int, int)
{
    return Journal("USBPhone_DisplayLCD");
}
__declspec(dllexport) int __cdecl USBPhone_Close() { return Journal("USBPhone_Close"); }
}
