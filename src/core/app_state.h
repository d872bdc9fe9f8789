// The program's single global record: plain variables with the lifetime of the process,
// zero at start unless said otherwise. Only the main thread touches them (the handset
// library's callbacks post their events to the main window), so there are no locks.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include "core/call_id_set.h"
#include "core/device_name_size.h"
#include "pure/active_calls.h"
#include "pure/call_notification.h"

// What the LCD's text line shows: digits typed, or a caller's name.
struct DialBuffer {
    char text[1000]; // at most 999 characters and the terminating NUL
    int length;
};

enum { kKeyToneCount = 12 };

// One direction of Skype's call audio: the name asked for (UTF-8) and what Skype made of it.
struct SkypeAudioDevice {
    char asked[kDeviceNameBytes]; // in the last SET sent
    char told[kDeviceNameBytes];  // echoed by Skype: the device it uses
    bool refused;                 // Skype answered the last SET with ERROR 50
    int attempts;                 // SETs sent for `asked`
};

// What Skype last said about our access while we are not attached.
enum SkypeAccess {
    kAccessUnknown, // nothing yet, or Skype (re)started
    kAccessAsking,  // Skype asks its user whether to allow us
    kAccessRefused, // its user refused
};

// A call Skype named when asked at attach, remembered until both its answers have come.
struct AskedCall {
    int id;
    const CallStatusRule* status; // the answer to "GET CALL <id> STATUS"; null until then
    CallDirection direction;      // the answer to "GET CALL <id> TYPE"
    bool taken;                   // acted on, as the notification it would have been
    bool ended;                   // its end was reported first: nothing brings it back
    bool hangUp;                  // found in conversation, it is ended: the handset went
                                  // down while Skype did not answer
};

struct AppState {
    char windowTitle[100];
    HINSTANCE instance;
    HWND ownWindow;
    UINT discoverMessage;
    UINT attachMessage;
    UINT taskbarCreatedMessage; // registered by the shell when it (re)starts
    HWND openAboutDialog;

    int handsetStatus;        // 0: handset present; anything else: absent
    HWND skypeApiWindow;      // null while Skype is not attached
    HWND silentSkypeWindow;   // the API window of a Skype dropped for not answering, until
                              // it attaches again or is gone: Skype is still there
    int unansweredPings;
    SkypeAccess skypeAccess;
    bool skypeMissing;        // no Skype to start was found at start-up; until one attaches
    int discoveryPauseTicks;  // keep-alive ticks left before the next discovery while Skype
                              // asks its user or has refused; 0: discover on every tick
    HWND skypeMainWindow;     // cache kept by FindSkypeMainWindow

    int placedCallId;
    int ringingCallId;
    int callerCallId;         // the call whose caller was asked for last (display name,
                              // then handle); 0 once it has ended: names and handles of
                              // any other call are not shown
    bool handleAsked;         // its display name came empty and its handle was asked
    int shownCallerCallId;    // the call whose caller's name or handle the DialBuffer
                              // shows (typed digits may follow); 0 when none
    int silentRingCallId;     // an incoming call that rings while the handset is lifted, its
                              // ringer not started; 0 when none
    CallIdSet placedCalls;
    CallIdSet activeCalls;
    CallIdSet ringingCalls;   // incoming calls ringing here, taken (not refused as a second
                              // call); `ringingCallId` is the newest of them
    bool callSearchAsked;     // "SEARCH ACTIVECALLS" sent, its "CALLS" reply not yet come
    AskedCall askedCalls[kMaxActiveCallsAsked];
    int askedCallCount;
    bool hungUpWhileSilent;   // the handset was put down while Skype did not answer, and
                              // not lifted since: the conversations found next are ended
    BYTE inCall;              // written only by SetInCallIndicator
    bool ringerOn;            // written only by RingHandset
    int hookState;            // -1 until the first hook event is acted on

    // The sound devices Skype is told to use ("SET AUDIO_OUT" / "SET AUDIO_IN").
    SkypeAudioDevice skypeAudioOut;
    SkypeAudioDevice skypeAudioIn;

    DialBuffer dialBuffer;
    UINT keyToneTable[kKeyToneCount];

    bool closing;             // the program is going: handset events dropped, Skype told nothing
    LONG handsetEventsQueued; // posted by the library's callbacks and not yet taken from the
                              // queue (Interlocked: the callbacks run on the library's thread)
};

extern AppState g_app;

// Puts every field back to its start value (tests reset the whole state in one statement).
void ResetAppState();
