// Real bodies of the platform seam.
#include "platform/seam.h"

UINT SeamSendInput(UINT count, INPUT* inputs)
{
    return SendInput(count, inputs, sizeof(INPUT));
}

void SeamSleep(DWORD milliseconds)
{
    Sleep(milliseconds);
}

DWORD SeamTickCount()
{
    return GetTickCount();
}

BOOL SeamCreateProcess(const char* application, char* commandLine, STARTUPINFOA* startup,
                       PROCESS_INFORMATION* started)
{
    return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, startup, started);
}

int SeamMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

BOOL SeamShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    return Shell_NotifyIconA(message, data);
}

MMRESULT SeamWaveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    return waveOutOpen(out, device, format, callback, instance, flags);
}

MMRESULT SeamWaveOutPrepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    return waveOutPrepareHeader(out, header, size);
}

MMRESULT SeamWaveOutWrite(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    return waveOutWrite(out, header, size);
}

MMRESULT SeamWaveOutPause(HWAVEOUT out)
{
    return waveOutPause(out);
}

MMRESULT SeamWaveOutRestart(HWAVEOUT out)
{
    return waveOutRestart(out);
}

MMRESULT SeamWaveOutReset(HWAVEOUT out)
{
    return waveOutReset(out);
}

MMRESULT SeamWaveOutUnprepareHeader(HWAVEOUT out, WAVEHDR* header, UINT size)
{
    return waveOutUnprepareHeader(out, header, size);
}

MMRESULT SeamWaveOutClose(HWAVEOUT out)
{
    return waveOutClose(out);
}
