// Recording fakes of Shell_NotifyIconA, CreateProcessA and MessageBoxA.
#include "fake_shell.h"

#include <vector>

#include "event_log.h"
#include "platform/seam.h"

namespace {
int g_messageBoxAnswer = IDOK;
// The handles the last fake launch handed out: real objects, so that closing them works.
HANDLE g_launchHandles[2] = {nullptr, nullptr};
// The shell's side.
bool g_iconThere = true;
int g_addsToRefuse = 0;

const char* MessageName(DWORD message)
{
    switch (message) {
    case NIM_ADD: return "NIM_ADD";
    case NIM_MODIFY: return "NIM_MODIFY";
    case NIM_DELETE: return "NIM_DELETE";
    default: return "NIM_?";
    }
}

SIZE IconSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return size;
    BITMAP bitmap;
    if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
        size.cx = bitmap.bmWidth;
        size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

// An icon's picture and mask as 32-bit pixels, top row first; empty for no icon.
std::vector<DWORD> IconPixels(HICON icon)
{
    SIZE size = IconSize(icon);
    ICONINFO info;
    if (!size.cx || !GetIconInfo(icon, &info))
        return {};
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.cx;
    format.bmiHeader.biHeight = -size.cy;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(2 * size.cx * size.cy);
    HDC screen = GetDC(nullptr);
    if (info.hbmColor)
        GetDIBits(screen, info.hbmColor, 0, size.cy, pixels.data(), &format, DIB_RGB_COLORS);
    GetDIBits(screen, info.hbmMask, 0, size.cy, pixels.data() + size.cx * size.cy, &format,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

// Names an icon by the program's icon resource it shows: the one whose image at the same
// size has the same pixels (107 and 108 are one picture). A size other than the small-icon
// size of the system DPI is part of the name.
std::string IconName(HICON icon)
{
    if (!icon)
        return "0";
    SIZE size = IconSize(icon);
    std::string suffix;
    if (size.cx != GetSystemMetrics(SM_CXSMICON) || size.cy != GetSystemMetrics(SM_CYSMICON))
        suffix = Format("@%ldx%ld", size.cx, size.cy);
    std::vector<DWORD> pixels = IconPixels(icon);
    static const UINT kIds[] = {107, 129, 130, 131};
    for (UINT id : kIds) {
        HICON candidate = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                        MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                        size.cx, size.cy, 0));
        bool same = candidate && IconPixels(candidate) == pixels;
        if (candidate)
            DestroyIcon(candidate);
        if (same)
            return Format("%u", id) + suffix;
    }
    return "?" + suffix;
}

BOOL ShellAnswer(DWORD message)
{
    switch (message) {
    case NIM_ADD:
        if (g_addsToRefuse > 0) {
            --g_addsToRefuse;
            g_iconThere = false;
            return FALSE;
        }
        g_iconThere = true;
        return TRUE;
    case NIM_MODIFY:
        return g_iconThere;
    default:
        g_iconThere = false;
        return TRUE;
    }
}
} // namespace

void ResetFakeShell()
{
    g_iconThere = true;
    g_addsToRefuse = 0;
}

void RefuseShellAdds(int count)
{
    g_addsToRefuse = count;
}

void LoseShellIcon()
{
    g_iconThere = false;
}

void SetMessageBoxAnswer(int answer)
{
    g_messageBoxAnswer = answer;
}

BOOL SeamShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    BOOL answer = ShellAnswer(message);
    SharedLog().Add(Format("shell %s size=%lu flags=%u id=%u cb=%u icon=%s tip=%s%s",
                           MessageName(message), static_cast<unsigned long>(data->cbSize),
                           data->uFlags, data->uID, data->uCallbackMessage,
                           IconName(data->hIcon).c_str(), data->szTip,
                           answer ? "" : " refused"));
    return answer;
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
