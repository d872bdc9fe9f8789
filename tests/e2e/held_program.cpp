// A GUI program that stands in for a Skype starting slowly: it records how it was started
// (its command line, in "<its own path>.started"), then holds off asking for its first
// message until the test sets the event "usbphone-test-release-held-program" (or a minute
// has passed). Whoever waits for it to become input-idle, as WinExec does, waits that long.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string marker = std::string(path) + ".started";
    std::string partial = marker + ".partial";
    const char* commandLine = GetCommandLineA();
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, commandLine, DWORD(lstrlenA(commandLine)), &written, nullptr);
        CloseHandle(file);
        // Renamed when complete, so that a reader never sees half of it.
        MoveFileA(partial.c_str(), marker.c_str());
    }
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "usbphone-test-release-held-program");
    if (release) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
    }
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // input-idle only now
    return 0;
}
