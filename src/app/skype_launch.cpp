// Starting Skype from its recorded path: CreateProcess, never WinExec. WinExec returns only
// once the started program first waits for input (or after a long time-out): a Skype starting
// cold at log-on would hold the tray icon and the handset for that long.
#include "app/skype_launch.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/seam.h"

namespace {
bool NamesExistingFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A copy of `text`, in quotes when asked; null when out of memory. CreateProcess may write
// into its command line, so it is never the caller's text.
char* CommandLineFrom(const char* text, bool quoted)
{
    size_t length = strlen(text);
    char* line = static_cast<char*>(malloc(length + 3));
    if (!line)
        return nullptr;
    char* end = line;
    if (quoted)
        *end++ = '"';
    memcpy(end, text, length);
    end += length;
    if (quoted)
        *end++ = '"';
    *end = '\0';
    return line;
}
} // namespace

bool StartSkype(const char* skypePath)
{
    if (!*skypePath)
        return false;
    // A program path is passed as the program and quoted in the command line: left to
    // CreateProcess's search of an unquoted line, "C:\Program Files\Skype\Phone\Skype.exe"
    // would first start any "C:\Program.exe".
    bool isProgram = NamesExistingFile(skypePath);
    char* commandLine = CommandLineFrom(skypePath, isProgram);
    if (!commandLine)
        return true; // out of memory says nothing of Skype
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    bool found = true;
    if (SeamCreateProcess(isProgram ? skypePath : nullptr, commandLine, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    } else {
        // A command line is judged as Windows judges it: its program is not there.
        DWORD error = GetLastError();
        found = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    free(commandLine);
    return found;
}
