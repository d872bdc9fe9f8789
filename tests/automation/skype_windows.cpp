// Stand-ins for Skype's windows, on a thread of their own.
#include "skype_windows.h"

#include <commctrl.h>

#include <mutex>

namespace {

const char kApiWindowClass[] = "AutomationTestSkypeApi";
enum { kRunMessage = WM_APP + 1, kHangMessage, kQuitMessage };

WNDPROC g_tabControlProc = nullptr;
std::mutex g_classMutex;

// Class names are per process; several threads may ask for the same one at once.
void EnsureClass(const char* className)
{
    std::lock_guard<std::mutex> lock(g_classMutex);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof(info);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &info))
        return;
    info = {};
    info.cbSize = sizeof(info);
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = GetModuleHandleA(nullptr);
    info.lpszClassName = className;
    RegisterClassExA(&info);
}

// Skype's page control switches tabs on Ctrl+Tab itself; the common tab control does not.
LRESULT CALLBACK PageControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        int count = int(SendMessageA(window, TCM_GETITEMCOUNT, 0, 0));
        int current = int(SendMessageA(window, TCM_GETCURSEL, 0, 0));
        int step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
        if (count > 0)
            SendMessageA(window, TCM_SETCURSEL, WPARAM((current + step + count) % count), 0);
        return 0;
    }
    return CallWindowProcA(g_tabControlProc, window, message, wParam, lParam);
}

void EnsurePageControlClass(const char* className)
{
    std::lock_guard<std::mutex> lock(g_classMutex);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof(info);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &info))
        return;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    GetClassInfoExA(nullptr, WC_TABCONTROLA, &info);
    g_tabControlProc = info.lpfnWndProc;
    info.lpfnWndProc = PageControlProc;
    info.hInstance = GetModuleHandleA(nullptr);
    info.lpszClassName = className;
    RegisterClassExA(&info);
}

} // namespace

HWND CreateTopLevel(const char* className, const char* title, bool visible, bool activatable)
{
    EnsureClass(className);
    // A popup: with no window manager on the display, Wine would wait for each hidden or
    // destroyed captioned window to be withdrawn.
    DWORD style = WS_POPUP | (activatable ? 0 : WS_DISABLED);
    HWND window = CreateWindowExA(0, className, title, style, 10, 10, 400, 300,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window && visible)
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

HWND CreateChild(HWND parent, const char* className, const char* text)
{
    EnsureClass(className);
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND CreateChildOfOwnClass(HWND parent, const char* className, const char* text)
{
    {
        std::lock_guard<std::mutex> lock(g_classMutex);
        WNDCLASSEXA info = {};
        info.cbSize = sizeof(info);
        info.lpfnWndProc = DefWindowProcA;
        info.hInstance = GetModuleHandleA(nullptr);
        info.lpszClassName = className;
        RegisterClassExA(&info);
    }
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND CreatePageControl(HWND parent, int tabCount, int selected, const char* className)
{
    EnsurePageControlClass(className);
    HWND control = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0,
                                   300, 200, parent, nullptr, GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control)
        return nullptr;
    for (int i = 0; i < tabCount; ++i) {
        char label[16];
        wsprintfA(label, "Tab %d", i);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = label;
        SendMessageA(control, TCM_INSERTITEMA, WPARAM(i), LPARAM(&item));
    }
    SendMessageA(control, TCM_SETCURSEL, WPARAM(selected), 0);
    return control;
}

SkypeThread::SkypeThread()
    : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      hung_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      resume_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this] { Main(); });
    WaitForSingleObject(ready_, 10000);
}

SkypeThread::~SkypeThread()
{
    Resume();
    if (apiWindow_)
        PostMessageA(apiWindow_, kQuitMessage, 0, 0);
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(hung_);
    CloseHandle(resume_);
}

void SkypeThread::Run(const std::function<void()>& work)
{
    SendMessageA(apiWindow_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void SkypeThread::Hang(DWORD maxMs)
{
    ResetEvent(resume_);
    ResetEvent(hung_);
    PostMessageA(apiWindow_, kHangMessage, maxMs, 0);
    WaitForSingleObject(hung_, 10000);
}

void SkypeThread::Resume()
{
    SetEvent(resume_);
}

LRESULT CALLBACK SkypeThread::ApiWindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam)
{
    SkypeThread* self = reinterpret_cast<SkypeThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case kRunMessage:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    case kHangMessage:
        SetEvent(self->hung_);
        WaitForSingleObject(self->resume_, DWORD(wParam));
        return 0;
    case kQuitMessage:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SkypeThread::Main()
{
    {
        std::lock_guard<std::mutex> lock(g_classMutex);
        WNDCLASSEXA info = {};
        info.cbSize = sizeof(info);
        info.lpfnWndProc = ApiWindowProc;
        info.hInstance = GetModuleHandleA(nullptr);
        info.lpszClassName = kApiWindowClass;
        RegisterClassExA(&info); // fails harmlessly when an earlier thread registered it
    }
    apiWindow_ = CreateWindowExA(0, kApiWindowClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(apiWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(ready_);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
