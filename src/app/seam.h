// The link seam: what leaves the process or needs a person. usbphone.exe links the real
// bodies (seam_real.cpp, library usbphone_seam); unit tests link recording fakes instead.
// Windows, messages, timers, the registry and resources stay real everywhere.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

// Synthetic keyboard input (SendInput): the events in `inputs`, in order, with nothing
// typed by the user in between.
UINT SeamSendInput(UINT count, INPUT* inputs);

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

// The pause between a press and its release (Sleep; does not pump messages).
void SeamPause(DWORD milliseconds);
// Launching Skype (CreateProcessA with no handles inherited, no creation flags, the
// environment and current folder of this process). The caller closes the returned handles.
BOOL SeamCreateProcess(const char* application, char* commandLine, STARTUPINFOA* startup,
                       PROCESS_INFORMATION* started);
// The Close confirmation (MessageBoxA).
int SeamMessageBox(HWND owner, const char* text, const char* caption, UINT type);
// The notification-area icon (Shell_NotifyIconA).
BOOL SeamShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);

// The sound devices' names (waveOutGetNumDevs / waveOutGetDevCapsW and the waveIn pair). A
// seam because the platform under test cannot add or remove a device in a running process.
UINT SeamWaveOutGetNumDevs();
MMRESULT SeamWaveOutGetDevCaps(UINT device, WAVEOUTCAPSW* caps);
UINT SeamWaveInGetNumDevs();
MMRESULT SeamWaveInGetDevCaps(UINT device, WAVEINCAPSW* caps);

// Sound output.
MMRESULT SeamWaveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
MMRESULT SeamWaveOutPrepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size);
MMRESULT SeamWaveOutWrite(HWAVEOUT out, WAVEHDR* header, UINT size);
MMRESULT SeamWaveOutRestart(HWAVEOUT out);
MMRESULT SeamWaveOutReset(HWAVEOUT out);
MMRESULT SeamWaveOutUnprepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size);
MMRESULT SeamWaveOutClose(HWAVEOUT out);
