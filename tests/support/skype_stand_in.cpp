// Skype's side of the desktop API for programs that play Skype themselves.
#include "skype_stand_in.h"

#include <cstdio>
#include <cstring>

namespace {
const char kClass[] = "UsbPhoneSkypeStandInApi";
const UINT kAttachNow = WM_APP + 1;
const UINT kSendReplies = WM_APP + 2;
const UINT kStop = WM_APP + 3;
} // namespace

long long Qpc()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double QpcMs(long long ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return ticks * 1000.0 / double(frequency.QuadPart);
}

bool SendCopyData(HWND to, HWND from, const void* data, DWORD size, LRESULT* answer,
                  DWORD timeoutMs)
{
    COPYDATASTRUCT copy;
    copy.dwData = 0;
    copy.cbData = size;
    copy.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    bool sent = SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                                    reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                    timeoutMs, &result) != 0;
    if (answer)
        *answer = LRESULT(result);
    return sent;
}

SkypeStandIn::SkypeStandIn(const char* title, DWORD sendTimeoutMs, bool checkSenders)
    : title_(title), sendTimeoutMs_(sendTimeoutMs), checkSenders_(checkSenders)
{
    InitializeCriticalSection(&lock_);
}

SkypeStandIn::~SkypeStandIn()
{
    Stop();
    if (ready_)
        CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
}

bool SkypeStandIn::Start()
{
    discover_ = RegisterWindowMessageA("SkypeControlAPIDiscover");
    attach_ = RegisterWindowMessageA("SkypeControlAPIAttach");
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_ || WaitForSingleObject(ready_, 10000) != WAIT_OBJECT_0)
        return false;
    return window_ != nullptr;
}

void SkypeStandIn::Stop()
{
    if (!thread_)
        return;
    if (window_ && !Gone())
        PostMessageA(window_, kStop, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
}

HWND SkypeStandIn::Client()
{
    Locked lock(this);
    return client_;
}

bool SkypeStandIn::Gone()
{
    Locked lock(this);
    return goneAt_ != 0;
}

long long SkypeStandIn::GoneAt()
{
    Locked lock(this);
    return goneAt_;
}

unsigned SkypeStandIn::DiscoveriesAfterAttach()
{
    Locked lock(this);
    return discoveriesAfterAttach_;
}

unsigned SkypeStandIn::RepliesSent()
{
    Locked lock(this);
    return repliesSent_;
}

size_t SkypeStandIn::CommandCount()
{
    Locked lock(this);
    return received_.size();
}

std::vector<SkypeStandIn::Command> SkypeStandIn::Commands(size_t from)
{
    Locked lock(this);
    if (from >= received_.size())
        return std::vector<Command>();
    return std::vector<Command>(received_.begin() + long(from), received_.end());
}

std::vector<std::string> SkypeStandIn::Texts(size_t from)
{
    std::vector<std::string> texts;
    for (const Command& command : Commands(from))
        if (command.text != "PING")
            texts.push_back(command.text);
    return texts;
}

long SkypeStandIn::Find(const std::string& text, size_t from)
{
    Locked lock(this);
    for (size_t n = from; n < received_.size(); ++n)
        if (received_[n].text == text)
            return long(n);
    return -1;
}

unsigned SkypeStandIn::PingsAfter(long long qpc)
{
    Locked lock(this);
    unsigned pings = 0;
    for (const Command& command : received_)
        pings += command.text == "PING" && command.qpc > qpc;
    return pings;
}

bool SkypeStandIn::Notify(const std::string& text, LRESULT* answer)
{
    HWND client = nullptr;
    {
        Locked lock(this);
        if (!goneAt_)
            client = client_;
    }
    if (!client)
        return false;
    return SendCopyData(client, window_, text.c_str(), DWORD(text.size() + 1), answer,
                        sendTimeoutMs_);
}

void SkypeStandIn::Answer(const std::string& command)
{
    int callId = 0;
    char property[32] = "";
    if (command == "PING")
        QueueReply("PONG");
    else if (command == "SEARCH ACTIVECALLS")
        QueueReply("CALLS "); // it holds no call of its own: calls are only what tests notify
    else if (sscanf(command.c_str(), "GET CALL %d %31s", &callId, property) == 2 &&
             strcmp(property, "PARTNER_DISPNAME") == 0)
        QueueReply("CALL " + std::to_string(callId) + " PARTNER_DISPNAME Caller " +
                   std::to_string(callId));
}

void SkypeStandIn::QueueReply(const std::string& text)
{
    Locked lock(this);
    replies_.push_back(text);
    PostMessageA(window_, kSendReplies, 0, 0);
}

void SkypeStandIn::Destroy()
{
    {
        Locked lock(this);
        if (goneAt_)
            return;
    }
    DestroyWindow(window_);
    Locked lock(this);
    goneAt_ = Qpc();
    PostQuitMessage(0);
}

DWORD WINAPI SkypeStandIn::ThreadMain(void* param)
{
    SkypeStandIn* self = static_cast<SkypeStandIn*>(param);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    (void)RegisterClassA(&windowClass); // fails harmlessly for the second stand-in of a run
    // Top-level and never shown: the discovery broadcast reaches only top-level windows.
    // There is no main window of Skype's, so the client finds none to drive.
    HWND window = CreateWindowExA(0, kClass, self->title_, WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
    SetEvent(self->ready_);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

LRESULT CALLBACK SkypeStandIn::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam)
{
    SkypeStandIn* self = reinterpret_cast<SkypeStandIn*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_COPYDATA)
        return self->OnCopyData(reinterpret_cast<HWND>(wParam),
                                reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (message == self->discover_ && message != 0) {
        Locked lock(self);
        if (self->client_)
            ++self->discoveriesAfterAttach_;
        // Answered after this send returns, as Skype does: the client is still inside its
        // broadcast.
        if (self->AnswersDiscovery())
            PostMessageA(window, kAttachNow, wParam, 0);
        return 1;
    }
    switch (message) {
    case kAttachNow:
        self->AttachClient(reinterpret_cast<HWND>(wParam));
        return 0;
    case kSendReplies:
        self->SendReplies();
        return 0;
    case kStop:
        self->Destroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void SkypeStandIn::AttachClient(HWND client)
{
    DWORD_PTR result = 0;
    // Status 0: attached. The client counts as attached once its handler has run.
    if (SendMessageTimeoutA(client, attach_, reinterpret_cast<WPARAM>(window_), 0,
                            SMTO_ABORTIFHUNG, sendTimeoutMs_, &result)) {
        Locked lock(this);
        client_ = client;
    }
}

LRESULT SkypeStandIn::OnCopyData(HWND sender, const COPYDATASTRUCT* data)
{
    long long arrived = Qpc(); // first: the benchmark's figures end here
    bool senderAlive = !checkSenders_ || IsWindow(sender) != FALSE;
    if (!data || !data->lpData)
        return 0;
    const char* bytes = static_cast<const char*>(data->lpData);
    const void* nul = memchr(bytes, '\0', data->cbData);
    std::string text(bytes, nul ? static_cast<const char*>(nul) - bytes : data->cbData);
    {
        Locked lock(this);
        received_.push_back(Command{arrived, text, senderAlive});
    }
    Answer(text);
    return 1;
}

void SkypeStandIn::SendReplies()
{
    std::vector<std::string> replies;
    {
        Locked lock(this);
        replies.swap(replies_);
    }
    for (const std::string& reply : replies) {
        {
            Locked lock(this);
            if (goneAt_ || !SendsReply(reply))
                continue;
        }
        Notify(reply);
        {
            Locked lock(this);
            ++repliesSent_;
        }
        ReplySent(reply);
    }
}
