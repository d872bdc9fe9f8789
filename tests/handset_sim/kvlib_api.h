// The handset library's fourteen entry points as the program declares them (cdecl, the
// record by value), resolved from a loaded KVLIB.DLL. Shared by the tests and the host.
#pragma once
#include <windows.h>

#include <string>

#include "lcd_request.h"

struct KvlibApi {
    HMODULE module = nullptr;
    int(__cdecl* Open)(HWND) = nullptr;
    int(__cdecl* Bind)(HandsetKeyCallback, HandsetPlugCallback) = nullptr;
    int(__cdecl* Ring)(int) = nullptr;
    int(__cdecl* Light)(int) = nullptr;
    int(__cdecl* DisplayLCD)(LcdRequest) = nullptr;
    int(__cdecl* Close)(void) = nullptr;
    int(__cdecl* WriteEEPROM)(int, const unsigned char*, int) = nullptr;
    int(__cdecl* ReadEEPROM)(int, unsigned char*, int) = nullptr;
    int(__cdecl* GetDeviceCapacity)(void) = nullptr;
    int(__cdecl* SetRingTone)(int) = nullptr;
    int(__cdecl* SwitchPSTN)(int) = nullptr;
    int(__cdecl* GetLibVer)(void) = nullptr;
    int(__cdecl* GetLastError)(void) = nullptr;
    int(__cdecl* GetHookStatus)(void) = nullptr;
};

// GetProcAddress's result goes through a plain function pointer type on its way to the
// declared one (-Wextra rejects the direct cast).
template <class Function>
bool ResolveEntry(HMODULE module, const char* name, Function* slot)
{
    *slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return *slot != nullptr;
}

// Loads the library from `path` and resolves every entry point by its undecorated name.
// False (library released) unless all fourteen are there.
inline bool LoadKvlib(const std::string& path, KvlibApi* api)
{
    KvlibApi loaded;
    loaded.module = LoadLibraryA(path.c_str());
    if (!loaded.module)
        return false;
    HMODULE m = loaded.module;
    bool all = ResolveEntry(m, "USBPhone_Open", &loaded.Open) &
               ResolveEntry(m, "USBPhone_Bind", &loaded.Bind) &
               ResolveEntry(m, "USBPhone_Ring", &loaded.Ring) &
               ResolveEntry(m, "USBPhone_Light", &loaded.Light) &
               ResolveEntry(m, "USBPhone_DisplayLCD", &loaded.DisplayLCD) &
               ResolveEntry(m, "USBPhone_Close", &loaded.Close) &
               ResolveEntry(m, "USBPhone_WriteEEPROM", &loaded.WriteEEPROM) &
               ResolveEntry(m, "USBPhone_ReadEEPROM", &loaded.ReadEEPROM) &
               ResolveEntry(m, "USBPhone_GetDeviceCapacity", &loaded.GetDeviceCapacity) &
               ResolveEntry(m, "USBPhone_SetRingTone", &loaded.SetRingTone) &
               ResolveEntry(m, "USBPhone_SwitchPSTN", &loaded.SwitchPSTN) &
               ResolveEntry(m, "USBPhone_GetLibVer", &loaded.GetLibVer) &
               ResolveEntry(m, "USBPhone_GetLastError", &loaded.GetLastError) &
               ResolveEntry(m, "USBPhone_GetHookStatus", &loaded.GetHookStatus);
    if (!all) {
        FreeLibrary(loaded.module);
        return false;
    }
    *api = loaded;
    return true;
}
