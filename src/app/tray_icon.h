// The notification-area icon: the program's only visible presence.
#pragma once
#include <windows.h>

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon(); // removes the icon

    void SetOwner(HINSTANCE instance, HWND ownerWindow, int command);
    HMENU LoadPopupMenu(UINT menuId);
    // The icon at the small-icon size of the system DPI, loaded once.
    HICON LookupIcon(UINT iconId);
    int AddIcon(UINT iconId, const char* tooltip);
    // A null tooltip changes only the picture.
    void ModifyIcon(UINT iconId, const char* tooltip);
    BOOL DeleteIcon();
    // The tray callback message (1029): lParam is the mouse message. Always returns 1.
    virtual int OnNotify(HWND window, WPARAM wParam, LPARAM lParam);

    // Releases the loaded icons, so that the next lookups load them at the size of that moment.
    void ForgetIcons();

    // Cache entries in use (0 to 10).
    int CachedIconCount() const { return iconCount; }

private:
    enum { kIconCacheSize = 10 };

    HINSTANCE instance;
    HWND ownerWindow;
    HMENU popupMenu;
    int command;
    HICON iconHandles[kIconCacheSize];
    UINT iconIds[kIconCacheSize];
    int iconCount;
};

extern TrayIcon g_trayIcon;

// The icon's id towards the shell and the callback message it sends to the owner window.
enum { kTrayIconId = 888, kTrayCallbackMessage = WM_USER + 5 };
