// Binding of the handset vendor's library, KVLIB.DLL: its record layout, calling
// conventions and the table of its fourteen entry points.
#pragma once
#include <windows.h>

#include <cstddef>

// Argument record of USBPhone_DisplayLCD, passed by value. Layout fixed by the library.
struct LcdRequest {
    int mode;            // 0 clear, 1 in-call indicator, 2 Skype indicator, 3/4 text line
    unsigned char on;
    int param;
    const char* text;    // borrowed for the duration of the call
    unsigned char textOn;
};
#if !defined(_WIN64)
static_assert(sizeof(LcdRequest) == 20, "the library takes a 20-byte record");
static_assert(offsetof(LcdRequest, on) == 4 && offsetof(LcdRequest, param) == 8 &&
              offsetof(LcdRequest, text) == 12 && offsetof(LcdRequest, textOn) == 16,
              "field offsets fixed by the library");
#endif

// The callbacks use the Win32 convention (callee pops); the entry points are cdecl.
typedef void(__stdcall* HandsetKeyCallbackFn)(int key);
typedef void(__stdcall* HandsetPlugCallbackFn)(int connected, int reserved);

int __cdecl USBPhone_OpenType(HWND window);
int __cdecl USBPhone_BindType(HandsetKeyCallbackFn key, HandsetPlugCallbackFn plug);
int __cdecl USBPhone_RingType(int on);
int __cdecl USBPhone_LightType(int on);
int __cdecl USBPhone_DisplayLCDType(LcdRequest request);
int __cdecl USBPhone_CloseType();
int __cdecl USBPhone_UnusedType();

// The fourteen entry points, resolved by name in this order. Only the first six are called;
// the rest are resolved because the library is expected to have them.
#define HANDSET_ENTRY_POINTS(X)                    \
    X(USBPhone_Open, USBPhone_OpenType)            \
    X(USBPhone_Bind, USBPhone_BindType)            \
    X(USBPhone_Ring, USBPhone_RingType)            \
    X(USBPhone_Light, USBPhone_LightType)          \
    X(USBPhone_DisplayLCD, USBPhone_DisplayLCDType) \
    X(USBPhone_Close, USBPhone_CloseType)          \
    X(USBPhone_WriteEEPROM, USBPhone_UnusedType)   \
    X(USBPhone_ReadEEPROM, USBPhone_UnusedType)    \
    X(USBPhone_GetDeviceCapacity, USBPhone_UnusedType) \
    X(USBPhone_SetRingTone, USBPhone_UnusedType)   \
    X(USBPhone_SwitchPSTN, USBPhone_UnusedType)    \
    X(USBPhone_GetLibVer, USBPhone_UnusedType)     \
    X(USBPhone_GetLastError, USBPhone_UnusedType)  \
    X(USBPhone_GetHookStatus, USBPhone_UnusedType)

struct HandsetApi {
    HMODULE module;
#define HANDSET_SLOT(name, type) decltype(&type) name;
    HANDSET_ENTRY_POINTS(HANDSET_SLOT)
#undef HANDSET_SLOT
};

extern HandsetApi g_handsetApi;

// Loads the library and resolves every entry point (null where the library lacks one).
void LoadHandsetLibrary(const char* fileName);
// Releases the module; the slots are left as they are.
void FreeHandsetLibrary();
// True when the library is loaded and has all six entry points the program calls. Nothing
// is ever called through an unresolved slot: without them the program runs handset-less.
bool HandsetLibraryUsable();
