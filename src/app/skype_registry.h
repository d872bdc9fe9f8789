// Skype's own settings in the registry.
#pragma once
#include <windows.h>

#include "core/owned_text.h"

// The value's text under HKCU\SOFTWARE\Skype\<subKey>, read in full whatever its length,
// with a REG_EXPAND_SZ value's %variables% expanded; empty when missing or unreadable.
OwnedText ReadSkypeRegistryValue(const char* valueName, const char* subKey);
