// Client of skypesim.exe's control channel, for tests, skypectl and the demo. Every request
// is a synchronous round trip: when a function returns, the simulator has acted on it (the
// notifications it causes are sent by the simulator's message loop right after).
// A client may be used from any thread; the sim's answers arrive on the calling thread,
// which therefore handles messages sent to its windows while it waits.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "control_protocol.h"

struct SimLogLine {
    unsigned long ms;  // milliseconds since the simulator started
    std::string text;  // "recv <command>", "send <text>", "attach <status> to <hwnd>", ...
};

struct SimCallInfo {
    int id;
    std::string status;  // Skype's status word: RINGING, INPROGRESS, FINISHED, ...
    bool incoming;
    int seconds;          // time in progress
    std::string handle;   // Skype name or phone number of the other party
    std::string partner;  // their display name (UTF-8, may be empty), or the number dialled
};

enum class SimAttachTiming { Sync, Posted };

class SkypeSimClient {
public:
    SkypeSimClient() = default;
    SkypeSimClient(const SkypeSimClient&) = delete;
    SkypeSimClient& operator=(const SkypeSimClient&) = delete;
    ~SkypeSimClient();

    // Finds the control window of the simulator running as process `pid` (0: any simulator),
    // waiting up to `timeoutMs` for it to appear.
    bool Connect(DWORD pid = 0, DWORD timeoutMs = 5000);
    HWND ControlWindow() const { return control_; }

    // One raw request (see control_window.cpp for the list). True when the simulator
    // answered OK; `payload` gets the payload, or the error text otherwise.
    bool Request(const std::string& request, std::string* payload = nullptr);

    bool SetAttachStatus(unsigned status);
    bool SetAttachTiming(SimAttachTiming timing);
    // The user answers Skype's open permission question (allow: 0, refuse: 2).
    bool AnswerQuestion(bool allow);
    int QuestionsAsked();  // questions opened since the simulator started; -1 on failure
    bool SendAttach(unsigned status);  // to the latest discoverer, now (unprompted)
    bool SetPingReplies(bool on);
    bool SetMisspeltReply(bool on);
    bool SetDurationLines(bool on);
    bool SetGreeting(bool on);
    bool SetRingTimeout(DWORD ms);  // 0: incoming calls ring until someone acts
    bool SetGetDelay(DWORD ms);     // replies to GET that much later; 0: inside the send
    // Replies to GET kept back while on; turned off, those kept are sent, in order.
    bool HoldReplies(bool on);
    bool Hang(DWORD ms);            // the simulator stops pumping messages for `ms`
    // A hung simulator pumps again now (its control channel cannot be asked while it hangs).
    bool Thaw();
    // The next command beginning with `prefix` is held: its sender waits inside the send
    // until Release (or 10 s). WaitHeld waits until the simulator holds it.
    bool Hold(const std::string& prefix);
    bool WaitHeld(DWORD timeoutMs);
    bool Release();
    bool Quit();
    // Quits the simulator, if one is connected, and waits up to `timeoutMs` for its process
    // to end (Skype runs once per desktop: a new one can start only then); one that has not
    // ended by then (hung) is terminated.
    void QuitAndWait(DWORD timeoutMs);

    int Incoming(const std::string& name);     // new call id, 0 on failure
    // A call from a Skype name or a phone number, with a display name that may be empty.
    int IncomingFrom(const std::string& handle, const std::string& name = std::string());
    int Outgoing(const std::string& number);   // new call id, 0 on failure
    bool FarEndAnswers(int callId);
    bool FarEndHangsUp(int callId);
    bool CallerGivesUp(int callId);            // MISSED
    bool FarEndBusy(int callId);               // BUSY, for our call not yet answered
    bool Notify(const std::string& text);      // arbitrary notification to the client

    bool ReadLog(std::vector<SimLogLine>* log);
    bool TakeLog(std::vector<SimLogLine>* log); // read and emptied at once: nothing slips between
    std::vector<std::string> LogText();        // entries without time stamps; empty on failure
    bool ClearLog();

    bool NumberField(std::string* text);       // UTF-8
    int SelectedTab();                         // -1 on failure
    int MainWindowVisible();                   // 1, 0, or -1 on failure
    bool Calls(std::vector<SimCallInfo>* calls);
    bool CallStatus(int callId, std::string* status);
    HWND AttachedClient();                     // null when none (or on failure)
    HWND ApiWindow();
    HWND MainWindow();

private:
    bool ReadLogVia(const char* request, std::vector<SimLogLine>* log);

    HWND control_ = nullptr;
    DWORD timeoutMs_ = 5000;
    HANDLE held_ = nullptr; // the simulator's "command held" event, once Hold was asked
};

// Splits a payload made of NUL-terminated records.
std::vector<std::string> SplitRecords(const std::string& payload);
