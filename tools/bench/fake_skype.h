// The benchmark's own Skype: a hidden top-level window on a thread of its own that answers
// the discovery broadcast, attaches the driver, answers PING and the caller-name request, and
// stamps every command it receives with QueryPerformanceCounter on arrival.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct ReceivedCommand {
    long long qpc;
    std::string text;
};

class FakeSkype {
public:
    ~FakeSkype();
    bool Start();
    void Stop();

    HWND Window() const { return window_; }
    HWND Client();                       // the window that was attached (the driver's)
    size_t Count();                      // commands received so far
    std::vector<ReceivedCommand> Since(size_t index);
    // Waits until a command equal to `text` arrives at or after `index`; its position, or -1
    // after `timeoutMs`.
    long WaitFor(const std::string& text, size_t index, DWORD timeoutMs);
    unsigned RepliesSent();

    // One notification to the attached client, as Skype sends it; true when it answered 1.
    bool Notify(const std::string& text);

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void QueueReply(const std::string& text);
    void SendReplies();

    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    HWND client_ = nullptr;
    UINT discover_ = 0;
    UINT attach_ = 0;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    std::vector<ReceivedCommand> received_;
    std::vector<std::string> replies_;
    unsigned repliesSent_ = 0;
};
