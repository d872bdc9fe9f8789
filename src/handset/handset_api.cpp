// Loading and releasing the handset vendor's library.
#include "handset/handset_api.h"

HandsetApi g_handsetApi;

namespace {
// The entry-point names the vendor's library exports (undecorated, as the library has them).
const char* const kEntryPointNames[] = {
#define HANDSET_NAME(name, type) #name,
    HANDSET_ENTRY_POINTS(HANDSET_NAME)
#undef HANDSET_NAME
};
} // namespace

void LoadHandsetLibrary(const char* fileName)
{
    if (g_handsetApi.module)
        FreeHandsetLibrary();
    g_handsetApi.module = LoadLibraryA(fileName);
    if (!g_handsetApi.module) {
        // The program runs without a handset. Windows gives the same error for a missing
        // library and for a missing library it needs: the search tells them apart, looking
        // where LoadLibrary looks first (the program's folder, the system folders, PATH).
        char found[MAX_PATH];
        g_handsetApi.fileFound = SearchPathA(nullptr, fileName, nullptr, MAX_PATH, found,
                                             nullptr) != 0;
        return;
    }
    g_handsetApi.fileFound = true;
    int index = 0;
    // GetProcAddress's result goes through a generic function pointer: casting it straight
    // to another function type is rejected by -Wcast-function-type.
#define HANDSET_RESOLVE(name, type)                                                        \
    g_handsetApi.name = reinterpret_cast<type>(reinterpret_cast<void (*)()>(               \
        GetProcAddress(g_handsetApi.module, kEntryPointNames[index++])));
    HANDSET_ENTRY_POINTS(HANDSET_RESOLVE)
#undef HANDSET_RESOLVE
}

void FreeHandsetLibrary()
{
    FreeLibrary(g_handsetApi.module);
    g_handsetApi.module = nullptr;
}

bool HandsetLibraryUsable()
{
    return g_handsetApi.module && g_handsetApi.USBPhone_Open && g_handsetApi.USBPhone_Bind &&
           g_handsetApi.USBPhone_Ring && g_handsetApi.USBPhone_Light &&
           g_handsetApi.USBPhone_DisplayLCD && g_handsetApi.USBPhone_Close;
}

HandsetLibraryFault HandsetLibraryFaultNow()
{
    if (g_handsetApi.module)
        return HandsetLibraryUsable() ? kLibraryFine : kLibraryIncomplete;
    return g_handsetApi.fileFound ? kLibraryNotLoadable : kLibraryNotFound;
}
