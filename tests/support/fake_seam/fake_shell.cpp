// Recording fakes of Shell_NotifyIconA, CreateProcessA and MessageBoxA.
#include "fake_shell.h"

#include "app/seam.h"
#include "event_log.h"

namespace {
int g_messageBoxAnswer = IDOK;
// The handles the last fake launch handed out: real objects, so that closing them works.
HANDLE g_launchHandles[2] = {nullptr, nullptr};

const char* MessageName(DWORD message)
{
    switch (message) {
    case NIM_ADD: return "NIM_ADD";
    case NIM_MODIFY: return "NIM_MODIFY";
    case NIM_DELETE: return "NIM_DELETE";
    default: return "NIM_?";
    }
}

// Icons are shared resources: LoadIconA hands out the same handle for the same resource, so
// the handle names its resource id among the program's icons.
std::string IconName(HICON icon)
{
    if (!icon)
        return "0";
    static const UINT kIds[] = {107, 108, 129, 130, 131};
    for (UINT id : kIds)
        if (LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)) == icon)
            return Format("%u", id);
    return "?";
}
} // namespace

void SetMessageBoxAnswer(int answer)
{
    g_messageBoxAnswer = answer;
}

BOOL SeamShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    SharedLog().Add(Format("shell %s size=%lu flags=%u id=%u cb=%u icon=%s tip=%s",
                           MessageName(message), static_cast<unsigned long>(data->cbSize),
                           data->uFlags, data->uID, data->uCallbackMessage,
                           IconName(data->hIcon).c_str(), data->szTip));
    return TRUE;
}

BOOL SeamCreateProcess(const char* application, char* commandLine, STARTUPINFOA* startup,
                       PROCESS_INFORMATION* started)
{
    SharedLog().Add(Format("launch app=%s cmd=%s cb=%lu flags=0x%lx show=%u",
                           application ? application : "null", commandLine,
                           static_cast<unsigned long>(startup->cb),
                           static_cast<unsigned long>(startup->dwFlags), startup->wShowWindow));
    for (HANDLE& handle : g_launchHandles)
        handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    started->hProcess = g_launchHandles[0];
    started->hThread = g_launchHandles[1];
    started->dwProcessId = 4242;
    started->dwThreadId = 4243;
    return TRUE;
}

bool LaunchHandlesClosed()
{
    DWORD flags = 0;
    for (HANDLE handle : g_launchHandles)
        if (handle && GetHandleInformation(handle, &flags))
            return false;
    return true;
}

int SeamMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    SharedLog().Add(Format("messagebox owner=%s text=%s caption=%s type=0x%x",
                           owner ? "set" : "0", text, caption, type));
    return g_messageBoxAnswer;
}
