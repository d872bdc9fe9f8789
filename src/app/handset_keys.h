// Handset keys: Skype commands while Skype is attached, keystrokes while it is not.
#pragma once

// Key codes the handset library reports.
enum HandsetKey {
    kKeyStar = 20, kKeyHash = 21, kKeyNo = 30, kKeyUp = 40, kKeyYes = 50, kKeyDown = 60,
    kHookOn = 70,  // handset put down
    kHookOff = 80, // handset lifted
};

// Routes one key, on the main thread: ignored while the handset is absent.
void OnHandsetKey(int key);
void DispatchSkypeKey(int key);
// Skype not attached: types `key` into the window with the keyboard focus, digits, "*" and
// "#" as those characters on any keyboard layout, the other keys as virtual keys. A code
// the handset does not have types nothing.
void EmulateKey(int key);
// Skype runs but is not attached (dropped for not answering, or not attached yet): types
// nothing; the hook switch is kept.
void HoldKeyForSilentSkype(int key);
void PressSkypeButton(const char* name);
void SendHook(int on);

