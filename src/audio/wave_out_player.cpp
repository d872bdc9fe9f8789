// The key-tone player: device choice, resource lookup and the waveOut play steps.
#include "audio/wave_out_player.h"

#include <cstring>

#include "audio/device_choice.h"
#include "audio/play_end.h"
#include "platform/seam.h"
#include "pure/riff.h"

namespace {

// Shared by every player of the program (and by any other copy of it).
const char kEventName[] = "WaveOutThreadEvent";

// How long past the tone's own length a synchronous play waits for the driver to report
// the end of the play (the tail of silence included). A silent driver must not hold the
// key thread for ever.
const DWORD kDriverGraceMs = 1000;

DWORD PlayLengthMs(const WAVEFORMATEX* format, DWORD bytes)
{
    if (format->nAvgBytesPerSec == 0)
        return 0;
    return DWORD((bytes * 1000ull + format->nAvgBytesPerSec - 1) / format->nAvgBytesPerSec);
}

} // namespace

WaveOutPlayer::WaveOutPlayer()
    : output(nullptr), header(), format(), playing(0), loop(0), deviceIndex(0),
      event(nullptr), tail()
{
}

WaveOutPlayer::~WaveOutPlayer()
{
    Stop();
    if (event)
        CloseHandle(event);
}

bool WaveOutPlayer::Load(UINT resourceId)
{
    UINT deviceCount = SeamWaveOutGetNumDevs();
    if (deviceCount == 0)
        return false;
    deviceIndex = FindToneDevice();

    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "WAVE");
    if (!info)
        return false;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data)
        return false;
    WaveChunks chunks;
    bool found = FindWaveChunks(data, SizeofResource(module, info), &chunks);
    // A copy, its missing fields zero: the chunk may be shorter than the WAVEFORMATEX that
    // waveOutOpen and the tail read (14 bytes in the oldest files).
    format = WAVEFORMATEX();
    if (found)
        memcpy(&format, chunks.format, chunks.formatBytes < sizeof format ? chunks.formatBytes
                                                                           : sizeof format);
    // The header points into the resource itself: resources live as long as the program.
    header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(chunks.samples));
    header.dwBufferLength = chunks.sampleBytes;
    return found;
}

int WaveOutPlayer::Play(bool loopPlay)
{
    if (playing)
        return 1;
    loop = loopPlay;
    if (loop) {
        // The event exists before the worker starts, so a Stop that comes at once has
        // something to signal.
        OpenEvent();
        InterlockedExchange(&playing, 1);
        Start();
        return 0;
    }
    (void)PlaySteps(); // a tone that cannot be played is simply not heard
    return 0;
}

void WaveOutPlayer::Stop()
{
    InterlockedExchange(&playing, 0);
    if (event)
        SetEvent(event);
    Close();
}

DWORD WaveOutPlayer::Run()
{
    return PlaySteps();
}

bool WaveOutPlayer::OpenEvent()
{
    // One handle per player, kept until the player is destroyed, so that Stop can always
    // signal it. While it is open, the name keeps referring to the same event object.
    if (!event)
        event = CreateEventA(nullptr, FALSE, FALSE, kEventName);
    return event != nullptr;
}

MMRESULT WaveOutPlayer::PlaySteps()
{
    if (!OpenEvent())
        return MMSYSERR_NOMEM;
    MMRESULT result = SeamWaveOutOpen(&output, deviceIndex, &format,
                                      reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR)
        return result;

    header.dwFlags = 0;
    header.dwLoops = 0;
    bool tailPrepared = false;
    result = SeamWaveOutPrepareHeader(output, &header, sizeof header);
    if (result == MMSYSERR_NOERROR && header.dwFlags == WHDR_PREPARED) {
        if (loop) {
            header.dwFlags = WHDR_PREPARED | WHDR_BEGINLOOP | WHDR_ENDLOOP;
            header.dwLoops = 0xFFFFFFFF;
        } else {
            // A looping play is cut by Stop anyway; a single tone is played to its end.
            tailPrepared = MakeTailSilence(&format, &tail) &&
                           SeamWaveOutPrepareHeader(output, &tail, sizeof tail) ==
                               MMSYSERR_NOERROR;
        }
        // Opening the device signalled the event; so may an earlier play or Stop.
        ResetEvent(event);
        result = SeamWaveOutWrite(output, &header, sizeof header);
        // Without its tail the tone still plays; only its last milliseconds may be lost.
        bool tailWritten = result == MMSYSERR_NOERROR && tailPrepared &&
                           SeamWaveOutWrite(output, &tail, sizeof tail) == MMSYSERR_NOERROR;
        if (result == MMSYSERR_NOERROR)
            result = SeamWaveOutRestart(output);
        if (result == MMSYSERR_NOERROR) {
            if (loop) {
                // A Stop that came before the ResetEvent above has already cleared the
                // flag; its signal is gone, so do not wait for it.
                if (playing)
                    WaitForSingleObject(event, INFINITE);
            } else {
                (void)WaitUntilDone(event, tailWritten ? &tail : &header,
                                    PlayLengthMs(&format, header.dwBufferLength) +
                                        kDriverGraceMs);
            }
        }
    }
    // The device is closed on every path once it was opened, whatever went wrong after.
    (void)SeamWaveOutReset(output);
    (void)SeamWaveOutUnprepareHeader(output, &header, sizeof header);
    if (tailPrepared)
        (void)SeamWaveOutUnprepareHeader(output, &tail, sizeof tail);
    (void)SeamWaveOutClose(output);
    output = nullptr;
    return result;
}
