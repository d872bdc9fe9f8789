// Stand-ins for Skype's windows: a thread of its own that owns them (as Skype's user-interface
// thread does, with the API window among them), and builders for the windows themselves.
#pragma once
#include <windows.h>

#include <functional>
#include <thread>

// Window builders. They act on the calling thread; run them on a SkypeThread to give the
// windows to it. Classes unknown to the process are registered as plain classes first.
// A top-level window that is not `activatable` is created disabled: when the active window
// just above it in the Z order is destroyed (another test's, on the shared desktop), the
// system activates the next window below, which moves it to the top; a disabled one keeps
// its place.
HWND CreateTopLevel(const char* className, const char* title, bool visible,
                    bool activatable = true);
HWND CreateChild(HWND parent, const char* className, const char* text = "");
// The same, always of a plain class of this program, even where the system has a class of that
// name in another letter case.
HWND CreateChildOfOwnClass(HWND parent, const char* className, const char* text = "");
// "TPageControl", a superclass of the common tab control that, like Skype's own page control,
// moves to the next tab on Ctrl+Tab and to the previous one on Ctrl+Shift+Tab, wrapping.
HWND CreatePageControl(HWND parent, int tabCount, int selected,
                       const char* className = "TPageControl");

class SkypeThread {
public:
    SkypeThread();
    ~SkypeThread();
    SkypeThread(const SkypeThread&) = delete;
    SkypeThread& operator=(const SkypeThread&) = delete;

    // The hidden window that stands for Skype's API window (what the attach reply names).
    HWND ApiWindow() const { return apiWindow_; }

    // Runs `work` on the thread and waits for it.
    void Run(const std::function<void()>& work);

    // Makes the thread stop asking for messages, as a hung program does, until Resume() or
    // `maxMs` has passed. Returns once the thread is stuck.
    void Hang(DWORD maxMs);
    void Resume();

private:
    static LRESULT CALLBACK ApiWindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam);
    void Main();

    std::thread thread_;
    HANDLE ready_;
    HANDLE hung_;
    HANDLE resume_;
    HWND apiWindow_ = nullptr;
};
