// A stand-in for the shell's notification area, for end-to-end tests. shell32 hands every
// Shell_NotifyIcon call, from any process of the desktop, to the first top-level window of
// class "Shell_TrayWnd" as WM_COPYDATA (dwData: the NIM_ message; the data starts with the
// owner window, the icon id, the flags, the callback message and a 128-character wide tip;
// with NIF_ICON, the icon's width and height follow at offset 944, after the fields of the
// later record versions, and its bits after those).
// A window of that class created after Wine's own is found first, so while a FakeTray exists
// it receives the icon calls of every program started on the desktop.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeTray {
public:
    FakeTray();  // the window runs on a thread of its own, which pumps its messages
    ~FakeTray();
    bool Ready() const { return window_ != nullptr; }

    // "<NIM_ADD|NIM_MODIFY|NIM_DELETE> flags=<n> tip=<text>" for each call, in order.
    std::vector<std::string> Calls();
    // The tip of the latest call that set one; empty before any.
    std::string LatestTip();
    // The size in pixels of the icon of the latest call that set one; 0 x 0 before any.
    SIZE LatestIconSize();

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE ready);

    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::mutex mutex_;
    std::vector<std::string> calls_;
    std::string latestTip_;
    SIZE latestIconSize_ = {0, 0};
};
