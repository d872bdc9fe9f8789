// Skype's API window (see api_window.h).
#include "api_window.h"

#include "control_protocol.h"
#include "sim_calls.h"
#include "sim_commands.h"
#include "sim_log.h"
#include "sim_permission.h"
#include "sim_state.h"

namespace {
const wchar_t kApiWindowClass[] = L"SkypeSimApiWindow";
const UINT_PTR kCallTimer = 1;
const UINT kCallTimerMs = 100;
// A client that does not take a message within this time loses it (Skype does not wait
// forever for a busy client either).
const UINT kSendTimeoutMs = 5000;

LRESULT OnDiscover(HWND client)
{
    if (!IsWindow(client) || client == g_sim.apiWindow)
        return 0;
    g_sim.lastDiscoverer = client;
    AnswerDiscovery(client);
    return 1;
}

bool IsGetCommand(const std::string& command)
{
    return lstrcmpiA(command.substr(0, command.find(' ')).c_str(), "GET") == 0;
}

// A reply held back by "hold-replies": every GET's, or only those naming the other party.
bool HoldsReplyTo(const std::string& command)
{
    if (!g_sim.options.holdReplies || !IsGetCommand(command))
        return false;
    return !g_sim.options.holdNamesOnly || command.find(" PARTNER_DISPNAME") != std::string::npos ||
           command.find(" PARTNER_HANDLE") != std::string::npos;
}

// The text of a WM_COPYDATA, never read beyond cbData.
std::string CopyDataText(const COPYDATASTRUCT* data)
{
    if (!data || !data->lpData || data->cbData == 0)
        return std::string();
    const char* bytes = static_cast<const char*>(data->lpData);
    size_t length = 0;
    while (length < data->cbData && bytes[length] != '\0')
        ++length;
    return std::string(bytes, length);
}

// Keeps the sender waiting inside its send until a client releases the command. The thread
// pumps nothing meanwhile, so messages the sender sends to us wait too, as with a busy Skype.
void HoldCommand()
{
    g_sim.holdCommand.clear();
    HANDLE held = CreateEventA(nullptr, FALSE, FALSE, SKYPESIM_HELD_EVENT);
    HANDLE release = CreateEventA(nullptr, FALSE, FALSE, SKYPESIM_RELEASE_EVENT);
    if (held && release) {
        ResetEvent(release); // a release given before this hold is not for it
        SetEvent(held);
        (void)WaitForSingleObject(release, kSimHoldLimitMs);
    }
    if (held)
        CloseHandle(held);
    if (release)
        CloseHandle(release);
}

LRESULT OnCommand(HWND sender, const COPYDATASTRUCT* data)
{
    std::string command = CopyDataText(data);
    LogEvent("recv " + command);
    if (!g_sim.holdCommand.empty() && command.compare(0, g_sim.holdCommand.size(),
                                                      g_sim.holdCommand) == 0)
        HoldCommand();
    // Replies go to the attached client only. A program that asked for access and has not
    // got it is told so; anyone else is not answered.
    if (!sender || sender != g_sim.attachedClient) {
        if (sender && sender == g_sim.lastDiscoverer && IsWindow(sender))
            SendToWindow(sender, "ERROR 68");
        return 0;
    }
    std::string reply = HandleApiCommand(command);
    if (reply.empty())
        return 1;
    if (HoldsReplyTo(command)) {
        // A Skype that answers seconds late: whatever happens to the call meanwhile is
        // reported before the reply.
        g_sim.heldReplies.push_back(reply);
        return 1;
    }
    if (g_sim.options.getDelayMs && IsGetCommand(command)) {
        // A busy Skype: the reply comes later, as a message of its own.
        g_sim.delayedReplies.push_back({GetTickCount() + g_sim.options.getDelayMs, reply});
        return 1;
    }
    SendToClient(reply);
    return 1;
}

LRESULT CALLBACK ApiWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_sim.discoverMessage && message != 0)
        return OnDiscover(reinterpret_cast<HWND>(wParam));
    switch (message) {
    case WM_COPYDATA:
        return OnCommand(reinterpret_cast<HWND>(wParam),
                         reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SIM_ATTACH:
        SendAttach(reinterpret_cast<HWND>(wParam), unsigned(lParam));
        return 0;
    case WM_SIM_FLUSH:
        FlushOutbox();
        return 0;
    case WM_TIMER:
        TickCalls();
        FlushOutbox();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

bool CreateApiWindow()
{
    // Registered names fixed by Skype's API; every client registers the same two.
    g_sim.discoverMessage = RegisterWindowMessageA("SkypeControlAPIDiscover");
    g_sim.attachMessage = RegisterWindowMessageA("SkypeControlAPIAttach");
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ApiWindowProc;
    windowClass.hInstance = g_sim.instance;
    windowClass.lpszClassName = kApiWindowClass;
    RegisterClassExW(&windowClass);
    g_sim.apiWindow = CreateWindowExW(0, kApiWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, g_sim.instance, nullptr);
    if (!g_sim.apiWindow)
        return false;
    SetTimer(g_sim.apiWindow, kCallTimer, kCallTimerMs, nullptr);
    return true;
}

void SendAttach(HWND client, unsigned status)
{
    if (status == 0)
        g_sim.attachedClient = client;
    else if (g_sim.attachedClient == client)
        g_sim.attachedClient = nullptr;
    LogEvent("attach " + AttachStatusText(status) + " to " + HwndText(client));
    if (status == 0 && g_sim.options.greeting) {
        // What Skype pushes unasked once a client is attached.
        QueueNotification("CONNSTATUS ONLINE");
        QueueNotification("CURRENTUSERHANDLE simulator");
        QueueNotification("USERSTATUS ONLINE");
    }
    // Skype sends "pending authorisation" without its window, as the recordings show.
    WPARAM api = status == 1 ? 0 : reinterpret_cast<WPARAM>(g_sim.apiWindow);
    if (g_sim.options.attachPosted) {
        // Posted, the reply waits in the client's queue: it is handled only after the
        // client's broadcast has returned, never inside it.
        PostMessageW(client, g_sim.attachMessage, api, LPARAM(status));
        return;
    }
    // Sent, the reply reaches a client that broadcast with SendMessage while it still waits
    // in its broadcast.
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutW(client, g_sim.attachMessage, api, LPARAM(status),
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    if (status == 0 && !g_sim.options.ringOnAttach.empty()) {
        // Sent now, not from the outbox: the client is still inside its broadcast.
        StartIncomingCall(HandleForName(g_sim.options.ringOnAttach), g_sim.options.ringOnAttach);
        FlushOutbox();
    }
}

bool SendToClient(const std::string& text)
{
    HWND client = g_sim.attachedClient;
    if (!client)
        return false;
    return SendToWindow(client, text);
}

bool SendToWindow(HWND window, const std::string& text)
{
    LogEvent("send " + text);
    // The NUL is part of the data, as Skype sends it.
    COPYDATASTRUCT data = {0, DWORD(text.size() + 1), const_cast<char*>(text.c_str())};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_COPYDATA, reinterpret_cast<WPARAM>(g_sim.apiWindow),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &result)) {
        LogEvent("undelivered " + text);
        return false;
    }
    return true;
}

void QueueNotification(const std::string& text)
{
    g_sim.outbox.push_back(text);
    PostMessageW(g_sim.apiWindow, WM_SIM_FLUSH, 0, 0);
}

void FlushOutbox()
{
    if (g_sim.flushing)
        return;
    g_sim.flushing = true;
    while (!g_sim.outbox.empty()) {
        // Taken out before the send: the client's commands handled during the send may
        // queue more.
        std::string text = g_sim.outbox.front();
        g_sim.outbox.pop_front();
        SendToClient(text);
    }
    g_sim.flushing = false;
}
