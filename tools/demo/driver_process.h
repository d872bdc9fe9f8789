// usbphone.exe as the demo runs it: started from the demo's own folder with the handset
// simulator's window and journal, found by its hidden window, closed through its Close
// command; and the "SkypePath" registry value it launches Skype from.
#pragma once
#include <windows.h>

#include <string>

// A Unix path as Wine sees it ("Z:" and backslashes); Windows paths pass unchanged.
std::string WindowsPath(const std::string& path);

struct DriverProcess {
    // Starts `<dir>\usbphone.exe` with USBPHONE_SIM_WINDOW=1 and the journal at `journalPath`.
    bool Start(const std::string& dir, const std::string& journalPath);
    // Waits for the main window ("TavrixWindowClass20041118", "Tavrixphone").
    bool WaitForWindow(DWORD timeoutMs);
    // The exit code, or STILL_ACTIVE after `timeoutMs`.
    DWORD WaitForExit(DWORD timeoutMs);
    void Kill();

    HANDLE process = nullptr;
    DWORD pid = 0;
    HWND window = nullptr;
};

// Texts of a window's "Static" children joined with " | " (a message box's question).
std::string StaticTexts(HWND window);

// HKCU\SOFTWARE\Skype\Phone "SkypePath": remembered on Set, put back on Restore.
class SkypePathSetting {
public:
    bool Set(const std::string& commandLine);
    void Restore();

private:
    bool saved_ = false;
    bool existed_ = false;
    std::string previous_;
};
