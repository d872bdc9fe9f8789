// A stand-in for Skype's side of the desktop API, for programs that play Skype themselves
// (the reliability suite, the benchmark): a hidden top-level API window on a thread of its
// own that answers the discovery broadcast, attaches the client, records every command with
// the moment it arrived, and answers PING, the search for calls (it holds none) and the
// caller-name request after the client's send has returned, as Skype's answers come. A
// derived class changes how it answers through the hooks below.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class SkypeStandIn {
public:
    struct Command {
        long long qpc;     // QueryPerformanceCounter when it arrived, taken first thing
        std::string text;
        bool senderAlive;  // the sender's window (wParam) still existed when it arrived
                           // (looked at only with `checkSenders`, else true)
    };

    // `title`: of its window, for whoever looks at the desktop. `sendTimeoutMs`: bounds each
    // of its sends to the client. `checkSenders`: fill Command::senderAlive (a call to
    // IsWindow on the window's thread for every command, which the client's send waits for).
    SkypeStandIn(const char* title, DWORD sendTimeoutMs, bool checkSenders);
    virtual ~SkypeStandIn();
    SkypeStandIn(const SkypeStandIn&) = delete;
    SkypeStandIn& operator=(const SkypeStandIn&) = delete;

    bool Start();
    // Its window destroyed now, without a word, as a Skype that goes away; returns when its
    // thread has ended.
    void Stop();

    HWND Window() const { return window_; }
    HWND Client();                  // the window it attached last (null before)
    bool Gone();                    // its window has been destroyed
    long long GoneAt();             // QPC of that, 0 before
    unsigned DiscoveriesAfterAttach();
    unsigned RepliesSent();         // answers it has sent on its own (PONG, names, ...)

    size_t CommandCount();
    std::vector<Command> Commands(size_t from = 0);
    // The commands' texts from `from` on, without PING.
    std::vector<std::string> Texts(size_t from = 0);
    // The position of the first command equal to `text` at or after `from`; -1 when none.
    long Find(const std::string& text, size_t from = 0);
    unsigned PingsAfter(long long qpc);

    // One notification to the attached client, as Skype sends it. False when there is none,
    // or the send failed; `answer` gets the client's answer.
    bool Notify(const std::string& text, LRESULT* answer = nullptr);

protected:
    // The hooks, all called on the window's thread. A derived class that overrides any of
    // them calls Stop() in its own destructor, so that none runs on a half-destroyed object.

    // A command has been recorded: queue its answers (QueueReply) or act on it. This one
    // answers PING with PONG, SEARCH ACTIVECALLS with "CALLS " and GET CALL <n>
    // PARTNER_DISPNAME with "Caller <n>".
    virtual void Answer(const std::string& command);
    // Called with the lock held: whether a discovery broadcast is answered now.
    virtual bool AnswersDiscovery() { return true; }
    // Called with the lock held: whether a queued answer is sent now (else it is dropped).
    virtual bool SendsReply(const std::string&) { return true; }
    // A queued answer has just been sent.
    virtual void ReplySent(const std::string&) {}

    // Sent to the client after the send in hand has returned.
    void QueueReply(const std::string& text);
    // Destroys the window now and ends its thread; on the window's thread only.
    void Destroy();

    // Guards what the window's thread and the others share, here and in a derived class.
    class Locked {
    public:
        explicit Locked(SkypeStandIn* owner) : lock_(&owner->lock_) { EnterCriticalSection(lock_); }
        ~Locked() { LeaveCriticalSection(lock_); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

    private:
        CRITICAL_SECTION* lock_;
    };

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    void AttachClient(HWND client);
    void SendReplies();

    const char* title_;
    DWORD sendTimeoutMs_;
    bool checkSenders_;
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    UINT discover_ = 0;
    UINT attach_ = 0;
    CRITICAL_SECTION lock_;
    // Guarded by lock_.
    HWND client_ = nullptr;
    std::vector<Command> received_;
    std::vector<std::string> replies_;
    unsigned repliesSent_ = 0;
    unsigned discoveriesAfterAttach_ = 0;
    long long goneAt_ = 0;
};

// WM_COPYDATA to `to` with `from` as wParam, `size` bytes at `data` (may be null), bounded.
// False when the send failed or timed out; `answer` gets the answer.
bool SendCopyData(HWND to, HWND from, const void* data, DWORD size, LRESULT* answer,
                  DWORD timeoutMs = 5000);

long long Qpc();
double QpcMs(long long ticks);
