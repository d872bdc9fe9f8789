// Recording fakes of Shell_NotifyIconA, WinExec and MessageBoxA.
#include "fake_shell.h"

#include "app/seam.h"
#include "event_log.h"

namespace {
int g_messageBoxAnswer = IDOK;

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

UINT SeamWinExec(const char* commandLine, UINT show)
{
    SharedLog().Add(Format("winexec %s show=%u", commandLine, show));
    return 33;
}

int SeamMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    SharedLog().Add(Format("messagebox owner=%s text=%s caption=%s type=0x%x",
                           owner ? "set" : "0", text, caption, type));
    return g_messageBoxAnswer;
}
