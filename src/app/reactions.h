// What the program does, and in which order, when the handset or Skype changes state: the one
// place that composes the Skype link, the call tracking, the handset and the status.
#pragma once
#include <windows.h>

// Start-up once the main window exists: open the handset, bind the callbacks, show the
// start-up display. Nothing without a usable library.
void StartHandset();
// Shutdown after the message loop: the ringer stopped if it rings, the display cleared and
// the light off, the handset closed, the library released. Also at log-off (WM_ENDSESSION);
// a second call does nothing.
void StopHandset();

// WM_DESTROY: the program is going. From now on (and already once a WM_CLOSE waits in the
// queue) handset events still queued or arriving are dropped and nothing is sent to Skype;
// the shutdown's handset calls come after the loop.
void OnMainWindowDestroyed();
// WM_ENDSESSION of a log-off or shutdown: Windows ends the process without the loop's end,
// so the handset is shut down now (StopHandset) and, as after WM_DESTROY, Skype is told
// nothing more.
void OnSessionEnding();
// A handset key or hook event, posted by the library's callback.
void OnQueuedHandsetEvent(int key);

// The first discovery broadcast, run from the message loop once start-up is complete.
void OnFirstDiscovery();
// WM_COPYDATA: Skype's texts sorted (PONG to the link, CALL notifications to the call
// tracking); 1 when it came from the attached Skype, else 0.
LRESULT OnSkypeCopyData(WPARAM wParam, LPARAM lParam);
// Skype's attach reply.
void OnSkypeAttachReply(WPARAM wParam, LPARAM lParam);
// Posted on Skype's "API available": a discovery, unless attached by now or Skype has
// answered another discovery since.
void OnSkypeAvailable();
// The 2-second keep-alive timer.
void OnKeepAliveTimer();
// The handset was plugged in (connected nonzero) or removed.
void OnHandsetPlugged(int connected);
// The sound devices have settled after a change (a USB sound device came or went).
void OnSoundDevicesChanged();
