// The simulator's whole state: one global record owned by the UI thread, on which every
// window of the simulator lives, so nothing here needs a lock.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct SimOptions {
    bool attachStatusFixed = false; // every discovery answered with attachStatus alone
    unsigned attachStatus = 0;   // lParam of that attach reply
    bool askPermission = false;  // the client is not yet allowed: a discovery opens a question
    bool rememberRefusal = false; // a refused client gets 2 at once on later discoveries
    bool announceApi = false;    // "API available" (0x8001) to every window at start
    bool attachPosted = false;   // false: answer inside the broadcast; true: after it
    bool pong = true;            // answer "PING" with "PONG"
    bool misspeltReply = false;  // answer the misspelt display-name property with a name
    bool duration = true;        // "CALL <id> DURATION <s>" once a second while in progress
    bool greeting = true;        // the state notifications Skype pushes right after attach
    DWORD ringTimeoutMs = 0;     // an unanswered incoming call becomes MISSED; 0 = never
    DWORD getDelayMs = 0;        // replies to GET come this much later; 0 = inside the send
    bool holdReplies = false;    // replies to GET are kept back until a client lets them go
    bool holdNamesOnly = false;  // ... only those naming the other party (display name, handle)
    std::string ringOnAttach;    // caller of a call that rings the moment a client attaches
    std::string callInProgress;  // caller of a call already in conversation at start
    std::string callRinging;     // caller of a call already ringing at start
    bool search = true;          // answer "SEARCH ACTIVECALLS" (off: a Skype that knows none)
    bool startHidden = false;    // main window starts hidden (as when Skype sits in the tray)
    bool laterMainWindow = false; // main window named as by Skype 5.1 and later
    bool allowSecond = false;    // run even when another simulator runs on this desktop
    bool focusStaysBehind = false;  // FOCUS shows the main window but leaves the foreground
};

struct SimCall {
    int id = 0;
    std::string handle;      // the other party: Skype name or phone number (the number
                             // dialled for our calls); never empty, no blanks
    std::string displayName; // UTF-8, may be empty (an unknown caller)
    bool incoming = false;
    std::string status;      // UNPLACED, ROUTING, RINGING, INPROGRESS, ONHOLD, FINISHED, ...
    DWORD statusTick = 0;    // GetTickCount() of the last status change
    DWORD connectedTick = 0; // GetTickCount() when it first went INPROGRESS
    DWORD endedTick = 0;     // GetTickCount() when it ended
    bool connected = false;
    int durationSent = 0;    // the last DURATION value reported
};

// A reply held back by the GET delay, sent with the notifications once it is due.
struct SimDelayedReply {
    DWORD dueTick;
    std::string text;
};

struct SimLogEntry {
    DWORD ms;  // milliseconds since the simulator started
    std::string text;
};

// The user's answer to "allow this program to use Skype?" (one client program).
struct SimPermission {
    bool allowed = false;
    bool refused = false;
    bool open = false;        // a question waits for the user
    int questions = 0;        // questions opened since start
    HWND asker = nullptr;     // the client that asked last
};

struct SimState {
    SimOptions options;
    HINSTANCE instance = nullptr;
    UINT discoverMessage = 0;
    UINT attachMessage = 0;

    HWND apiWindow = nullptr;      // hidden top-level window that speaks the API
    HWND mainWindow = nullptr;     // visible "Skype" window
    HWND tabControl = nullptr;
    HWND numberField = nullptr;
    HWND logList = nullptr;
    HWND controlWindow = nullptr;  // message-only control channel

    HWND attachedClient = nullptr;  // receives replies and notifications
    HWND lastDiscoverer = nullptr;  // wParam of the latest discovery broadcast
    SimPermission permission;

    std::vector<SimCall> calls;
    int nextCallId = 1001;

    // Notifications wait here until the message loop sends them, so that call logic never
    // runs inside a send (where the client's own commands could re-enter it).
    std::deque<std::string> outbox;
    bool flushing = false;
    std::deque<SimDelayedReply> delayedReplies;  // in the order they are due
    std::deque<std::string> heldReplies;  // replies to GET kept back by holdReplies
    std::string holdCommand;  // the next command beginning with this is answered only once
                              // the client releases it (see control_protocol.h); empty: none

    std::vector<SimLogEntry> log;
    LARGE_INTEGER startCounter = {};
    LARGE_INTEGER counterFrequency = {};
};

extern SimState g_sim;

// Private messages of the simulator's windows.
enum : UINT {
    WM_SIM_FLUSH = WM_APP + 1,   // API window: send what waits in the outbox
    WM_SIM_ATTACH,               // API window: posted attach reply (wParam client, lParam status)
    WM_SIM_HANG,                 // control window: stop pumping messages for wParam ms
    WM_SIM_QUIT,                 // control window: end the simulator
};
