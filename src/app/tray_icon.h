// The notification-area icon: the program's only visible presence.
#pragma once
#include <windows.h>

class TrayIcon {
public:
    ~TrayIcon(); // removes the icon

    void SetOwner(HINSTANCE instance, HWND ownerWindow, int command);
    HMENU LoadPopupMenu(UINT menuId);
    // The icon at the small-icon size of the system DPI, loaded once.
    HICON LookupIcon(UINT iconId);
    // 1 when the shell took the icon; 0 when it refused (then RetryMissingIcon adds it again).
    int AddIcon(UINT iconId, const char* tooltip);
    // A null tooltip changes only the picture. When the shell no longer has the icon, adds it
    // again with this picture and the latest tooltip. Nothing after DeleteIcon.
    void ModifyIcon(UINT iconId, const char* tooltip);
    // Also ends the retries: the icon comes back only with AddIcon.
    BOOL DeleteIcon();
    // The tray callback message (1029): lParam is the mouse message. Always returns 1.
    virtual int OnNotify(HWND window, WPARAM wParam, LPARAM lParam);

    // For the keep-alive tick: while the shell lacks the icon, shows it again, on at most
    // kMaxAddRetries ticks in a row. Once the icon shows, or on AddIcon, the count starts
    // afresh.
    void RetryMissingIcon();
    // Releases the loaded icons, so that the next lookups load them at the size of that moment.
    void ForgetIcons();

    // Cache entries in use (0 to 10).
    int CachedIconCount() const { return iconCount; }
    // The last add was refused and nothing has shown the icon since.
    bool IconMissing() const { return iconMissing; }
    // The icon shows this picture and tooltip (as last asked; shown or not by the shell).
    bool Shows(UINT iconId, const char* tooltip) const
    {
        return shownIconId == iconId && lstrcmpA(shownTooltip, tooltip) == 0;
    }

    enum { kMaxAddRetries = 30 }; // a minute of keep-alive ticks

private:
    enum { kIconCacheSize = 10 };

    int Add(HICON icon);
    void Remember(UINT iconId, const char* tooltip);

    HINSTANCE instance = nullptr;
    HWND ownerWindow = nullptr;
    HMENU popupMenu = nullptr;
    int command = 0;
    HICON iconHandles[kIconCacheSize] = {};
    UINT iconIds[kIconCacheSize] = {};
    int iconCount = 0;
    // What the icon shows, or is to show once the shell takes it.
    UINT shownIconId = 0;
    char shownTooltip[64] = {};
    bool iconMissing = false;
    int addRetries = 0;
    bool removed = false; // DeleteIcon was called, and AddIcon not since
};

extern TrayIcon g_trayIcon;

// The icon's id towards the shell and the callback message it sends to the owner window.
enum { kTrayIconId = 888, kTrayCallbackMessage = WM_USER + 5 };
