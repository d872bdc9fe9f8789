// Client of skypesim.exe's control channel (see skype_sim_client.h).
#include "skype_sim_client.h"

#include <cstdlib>

namespace {
const char kReplyClass[] = "SkypeSimClientReply";

struct ReplyBox {
    bool received = false;
    std::string data;
};

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        ReplyBox* box = reinterpret_cast<ReplyBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!box || !data || data->dwData != kSimControlReply)
            return 0;
        box->data.assign(static_cast<const char*>(data->lpData), data->cbData);
        box->received = true;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterReplyClass()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ReplyWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kReplyClass;
    (void)RegisterClassExA(&windowClass);  // fails harmlessly when already registered
}

HWND FindControlWindow(DWORD pid)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(HWND_MESSAGE, window, SKYPESIM_CONTROL_CLASS, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (pid == 0 || owner == pid)
            return window;
    }
    return nullptr;
}

HWND ParseHwnd(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoul(text.c_str(), nullptr, 0)));
}
}  // namespace

std::vector<std::string> SplitRecords(const std::string& payload)
{
    std::vector<std::string> records;
    size_t start = 0;
    while (start < payload.size()) {
        size_t end = payload.find('\0', start);
        if (end == std::string::npos)
            end = payload.size();
        records.push_back(payload.substr(start, end - start));
        start = end + 1;
    }
    return records;
}

bool SkypeSimClient::Connect(DWORD pid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        control_ = FindControlWindow(pid);
        if (control_)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

bool SkypeSimClient::Request(const std::string& request, std::string* payload)
{
    if (payload)
        payload->clear();
    if (!control_ || !IsWindow(control_))
        return false;
    // A reply window per request, on the calling thread: the answer arrives while this
    // thread waits in the send below.
    RegisterReplyClass();
    HWND replyWindow = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    if (!replyWindow)
        return false;
    ReplyBox box;
    SetWindowLongPtrA(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
    COPYDATASTRUCT data = {kSimControlRequest, DWORD(request.size() + 1),
                           const_cast<char*>(request.c_str())};
    DWORD_PTR result = 0;
    LRESULT sent = SendMessageTimeoutA(control_, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
                                       reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                       timeoutMs_, &result);
    DestroyWindow(replyWindow);
    if (!sent || !box.received)
        return false;
    size_t newline = box.data.find('\n');
    std::string status = box.data.substr(0, newline);
    if (status == "OK") {
        if (payload && newline != std::string::npos)
            *payload = box.data.substr(newline + 1);
        return true;
    }
    if (payload && status.compare(0, 4, "ERR ") == 0)
        *payload = status.substr(4);
    return false;
}

bool SkypeSimClient::SetAttachStatus(unsigned status)
{
    return Request("attach-status " + std::to_string(status));
}

bool SkypeSimClient::AnswerQuestion(bool allow)
{
    return Request(allow ? "allow" : "refuse");
}

int SkypeSimClient::QuestionsAsked()
{
    std::string payload;
    return Request("questions", &payload) ? std::atoi(payload.c_str()) : -1;
}

bool SkypeSimClient::SetAttachTiming(SimAttachTiming timing)
{
    return Request(timing == SimAttachTiming::Sync ? "attach-timing sync" : "attach-timing posted");
}

bool SkypeSimClient::SendAttach(unsigned status)
{
    return Request("attach " + std::to_string(status));
}

bool SkypeSimClient::SetPingReplies(bool on)
{
    return Request(on ? "pong on" : "pong off");
}

bool SkypeSimClient::SetMisspeltReply(bool on)
{
    return Request(on ? "misspelt on" : "misspelt off");
}

bool SkypeSimClient::SetDurationLines(bool on)
{
    return Request(on ? "duration on" : "duration off");
}

bool SkypeSimClient::SetGreeting(bool on)
{
    return Request(on ? "greeting on" : "greeting off");
}

bool SkypeSimClient::SetRingTimeout(DWORD ms)
{
    return Request("ring-timeout " + std::to_string(ms));
}

bool SkypeSimClient::SetGetDelay(DWORD ms)
{
    return Request("get-delay " + std::to_string(ms));
}

bool SkypeSimClient::Thaw()
{
    HANDLE thaw = OpenEventA(EVENT_MODIFY_STATE, FALSE, SKYPESIM_THAW_EVENT);
    if (!thaw)
        return false;
    bool set = SetEvent(thaw) != 0;
    CloseHandle(thaw);
    return set;
}

bool SkypeSimClient::HoldReplies(bool on)
{
    return Request(on ? "hold-replies on" : "hold-replies off");
}

SkypeSimClient::~SkypeSimClient()
{
    if (held_)
        CloseHandle(held_);
}

bool SkypeSimClient::Hold(const std::string& prefix)
{
    // Made here first, so that a hold that happens before WaitHeld is not missed.
    if (!held_)
        held_ = CreateEventA(nullptr, FALSE, FALSE, SKYPESIM_HELD_EVENT);
    return held_ && Request("hold " + prefix);
}

bool SkypeSimClient::WaitHeld(DWORD timeoutMs)
{
    return held_ && WaitForSingleObject(held_, timeoutMs) == WAIT_OBJECT_0;
}

bool SkypeSimClient::Release()
{
    HANDLE release = OpenEventA(EVENT_MODIFY_STATE, FALSE, SKYPESIM_RELEASE_EVENT);
    if (!release)
        return false;
    BOOL set = SetEvent(release);
    CloseHandle(release);
    return set != FALSE;
}

bool SkypeSimClient::Hang(DWORD ms)
{
    return Request("hang " + std::to_string(ms));
}

bool SkypeSimClient::Quit()
{
    return Request("quit");
}

void SkypeSimClient::QuitAndWait(DWORD timeoutMs)
{
    HWND control = ControlWindow();
    if (!control || !IsWindow(control))
        return;
    DWORD pid = 0;
    GetWindowThreadProcessId(control, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    Quit();
    if (process) {
        // A simulator told to hang takes no quit request (it is dropped when the send times
        // out): left running, it would be the "Skype" of whatever starts next, and a new one
        // started meanwhile would find it and end at once.
        if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

int SkypeSimClient::Incoming(const std::string& name)
{
    std::string id;
    return Request("incoming " + name, &id) ? std::atoi(id.c_str()) : 0;
}

int SkypeSimClient::IncomingFrom(const std::string& handle, const std::string& name)
{
    std::string id;
    return Request("incoming-from " + handle + " " + name, &id) ? std::atoi(id.c_str()) : 0;
}

int SkypeSimClient::Outgoing(const std::string& number)
{
    std::string id;
    return Request("outgoing " + number, &id) ? std::atoi(id.c_str()) : 0;
}

bool SkypeSimClient::FarEndAnswers(int callId)
{
    return Request("answer " + std::to_string(callId));
}

bool SkypeSimClient::FarEndHangsUp(int callId)
{
    return Request("hangup " + std::to_string(callId));
}

bool SkypeSimClient::CallerGivesUp(int callId)
{
    return Request("giveup " + std::to_string(callId));
}

bool SkypeSimClient::FarEndBusy(int callId)
{
    return Request("busy " + std::to_string(callId));
}

bool SkypeSimClient::Notify(const std::string& text)
{
    return Request("notify " + text);
}

bool SkypeSimClient::ReadLog(std::vector<SimLogLine>* log)
{
    return ReadLogVia("log", log);
}

bool SkypeSimClient::TakeLog(std::vector<SimLogLine>* log)
{
    return ReadLogVia("take-log", log);
}

bool SkypeSimClient::ReadLogVia(const char* request, std::vector<SimLogLine>* log)
{
    std::string payload;
    if (!Request(request, &payload))
        return false;
    log->clear();
    for (const std::string& record : SplitRecords(payload)) {
        size_t blank = record.find(' ');
        SimLogLine line;
        line.ms = std::strtoul(record.c_str(), nullptr, 10);
        line.text = blank == std::string::npos ? std::string() : record.substr(blank + 1);
        log->push_back(line);
    }
    return true;
}

std::vector<std::string> SkypeSimClient::LogText()
{
    std::vector<SimLogLine> log;
    std::vector<std::string> texts;
    if (ReadLog(&log))
        for (const SimLogLine& line : log)
            texts.push_back(line.text);
    return texts;
}

bool SkypeSimClient::ClearLog()
{
    return Request("clear-log");
}

bool SkypeSimClient::NumberField(std::string* text)
{
    return Request("number", text);
}

int SkypeSimClient::SelectedTab()
{
    std::string payload;
    return Request("tab", &payload) ? std::atoi(payload.c_str()) : -1;
}

int SkypeSimClient::MainWindowVisible()
{
    std::string payload;
    if (!Request("visible", &payload))
        return -1;
    return payload == "1" ? 1 : 0;
}

bool SkypeSimClient::Calls(std::vector<SimCallInfo>* calls)
{
    std::string payload;
    if (!Request("calls", &payload))
        return false;
    calls->clear();
    for (const std::string& record : SplitRecords(payload)) {
        // "<id> <status> <in|out> <seconds> <handle> <name>"; the name may contain blanks.
        SimCallInfo call;
        size_t fieldStart[6] = {0, 0, 0, 0, 0, 0};
        int field = 1;
        for (size_t i = 0; i < record.size() && field < 6; ++i)
            if (record[i] == ' ')
                fieldStart[field++] = i + 1;
        if (field < 6)
            continue;
        call.id = std::atoi(record.c_str());
        call.status = record.substr(fieldStart[1], fieldStart[2] - fieldStart[1] - 1);
        call.incoming = record.compare(fieldStart[2], 3, "in ") == 0;
        call.seconds = std::atoi(record.c_str() + fieldStart[3]);
        call.handle = record.substr(fieldStart[4], fieldStart[5] - fieldStart[4] - 1);
        call.partner = record.substr(fieldStart[5]);
        calls->push_back(call);
    }
    return true;
}

bool SkypeSimClient::CallStatus(int callId, std::string* status)
{
    std::vector<SimCallInfo> calls;
    if (!Calls(&calls))
        return false;
    for (const SimCallInfo& call : calls)
        if (call.id == callId) {
            *status = call.status;
            return true;
        }
    return false;
}

HWND SkypeSimClient::AttachedClient()
{
    std::string payload;
    return Request("client", &payload) ? ParseHwnd(payload) : nullptr;
}

HWND SkypeSimClient::ApiWindow()
{
    std::string payload;
    if (!Request("windows", &payload))
        return nullptr;
    size_t at = payload.find("api=");
    return at == std::string::npos ? nullptr : ParseHwnd(payload.substr(at + 4));
}

HWND SkypeSimClient::MainWindow()
{
    std::string payload;
    if (!Request("windows", &payload))
        return nullptr;
    size_t at = payload.find("main=");
    return at == std::string::npos ? nullptr : ParseHwnd(payload.substr(at + 5));
}
