// The suite's own Skype: a hidden top-level API window on a thread of its own that answers
// the driver's discovery broadcast, attaches it, answers PING and the caller-name request
// after the driver's send has returned (as Skype may), and records every command with the
// moment it arrived. It can also misbehave the ways a real Skype goes away: its window
// destroyed without a word (also while a PING is in flight), or falling silent.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class TestSkype {
public:
    struct Command {
        long long qpc;     // QueryPerformanceCounter when it arrived
        std::string text;
        bool senderAlive;  // the sender's window (wParam) still existed when it arrived
    };

    TestSkype() = default;
    TestSkype(const TestSkype&) = delete;
    TestSkype& operator=(const TestSkype&) = delete;
    ~TestSkype();

    bool Start();
    // The API window destroyed now, without a word; returns when its thread has ended.
    void Vanish();
    // The window is destroyed while it handles the next PING (the driver's send in flight).
    void VanishOnNextPing();
    // From the next PONG on (that one still sent) it answers nothing: no PONG, no reply, no
    // discovery; it still takes every message.
    void FallSilentAfterNextPong();
    // GET CALL n PARTNER_DISPNAME gets no answer while set.
    void WithholdNames(bool withhold);

    HWND Window() const { return window_; }
    HWND Client();                  // the window it attached (null before)
    bool Gone();                    // its window has been destroyed
    long long GoneAt();             // QPC of that, 0 before
    bool Silent();
    long long SilentSince();        // QPC of the last PONG it sent before falling silent
    unsigned DiscoveriesAfterAttach();

    size_t CommandCount();
    std::vector<Command> Commands(size_t from = 0);
    // The commands' texts from `from` on, without PING.
    std::vector<std::string> Texts(size_t from = 0);
    // Waits (pumping) until `text` arrives at or after `from`; false after `timeoutMs`.
    bool WaitCommand(const std::string& text, DWORD timeoutMs, size_t from = 0);
    unsigned PingsAfter(long long qpc);

    // One notification to the attached client, as Skype sends it. False when the send
    // failed; `answer` gets the client's answer.
    bool Notify(const std::string& text, LRESULT* answer = nullptr);

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    void QueueReply(const std::string& text);
    void SendReplies();
    void Destroy();

    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    UINT discover_ = 0;
    UINT attach_ = 0;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    // Guarded by lock_.
    HWND client_ = nullptr;
    std::vector<Command> received_;
    std::vector<std::string> replies_;
    bool withholdNames_ = false;
    bool vanishOnPing_ = false;
    bool silenceAfterPong_ = false;
    bool silent_ = false;
    long long silentSince_ = 0;
    long long goneAt_ = 0;
    unsigned discoveriesAfterAttach_ = 0;
};

// WM_COPYDATA to `to` with `from` as wParam, `size` bytes at `data` (may be null), bounded.
// False when the send failed or timed out; `answer` gets the answer.
bool SendCopyData(HWND to, HWND from, const void* data, DWORD size, LRESULT* answer,
                  DWORD timeoutMs = 5000);

long long Qpc();
double QpcMs(long long ticks);
