// The hidden main window: the program's identity towards Skype and the handset library.
#pragma once
#include <windows.h>

#include <cstdlib>

// Window class name; also the first key of the single-instance test.
extern const char kMainWindowClass[];

bool FindRunningInstance();
void RegisterMainWindowClass(HINSTANCE instance);
int CreateMainWindow(HINSTANCE instance, int showCommand);

// A registry value's text, owned (freed with the owner).
class RegistryText {
public:
    explicit RegistryText(char* text) : text_(text) {}
    RegistryText(RegistryText&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    RegistryText(const RegistryText&) = delete;
    RegistryText& operator=(const RegistryText&) = delete;
    ~RegistryText() { free(text_); }
    const char* Text() const { return text_ ? text_ : ""; }

private:
    char* text_;
};
// The value's text under HKCU\SOFTWARE\Skype\<subKey>, read in full whatever its length;
// empty when missing or unreadable.
RegistryText ReadSkypeRegistryValue(const char* valueName, const char* subKey);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
