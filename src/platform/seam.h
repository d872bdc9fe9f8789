// The link seam: what leaves the process or needs a person. usbphone.exe links the real
// bodies (seam_real.cpp, library usbphone_seam); unit tests link recording fakes instead.
// Windows, messages, timers, the registry and resources stay real everywhere.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "core/key_input.h" // the events SeamSendInput takes

// Synthetic keyboard input (SendInput): the events in `inputs`, in order, with nothing
// typed by the user in between.
UINT SeamSendInput(UINT count, INPUT* inputs);

// The pause between a press and its release (Sleep; does not pump messages).
void SeamSleep(DWORD milliseconds);
// The clock that times the program's own waits between events (GetTickCount): tests move it
// on instead of sleeping.
DWORD SeamTickCount();
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
MMRESULT SeamWaveOutPause(HWAVEOUT out);
MMRESULT SeamWaveOutRestart(HWAVEOUT out);
MMRESULT SeamWaveOutReset(HWAVEOUT out);
MMRESULT SeamWaveOutUnprepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size);
MMRESULT SeamWaveOutClose(HWAVEOUT out);
