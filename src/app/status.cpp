// The three-state status shown by the icon and the LCD.
#include "app/status.h"

#include "app/skype_audio_devices.h"
#include "app/tray_icon.h"
#include "core/app_state.h"
#include "handset/handset_api.h"
#include "handset/handset_display.h"
#include "res/resource.h"

namespace {
const char kTipNoHandset[] = "USB Device Driver (Please Connect USB Phone)";
const char kTipAttached[] = "USB Device Driver (Skype Feature-Enabled)";
const char kTipNoSkype[] = "USB Device Driver (Please Launch Skype)";
// Skype runs but has not let us in yet. A tooltip holds at most 63 characters.
const char kTipAsking[] = "USB Device Driver (Allow it in Skype)";
const char kTipRefused[] = "USB Device Driver (Refused: allow in Skype Options > Advanced)";
const char kTipSkypeMissing[] = "USB Device Driver (Skype is not installed)";
// The handset maker's library is not in our package: what is wrong with it is what the user
// must mend, whether or not a handset is plugged in.
const char kTipLibraryNotFound[] = "USB Device Driver (Handset library KVLIB.DLL not found)";
const char kTipLibraryNotLoadable[] = "USB Device Driver (KVLIB.DLL cannot be loaded)";
const char kTipLibraryIncomplete[] = "USB Device Driver (KVLIB.DLL lacks a needed function)";

// A tooltip holds 63 characters and its NUL.
template <size_t size> constexpr bool FitsTooltip(const char (&)[size])
{
    return size <= 64;
}
static_assert(FitsTooltip(kTipRefused) && FitsTooltip(kTipSkypeMissing) &&
                  FitsTooltip(kTipLibraryNotFound) && FitsTooltip(kTipLibraryNotLoadable) &&
                  FitsTooltip(kTipLibraryIncomplete),
              "tooltips of at most 63 characters");

const char* LibraryTip(HandsetLibraryFault fault)
{
    switch (fault) {
    case kLibraryNotFound:
        return kTipLibraryNotFound;
    case kLibraryNotLoadable:
        return kTipLibraryNotLoadable;
    case kLibraryIncomplete:
        return kTipLibraryIncomplete;
    case kLibraryFine:
        break;
    }
    return nullptr;
}
} // namespace

StatusPicture CurrentStatusPicture()
{
    if (const char* libraryTip = LibraryTip(HandsetLibraryFaultNow()))
        return {IDI_STATUS_NOPHONE, libraryTip};
    if (g_app.handsetStatus != 0)
        return {IDI_STATUS_NOPHONE, kTipNoHandset};
    if (g_app.skypeApiWindow)
        return {IDI_STATUS_ENABLED, kTipAttached};
    switch (g_app.skypeAccess) {
    case kAccessAsking:
        return {IDI_STATUS_NOSKYPE, kTipAsking};
    case kAccessRefused:
        return {IDI_STATUS_NOSKYPE, kTipRefused};
    case kAccessUnknown:
        break;
    }
    if (g_app.skypeMissing)
        return {IDI_STATUS_NOSKYPE, kTipSkypeMissing};
    return {IDI_STATUS_NOSKYPE, kTipNoSkype};
}

void RefreshStatus()
{
    StatusPicture picture = CurrentStatusPicture();
    if (g_app.handsetStatus != 0) {
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
    } else if (g_app.skypeApiWindow) {
        SetSkypeIndicator(1);
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
        SelectSkypeAudioDevices();
    } else {
        SetSkypeIndicator(0);
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
    }
}

void ShowSkypeAccess()
{
    if (g_app.handsetStatus != 0 || g_app.skypeApiWindow)
        return; // "handset not connected" and "attached" say nothing of Skype's question
    StatusPicture picture = CurrentStatusPicture();
    g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
}

void UpdateStatusIcon()
{
    StatusPicture picture = CurrentStatusPicture();
    if (!g_trayIcon.Shows(picture.iconId, picture.tooltip))
        g_trayIcon.ModifyIcon(picture.iconId, picture.tooltip);
}

void RestoreTrayIcon()
{
    // A new shell may come with another DPI: the icons are loaded again at the small-icon
    // size of now.
    g_trayIcon.ForgetIcons();
    StatusPicture picture = CurrentStatusPicture();
    (void)g_trayIcon.AddIcon(picture.iconId, picture.tooltip); // a refusal is retried
}

void KeepTrayIconShown()
{
    g_trayIcon.RetryMissingIcon();
}
