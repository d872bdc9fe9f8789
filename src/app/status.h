// The three-state status: handset absent; handset present and Skype attached; handset
// present and Skype not attached.
#pragma once
#include <windows.h>

struct StatusPicture {
    UINT iconId;
    const char* tooltip;
};

// The picture and tooltip for the current state, without side effects.
StatusPicture CurrentStatusPicture();

// Shows the current state: the LCD's Skype indicator, the icon, and, when attached with the
// handset present, Skype's audio devices. Repeats every step on every call.
void RefreshStatus();

// Skype answered our attach message without attaching us (it asks its user, refused, or has
// just started): only the icon's tooltip can change, and only while the handset is present.
void ShowSkypeAccess();

// The icon and tooltip brought up to date where they say something else, the LCD and Skype
// left alone: the handset turned out absent when opened, no Skype was found to start.
void UpdateStatusIcon();

// The shell lost the icon (Explorer restarted): adds it again with the current picture,
// loaded afresh, without touching the LCD or Skype.
void RestoreTrayIcon();

// On the keep-alive tick: while the shell has refused the icon, tries again (for a minute).
void KeepTrayIconShown();
