// Starting, finding and ending usbphone.exe; the SkypePath registry value.
#include "driver_process.h"

#include "process.h"

#include <vector>

namespace {
const char kPhoneKey[] = "SOFTWARE\\Skype\\Phone";

BOOL CALLBACK CollectStatic(HWND window, LPARAM param)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[512] = "";
        // WM_GETTEXT, not GetWindowText: the box belongs to another process.
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        if (text[0]) {
            std::string* all = reinterpret_cast<std::string*>(param);
            if (!all->empty())
                *all += " | ";
            *all += text;
        }
    }
    return TRUE;
}
} // namespace

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/')
            c = '\\';
    }
    return windows;
}

bool DriverProcess::Start(const std::string& dir, const std::string& journalPath)
{
    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", "1");
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", journalPath.c_str());
    std::string exe = dir + "\\usbphone.exe";
    std::string commandLine = "\"" + exe + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    BOOL ok = CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir.c_str(), &startup, &info);
    // Only the driver (and what it starts) needs these.
    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", nullptr);
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
    if (!ok)
        return false;
    CloseHandle(info.hThread);
    process = info.hProcess;
    pid = info.dwProcessId;
    return true;
}

bool DriverProcess::WaitForWindow(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!(window = FindTopLevelWindow("TavrixWindowClass20041118", "Tavrixphone", pid))) {
        if (GetTickCount() - start >= timeoutMs ||
            WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return false;
        Sleep(20);
    }
    return true;
}

DWORD DriverProcess::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

void DriverProcess::Kill()
{
    if (process && WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        TerminateProcess(process, 0xDEAD);
}

std::string StaticTexts(HWND window)
{
    std::string all;
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&all));
    return all;
}

bool SkypePathSetting::Set(const std::string& commandLine)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, kPhoneKey, &key) != ERROR_SUCCESS)
        return false;
    if (!saved_) {
        char value[2048];
        DWORD size = sizeof value - 1, type = 0;
        existed_ = RegQueryValueExA(key, "SkypePath", nullptr, &type,
                                    reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
        if (existed_) {
            value[size] = '\0';
            previous_ = value;
        }
        saved_ = true;
    }
    LONG result = RegSetValueExA(key, "SkypePath", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(commandLine.c_str()),
                                 DWORD(commandLine.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void SkypePathSetting::Restore()
{
    if (!saved_)
        return;
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, kPhoneKey, &key) != ERROR_SUCCESS)
        return;
    if (existed_)
        RegSetValueExA(key, "SkypePath", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(previous_.c_str()),
                       DWORD(previous_.size() + 1));
    else
        RegDeleteValueA(key, "SkypePath");
    RegCloseKey(key);
    saved_ = false;
}
