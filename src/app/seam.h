// The link seam: what leaves the process or needs a person. usbphone.exe links the real
// bodies (seam_real.cpp, library usbphone_seam); unit tests link recording fakes instead.
// Windows, messages, timers, the registry and resources stay real everywhere.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

// Synthetic keyboard input: keybd_event(virtualKey, 0, flags, 0).
void SeamKeybdEvent(BYTE virtualKey, DWORD flags);
// The pause between a press and its release (Sleep; does not pump messages).
void SeamPause(DWORD milliseconds);
// Launching Skype (WinExec).
UINT SeamWinExec(const char* commandLine, UINT show);
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
