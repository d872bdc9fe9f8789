// The notification-area stand-in: a "Shell_TrayWnd" window that records what it is told.
#include "fake_tray.h"

#include <cstdio>
#include <cstring>

namespace {
const char kTrayClass[] = "Shell_TrayWnd"; // the class shell32 looks for
const UINT kTipOffset = 16;                // after hWnd, uID, uFlags, uCallbackMessage
const UINT kTipChars = 128;
const UINT kIconSizeOffset = 944;          // width, height, planes, bits per pixel
const UINT kIconBitsOffset = 960;

std::string Narrow(const WCHAR* text, UINT maxChars)
{
    std::string out;
    for (UINT i = 0; i < maxChars && text[i]; ++i)
        out += text[i] < 128 ? char(text[i]) : '?';
    return out;
}

const char* NimName(ULONG_PTR message)
{
    switch (message) {
    case NIM_ADD: return "NIM_ADD";
    case NIM_MODIFY: return "NIM_MODIFY";
    case NIM_DELETE: return "NIM_DELETE";
    default: return "NIM_OTHER";
    }
}
} // namespace

FakeTray::FakeTray()
{
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Run(ready); });
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

FakeTray::~FakeTray()
{
    if (threadId_)
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    if (thread_.joinable())
        thread_.join();
}

void FakeTray::Run(HANDLE ready)
{
    threadId_ = GetCurrentThreadId();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTrayClass;
    RegisterClassA(&windowClass); // may already be registered by an earlier FakeTray
    HWND window = CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) {
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        // Only useful when shell32 will find this window rather than Wine's own.
        if (FindWindowExA(nullptr, nullptr, kTrayClass, nullptr) == window)
            window_ = window;
    }
    SetEvent(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    if (window)
        DestroyWindow(window);
}

LRESULT CALLBACK FakeTray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wParam, lParam);
    FakeTray* tray = reinterpret_cast<FakeTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!tray || !data || !data->lpData || data->cbData < kTipOffset + kTipChars * sizeof(WCHAR))
        return FALSE;
    const BYTE* bytes = static_cast<const BYTE*>(data->lpData);
    UINT flags = 0;
    memcpy(&flags, bytes + 8, sizeof flags);
    std::string tip = Narrow(reinterpret_cast<const WCHAR*>(bytes + kTipOffset), kTipChars);
    char line[64];
    snprintf(line, sizeof line, "%s flags=%u tip=", NimName(data->dwData), flags);
    std::lock_guard<std::mutex> lock(tray->mutex_);
    tray->calls_.push_back(line + ((flags & NIF_TIP) ? tip : std::string()));
    if (flags & NIF_TIP)
        tray->latestTip_ = tip;
    if ((flags & NIF_ICON) && data->cbData > kIconBitsOffset) {
        UINT size[2];
        memcpy(size, bytes + kIconSizeOffset, sizeof size);
        tray->latestIconSize_ = {LONG(size[0]), LONG(size[1])};
    }
    return TRUE;
}

std::vector<std::string> FakeTray::Calls()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::string FakeTray::LatestTip()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return latestTip_;
}

SIZE FakeTray::LatestIconSize()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return latestIconSize_;
}
