// The simulator's control channel (see control_window.h and control_protocol.h).
//
// Requests (words separated by one blank; <name> and <text> run to the end):
//   attach-status <n>        status of the attach reply to later broadcasts (0, 1, 2, 3, 0x8001)
//   attach-timing sync|posted  answer inside the broadcast or after it
//   attach <n>               send the attach message with status n to the latest discoverer now
//   ask-permission on|off    a client not yet allowed opens a question when it discovers
//   allow, refuse            the user answers the open question (0 or 2 to its asker)
//   remember-refusal on|off  a refused client gets 2 at once on later discoveries
//   questions                payload: how many questions have been opened
//   pong on|off              answer PING or stay silent
//   misspelt on|off          answer "GET CALL <id> PARTENER_DISPNAME" with the name
//   duration on|off          DURATION lines while calls are in progress
//   greeting on|off          the state notifications sent after a successful attach
//   ring-timeout <ms>        incoming calls nobody answers become MISSED (0: never)
//   get-delay <ms>           replies to GET come that much later, after the command's send
//                            has returned (0: inside it)
//   hold-replies on|names|off  replies to GET (names: only of PARTNER_DISPNAME and
//                            PARTNER_HANDLE) are kept back; off sends those kept, in order
//   hang <ms>                stop pumping messages for that long (after replying), or until
//                            a client sets the event SkypeSimThaw
//   hold <text>              the next command beginning with <text> is held (see
//                            control_protocol.h) until released or for at most 10 s
//   quit                     end the simulator (after replying)
//   incoming <name>          a call from the contact <name> (UTF-8; Skype name made from it)
//                            rings here -> payload: call id
//   incoming-from <handle> [<name>]  a call from <handle> (Skype name or phone number) with
//                            the display name <name>, empty when left out -> payload: call id
//   outgoing <number>        the user dials <number> in Skype -> payload: call id
//   answer <id>              the far end answers our call (or the user answers in Skype)
//   hangup <id>              the far end hangs up (MISSED if still ringing here, REFUSED for
//                            our call not yet answered)
//   giveup <id>              the caller gives up a call ringing here: MISSED
//   busy <id>                the callee of our call not yet answered is busy: BUSY
//   notify <text>            send <text> to the attached client as a notification
//   log                      payload: "<ms> <entry>" records
//   clear-log                empty the log
//   take-log                 payload as log, and the log emptied in the same step
//   number                   payload: the number field (UTF-8)
//   tab                      payload: selected tab index
//   visible                  payload: 1 when the main window is visible, else 0
//   calls                    payload: "<id> <status> <in|out> <seconds> <handle> <name>"
//                            records
//   client                   payload: attached client window ("0x0" when none)
//   windows                  payload: "api=<hwnd> main=<hwnd>"
#include "control_window.h"

#include <windows.h>

#include <cstdlib>

#include "api_window.h"
#include "control_protocol.h"
#include "main_form.h"
#include "sim_calls.h"
#include "sim_log.h"
#include "sim_permission.h"
#include "sim_state.h"

namespace {
const UINT kReplyTimeoutMs = 5000;

struct Reply {
    bool ok = true;
    std::string payload;  // the error text when !ok
};

Reply Ok(const std::string& payload = std::string())
{
    Reply reply;
    reply.payload = payload;
    return reply;
}

Reply Error(const std::string& reason)
{
    Reply reply;
    reply.ok = false;
    reply.payload = reason;
    return reply;
}

bool ParseNumber(const std::string& text, unsigned long* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    *value = std::strtoul(text.c_str(), &end, 0);
    return end && *end == '\0';
}

bool ParseSwitch(const std::string& text, bool* value)
{
    if (text == "on")
        *value = true;
    else if (text == "off")
        *value = false;
    else
        return false;
    return true;
}

Reply SetSwitch(const std::string& argument, bool* option)
{
    return ParseSwitch(argument, option) ? Ok() : Error("expected on or off");
}

SimCall* CallFromArgument(const std::string& argument)
{
    unsigned long id = 0;
    return ParseNumber(argument, &id) ? FindCall(int(id)) : nullptr;
}

Reply OnAnswer(const std::string& argument)
{
    SimCall* call = CallFromArgument(argument);
    if (!call)
        return Error("no such call");
    if (call->status != "RINGING")
        return Error("call is not ringing");
    SetCallStatus(*call, "INPROGRESS");
    return Ok();
}

Reply OnHangUp(const std::string& argument)
{
    SimCall* call = CallFromArgument(argument);
    if (!call)
        return Error("no such call");
    return HangUpRemotely(*call) ? Ok() : Error("call has ended");
}

Reply OnGiveUp(const std::string& argument)
{
    SimCall* call = CallFromArgument(argument);
    if (!call)
        return Error("no such call");
    if (!call->incoming || call->status != "RINGING")
        return Error("call is not ringing here");
    SetCallStatus(*call, "MISSED");
    return Ok();
}

Reply OnBusy(const std::string& argument)
{
    SimCall* call = CallFromArgument(argument);
    if (!call)
        return Error("no such call");
    if (call->incoming || call->connected || IsCallEnded(*call))
        return Error("not our call waiting for an answer");
    SetCallStatus(*call, "BUSY");
    return Ok();
}

Reply OnHoldReplies(const std::string& argument)
{
    g_sim.options.holdNamesOnly = argument == "names";
    if (!g_sim.options.holdNamesOnly && !ParseSwitch(argument, &g_sim.options.holdReplies))
        return Error("expected on, names or off");
    if (g_sim.options.holdNamesOnly)
        g_sim.options.holdReplies = true;
    if (!g_sim.options.holdReplies) {
        for (const std::string& reply : g_sim.heldReplies)
            QueueNotification(reply);
        g_sim.heldReplies.clear();
    }
    return Ok();
}

std::string LogPayload()
{
    std::string payload;
    for (const SimLogEntry& entry : g_sim.log) {
        payload += Format("%lu ", entry.ms) + entry.text;
        payload += '\0';
    }
    return payload;
}

std::string CallsPayload()
{
    std::string payload;
    for (const SimCall& call : g_sim.calls) {
        payload += DescribeCall(call);
        payload += '\0';
    }
    return payload;
}

Reply Execute(const std::string& request)
{
    size_t blank = request.find(' ');
    std::string verb = request.substr(0, blank);
    std::string argument = blank == std::string::npos ? std::string() : request.substr(blank + 1);
    SimOptions& options = g_sim.options;
    unsigned long number = 0;

    if (verb == "attach-status" || verb == "attach") {
        if (!ParseNumber(argument, &number))
            return Error("expected a status");
        if (verb == "attach-status") {
            options.attachStatus = unsigned(number);
            options.attachStatusFixed = true;
            return Ok();
        }
        if (!IsWindow(g_sim.lastDiscoverer))
            return Error("nobody has broadcast");
        // Sent after the reply, so that the requester is not the one waiting in the send.
        PostMessageW(g_sim.apiWindow, WM_SIM_ATTACH,
                     reinterpret_cast<WPARAM>(g_sim.lastDiscoverer), LPARAM(number));
        return Ok();
    }
    if (verb == "allow" || verb == "refuse") {
        std::string reason;
        return AnswerQuestion(verb == "allow", &reason) ? Ok() : Error(reason);
    }
    if (verb == "questions")
        return Ok(Format("%d", QuestionsAsked()));
    if (verb == "ask-permission")
        return SetSwitch(argument, &options.askPermission);
    if (verb == "remember-refusal")
        return SetSwitch(argument, &options.rememberRefusal);
    if (verb == "attach-timing") {
        if (argument != "sync" && argument != "posted")
            return Error("expected sync or posted");
        options.attachPosted = argument == "posted";
        return Ok();
    }
    if (verb == "pong")
        return SetSwitch(argument, &options.pong);
    if (verb == "misspelt")
        return SetSwitch(argument, &options.misspeltReply);
    if (verb == "duration")
        return SetSwitch(argument, &options.duration);
    if (verb == "greeting")
        return SetSwitch(argument, &options.greeting);
    if (verb == "ring-timeout") {
        if (!ParseNumber(argument, &number))
            return Error("expected milliseconds");
        options.ringTimeoutMs = DWORD(number);
        return Ok();
    }
    if (verb == "get-delay") {
        if (!ParseNumber(argument, &number))
            return Error("expected milliseconds");
        options.getDelayMs = DWORD(number);
        return Ok();
    }
    if (verb == "hold-replies")
        return OnHoldReplies(argument);
    if (verb == "hang") {
        if (!ParseNumber(argument, &number) || number == 0 || number > 600000)
            return Error("expected 1 to 600000 milliseconds");
        PostMessageW(g_sim.controlWindow, WM_SIM_HANG, WPARAM(number), 0);
        return Ok();
    }
    if (verb == "hold") {
        if (argument.empty())
            return Error("expected the start of a command");
        g_sim.holdCommand = argument;
        return Ok();
    }
    if (verb == "quit") {
        PostMessageW(g_sim.controlWindow, WM_SIM_QUIT, 0, 0);
        return Ok();
    }
    if (verb == "incoming") {
        if (argument.empty())
            return Error("expected a name (incoming-from <handle> calls without one)");
        return Ok(Format("%d", StartIncomingCall(HandleForName(argument), argument)));
    }
    if (verb == "incoming-from") {
        size_t end = argument.find(' ');
        std::string handle = argument.substr(0, end);
        if (handle.empty())
            return Error("expected a Skype name or a phone number");
        std::string name = end == std::string::npos ? std::string() : argument.substr(end + 1);
        return Ok(Format("%d", StartIncomingCall(handle, name)));
    }
    if (verb == "outgoing") {
        if (argument.empty())
            return Error("expected a number");
        return Ok(Format("%d", StartOutgoingCall(argument)));
    }
    if (verb == "answer")
        return OnAnswer(argument);
    if (verb == "hangup")
        return OnHangUp(argument);
    if (verb == "giveup")
        return OnGiveUp(argument);
    if (verb == "busy")
        return OnBusy(argument);
    if (verb == "notify") {
        if (!g_sim.attachedClient)
            return Error("no client attached");
        QueueNotification(argument);
        return Ok();
    }
    if (verb == "log")
        return Ok(LogPayload());
    if (verb == "clear-log") {
        ClearLog();
        return Ok();
    }
    if (verb == "take-log") {
        std::string payload = LogPayload();
        ClearLog();
        return Ok(payload);
    }
    if (verb == "number")
        return Ok(NumberFieldText());
    if (verb == "tab")
        return Ok(Format("%d", SelectedTab()));
    if (verb == "visible")
        return Ok(IsWindowVisible(g_sim.mainWindow) ? "1" : "0");
    if (verb == "calls")
        return Ok(CallsPayload());
    if (verb == "client")
        return Ok(HwndText(g_sim.attachedClient));
    if (verb == "windows")
        return Ok("api=" + HwndText(g_sim.apiWindow) + " main=" + HwndText(g_sim.mainWindow));
    return Error("unknown request: " + verb);
}

LRESULT OnRequest(HWND replyWindow, const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kSimControlRequest || !IsWindow(replyWindow))
        return 0;
    const char* bytes = static_cast<const char*>(data->lpData);
    size_t length = 0;
    while (bytes && length < data->cbData && bytes[length] != '\0')
        ++length;
    Reply reply = Execute(std::string(bytes ? bytes : "", length));
    std::string text = reply.ok ? "OK\n" + reply.payload : "ERR " + reply.payload + "\n";
    COPYDATASTRUCT answer = {kSimControlReply, DWORD(text.size()), const_cast<char*>(text.data())};
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutA(replyWindow, WM_COPYDATA,
                              reinterpret_cast<WPARAM>(g_sim.controlWindow),
                              reinterpret_cast<LPARAM>(&answer), SMTO_NORMAL, kReplyTimeoutMs,
                              &result);
    return 1;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return OnRequest(reinterpret_cast<HWND>(wParam),
                         reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SIM_HANG: {
        // A hung Skype: this thread owns every window of the simulator, so none of them
        // takes a message until the time is up or a client thaws it.
        HANDLE thaw = CreateEventA(nullptr, FALSE, FALSE, SKYPESIM_THAW_EVENT);
        if (thaw) {
            ResetEvent(thaw); // a thaw given before this hang is not for it
            (void)WaitForSingleObject(thaw, DWORD(wParam));
            CloseHandle(thaw);
        } else {
            Sleep(DWORD(wParam));
        }
        LogEvent("thawed");
        return 0;
    }
    case WM_SIM_QUIT:
        QuitSimulator();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

bool CreateControlWindow()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.hInstance = g_sim.instance;
    windowClass.lpszClassName = SKYPESIM_CONTROL_CLASS;
    RegisterClassExA(&windowClass);
    g_sim.controlWindow = CreateWindowExA(0, SKYPESIM_CONTROL_CLASS, "skypesim", 0, 0, 0, 0, 0,
                                          HWND_MESSAGE, nullptr, g_sim.instance, nullptr);
    return g_sim.controlWindow != nullptr;
}

void QuitSimulator()
{
    if (g_sim.apiWindow) {
        DestroyWindow(g_sim.apiWindow);
        g_sim.apiWindow = nullptr;
    }
    if (g_sim.controlWindow) {
        DestroyWindow(g_sim.controlWindow);
        g_sim.controlWindow = nullptr;
    }
    if (g_sim.mainWindow) {
        HWND main = g_sim.mainWindow;
        g_sim.mainWindow = nullptr;
        g_sim.tabControl = g_sim.numberField = g_sim.logList = nullptr;
        DestroyWindow(main);  // WM_DESTROY ends the message loop
    }
}
