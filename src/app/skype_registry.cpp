// Reading Skype's own settings under HKCU\SOFTWARE\Skype.
#include "app/skype_registry.h"

#include <cstdio>
#include <cstdlib>

#include <windows.h>

namespace {
// A REG_EXPAND_SZ value's text with its %variables% expanded; the text as it was when the
// expansion fails.
OwnedText ExpandedText(OwnedText text)
{
    DWORD size = ExpandEnvironmentStringsA(text.Get(), nullptr, 0);
    char* expanded = size ? static_cast<char*>(calloc(size + 1, 1)) : nullptr;
    if (!expanded)
        return text;
    DWORD written = ExpandEnvironmentStringsA(text.Get(), expanded, size + 1);
    if (written == 0 || written > size + 1) {
        free(expanded);
        return text;
    }
    return OwnedText(expanded);
}
} // namespace

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): its one caller passes literal names
OwnedText ReadSkypeRegistryValue(const char* valueName, const char* subKey)
{
    char keyName[MAX_PATH];
    snprintf(keyName, sizeof keyName, "SOFTWARE\\Skype\\%s", subKey);
    char* value = static_cast<char*>(calloc(1, 1));
    HKEY key;
    if (!value || RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return OwnedText(value);
    // Size first, so that a path of any length is read in full; the NUL is ours, whatever
    // the stored data holds. A value that changed between the two reads counts as missing.
    DWORD size = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
        size > 0) {
        char* buffer = static_cast<char*>(calloc(size + 1, 1));
        DWORD readSize = size;
        if (buffer && RegQueryValueExA(key, valueName, nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &readSize) ==
                          ERROR_SUCCESS) {
            free(value);
            value = buffer;
        } else {
            free(buffer);
        }
    }
    RegCloseKey(key);
    return type == REG_EXPAND_SZ ? ExpandedText(OwnedText(value)) : OwnedText(value);
}
