// Keyboard events as SendInput takes them: built here, typed through the platform seam.
#pragma once
#include <windows.h>

// One keyboard event for SendInput: a virtual key pressed or released.
inline INPUT VirtualKeyInput(WORD virtualKey, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

// One keyboard event for SendInput: a character, whatever key types it on the user's layout
// (the window receives VK_PACKET and, through TranslateMessage, the character itself).
inline INPUT CharacterInput(wchar_t character, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = character;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
    return input;
}
