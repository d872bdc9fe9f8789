// Client side of the handset simulator's control channel.
#include "handset_sim_client.h"

#include <cstdio>
#include <cstdlib>

#include "sim_protocol.h"

namespace {
const UINT kRequestTimeoutMs = 5000;
const char kReplyClass[] = "UsbPhoneHandsetSimReply";

struct Reply {
    ULONG_PTR command;
    bool received;
    std::string text;
};

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        Reply* reply = reinterpret_cast<Reply*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!reply || !data || data->dwData != reply->command)
            return 0;
        std::string text(static_cast<const char*>(data->lpData), data->lpData ? data->cbData : 0);
        size_t end = text.find('\0');
        reply->text = end == std::string::npos ? text : text.substr(0, end);
        reply->received = true;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A message-only window of the calling thread that receives the answer, which the
// simulator sends while our request is still being handled.
HWND CreateReplyWindow(Reply* reply)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReplyWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kReplyClass;
    RegisterClassA(&windowClass); // fails harmlessly once registered
    HWND window = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reply));
    return window;
}

// Sends one request; true when the simulator carried it out. `answer` (optional) receives
// the reply text.
bool Request(HWND sim, ULONG_PTR command, const std::string& payload, std::string* answer)
{
    if (!sim)
        return false;
    Reply reply = {command, false, std::string()};
    HWND replyWindow = answer ? CreateReplyWindow(&reply) : nullptr;
    if (answer && !replyWindow)
        return false;
    COPYDATASTRUCT request;
    request.dwData = command;
    request.cbData = (DWORD)payload.size() + 1;
    request.lpData = const_cast<char*>(payload.c_str());
    DWORD_PTR result = 0;
    bool sent = SendMessageTimeoutA(sim, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
                                    reinterpret_cast<LPARAM>(&request), SMTO_ABORTIFHUNG,
                                    kRequestTimeoutMs, &result) != 0;
    if (replyWindow)
        DestroyWindow(replyWindow);
    if (!sent || result == 0)
        return false;
    if (answer) {
        if (!reply.received)
            return false;
        *answer = reply.text;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

struct SimQuery {
    DWORD pid;
    HWND found;
};
} // namespace

HWND FindHandsetSim(DWORD pid, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = nullptr;
        while ((window = FindWindowExA(HWND_MESSAGE, window, HANDSET_SIM_CONTROL_CLASS,
                                       nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (pid == 0 || owner == pid)
                return window;
        }
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(10);
    }
}

bool HandsetSimKey(HWND sim, int code)
{
    char text[16];
    snprintf(text, sizeof text, "%d", code);
    return Request(sim, kSimCommandKey, text, nullptr);
}

bool HandsetSimPlug(HWND sim, int connected)
{
    char text[16];
    snprintf(text, sizeof text, "%d", connected);
    return Request(sim, kSimCommandPlug, text, nullptr);
}

bool HandsetSimEvents(HWND sim, const std::vector<HandsetSimEvent>& events)
{
    std::string payload;
    for (const HandsetSimEvent& event : events) {
        char line[32];
        snprintf(line, sizeof line, "%s %d\n", event.plug ? "plug" : "key", event.value);
        payload += line;
    }
    return Request(sim, kSimCommandEvents, payload, nullptr);
}

bool HandsetSimSetDelivery(HWND sim, const char* mode)
{
    return Request(sim, kSimCommandDelivery, mode, nullptr);
}

bool HandsetSimSetOpenResult(HWND sim, int result)
{
    char text[16];
    snprintf(text, sizeof text, "%d", result);
    return Request(sim, kSimCommandOpenResult, text, nullptr);
}

bool HandsetSimStateText(HWND sim, std::string* text)
{
    return Request(sim, kSimCommandState, std::string(), text);
}

bool ParseHandsetSimState(const std::string& text, HandsetSimState* out)
{
    HandsetSimState state;
    const std::string lcdKey = "lcdText=";
    size_t lcd = text.find("\n" + lcdKey);
    if (lcd == std::string::npos)
        return false;
    state.lcdText = text.substr(lcd + 1 + lcdKey.size());
    int fields = 0;
    for (const std::string& line : SplitLines(text.substr(0, lcd))) {
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            return false;
        std::string name = line.substr(0, equals);
        long long value = strtoll(line.c_str() + equals + 1, nullptr, 10);
        ++fields;
        if (name == "pid") state.pid = (DWORD)value;
        else if (name == "opened") state.opened = value != 0;
        else if (name == "bound") state.bound = value != 0;
        else if (name == "closed") state.closed = value != 0;
        else if (name == "connected") state.connected = value != 0;
        else if (name == "openResult") state.openResult = (int)value;
        else if (name == "lcdMode") state.lcdMode = (int)value;
        else if (name == "inCall") state.inCall = value != 0;
        else if (name == "skype") state.skype = value != 0;
        else if (name == "light") state.light = value != 0;
        else if (name == "ringing") state.ringing = value != 0;
        else if (name == "hook") state.hook = (int)value;
        else if (name == "eventsDelivered") state.eventsDelivered = (unsigned)value;
        else if (name == "eventsDropped") state.eventsDropped = (unsigned)value;
        else if (name == "stackFaults") state.stackFaults = (unsigned)value;
        else if (name == "eventsInline") state.eventsInline = (unsigned)value;
        else if (name == "callbacksOverlap") state.callbacksOverlap = (unsigned)value;
        else if (name == "lcdLongest") state.lcdLongest = (size_t)value;
        else --fields; // a newer simulator may say more
    }
    if (fields < 15)
        return false;
    *out = state;
    return true;
}

bool HandsetSimGetState(HWND sim, HandsetSimState* out)
{
    std::string text;
    return HandsetSimStateText(sim, &text) && ParseHandsetSimState(text, out);
}

std::vector<std::string> HandsetSimJournal(HWND sim)
{
    std::string text;
    if (!Request(sim, kSimCommandJournal, std::string(), &text))
        return std::vector<std::string>();
    return SplitLines(text);
}

std::vector<HandsetSimTimed> HandsetSimTimeline(HWND sim)
{
    std::vector<HandsetSimTimed> timeline;
    std::string text;
    if (!Request(sim, kSimCommandTimeline, std::string(), &text))
        return timeline;
    for (const std::string& line : SplitLines(text)) {
        size_t blank = line.find(' ');
        if (blank == std::string::npos)
            continue;
        HandsetSimTimed timed;
        timed.qpc = strtoll(line.c_str(), nullptr, 10);
        timed.entry = line.substr(blank + 1);
        timeline.push_back(timed);
    }
    return timeline;
}

bool HandsetSimProcessFigures(HWND sim, HandsetSimProcess* out)
{
    std::string text;
    if (!Request(sim, kSimCommandProcess, std::string(), &text))
        return false;
    HandsetSimProcess figures;
    int fields = 0;
    for (const std::string& line : SplitLines(text)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            return false;
        std::string name = line.substr(0, equals);
        unsigned long long value = strtoull(line.c_str() + equals + 1, nullptr, 10);
        ++fields;
        if (name == "cpu100ns") figures.cpu100ns = value;
        else if (name == "private") figures.privateBytes = value;
        else if (name == "workingSet") figures.workingSet = value;
        else if (name == "committed") figures.committed = value;
        else if (name == "heapBusy") figures.heapBusy = value;
        else --fields;
    }
    if (fields < 5)
        return false;
    *out = figures;
    return true;
}

std::vector<std::string> ReadHandsetJournalFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::vector<std::string>();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return SplitLines(text);
}
