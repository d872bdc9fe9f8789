// usbphone_bench: the driver's figures, measured on the real usbphone.exe with the handset
// simulator and the benchmark itself as Skype. Prints one line per figure held to a fixed
// target:
//   FIGURE|<figure>|<measured>|<target>|<yes/no>
// one line per figure held against a floor measured in the same run (scripts/figures.sh
// works out the ratio and judges it):
//   FLOOR|<figure>|<floor>|<measured>|<unit>|<le or ge>|<limit of measured / floor>
// followed by detail lines starting with "  ". Options: --idle-seconds N (default 60),
// --digits N (default 200). Exit code 0 when it could measure, 1 when it could not.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_host.h"
#include "handset_sim_client.h"
#include "skype_stand_in.h"
#include "stats.h"

namespace {
const int kKeyYes = 50;
const double kPressPauseMs = 10;  // between BTN_PRESSED and BTN_RELEASED
const double kNavigationToneMs = 84; // the navigation tone's open, play and close
const int kCallInProgress = 7;
const int kFloorTripsPerDigit = 3;
const int kFloorPauseMs = 5;

double g_ticksPerMs = 10000;

double Ms(long long ticks)
{
    return double(ticks) / g_ticksPerMs;
}

void Figure(const char* name, const std::string& measured, const char* target, bool met)
{
    printf("FIGURE|%s|%s|%s|%s\n", name, measured.c_str(), target, met ? "yes" : "NO");
    fflush(stdout);
}

std::string Fixed(double value, int decimals, const char* unit)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
    return text;
}

void Floored(const char* name, double floor, double measured, const char* unit, bool atMost,
             double limit)
{
    printf("FLOOR|%s|%.4f|%.4f|%s|%s|%g\n", name, floor, measured, unit, atMost ? "le" : "ge",
           limit);
    fflush(stdout);
}

// The floor of the key and notification figures: an empty cross-process WM_COPYDATA round
// trip, sent from this thread (the one that sends Skype's notifications) to the driver's main
// window with the same bytes as the figure's messages. Its sender is no window the driver
// attached to, so the driver turns it away on one comparison without reading it: what is
// left is Wine's send, its copy of the data and both thread switches. Taken between the
// figure's own samples, so that both see the same load on a shared machine. -1 on failure.
double EmptyRoundTripMs(const DriverHost& driver, const std::string& text)
{
    long long before = Qpc();
    LRESULT answer = 0;
    if (!SendCopyData(driver.window, nullptr, text.c_str(), DWORD(text.size() + 1), &answer,
                      3000) ||
        answer != 0)
        return -1;
    return Ms(Qpc() - before);
}

// The newest "Deliver key <code>" and the first display request after it.
bool FindKeyTimes(HWND sim, int code, long long after, long long* delivered, long long* lcd)
{
    std::string deliver = " Deliver key " + std::to_string(code);
    for (int attempt = 0; attempt < 200; ++attempt) {
        *delivered = 0;
        *lcd = 0;
        for (const HandsetSimTimed& timed : HandsetSimTimeline(sim)) {
            if (timed.qpc <= after)
                continue;
            size_t at = timed.entry.find(' ');
            std::string entry = at == std::string::npos ? timed.entry : timed.entry.substr(at);
            if (entry == deliver) {
                *delivered = timed.qpc;
                *lcd = 0;
            } else if (*delivered && !*lcd && entry.compare(0, 21, " USBPhone_DisplayLCD ") == 0) {
                *lcd = timed.qpc;
            }
        }
        if (*delivered && *lcd)
            return true;
        Sleep(2);
    }
    return false;
}

// Waits until a command equal to `text` arrives at or after `from`; its position, or -1 after
// `timeoutMs`. Polled every millisecond, without pumping: this thread owns no window.
long WaitFor(SkypeStandIn& skype, const std::string& text, size_t from, DWORD timeoutMs)
{
    long at = -1;
    PollUntil([&] { return (at = skype.Find(text, from)) >= 0; }, timeoutMs,
              [](DWORD) { Sleep(1); });
    return at;
}

// Digits during a call: each becomes FOCUS, BTN_PRESSED, (10 ms), BTN_RELEASED, SET CALL DTMF,
// then the LCD shows the number so far.
bool MeasureDigits(DriverHost& driver, SkypeStandIn& skype, int count)
{
    skype.Notify("CALL 7 STATUS ROUTING");
    skype.Notify("CALL 7 STATUS INPROGRESS");
    std::vector<double> toCommand;
    std::vector<double> handling;
    std::vector<double> floor;
    std::vector<double> afterPause;
    int warmUp = 10;
    for (int n = 0; n < count + warmUp; ++n) {
        int digit = n % 10;
        size_t mark = skype.CommandCount();
        long long before = Qpc();
        if (!HandsetSimKey(driver.sim, digit)) {
            fprintf(stderr, "bench: the simulator refused key %d\n", digit);
            return false;
        }
        std::string dtmf = "SET CALL " + std::to_string(kCallInProgress) + " DTMF " +
                           std::to_string(digit);
        long long delivered = 0, lcd = 0;
        if (WaitFor(skype, dtmf, mark, 3000) < 0 ||
            !FindKeyTimes(driver.sim, digit, before, &delivered, &lcd)) {
            fprintf(stderr, "bench: digit %d was not handled\n", digit);
            return false;
        }
        std::vector<SkypeStandIn::Command> commands = skype.Commands(mark);
        if (commands.empty() || commands.front().text != "FOCUS") {
            fprintf(stderr, "bench: digit %d: first command \"%s\"\n", digit,
                    commands.empty() ? "" : commands.front().text.c_str());
            return false;
        }
        if (n < warmUp)
            continue;
        toCommand.push_back(Ms(commands.front().qpc - delivered));
        handling.push_back(Ms(lcd - delivered) - kPressPauseMs);
        // The key's handling has ended with its display request: the floor, beside it. The
        // figure is held against trips that follow one another at once (as the floor has
        // always been taken). A key reaches threads that have waited for a while, though,
        // and a trip after a pause is slower: those are shown beside it.
        for (int trip = 0; trip < kFloorTripsPerDigit; ++trip) {
            Sleep(kFloorPauseMs);
            double paused = EmptyRoundTripMs(driver, "FOCUS");
            double next = EmptyRoundTripMs(driver, "FOCUS");
            if (paused < 0 || next < 0) {
                fprintf(stderr, "bench: the driver did not take an empty WM_COPYDATA\n");
                return false;
            }
            floor.push_back(next);
            afterPause.push_back(paused);
        }
    }
    skype.Notify("CALL 7 STATUS FINISHED");

    double median = Median(toCommand), p95 = Percentile(toCommand, 95);
    Floored("digit in a call: key event to first Skype command, median", Median(floor), median,
            "ms", true, 1.5);
    Figure("digit in a call: key event to first Skype command, 95th pct",
           Fixed(p95, 3, " ms"), "<= 2 ms", p95 <= 2);
    printf("  %zu digits; min %.3f ms, max %.3f ms; floor: %zu empty WM_COPYDATA round trips "
           "between them, each right after another, median %.3f ms, min %.3f ms; each %d ms "
           "after the last (as keys come): median %.3f ms (the digit %.2fx that)\n",
           toCommand.size(), Percentile(toCommand, 0), Percentile(toCommand, 100),
           floor.size(), Median(floor), Percentile(floor, 0), kFloorPauseMs,
           Median(afterPause), median / Median(afterPause));
    median = Median(handling);
    p95 = Percentile(handling, 95);
    Figure("digit in a call: key event to LCD beyond the 10 ms pause, median",
           Fixed(median, 3, " ms"), "<= 2 ms", median <= 2);
    Figure("digit in a call: key event to LCD beyond the 10 ms pause, 95th pct",
           Fixed(p95, 3, " ms"), "<= 5 ms", p95 <= 5);
    printf("  min %.3f ms, max %.3f ms\n", Percentile(handling, 0), Percentile(handling, 100));
    return true;
}

// YES outside a call: the navigation tone plays, then FOCUS goes to Skype.
bool MeasureYes(DriverHost& driver, SkypeStandIn& skype, int count)
{
    std::vector<double> beyond;
    for (int n = 0; n < count + 1; ++n) {
        size_t mark = skype.CommandCount();
        long long before = Qpc();
        if (!HandsetSimKey(driver.sim, kKeyYes))
            return false;
        long long delivered = 0, lcd = 0;
        long at = WaitFor(skype, "FOCUS", mark, 5000);
        if (at < 0) {
            fprintf(stderr, "bench: YES sent no FOCUS\n");
            return false;
        }
        for (const HandsetSimTimed& timed : HandsetSimTimeline(driver.sim))
            if (timed.qpc > before && timed.entry.find(" Deliver key 50") != std::string::npos)
                delivered = timed.qpc;
        (void)lcd;
        if (!delivered)
            return false;
        if (n > 0) // the first opens the audio driver
            beyond.push_back(Ms(skype.Commands(at).front().qpc - delivered) - kNavigationToneMs);
        Sleep(20);
    }
    double median = Median(beyond);
    Figure("YES: key event to FOCUS beyond the tone's 84 ms, median", Fixed(median, 1, " ms"),
           "<= 25 ms", median <= 25);
    printf("  %zu presses; min %.1f ms, max %.1f ms\n", beyond.size(), Percentile(beyond, 0),
           Percentile(beyond, 100));
    return true;
}

// Notifications the driver takes in, each a completed cross-process round trip, in blocks
// that take turns with blocks of the floor's empty round trips.
bool MeasureNotifications(const DriverHost& driver, SkypeStandIn& skype, DWORD durationMs)
{
    const std::string text = "CALL 9 STATUS ONHOLD";
    const int kBlock = 50;
    unsigned done = 0, floorDone = 0;
    long long ticks = 0, floorTicks = 0;
    long long end = Qpc() + (long long)(2 * durationMs * g_ticksPerMs);
    while (Qpc() < end) {
        long long start = Qpc();
        for (int n = 0; n < kBlock; ++n) {
            LRESULT answer = 0;
            if (skype.Notify(text, &answer) && answer == 1)
                ++done;
        }
        long long middle = Qpc();
        for (int n = 0; n < kBlock; ++n)
            floorDone += EmptyRoundTripMs(driver, text) >= 0;
        long long stop = Qpc();
        ticks += middle - start;
        floorTicks += stop - middle;
    }
    double perSecond = done / (Ms(ticks) / 1000);
    double floorPerSecond = floorDone / (Ms(floorTicks) / 1000);
    Floored("Skype notifications handled per second", floorPerSecond, perSecond, "/s", false,
            0.85);
    printf("  %u round trips of \"%s\" in %.2f s, %u empty ones (the floor) in %.2f s, in "
           "turns of %d\n", done, text.c_str(), Ms(ticks) / 1000, floorDone,
           Ms(floorTicks) / 1000, kBlock);
    return done > 0 && floorDone > 0;
}

double CpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return double(k.QuadPart + u.QuadPart) / 1e7;
}

bool MeasureIdleCpu(DriverHost& driver, SkypeStandIn& skype, int seconds)
{
    // Read by the driver's process itself (through the handset library loaded in it): Wine
    // reports another process's times as zero.
    HandsetSimProcess before, after;
    size_t mark = skype.CommandCount();
    double outsideBefore = CpuSeconds(driver.child.process);
    if (!HandsetSimProcessFigures(driver.sim, &before))
        return false;
    long long start = Qpc();
    Sleep(DWORD(seconds) * 1000);
    if (!HandsetSimProcessFigures(driver.sim, &after))
        return false;
    double wall = Ms(Qpc() - start) / 1000;
    double outsideAfter = CpuSeconds(driver.child.process);
    size_t pings = 0;
    for (const SkypeStandIn::Command& command : skype.Commands(mark))
        pings += command.text == "PING";
    double used = double(after.cpu100ns - before.cpu100ns) / 1e7;
    double percent = used / wall * 100;
    Figure("CPU of the idle attached program", Fixed(percent, 3, " % of a core"),
           "<= 0.05 %", percent <= 0.05);
    printf("  %.1f ms of CPU in %.1f s, %zu PINGs answered meanwhile (the driver's own "
           "GetProcessTimes; %.1f ms seen from outside)\n",
           used * 1000, wall, pings, (outsideAfter - outsideBefore) * 1000);
    return true;
}

// One incoming call as Skype reports it, with one digit pressed while it is in progress.
bool IncomingCall(DriverHost& driver, SkypeStandIn& skype, int id)
{
    std::string call = "CALL " + std::to_string(id);
    unsigned replies = skype.RepliesSent();
    size_t mark = skype.CommandCount();
    skype.Notify(call + " STATUS RINGING");
    // The driver asks for the caller's name; the answer comes before the call goes on.
    if (!WaitUntil([&] { return skype.RepliesSent() > replies; }, 3000)) {
        fprintf(stderr, "bench: call %d: the caller's name was not asked for\n", id);
        return false;
    }
    skype.Notify(call + " STATUS INPROGRESS");
    int digit = id % 10;
    if (!HandsetSimKey(driver.sim, digit) ||
        WaitFor(skype, "SET " + call + " DTMF " + std::to_string(digit),
                      mark, 3000) < 0) {
        fprintf(stderr, "bench: call %d: digit %d sent no DTMF\n", id, digit);
        return false;
    }
    skype.Notify(call + " STATUS FINISHED");
    return true;
}

bool MeasureMemory(DriverHost& driver, SkypeStandIn& skype, int calls)
{
    int id = 100;
    for (int n = 0; n < 50; ++n)
        if (!IncomingCall(driver, skype, id++))
            return false;
    Sleep(500);
    HandsetSimProcess before, after;
    if (!HandsetSimProcessFigures(driver.sim, &before))
        return false;
    for (int n = 0; n < calls; ++n)
        if (!IncomingCall(driver, skype, id++)) {
            fprintf(stderr, "bench: incoming call %d was not handled\n", id - 1);
            return false;
        }
    Sleep(500);
    if (!HandsetSimProcessFigures(driver.sim, &after))
        return false;
    long long heapGrowth = (long long)after.heapBusy - (long long)before.heapBusy;
    long long committedGrowth = (long long)after.committed - (long long)before.committed;
    long long setGrowth = (long long)after.workingSet - (long long)before.workingSet;
    long long growth = heapGrowth > committedGrowth ? heapGrowth : committedGrowth;
    Figure("memory growth after 500 incoming calls and 500 keys",
           Fixed(growth / 1024.0, 1, " KiB"), "<= 64 KiB", growth <= 64 * 1024);
    printf("  after 50 calls of warm-up, read inside the driver's process: heap bytes in use "
           "%llu -> %llu (%+lld), committed private memory %llu -> %llu (%+lld); the larger "
           "growth counts. Working set %+lld (Wine: PrivateUsage %llu)\n",
           before.heapBusy, after.heapBusy, heapGrowth, before.committed, after.committed,
           committedGrowth, setGrowth, after.privateBytes);
    return true;
}

// What bounds the figures on this machine: Wine's cross-process send, and Sleep(10).
void MeasureBaselines(DriverHost& driver)
{
    unsigned done = 0;
    long long start = Qpc();
    long long end = start + (long long)(2000 * g_ticksPerMs);
    long long now = start;
    while (now < end) {
        for (int n = 0; n < 100; ++n) {
            DWORD_PTR result = 0;
            done += SendMessageTimeoutA(driver.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000,
                                        &result) != 0;
        }
        now = Qpc();
    }
    double perSecond = done / (Ms(now - start) / 1000);
    printf("  baseline: empty cross-process SendMessageTimeout (WM_NULL to the driver, for "
           "comparison with WM_COPYDATA): %.0f/s, %.3f ms each\n", perSecond, 1000 / perSecond);
    std::vector<double> sleeps;
    for (int n = 0; n < 50; ++n) {
        long long before = Qpc();
        Sleep(10);
        sleeps.push_back(Ms(Qpc() - before));
    }
    printf("  baseline: Sleep(10) takes %.3f ms (median of 50), 95th pct %.3f ms\n",
           Median(sleeps), Percentile(sleeps, 95));
}

// WM_CLOSE to the end of the process, with the simulator's "Handset" window shown as in the
// demo: the library's Close then also takes that window down. Fresh drivers, a few times.
bool MeasureExit(SkypeStandIn& skype, int runs)
{
    std::vector<double> exits;
    for (int run = 0; run < runs; ++run) {
        DriverHost driver;
        if (!driver.Start(skype, true))
            return false;
        Sleep(200); // the window painted and idle
        long long before = Qpc();
        PostMessageA(driver.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(driver.child.process, 10000) != WAIT_OBJECT_0) {
            fprintf(stderr, "bench: the driver did not end within 10 s of WM_CLOSE\n");
            return false;
        }
        exits.push_back(Ms(Qpc() - before));
    }
    double median = Median(exits);
    Figure("exit: WM_CLOSE to the end of the process (handset window shown), median",
           Fixed(median, 0, " ms"), "<= 200 ms", median <= 200);
    printf("  exit: %d runs, slowest %.0f ms\n", runs, Percentile(exits, 100));
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    int idleSeconds = 60;
    int digits = 200;
    for (int arg = 1; arg + 1 < argc; arg += 2) {
        if (strcmp(argv[arg], "--idle-seconds") == 0)
            idleSeconds = atoi(argv[arg + 1]);
        else if (strcmp(argv[arg], "--digits") == 0)
            digits = atoi(argv[arg + 1]);
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerMs = double(frequency.QuadPart) / 1000;

    SkypeStandIn skype("Bench Skype API", 3000, false);
    if (!skype.Start()) {
        fprintf(stderr, "bench: could not create the Skype window\n");
        return 1;
    }
    DriverHost driver;
    if (!driver.Start(skype))
        return 1;
    bool ok = true;
    if (idleSeconds > 0)
        ok = MeasureIdleCpu(driver, skype, idleSeconds) && ok;
    ok = ok && MeasureDigits(driver, skype, digits);
    ok = ok && MeasureYes(driver, skype, 20);
    ok = ok && MeasureNotifications(driver, skype, 3000);
    ok = ok && MeasureMemory(driver, skype, 500);
    if (ok)
        MeasureBaselines(driver);
    driver.Close();
    ok = ok && MeasureExit(skype, 5);
    skype.Stop();
    return ok ? 0 : 1;
}
