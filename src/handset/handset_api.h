// Binding of the handset vendor's library, KVLIB.DLL: its record layout, calling
// conventions and the table of its fourteen entry points.
#pragma once
#include <windows.h>

#include <cstddef>

// Argument record of USBPhone_DisplayLCD, passed by value. Layout fixed by the library.
struct LcdRequest {
    int mode;            // an LcdMode
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

// What a display request drives.
enum LcdMode {
    kLcdClear = 0,              // everything off
    kLcdInCallIndicator = 1,
    kLcdSkypeIndicator = 2,
    kLcdText = 3,               // the text line with typed digits or a name
    kLcdIdleText = 4,           // the text line with nothing typed
};
// The `param` the library expects with a request that shows something (an indicator switched
// on, the text line); 0 otherwise.
const int kLcdParamShown = 6;

// The callbacks use the Win32 convention (callee pops); the entry points are cdecl.
typedef void(__stdcall* PFN_USBPHONE_KEY_CALLBACK)(int key);
typedef void(__stdcall* PFN_USBPHONE_PLUG_CALLBACK)(int connected, int reserved);

typedef int(__cdecl* PFN_USBPHONE_OPEN)(HWND window);
typedef int(__cdecl* PFN_USBPHONE_BIND)(PFN_USBPHONE_KEY_CALLBACK key,
                                        PFN_USBPHONE_PLUG_CALLBACK plug);
typedef int(__cdecl* PFN_USBPHONE_RING)(int on);
typedef int(__cdecl* PFN_USBPHONE_LIGHT)(int on);
typedef int(__cdecl* PFN_USBPHONE_DISPLAYLCD)(LcdRequest request);
typedef int(__cdecl* PFN_USBPHONE_CLOSE)();
// The entry points the program resolves but never calls; their arguments are not ours to know.
typedef int(__cdecl* PFN_USBPHONE_UNUSED)();

// The fourteen entry points, resolved by name in this order. Only the first six are called;
// the rest are resolved because the library is expected to have them.
#define HANDSET_ENTRY_POINTS(X)                         \
    X(USBPhone_Open, PFN_USBPHONE_OPEN)                 \
    X(USBPhone_Bind, PFN_USBPHONE_BIND)                 \
    X(USBPhone_Ring, PFN_USBPHONE_RING)                 \
    X(USBPhone_Light, PFN_USBPHONE_LIGHT)               \
    X(USBPhone_DisplayLCD, PFN_USBPHONE_DISPLAYLCD)     \
    X(USBPhone_Close, PFN_USBPHONE_CLOSE)               \
    X(USBPhone_WriteEEPROM, PFN_USBPHONE_UNUSED)        \
    X(USBPhone_ReadEEPROM, PFN_USBPHONE_UNUSED)         \
    X(USBPhone_GetDeviceCapacity, PFN_USBPHONE_UNUSED)  \
    X(USBPhone_SetRingTone, PFN_USBPHONE_UNUSED)        \
    X(USBPhone_SwitchPSTN, PFN_USBPHONE_UNUSED)         \
    X(USBPhone_GetLibVer, PFN_USBPHONE_UNUSED)          \
    X(USBPhone_GetLastError, PFN_USBPHONE_UNUSED)       \
    X(USBPhone_GetHookStatus, PFN_USBPHONE_UNUSED)

struct HandsetApi {
    HMODULE module;
    bool fileFound; // the last load found the library's file (loaded or not)
#define HANDSET_SLOT(name, type) type name;
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

// What keeps the library from being used, for the icon's tooltip: the user can mend each.
enum HandsetLibraryFault {
    kLibraryFine,        // loaded with every entry point the program calls
    kLibraryNotFound,    // no KVLIB.DLL where Windows looks for it
    kLibraryNotLoadable, // found, but Windows cannot load it (a 64-bit build, a missing
                         // library it needs)
    kLibraryIncomplete,  // loaded, but without an entry point the program calls
};
HandsetLibraryFault HandsetLibraryFaultNow();
