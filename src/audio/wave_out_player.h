// Plays one WAVE resource of the program on the key-tone device, once or in a loop.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "audio/common_thread.h"

class WaveOutPlayer : public CommonThread {
public:
    WaveOutPlayer();
    // Stops, then releases the event; the thread is closed by CommonThread.
    ~WaveOutPlayer() override;

    // Chooses the output device, then finds the format and the samples of WAVE resource
    // `resourceId` in the program's own module. True when both were found.
    bool Load(UINT resourceId);
    // Synchronous: plays the tone on the held tone device (tone_device.h) and returns 0 once
    // the driver reports it done (at the latest the tone's length and a second after it
    // began); the device stays open. Looping: starts the worker thread, which opens a device
    // of its own, and returns 0 at once; 1 while a looping play is still marked playing.
    int Play(bool loop);
    // Ends a play in progress and closes the worker thread.
    void Stop();
    // The worker thread's body: the play steps; their MMRESULT is the exit code.
    DWORD Run() override;

private:
    MMRESULT PlaySteps();
    bool OpenEvent();

    HWAVEOUT output;
    WAVEHDR header;
    WAVEFORMATEX format; // copied from the resource's "fmt " chunk
    volatile LONG playing;
    int loop;
    UINT deviceIndex;
    HANDLE event;
};
