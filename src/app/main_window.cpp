// The hidden main window: class, creation, and the window procedure's dispatch.
#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/app_messages.h"
#include "app/reactions.h"
#include "app/skype_launch.h"
#include "app/skype_registry.h"
#include "app/sound_device_changes.h"
#include "app/status.h"
#include "app/tray_icon.h"
#include "core/app_state.h"
#include "platform/seam.h"
#include "res/resource.h"

// Other copies of the program look for this class (with the title) to stay single.
const char kMainWindowClass[] = "TavrixWindowClass20041118";

namespace {
// Other copies of the program open this mutex first to stay single.
const char kInstanceMutexName[] = "Local\\TavrixUsbPhoneDriverInstance";
// Held for the life of the process: the system closes it at exit, which lets the next copy in.
HANDLE g_instanceMutex = nullptr;

const UINT kKeepAliveTimer = 1001;
const UINT kKeepAlivePeriodMs = 2000;

void ConfirmClose()
{
    if (SeamMessageBox(nullptr, "Are you sure to close USB Phone Driver", "USB Phone Driver",
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        DestroyWindow(g_app.ownWindow);
}

void OnTimer(HWND window, UINT_PTR timer)
{
    if (!OnSoundDeviceSettleTimer(window, timer))
        OnKeepAliveTimer();
}

void StopTimers(HWND window)
{
    KillTimer(window, kKeepAliveTimer);
    StopSoundDeviceSettleTimer(window);
}

// Windows ends the process once WM_ENDSESSION returns, without the message loop's end: the
// handset is shut down here, or a call ringing at log-off rings on with nobody to stop it.
void EndSession(HWND window)
{
    StopTimers(window);
    OnSessionEnding();
    (void)g_trayIcon.DeleteIcon();
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDM_ABOUT:
        ShowAboutDialog();
        return 0;
    case IDM_CLOSE:
        ConfirmClose();
        return 0;
    default:
        return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}
} // namespace

bool AnotherInstanceStarted()
{
    // Named in the session's namespace: one driver per logged-on user, as the handset and
    // the tray are. A second copy started at the same moment as the first (the Run value and
    // a click on the shortcut) would pass the window search too, before either window exists.
    g_instanceMutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    // A name that cannot be had at all leaves the decision to the window search.
    return g_instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FindRunningInstance()
{
    return FindWindowExA(nullptr, nullptr, kMainWindowClass, g_app.windowTitle) != nullptr;
}

void RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    windowClass.lpszClassName = kMainWindowClass;
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_SMALL));
    (void)RegisterClassExA(&windowClass); // a failure shows as the window creation failing
}

int CreateMainWindow(HINSTANCE instance, int /*showCommand: the window is never shown*/)
{
    // Message names fixed by Skype's desktop API.
    g_app.attachMessage = RegisterWindowMessageA("SkypeControlAPIAttach");
    g_app.discoverMessage = RegisterWindowMessageA("SkypeControlAPIDiscover");
    // Registered by the shell when it (re)starts; the icon must then be added again.
    g_app.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    g_app.instance = instance;

    // An ordinary top-level window, not message-only: broadcasts and the single-instance
    // search only reach top-level windows.
    HWND window = CreateWindowExA(0, kMainWindowClass, g_app.windowTitle, WS_OVERLAPPEDWINDOW,
                                  100, 100, 100, 60, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    g_app.ownWindow = window;
    RegisterForSoundDeviceChanges(window);

    g_trayIcon.SetOwner(instance, window, IDM_ABOUT);
    g_trayIcon.LoadPopupMenu(IDM_TRAY);
    g_trayIcon.AddIcon(g_app.handsetStatus != 0 ? IDI_STATUS_NOPHONE : IDI_STATUS_NOSKYPE,
                       "Tavrix");
    RefreshStatus();

    g_app.skypeMissing = !StartSkype(ReadSkypeRegistryValue("SkypePath", "Phone").Get());
    UpdateStatusIcon();

    SetTimer(window, kKeepAliveTimer, kKeepAlivePeriodMs, nullptr);
    // Posted: it runs from the message loop, once the handset is open (see OnFirstDiscovery).
    PostMessageA(window, WM_APP_FIRST_DISCOVERY, 0, 0);
    return 1;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        OnMainWindowDestroyed();
        StopTimers(window);
        PostQuitMessage(0);
        return 0;
    case WM_COPYDATA:
        return OnSkypeCopyData(wParam, lParam);
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_DEVICECHANGE:
        OnDeviceChange(window, wParam);
        return TRUE;
    case WM_QUERYENDSESSION:
        return TRUE; // nothing of ours is worth keeping a log-off waiting
    case WM_ENDSESSION:
        if (wParam)
            EndSession(window);
        return 0;
    case kTrayCallbackMessage:
        // The shell sends it, and our sends to Skype let sent messages in while they wait: a
        // menu opened here would run its modal loop inside such a send and dispatch the
        // handset's queued keys from there, interleaving their commands. So the menu opens
        // from the message loop.
        PostMessageA(window, WM_APP_TRAY_NOTIFY, wParam, lParam);
        return 0;
    case WM_APP_TRAY_NOTIFY:
        (void)g_trayIcon.OnNotify(window, wParam, lParam);
        return 0;
    case WM_APP_HANDSET_KEY:
        OnQueuedHandsetEvent(int(wParam));
        return 0;
    case WM_APP_HANDSET_PLUG:
        OnHandsetPlugged(int(wParam));
        return 0;
    case WM_APP_FIRST_DISCOVERY:
        OnFirstDiscovery();
        return 0;
    case WM_APP_SKYPE_AVAILABLE:
        OnSkypeAvailable();
        return 0;
    default:
        break;
    }
    // Run-time ids last.
    if (message == g_app.attachMessage && message != 0) {
        OnSkypeAttachReply(wParam, lParam);
        return 1;
    }
    if (message == g_app.taskbarCreatedMessage && message != 0) {
        RestoreTrayIcon();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
