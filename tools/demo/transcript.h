// The demo's transcript: everything observed (handset journal, Skype simulator log, tones on
// the USB device) and everything the demo did, with times since the demo started. A watcher
// thread polls the sources; the script waits on events and prints them after each step.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct DemoEvent {
    double seconds;      // since the demo started
    std::string source;  // "demo", "handset", "skype <-", "skype ->", "lcd", "tone", ...
    std::string text;
};

class Transcript {
public:
    ~Transcript();
    // Starts the clock and the watcher: the journal file (Windows path) and the USB capture.
    bool Start(const std::string& journalPath);
    // From now on the watcher also reads the log of the Skype simulator in process `pid`.
    void WatchSkype(DWORD pid);
    void Stop();

    double Now() const;
    // Records something the demo itself did, at the current time.
    void Note(const std::string& source, const std::string& text);
    // A step heading, printed at once after whatever is still unprinted.
    void Step(const std::string& title);

    // Events seen so far (arrival order) and waiting for one after index `from`.
    size_t Count();
    bool WaitFor(size_t from, const std::function<bool(const DemoEvent&)>& match,
                 DWORD timeoutMs);
    bool WaitForText(size_t from, const std::string& source, const std::string& text,
                     DWORD timeoutMs);
    // The key names of the tones heard since `from`: "(key 5) (key 0)".
    std::string ToneKeys(size_t from);
    int CountMatching(size_t from, const std::string& source, const std::string& prefix);

    // Prints the events not printed yet, in time order; sound still playing waits.
    void PrintNew();
    // Prints a line that is not an event (a failure, a file path).
    void Say(const std::string& text);

private:
    struct Stored {
        DemoEvent event;
        long skypeMs;             // >= 0: the simulator's own time stamp
        int clock = 0;            // 0 demo, 1 simulator, 2 capture stream
        double clockSeconds = 0;  // the time on that clock
    };
    static DWORD WINAPI WatchThread(void* self);
    void PollOnce();
    void Add(const DemoEvent& event, long skypeMs = -1);
    double EventTime(const Stored& stored) const;

    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
    LARGE_INTEGER start_{}, frequency_{};
    std::string journalPath_;
    size_t journalBytes_ = 0;
    DWORD skypePid_ = 0;
    size_t skypeLines_ = 0;
    double skypeOffset_ = 1e18;    // demo seconds minus simulator seconds, smallest seen
    double captureOffset_ = 1e18;  // demo seconds minus capture stream seconds, smallest seen
    double captureBlock_ = 0;      // seconds the sink writes at once
    bool captureReady_ = false;
    std::vector<Stored> events_;
    size_t printed_ = 0;
};

