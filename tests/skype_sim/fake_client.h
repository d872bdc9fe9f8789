// A stand-in for the program on the other side of the simulator: a hidden window that
// broadcasts the discovery message, takes the attach reply, sends commands in WM_COPYDATA and
// records every text the simulator sends it, checking the framing of each.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wait.h"

struct AttachSeen {
    unsigned status;
    HWND apiWindow;
    bool insideBroadcast;  // arrived while our broadcast send was still running
};

class FakeSkypeClient {
public:
    FakeSkypeClient();
    ~FakeSkypeClient();
    FakeSkypeClient(const FakeSkypeClient&) = delete;
    FakeSkypeClient& operator=(const FakeSkypeClient&) = delete;

    HWND Window() const { return window_; }
    // wParam of the latest attach reply with status 0 (null before).
    HWND ApiWindow() const { return apiWindow_; }
    void Close();

    // The discovery broadcast, sent with SendMessageTimeout (as most clients do) or posted.
    bool Broadcast(bool posted);

    // Sends one command to the API window the way the program does (the sender waits until
    // the simulator has handled it) and returns the texts that arrived during the send.
    std::vector<std::string> Command(const std::string& text, LRESULT* result = nullptr);
    // The same to any window, attached or not.
    std::vector<std::string> CommandTo(HWND target, const std::string& text,
                                       LRESULT* result = nullptr);

    // Pumps until `text` has been received (counting from the start or the last clear).
    bool WaitForText(const std::string& text, DWORD timeoutMs = 5000);
    bool HasReceived(const std::string& text) const;

    const std::vector<std::string>& Received() const { return received_; }
    const std::vector<AttachSeen>& Attaches() const { return attaches_; }
    const std::vector<std::string>& FramingErrors() const { return framingErrors_; }
    void ClearReceived() { received_.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);

    HWND window_ = nullptr;
    HWND apiWindow_ = nullptr;
    UINT discoverMessage_ = 0;
    UINT attachMessage_ = 0;
    bool inBroadcast_ = false;
    std::vector<std::string> received_;
    std::vector<AttachSeen> attaches_;
    std::vector<std::string> framingErrors_;
};
