// The benchmark's Skype side of the desktop API.
#include "fake_skype.h"

#include <cstdio>
#include <cstring>

namespace {
const char kClass[] = "UsbPhoneBenchSkypeApi";
const UINT kAttachNow = WM_APP + 1;
const UINT kSendReplies = WM_APP + 2;
const UINT kStop = WM_APP + 3;
const UINT kSendTimeoutMs = 3000;

long long Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}
} // namespace

FakeSkype::~FakeSkype()
{
    Stop();
    if (lockReady_)
        DeleteCriticalSection(&lock_);
}

bool FakeSkype::Start()
{
    InitializeCriticalSection(&lock_);
    lockReady_ = true;
    discover_ = RegisterWindowMessageA("SkypeControlAPIDiscover");
    attach_ = RegisterWindowMessageA("SkypeControlAPIAttach");
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_ || WaitForSingleObject(ready_, 10000) != WAIT_OBJECT_0)
        return false;
    return window_ != nullptr;
}

void FakeSkype::Stop()
{
    if (!thread_)
        return;
    PostMessageA(window_, kStop, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    thread_ = nullptr;
}

DWORD WINAPI FakeSkype::ThreadMain(void* param)
{
    FakeSkype* self = static_cast<FakeSkype*>(param);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    // Top-level and never shown: the driver's discovery broadcast reaches only top-level
    // windows. No main window of Skype's exists, so the driver finds none to drive.
    self->window_ = CreateWindowExA(0, kClass, "Bench Skype API", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (self->window_)
        SetWindowLongPtrA(self->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(self->ready_);
    if (!self->window_)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == self->window_ && message.message == kStop)
            break;
        DispatchMessageA(&message);
    }
    DestroyWindow(self->window_);
    return 0;
}

LRESULT CALLBACK FakeSkype::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        FakeSkype* self = reinterpret_cast<FakeSkype*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        return self ? self->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) : 0;
    }
    FakeSkype* self = reinterpret_cast<FakeSkype*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == self->discover_ && message != 0) {
        // Answered after this send returns, as Skype does: the client is still inside its
        // broadcast.
        PostMessageA(window, kAttachNow, wParam, 0);
        return 1;
    }
    if (self && message == kAttachNow) {
        HWND client = reinterpret_cast<HWND>(wParam);
        DWORD_PTR result = 0;
        // Status 0: attached. The client counts once its handler has run.
        if (SendMessageTimeoutA(client, self->attach_, reinterpret_cast<WPARAM>(window), 0,
                                SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
            EnterCriticalSection(&self->lock_);
            self->client_ = client;
            LeaveCriticalSection(&self->lock_);
        }
        return 0;
    }
    if (self && message == kSendReplies) {
        self->SendReplies();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FakeSkype::OnCopyData(const COPYDATASTRUCT* data)
{
    long long arrived = Now(); // first: this is the figure's end point
    if (!data || !data->lpData)
        return 0;
    const char* bytes = static_cast<const char*>(data->lpData);
    const void* nul = memchr(bytes, '\0', data->cbData);
    std::string text(bytes, nul ? static_cast<const char*>(nul) - bytes : data->cbData);
    EnterCriticalSection(&lock_);
    received_.push_back(ReceivedCommand{arrived, text});
    LeaveCriticalSection(&lock_);
    int callId = 0;
    if (text == "PING")
        QueueReply("PONG");
    else if (sscanf(text.c_str(), "GET CALL %d PARTNER_DISPNAME", &callId) == 1)
        QueueReply("CALL " + std::to_string(callId) + " PARTNER_DISPNAME Caller " +
                   std::to_string(callId));
    return 1;
}

void FakeSkype::QueueReply(const std::string& text)
{
    EnterCriticalSection(&lock_);
    replies_.push_back(text);
    LeaveCriticalSection(&lock_);
    // After the client's send has returned, as Skype's answers come.
    PostMessageA(window_, kSendReplies, 0, 0);
}

void FakeSkype::SendReplies()
{
    std::vector<std::string> replies;
    EnterCriticalSection(&lock_);
    replies.swap(replies_);
    LeaveCriticalSection(&lock_);
    for (const std::string& reply : replies) {
        Notify(reply);
        EnterCriticalSection(&lock_);
        ++repliesSent_;
        LeaveCriticalSection(&lock_);
    }
}

bool FakeSkype::Notify(const std::string& text)
{
    HWND client = Client();
    if (!client)
        return false;
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = DWORD(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(client, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                               kSendTimeoutMs, &result) != 0 &&
           result == 1;
}

HWND FakeSkype::Client()
{
    EnterCriticalSection(&lock_);
    HWND client = client_;
    LeaveCriticalSection(&lock_);
    return client;
}

size_t FakeSkype::Count()
{
    EnterCriticalSection(&lock_);
    size_t count = received_.size();
    LeaveCriticalSection(&lock_);
    return count;
}

std::vector<ReceivedCommand> FakeSkype::Since(size_t index)
{
    EnterCriticalSection(&lock_);
    std::vector<ReceivedCommand> since;
    if (index < received_.size())
        since.assign(received_.begin() + index, received_.end());
    LeaveCriticalSection(&lock_);
    return since;
}

long FakeSkype::WaitFor(const std::string& text, size_t index, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&lock_);
        long found = -1;
        for (size_t n = index; n < received_.size() && found < 0; ++n)
            if (received_[n].text == text)
                found = long(n);
        LeaveCriticalSection(&lock_);
        if (found >= 0)
            return found;
        if (GetTickCount() - start >= timeoutMs)
            return -1;
        Sleep(1);
    }
}

unsigned FakeSkype::RepliesSent()
{
    EnterCriticalSection(&lock_);
    unsigned sent = repliesSent_;
    LeaveCriticalSection(&lock_);
    return sent;
}
