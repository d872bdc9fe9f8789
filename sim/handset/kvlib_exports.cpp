// KVLIB.DLL: the fourteen entry points of the handset library, simulated. Every call is
// journalled with its decoded arguments before it takes effect.
#include <windows.h>

#include <cstring>

#include "lcd_request.h"
#include "sim_device.h"
#include "sim_events.h"
#include "sim_window_thread.h"

namespace {
// What USBPhone_WriteEEPROM / ReadEEPROM reach: a small memory, zero at load.
unsigned char g_eeprom[256];
int g_ringTone = 0;
int g_pstn = 0;
int g_lastError = 0;

// The device's threads run from the first Open or Bind until Close.
void StartDevice()
{
    if (!StartEventThread() || !StartWindowThread())
        g_lastError = 1;
}

// Clamps an EEPROM range to the memory; false when nothing of it is inside.
bool EepromRange(int address, int length, int* count)
{
    if (address < 0 || length <= 0 || address >= (int)sizeof g_eeprom)
        return false;
    *count = length < (int)sizeof g_eeprom - address ? length : (int)sizeof g_eeprom - address;
    return true;
}

// What each mode does to the LCD: 0 clears it, 1 and 2 switch an indicator, 3 and 4 show
// the text line (typed text, or the idle line).
// What a request does to a handset that is plugged in; an unplugged one has no power to
// show anything (the library still takes the call).
void ApplyLcd(SimDeviceState& state, const LcdRequest& request)
{
    if (!state.connected)
        return;
    state.lcdMode = request.mode;
    switch (request.mode) {
    case 0:
        state.lcdText.clear();
        state.inCall = false;
        state.skype = false;
        break;
    case 1:
        state.inCall = request.on != 0;
        break;
    case 2:
        state.skype = request.on != 0;
        break;
    case 3:
    case 4:
        state.lcdText = request.textOn && request.text ? request.text : "";
        break;
    }
}
} // namespace

extern "C" {

int __cdecl USBPhone_Open(HWND window)
{
    JournalAdd(SimFormat("USBPhone_Open hwnd=%llu",
                         (unsigned long long)reinterpret_cast<ULONG_PTR>(window)));
    int result;
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        result = state.openResult;
        state.opened = true;
        state.closed = false;
        state.connected = result == 0;
    }
    StartDevice();
    NotifyStateChanged();
    return result;
}

int __cdecl USBPhone_Bind(HandsetKeyCallback key, HandsetPlugCallback plug)
{
    JournalAdd(SimFormat("USBPhone_Bind key=%s plug=%s", key ? "set" : "null",
                         plug ? "set" : "null"));
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        state.keyCallback = key;
        state.plugCallback = plug;
        state.bound = true;
        state.closed = false;
    }
    StartDevice();
    NotifyStateChanged();
    return 0;
}

int __cdecl USBPhone_Ring(int on)
{
    JournalAdd(SimFormat("USBPhone_Ring %d", on));
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        state.ringing = on != 0 && state.connected;
    }
    NotifyStateChanged();
    DeliverInline();
    return 0;
}

int __cdecl USBPhone_Light(int on)
{
    JournalAdd(SimFormat("USBPhone_Light %d", on));
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        state.light = on != 0 && state.connected;
    }
    NotifyStateChanged();
    DeliverInline();
    return 0;
}

// Takes the record by value: on i686 the caller pushes its five words and removes them.
int __cdecl USBPhone_DisplayLCD(LcdRequest request)
{
    JournalAdd(SimFormat("USBPhone_DisplayLCD mode=%d on=%u param=%d text=%s textOn=%u",
                         (int)request.mode, (unsigned)request.on, (int)request.param,
                         QuoteText(request.text).c_str(), (unsigned)request.textOn));
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        ApplyLcd(state, request);
        size_t length = request.text ? strlen(request.text) : 0;
        if (length > state.lcdLongest)
            state.lcdLongest = length;
    }
    NotifyStateChanged();
    // Some vendors' libraries call back from inside the call (see SimDeliveryMode).
    DeliverInline();
    return 0;
}

// Ends the device: no callback starts once this has marked it closed, those in flight are
// waited for, and the delivery and window threads are joined.
int __cdecl USBPhone_Close(void)
{
    JournalAdd("USBPhone_Close");
    {
        SimDeviceLock lock;
        SimDeviceState& state = lock.state();
        state.closed = true;
        state.opened = false;
        state.bound = false;
        state.keyCallback = nullptr;
        state.plugCallback = nullptr;
        state.ringing = false;
    }
    // Marked closed above: no callback starts from now on, and this waits for the ones in
    // flight.
    StopEventThread();
    StopWindowThread();
    return 0;
}

int __cdecl USBPhone_WriteEEPROM(int address, const unsigned char* data, int length)
{
    JournalAdd(SimFormat("USBPhone_WriteEEPROM address=%d length=%d", address, length));
    int count = 0;
    if (!data || !EepromRange(address, length, &count))
        return -1;
    memcpy(g_eeprom + address, data, count);
    return count;
}

int __cdecl USBPhone_ReadEEPROM(int address, unsigned char* buffer, int length)
{
    JournalAdd(SimFormat("USBPhone_ReadEEPROM address=%d length=%d", address, length));
    int count = 0;
    if (!buffer || !EepromRange(address, length, &count))
        return -1;
    memcpy(buffer, g_eeprom + address, count);
    return count;
}

int __cdecl USBPhone_GetDeviceCapacity(void)
{
    JournalAdd("USBPhone_GetDeviceCapacity");
    return (int)sizeof g_eeprom;
}

int __cdecl USBPhone_SetRingTone(int tone)
{
    JournalAdd(SimFormat("USBPhone_SetRingTone %d", tone));
    g_ringTone = tone;
    return 0;
}

int __cdecl USBPhone_SwitchPSTN(int on)
{
    JournalAdd(SimFormat("USBPhone_SwitchPSTN %d", on));
    g_pstn = on;
    return 0;
}

int __cdecl USBPhone_GetLibVer(void)
{
    JournalAdd("USBPhone_GetLibVer");
    return 0x0100;
}

int __cdecl USBPhone_GetLastError(void)
{
    JournalAdd("USBPhone_GetLastError");
    return g_lastError;
}

// 1 while the handset rests on the hook (also before any hook event), 0 while lifted.
int __cdecl USBPhone_GetHookStatus(void)
{
    JournalAdd("USBPhone_GetHookStatus");
    SimDeviceLock lock;
    return lock.state().hook != 0;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_simModule = instance;
        SimDeviceAttach();
        break;
    case DLL_PROCESS_DETACH:
        SimDeviceDetach(reserved == nullptr);
        break;
    }
    return TRUE;
}
