// The transcript: a watcher thread collecting events, and their printing in time order.
#include "transcript.h"

#include <algorithm>
#include <cstdio>

#include "event_log.h"
#include "journal_lines.h"
#include "skype_sim_client.h"
#include "usb_tones.h"

namespace {
const DWORD kPollMs = 25;

// Skype's attach statuses by name.
std::string AttachText(const std::string& entry)
{
    // "attach <status> to <hwnd>"
    std::string status = entry.substr(7, entry.find(" to ") - 7);
    const char* meaning = status == "0"        ? "success"
                          : status == "1"      ? "pending authorization"
                          : status == "2"      ? "refused"
                          : status == "3"      ? "not available"
                          : status == "0x8001" ? "API available"
                                               : "unknown";
    bool everyone = entry.compare(entry.size() - 12, 12, " to everyone") == 0;
    return "attach reply " + status + " (" + meaning + ")" +
           (everyone ? " to every window" : " to the driver");
}

// Complete lines of a file from byte `*offset` on; the offset moves past them.
std::vector<std::string> NewLines(const std::string& path, size_t* offset)
{
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    LONG low = LONG(*offset);
    if (SetFilePointer(file, low, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            data.append(buffer, got);
    }
    CloseHandle(file);
    size_t start = 0, end;
    // A line still being written has no end yet: it is read next time.
    while ((end = data.find('\n', start)) != std::string::npos) {
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    *offset += start;
    return lines;
}

struct WatchState {
    JournalReader journal;
    ToneScanner tones;
    SkypeSimClient skype;
    DWORD skypePid = 0;
};
} // namespace

Transcript::~Transcript()
{
    Stop();
    if (lockReady_)
        DeleteCriticalSection(&lock_);
}

bool Transcript::Start(const std::string& journalPath)
{
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
    InitializeCriticalSection(&lock_);
    lockReady_ = true;
    journalPath_ = journalPath;
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, WatchThread, this, 0, nullptr);
    return thread_ != nullptr;
}

void Transcript::WatchSkype(DWORD pid)
{
    EnterCriticalSection(&lock_);
    skypePid_ = pid;
    LeaveCriticalSection(&lock_);
}

void Transcript::Stop()
{
    if (!thread_)
        return;
    SetEvent(stop_);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(stop_);
    thread_ = nullptr;
}

double Transcript::Now() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start_.QuadPart) / double(frequency_.QuadPart);
}

DWORD WINAPI Transcript::WatchThread(void* self)
{
    Transcript* transcript = static_cast<Transcript*>(self);
    WatchState state;
    std::string capture = CapturePath();
    transcript->captureReady_ = !capture.empty() && state.tones.Open(capture);
    double block = 0, lastStream = 0;
    if (transcript->captureReady_)
        state.tones.Poll(&lastStream);
    while (WaitForSingleObject(transcript->stop_, kPollMs) == WAIT_TIMEOUT) {
        double seen = transcript->Now();
        for (const std::string& line : NewLines(transcript->journalPath_,
                                                &transcript->journalBytes_)) {
            size_t blank = line.find(' ');
            std::string entry = blank == std::string::npos ? line : line.substr(blank + 1);
            for (const HandsetLine& out : state.journal.Translate(entry))
                transcript->Add({seen, out.source, out.text});
        }

        if (transcript->captureReady_) {
            double streamSeconds = 0;
            std::vector<ToneBurst> bursts = state.tones.Poll(&streamSeconds);
            // The pipe sink writes whole blocks, each one ahead of the clock: the sound in
            // a block was played up to a block's length before the block shows in the file.
            block = std::max(block, std::min(streamSeconds - lastStream, 0.25));
            lastStream = streamSeconds;
            EnterCriticalSection(&transcript->lock_);
            transcript->captureOffset_ = std::min(transcript->captureOffset_,
                                                  seen - streamSeconds);
            transcript->captureBlock_ = block;
            LeaveCriticalSection(&transcript->lock_);
            for (const ToneBurst& burst : bursts) {
                Stored stored{{seen, "tone", burst.name + Format(", %.0f ms",
                                                                 burst.lengthSeconds * 1000)},
                              -1};
                stored.clockSeconds = burst.startSeconds;
                stored.clock = 2;
                EnterCriticalSection(&transcript->lock_);
                transcript->events_.push_back(stored);
                LeaveCriticalSection(&transcript->lock_);
            }
        }

        EnterCriticalSection(&transcript->lock_);
        DWORD pid = transcript->skypePid_;
        LeaveCriticalSection(&transcript->lock_);
        if (pid && pid != state.skypePid && state.skype.Connect(pid, 0)) {
            state.skypePid = pid;
            transcript->skypeLines_ = 0;
        }
        std::vector<SimLogLine> log;
        if (state.skypePid && state.skype.ReadLog(&log)) {
            seen = transcript->Now();
            for (size_t i = transcript->skypeLines_; i < log.size(); ++i) {
                const SimLogLine& line = log[i];
                const std::string& text = line.text;
                EnterCriticalSection(&transcript->lock_);
                transcript->skypeOffset_ = std::min(transcript->skypeOffset_,
                                                    seen - line.ms / 1000.0);
                LeaveCriticalSection(&transcript->lock_);
                // The keep-alive every two seconds would drown the session.
                if (text == "recv PING" || text == "send PONG")
                    continue;
                DemoEvent event{seen, "skype", text};
                if (text.compare(0, 5, "recv ") == 0)
                    event = {seen, "skype <-", text.substr(5)};
                else if (text.compare(0, 5, "send ") == 0)
                    event = {seen, "skype ->", text.substr(5)};
                else if (text.compare(0, 7, "attach ") == 0)
                    event.text = AttachText(text);
                transcript->Add(event, long(line.ms));
            }
            transcript->skypeLines_ = log.size();
        }
    }
    return 0;
}

void Transcript::Add(const DemoEvent& event, long skypeMs)
{
    Stored stored{event, skypeMs};
    if (skypeMs >= 0) {
        stored.clock = 1;
        stored.clockSeconds = skypeMs / 1000.0;
    }
    EnterCriticalSection(&lock_);
    events_.push_back(stored);
    LeaveCriticalSection(&lock_);
}

void Transcript::Note(const std::string& source, const std::string& text)
{
    Add({Now(), source, text});
}

double Transcript::EventTime(const Stored& stored) const
{
    if (stored.clock == 1 && skypeOffset_ < 1e17)
        return stored.clockSeconds + skypeOffset_;
    if (stored.clock == 2 && captureOffset_ < 1e17)
        return stored.clockSeconds + captureOffset_ + captureBlock_;
    return stored.event.seconds;
}

size_t Transcript::Count()
{
    EnterCriticalSection(&lock_);
    size_t count = events_.size();
    LeaveCriticalSection(&lock_);
    return count;
}

bool Transcript::WaitFor(size_t from, const std::function<bool(const DemoEvent&)>& match,
                         DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&lock_);
        bool found = false;
        for (size_t i = from; i < events_.size() && !found; ++i)
            found = match(events_[i].event);
        LeaveCriticalSection(&lock_);
        if (found)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

bool Transcript::WaitForText(size_t from, const std::string& source, const std::string& text,
                             DWORD timeoutMs)
{
    return WaitFor(from, [&](const DemoEvent& event) {
        return event.source == source && event.text == text;
    }, timeoutMs);
}

int Transcript::CountMatching(size_t from, const std::string& source, const std::string& prefix)
{
    int count = 0;
    EnterCriticalSection(&lock_);
    for (size_t i = from; i < events_.size(); ++i) {
        const DemoEvent& event = events_[i].event;
        if (event.source == source && event.text.compare(0, prefix.size(), prefix) == 0)
            ++count;
    }
    LeaveCriticalSection(&lock_);
    return count;
}

std::string Transcript::ToneKeys(size_t from)
{
    std::string keys;
    EnterCriticalSection(&lock_);
    for (size_t i = from; i < events_.size(); ++i) {
        const DemoEvent& event = events_[i].event;
        if (event.source != "tone")
            continue;
        size_t open = event.text.find('('), close = event.text.find(')');
        if (!keys.empty())
            keys += " ";
        keys += open == std::string::npos ? event.text
                                          : event.text.substr(open, close + 1 - open);
    }
    LeaveCriticalSection(&lock_);
    return keys;
}

void Transcript::PrintNew()
{
    std::vector<DemoEvent> batch;
    EnterCriticalSection(&lock_);
    for (size_t i = printed_; i < events_.size(); ++i) {
        DemoEvent event = events_[i].event;
        event.seconds = EventTime(events_[i]);
        batch.push_back(event);
    }
    printed_ = events_.size();
    LeaveCriticalSection(&lock_);
    std::stable_sort(batch.begin(), batch.end(), [](const DemoEvent& a, const DemoEvent& b) {
        return a.seconds < b.seconds;
    });
    for (const DemoEvent& event : batch)
        printf("%8.3f s  %-9s %s\n", event.seconds, event.source.c_str(), event.text.c_str());
    fflush(stdout);
}

void Transcript::Step(const std::string& title)
{
    PrintNew();
    printf("\n== %s\n", title.c_str());
    fflush(stdout);
}

void Transcript::Say(const std::string& text)
{
    PrintNew();
    printf("%s\n", text.c_str());
    fflush(stdout);
}
