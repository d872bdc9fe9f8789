// The notification-area icon, its icon cache and its mouse handling.
#include "app/tray_icon.h"

#include <cstring>

#include "platform/seam.h"

#if !defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first, 88-byte form of the shell record");
#endif

TrayIcon g_trayIcon;

namespace {
void FillRecord(NOTIFYICONDATAA* data, HWND owner, UINT flags)
{
    memset(data, 0, sizeof *data);
    data->cbSize = NOTIFYICONDATAA_V1_SIZE;
    data->hWnd = owner;
    data->uID = kTrayIconId;
    data->uFlags = flags;
}

void CopyTooltip(NOTIFYICONDATAA* data, const char* tooltip)
{
    // The shell record holds 63 characters and the NUL; longer tooltips are cut.
    lstrcpynA(data->szTip, tooltip, 64);
}
} // namespace

TrayIcon::~TrayIcon()
{
    DeleteIcon();
}

void TrayIcon::SetOwner(HINSTANCE newInstance, HWND newOwner, int newCommand)
{
    instance = newInstance;
    ownerWindow = newOwner;
    command = newCommand;
}

HMENU TrayIcon::LoadPopupMenu(UINT menuId)
{
    popupMenu = LoadMenuA(instance, MAKEINTRESOURCEA(menuId));
    return popupMenu;
}

HICON TrayIcon::LookupIcon(UINT iconId)
{
    for (int i = 0; i < iconCount; ++i)
        if (iconIds[i] == iconId)
            return iconHandles[i];
    // The notification area shows small icons. The program is DPI-aware, so at 125-200 % the
    // small-icon size is 20-32 pixels and the icon has an image of that size. Not LR_SHARED:
    // the system shares an icon by its resource alone, whatever size was asked, so a reload
    // for another DPI would get the old one back; the cache owns these handles.
    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    if (!icon)
        return nullptr;
    if (iconCount < kIconCacheSize) {
        iconHandles[iconCount] = icon;
        iconIds[iconCount] = iconId;
        ++iconCount;
    }
    return icon;
}

int TrayIcon::AddIcon(UINT iconId, const char* tooltip)
{
    Remember(iconId, tooltip);
    addRetries = 0;
    removed = false;
    return Add(LookupIcon(iconId)); // added even without a picture
}

void TrayIcon::ModifyIcon(UINT iconId, const char* tooltip)
{
    HICON icon = LookupIcon(iconId);
    if (!icon)
        return; // keeps the previous picture and tooltip
    Remember(iconId, tooltip);
    if (removed)
        return; // taken away on purpose (log-off): shown again only by AddIcon
    NOTIFYICONDATAA data;
    FillRecord(&data, ownerWindow, tooltip ? NIF_ICON | NIF_TIP : NIF_ICON);
    data.hIcon = icon;
    if (tooltip)
        CopyTooltip(&data, tooltip);
    if (SeamShellNotifyIcon(NIM_MODIFY, &data)) {
        // Also after a refused add: one that timed out while the shell was busy at log-on
        // may still have been carried out.
        iconMissing = false;
        addRetries = 0;
        return;
    }
    // The shell does not have the icon: the add at start was refused, or the shell lost it
    // without a TaskbarCreated reaching us.
    (void)Add(icon);
}

void TrayIcon::RetryMissingIcon()
{
    if (!iconMissing || addRetries >= kMaxAddRetries)
        return;
    ++addRetries;
    // Modify first, then add: see ModifyIcon.
    char tooltip[sizeof shownTooltip];
    lstrcpynA(tooltip, shownTooltip, sizeof tooltip);
    ModifyIcon(shownIconId, tooltip);
}

void TrayIcon::ForgetIcons()
{
    for (int i = 0; i < iconCount; ++i)
        DestroyIcon(iconHandles[i]); // the shell keeps copies of its own
    iconCount = 0;
}

int TrayIcon::Add(HICON icon)
{
    NOTIFYICONDATAA data;
    FillRecord(&data, ownerWindow, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    CopyTooltip(&data, shownTooltip);
    // At log-on the shell may not be there yet, or too busy to answer in time.
    iconMissing = !SeamShellNotifyIcon(NIM_ADD, &data);
    if (!iconMissing)
        addRetries = 0;
    return iconMissing ? 0 : 1;
}

void TrayIcon::Remember(UINT iconId, const char* tooltip)
{
    shownIconId = iconId;
    if (tooltip)
        lstrcpynA(shownTooltip, tooltip, sizeof shownTooltip);
}

BOOL TrayIcon::DeleteIcon()
{
    removed = true;
    iconMissing = false;
    NOTIFYICONDATAA data;
    FillRecord(&data, ownerWindow, 0);
    return SeamShellNotifyIcon(NIM_DELETE, &data);
}

int TrayIcon::OnNotify(HWND, WPARAM, LPARAM lParam)
{
    if (lParam == WM_LBUTTONDBLCLK) {
        PostMessageA(ownerWindow, WM_COMMAND, command, 0);
    } else if (lParam == WM_RBUTTONUP) {
        POINT cursor;
        GetCursorPos(&cursor);
        TPMPARAMS params;
        params.cbSize = sizeof params;
        SetRect(&params.rcExclude, cursor.x, cursor.y, cursor.x + 1, cursor.y + 1);
        HMENU menu = GetSubMenu(popupMenu, 0);
        // A menu of a window that is not in the foreground does not close when the user
        // clicks elsewhere; the documented remedy is the foreground window before and a
        // WM_NULL after.
        SetForegroundWindow(ownerWindow);
        TrackPopupMenuEx(menu, TPM_RIGHTALIGN | TPM_VERTICAL, cursor.x, cursor.y, ownerWindow,
                         &params);
        PostMessageA(ownerWindow, WM_NULL, 0, 0);
    }
    return 1;
}
