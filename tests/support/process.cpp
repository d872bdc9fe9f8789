// Test helpers to run a built program in a scratch folder and end it.
#include "process.h"

#include <cstdio>

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? "." : dir.substr(0, slash);
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    return dir + "\\" + name;
}

std::string MakeScratchDir(const char* tag)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static LONG counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%susbphone-%s-%lu-%ld", temp, tag, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

bool CopyFromBin(const char* file, const std::string& dir, const char* as)
{
    // Other test programs may have the same file open at that moment (loaded as a library
    // or as data); a copy refused for sharing is tried again for a while.
    std::string from = JoinPath(BinDir(), file);
    std::string to = JoinPath(dir, as ? as : file);
    return WaitUntil([&] { return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0; }, 3000);
}

ChildProcess StartProcess(const std::string& exePath, const std::string& args,
                          const std::string& workDir)
{
    std::string commandLine = "\"" + exePath + "\"";
    if (!args.empty())
        commandLine += " " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ChildProcess child;
    if (CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
        child.pid = info.dwProcessId;
    }
    return child;
}

namespace {
struct WindowQuery {
    const char* className;
    const char* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(lParam);
    char text[256];
    if (query->className) {
        GetClassNameA(window, text, sizeof text);
        if (lstrcmpA(text, query->className) != 0)
            return TRUE;
    }
    if (query->title) {
        GetWindowTextA(window, text, sizeof text);
        if (lstrcmpA(text, query->title) != 0)
            return TRUE;
    }
    if (query->pid) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != query->pid)
            return TRUE;
    }
    query->found = window;
    return FALSE;
}
} // namespace

HWND FindTopLevelWindow(const char* className, const char* title, DWORD pid)
{
    WindowQuery query = {className, title, pid, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(className, title, pid)) != nullptr; },
              timeoutMs);
    return found;
}

DWORD WaitForExit(ChildProcess& child, DWORD timeoutMs)
{
    if (!child.process)
        return STILL_ACTIVE;
    if (WaitForSingleObject(child.process, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.process, &code);
    CloseHandle(child.process);
    child.process = nullptr;
    return code;
}

DWORD EndProcess(ChildProcess& child, HWND window, DWORD timeoutMs)
{
    if (!child.process)
        return STILL_ACTIVE;
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = WaitForExit(child, timeoutMs);
    if (code != STILL_ACTIVE)
        return code;
    TerminateProcess(child.process, 0xDEAD);
    return WaitForExit(child, 5000);
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
