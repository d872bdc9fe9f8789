// The suite's Skype side of the desktop API.
#include "test_skype.h"

#include <cstdio>
#include <cstring>

#include "pump_wait.h"

namespace {
const char kClass[] = "UsbPhoneReliabilitySkypeApi";
const UINT kAttachNow = WM_APP + 1;
const UINT kSendReplies = WM_APP + 2;
const UINT kVanish = WM_APP + 3;
const UINT kSendTimeoutMs = 5000;

class Locked {
public:
    explicit Locked(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
    ~Locked() { LeaveCriticalSection(lock_); }

private:
    CRITICAL_SECTION* lock_;
};
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

TestSkype::~TestSkype()
{
    Vanish();
    if (ready_)
        CloseHandle(ready_);
    if (lockReady_)
        DeleteCriticalSection(&lock_);
}

bool TestSkype::Start()
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

void TestSkype::Vanish()
{
    if (!thread_)
        return;
    if (!Gone())
        PostMessageA(window_, kVanish, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
}

void TestSkype::VanishOnNextPing()
{
    Locked lock(&lock_);
    vanishOnPing_ = true;
}

void TestSkype::FallSilentAfterNextPong()
{
    Locked lock(&lock_);
    silenceAfterPong_ = true;
}

void TestSkype::WithholdNames(bool withhold)
{
    Locked lock(&lock_);
    withholdNames_ = withhold;
}

HWND TestSkype::Client()
{
    Locked lock(&lock_);
    return client_;
}

bool TestSkype::Gone()
{
    Locked lock(&lock_);
    return goneAt_ != 0;
}

long long TestSkype::GoneAt()
{
    Locked lock(&lock_);
    return goneAt_;
}

bool TestSkype::Silent()
{
    Locked lock(&lock_);
    return silent_;
}

long long TestSkype::SilentSince()
{
    Locked lock(&lock_);
    return silentSince_;
}

unsigned TestSkype::DiscoveriesAfterAttach()
{
    Locked lock(&lock_);
    return discoveriesAfterAttach_;
}

size_t TestSkype::CommandCount()
{
    Locked lock(&lock_);
    return received_.size();
}

std::vector<TestSkype::Command> TestSkype::Commands(size_t from)
{
    Locked lock(&lock_);
    if (from >= received_.size())
        return std::vector<Command>();
    return std::vector<Command>(received_.begin() + from, received_.end());
}

std::vector<std::string> TestSkype::Texts(size_t from)
{
    std::vector<std::string> texts;
    for (const Command& command : Commands(from))
        if (command.text != "PING")
            texts.push_back(command.text);
    return texts;
}

bool TestSkype::WaitCommand(const std::string& text, DWORD timeoutMs, size_t from)
{
    return PumpUntil([&] {
        Locked lock(&lock_);
        for (size_t n = from; n < received_.size(); ++n)
            if (received_[n].text == text)
                return true;
        return false;
    }, timeoutMs);
}

unsigned TestSkype::PingsAfter(long long qpc)
{
    Locked lock(&lock_);
    unsigned pings = 0;
    for (const Command& command : received_)
        pings += command.text == "PING" && command.qpc > qpc;
    return pings;
}

bool TestSkype::Notify(const std::string& text, LRESULT* answer)
{
    HWND client = Client();
    if (!client || Gone())
        return false;
    return SendCopyData(client, window_, text.c_str(), DWORD(text.size() + 1), answer,
                        kSendTimeoutMs);
}

DWORD WINAPI TestSkype::ThreadMain(void* param)
{
    TestSkype* self = static_cast<TestSkype*>(param);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass); // fails harmlessly for the second Skype of a run
    // Top-level and never shown: the discovery broadcast reaches only top-level windows.
    // There is no main window of Skype's, so the driver finds none to drive.
    HWND window = CreateWindowExA(0, kClass, "Reliability Skype API", WS_OVERLAPPED, 0, 0, 10,
                                  10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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

void TestSkype::Destroy()
{
    {
        Locked lock(&lock_);
        if (goneAt_)
            return;
    }
    DestroyWindow(window_);
    Locked lock(&lock_);
    goneAt_ = Qpc();
    PostQuitMessage(0);
}

LRESULT CALLBACK TestSkype::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TestSkype* self = reinterpret_cast<TestSkype*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_COPYDATA)
        return self->OnCopyData(reinterpret_cast<HWND>(wParam),
                                reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (message == self->discover_ && message != 0) {
        Locked lock(&self->lock_);
        if (self->client_)
            ++self->discoveriesAfterAttach_;
        // Answered after this send returns, as Skype does: the driver is still inside its
        // broadcast.
        if (!self->silent_)
            PostMessageA(window, kAttachNow, wParam, 0);
        return 1;
    }
    switch (message) {
    case kAttachNow: {
        HWND client = reinterpret_cast<HWND>(wParam);
        DWORD_PTR result = 0;
        // Status 0: attached. The driver counts as attached once its handler has run.
        if (SendMessageTimeoutA(client, self->attach_, reinterpret_cast<WPARAM>(window), 0,
                                SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
            Locked lock(&self->lock_);
            self->client_ = client;
        }
        return 0;
    }
    case kSendReplies:
        self->SendReplies();
        return 0;
    case kVanish:
        self->Destroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT TestSkype::OnCopyData(HWND sender, const COPYDATASTRUCT* data)
{
    long long arrived = Qpc();
    bool senderAlive = IsWindow(sender) != FALSE;
    if (!data || !data->lpData)
        return 0;
    const char* bytes = static_cast<const char*>(data->lpData);
    const void* nul = memchr(bytes, '\0', data->cbData);
    std::string text(bytes, nul ? static_cast<const char*>(nul) - bytes : data->cbData);
    bool vanish = false;
    {
        Locked lock(&lock_);
        received_.push_back(Command{arrived, text, senderAlive});
        vanish = text == "PING" && vanishOnPing_;
    }
    if (vanish) {
        Destroy(); // gone while the driver's PING is still in flight
        return 1;
    }
    int callId = 0;
    char property[32] = "";
    if (text == "PING") {
        QueueReply("PONG");
    } else if (sscanf(text.c_str(), "GET CALL %d %31s", &callId, property) == 2 &&
               strcmp(property, "PARTNER_DISPNAME") == 0) {
        QueueReply("CALL " + std::to_string(callId) + " PARTNER_DISPNAME Caller " +
                   std::to_string(callId));
    } else if (sscanf(text.c_str(), "SET CALL %d STATUS %31s", &callId, property) == 2) {
        // The call changes state as asked, and Skype says so.
        QueueReply("CALL " + std::to_string(callId) + " STATUS " + property);
    }
    return 1;
}

void TestSkype::QueueReply(const std::string& text)
{
    Locked lock(&lock_);
    replies_.push_back(text);
    // After the driver's send has returned, as Skype's answers may come.
    PostMessageA(window_, kSendReplies, 0, 0);
}

void TestSkype::SendReplies()
{
    std::vector<std::string> replies;
    {
        Locked lock(&lock_);
        replies.swap(replies_);
    }
    for (const std::string& reply : replies) {
        {
            Locked lock(&lock_);
            bool isName = reply.find(" PARTNER_DISPNAME ") != std::string::npos;
            if (silent_ || goneAt_ || (isName && withholdNames_))
                continue;
        }
        Notify(reply);
        if (reply == "PONG") {
            Locked lock(&lock_);
            if (silenceAfterPong_) {
                silent_ = true;
                silentSince_ = Qpc();
            }
        }
    }
}
