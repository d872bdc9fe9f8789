// The held key-tone device: one open waveOut device, its callback event, the end of its last
// tone, and the thread that keeps it fed with silence for a moment after each tone. The
// functions are called from the key-handling thread only.
#include "audio/tone_device.h"

#include <cstring>

#include "audio/play_end.h"
#include "platform/seam.h"

const char kToneEventName[] = "WaveOutThreadEvent";

namespace {

// After each tone the device is fed silence for a while, one short piece at a time.
// A device that runs dry at the end of a tone loses what the driver had not yet handed to
// the sound server by then: Wine's driver hands its data on at its own clock, a few periods
// ahead of the server at most, and once a buffer is reported done it stops handing anything
// on until more is written; by the time more comes the server has run dry and Wine skips
// what it still held. On a sink that takes data in long blocks (an idle one, or one run at a
// long latency) that is up to 65 ms of the tone's end, measured, whether or not the device
// is ever closed. Fed for longer than that, the whole tone reaches the server; fed in short
// pieces, a tone that comes meanwhile waits behind at most kPiecesAhead of them, not behind
// a long tail.
const DWORD kFeedMs = 120;
const DWORD kPieceMs = 10;
const int kPiecesAhead = 2;
const int kPieceCount = kPiecesAhead + 1;
const DWORD kFeedPollMs = 3;

// Zero bytes for the pieces of any PCM format of 16 bits or more, up to 48 kHz stereo 32-bit
// (in .bss: it costs the executable nothing). Only ever read by the drivers.
BYTE g_silence[48000 * 2 * 4 * kPieceMs / 1000];

struct HeldDevice {
    HWAVEOUT output;
    UINT device;
    WAVEFORMATEX format;
    HANDLE event;
    DWORD lastDone; // SeamTickCount() when the last tone was done
    // The silence pieces, prepared when piecesPrepared; written[i] while piece i is queued.
    WAVEHDR pieces[kPieceCount];
    bool written[kPieceCount];
    bool piecesPrepared;
    HANDLE feeder; // the feeding thread, and the event that wakes it
    HANDLE wake;
    volatile LONG quit;
    volatile LONG feedUntil; // GetTickCount() until which the device is fed
};

HeldDevice g_held = {};
// Orders the writes of the tone (key thread) and of the pieces (feeder) on the device.
CRITICAL_SECTION g_writeLock;
bool g_writeLockReady = false;

DWORD PlayLengthMs(const WAVEFORMATEX* format, DWORD bytes)
{
    if (format->nAvgBytesPerSec == 0)
        return 0;
    return DWORD((bytes * 1000ull + format->nAvgBytesPerSec - 1) / format->nAvgBytesPerSec);
}

// Points `piece` at kPieceMs of silence in `format`. False when that cannot be given as zero
// bytes (8-bit PCM centres on 0x80, other codecs have no plain silence): the device is then
// not fed.
bool MakePiece(const WAVEFORMATEX* format, WAVEHDR* piece)
{
    *piece = WAVEHDR();
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample < 16 ||
        format->nBlockAlign == 0)
        return false;
    DWORD bytes = format->nAvgBytesPerSec / 1000 * kPieceMs;
    if (bytes > sizeof g_silence)
        bytes = sizeof g_silence;
    bytes -= bytes % format->nBlockAlign;
    if (bytes == 0)
        return false;
    piece->lpData = reinterpret_cast<LPSTR>(g_silence);
    piece->dwBufferLength = bytes;
    return true;
}

bool Done(const WAVEHDR& header)
{
    // Written by the driver's own thread.
    return (*static_cast<const volatile DWORD*>(&header.dwFlags) & WHDR_DONE) != 0;
}

// Keeps kPiecesAhead pieces queued while the feeding time lasts (every tone extends it).
// Under the write lock.
void FeedOnce()
{
    int queued = 0;
    int idle = -1;
    for (int i = 0; i < kPieceCount; ++i) {
        if (g_held.written[i] && !Done(g_held.pieces[i]))
            ++queued;
        else if (idle < 0)
            idle = i;
    }
    if (queued >= kPiecesAhead || idle < 0)
        return;
    WAVEHDR& piece = g_held.pieces[idle];
    piece.dwFlags = WHDR_PREPARED;
    g_held.written[idle] =
        SeamWaveOutWrite(g_held.output, &piece, sizeof piece) == MMSYSERR_NOERROR;
}

DWORD WINAPI Feed(void*)
{
    for (;;) {
        (void)WaitForSingleObject(g_held.wake, INFINITE);
        // Polled, not woken by the device's event: that event is the key thread's to wait on
        // (an automatic-reset event wakes one waiter only).
        while (!g_held.quit && LONG(GetTickCount() - DWORD(g_held.feedUntil)) < 0) {
            EnterCriticalSection(&g_writeLock);
            FeedOnce();
            LeaveCriticalSection(&g_writeLock);
            Sleep(kFeedPollMs);
        }
        if (g_held.quit)
            return 0;
    }
}

void StartFeeder()
{
    g_held.piecesPrepared = true;
    for (WAVEHDR& piece : g_held.pieces) {
        g_held.piecesPrepared = g_held.piecesPrepared && MakePiece(&g_held.format, &piece) &&
                                SeamWaveOutPrepareHeader(g_held.output, &piece,
                                                         sizeof piece) == MMSYSERR_NOERROR;
    }
    if (!g_held.piecesPrepared)
        return; // the tones still play; only their last milliseconds may be lost
    if (!g_writeLockReady) {
        InitializeCriticalSection(&g_writeLock);
        g_writeLockReady = true;
    }
    g_held.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (g_held.wake)
        g_held.feeder = CreateThread(nullptr, 0, Feed, nullptr, 0, nullptr);
}

void StopFeeder()
{
    if (g_held.feeder) {
        InterlockedExchange(&g_held.quit, 1);
        SetEvent(g_held.wake);
        (void)WaitForSingleObject(g_held.feeder, INFINITE); // it ends within one poll
        CloseHandle(g_held.feeder);
    }
    if (g_held.wake)
        CloseHandle(g_held.wake);
}

bool Holds(UINT device, const WAVEFORMATEX* format)
{
    return g_held.output && g_held.device == device &&
           memcmp(&g_held.format, format, sizeof g_held.format) == 0;
}

MMRESULT Open(UINT device, const WAVEFORMATEX* format)
{
    g_held.event = CreateEventA(nullptr, FALSE, FALSE, kToneEventName);
    if (!g_held.event)
        return MMSYSERR_NOMEM;
    MMRESULT result = SeamWaveOutOpen(&g_held.output, device, format,
                                      reinterpret_cast<DWORD_PTR>(g_held.event), 0,
                                      CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        g_held.output = nullptr;
        CloseToneDevice();
        return result;
    }
    g_held.device = device;
    g_held.format = *format;
    StartFeeder();
    return MMSYSERR_NOERROR;
}

// Writes the tone behind whatever silence is queued, and has the device fed from then until
// kFeedMs after the tone's end.
MMRESULT WriteTone(WAVEHDR* header)
{
    if (g_held.feeder)
        EnterCriticalSection(&g_writeLock);
    MMRESULT result = SeamWaveOutWrite(g_held.output, header, sizeof *header);
    if (result == MMSYSERR_NOERROR && g_held.feeder) {
        g_held.feedUntil =
            LONG(GetTickCount() + PlayLengthMs(&g_held.format, header->dwBufferLength) +
                 kFeedMs);
        SetEvent(g_held.wake);
    }
    if (g_held.feeder)
        LeaveCriticalSection(&g_writeLock);
    return result;
}

// A device whose stream the sound server dropped (its sink unplugged) takes writes under Wine
// and never reports them done; only its pause fails. Asked only of a device that has gone
// quiet since its last tone (nothing queued, so the pause and the restart after the write
// cost nothing audible): a device is only dropped with its sink, and a key right after a
// tone comes too soon for that to be likely.
bool Dead()
{
    if (LONG(GetTickCount() - DWORD(g_held.feedUntil)) < 0)
        return false;
    return SeamWaveOutPause(g_held.output) != MMSYSERR_NOERROR;
}

} // namespace

MMRESULT PlayOnToneDevice(UINT device, const WAVEFORMATEX* format, WAVEHDR* header,
                          DWORD waitMs)
{
    if (g_held.output && (!Holds(device, format) || Dead()))
        CloseToneDevice();
    if (!g_held.output) {
        MMRESULT opened = Open(device, format);
        if (opened != MMSYSERR_NOERROR)
            return opened;
    }

    header->dwFlags = 0;
    header->dwLoops = 0;
    MMRESULT result = SeamWaveOutPrepareHeader(g_held.output, header, sizeof *header);
    if (result != MMSYSERR_NOERROR) {
        CloseToneDevice();
        return result;
    }
    if (header->dwFlags != WHDR_PREPARED)
        return MMSYSERR_NOERROR; // a driver that took the header its own way: nothing played
    // Opening the device signalled the event; so may another play or a Stop.
    ResetEvent(g_held.event);
    result = WriteTone(header);
    if (result == MMSYSERR_NOERROR)
        result = SeamWaveOutRestart(g_held.output);
    bool done = result == MMSYSERR_NOERROR && WaitUntilDone(g_held.event, header, waitMs);
    if (!done)
        (void)SeamWaveOutReset(g_held.output); // gives the header back
    (void)SeamWaveOutUnprepareHeader(g_held.output, header, sizeof *header);
    if (done)
        g_held.lastDone = SeamTickCount();
    else
        CloseToneDevice(); // a device that failed is opened anew for the next tone
    return result;
}

void CloseToneDeviceWhenQuiet()
{
    if (g_held.output && SeamTickCount() - g_held.lastDone >= kToneQuietMs)
        CloseToneDevice();
}

void CloseToneDevice()
{
    StopFeeder();
    if (g_held.output) {
        // Nothing but silence is queued by now: whatever the reset throws away is silence.
        (void)SeamWaveOutReset(g_held.output);
        if (g_held.piecesPrepared) {
            for (WAVEHDR& piece : g_held.pieces)
                (void)SeamWaveOutUnprepareHeader(g_held.output, &piece, sizeof piece);
        }
        (void)SeamWaveOutClose(g_held.output);
    }
    if (g_held.event)
        CloseHandle(g_held.event);
    g_held = HeldDevice();
}

bool ToneDeviceOpen()
{
    return g_held.output != nullptr;
}
