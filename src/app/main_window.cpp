// The hidden main window: class, creation, the registry value read at start, and the
// window procedure's dispatch.
#include "app/main_window.h"

#include <cstdio>
#include <cstdlib>

#include <dbt.h>

#include "app/about_dialog.h"
#include "app/app_messages.h"
#include "app/app_state.h"
#include "app/seam.h"
#include "app/skype_launch.h"
#include "app/status.h"
#include "app/reactions.h"
#include "app/tray_icon.h"
#include "res/resource.h"

// Other copies of the program look for this class (with the title) to stay single.
const char kMainWindowClass[] = "TavrixWindowClass20041118";

namespace {
// Other copies of the program open this mutex first to stay single.
const char kInstanceMutexName[] = "Local\\TavrixUsbPhoneDriverInstance";

const UINT kKeepAliveTimer = 1001;
const UINT kKeepAlivePeriodMs = 2000;
// Windows reports device changes in bursts; one choice of the sound devices after the last
// message of a burst is enough.
const UINT kDeviceChangeTimer = 1002;
const UINT kDeviceChangeSettleMs = 300;
// The audio device interface class: arrival and removal of sound devices.
const GUID kAudioInterfaceClass = {0x6994AD04, 0x93EF, 0x11D0,
                                   {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

void ConfirmClose()
{
    if (SeamMessageBox(nullptr, "Are you sure to close USB Phone Driver", "USB Phone Driver",
                       MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        DestroyWindow(g_app.ownWindow);
}

void RegisterForSoundDeviceChanges(HWND window)
{
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kAudioInterfaceClass;
    // Without it only DBT_DEVNODES_CHANGED arrives, which is enough; the handle lives as long
    // as the window.
    (void)RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void OnDeviceChange(HWND window, WPARAM event)
{
    if (event == DBT_DEVNODES_CHANGED || event == DBT_DEVICEARRIVAL ||
        event == DBT_DEVICEREMOVECOMPLETE)
        SetTimer(window, kDeviceChangeTimer, kDeviceChangeSettleMs, nullptr); // restarts it
}

void OnTimer(HWND window, UINT_PTR timer)
{
    if (timer == kDeviceChangeTimer) {
        KillTimer(window, kDeviceChangeTimer); // one-shot
        OnSoundDevicesChanged();
        return;
    }
    OnKeepAliveTimer();
}

// A REG_EXPAND_SZ value's text with its %variables% expanded; the text as it was when the
// expansion fails.
OwnedText ExpandedText(OwnedText text)
{
    DWORD size = ExpandEnvironmentStringsA(text.Get(), nullptr, 0);
    char* expanded = size ? static_cast<char*>(calloc(size + 1, 1)) : nullptr;
    if (!expanded)
        return text;
    DWORD written = ExpandEnvironmentStringsA(text.Get(), expanded, size + 1);
    if (written == 0 || written > size + 1) {
        free(expanded);
        return text;
    }
    return OwnedText(expanded);
}

// Windows ends the process once WM_ENDSESSION returns, without the message loop's end: the
// handset is shut down here, or a call ringing at log-off rings on with nobody to stop it.
void EndSession(HWND window)
{
    KillTimer(window, kKeepAliveTimer);
    KillTimer(window, kDeviceChangeTimer);
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
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    // Never closed: it is held until the process ends. A name that cannot be had at all
    // leaves the decision to the window search.
    return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
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

    StartSkype(ReadSkypeRegistryValue("SkypePath", "Phone").Get());

    SetTimer(window, kKeepAliveTimer, kKeepAlivePeriodMs, nullptr);
    // Posted: it runs from the message loop, once the handset is open (see OnFirstDiscovery).
    PostMessageA(window, WM_APP_FIRST_DISCOVERY, 0, 0);
    return 1;
}

OwnedText ReadSkypeRegistryValue(const char* valueName, const char* subKey)
{
    char keyName[MAX_PATH];
    snprintf(keyName, sizeof keyName, "SOFTWARE\\Skype\\%s", subKey);
    char* value = static_cast<char*>(calloc(1, 1));
    HKEY key;
    if (!value || RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return OwnedText(value);
    // Size first, so that a path of any length is read in full; the NUL is ours, whatever
    // the stored data holds. A value that changed between the two reads counts as missing.
    DWORD size = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
        size > 0) {
        char* buffer = static_cast<char*>(calloc(size + 1, 1));
        DWORD readSize = size;
        if (buffer && RegQueryValueExA(key, valueName, nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &readSize) ==
                          ERROR_SUCCESS) {
            free(value);
            value = buffer;
        } else {
            free(buffer);
        }
    }
    RegCloseKey(key);
    return type == REG_EXPAND_SZ ? ExpandedText(OwnedText(value)) : OwnedText(value);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        OnMainWindowDestroyed();
        KillTimer(g_app.ownWindow, kKeepAliveTimer);
        KillTimer(g_app.ownWindow, kDeviceChangeTimer);
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
        OnHandsetEvent(int(wParam));
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
