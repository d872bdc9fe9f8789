// Close under load: WM_CLOSE while handset keys and Skype's notifications keep coming. The
// driver ends promptly with code 0, makes its shutdown calls in their order and then none,
// and sends Skype nothing once it is going.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "rig.h"
#include "sequence.h"

namespace {
const int kLoadedRounds = 3;
const DWORD kKeyPeriodMs = 20;
const double kMostExitMs = 3000; // "within a few seconds", under load
const DWORD kWatchMs = 10000;
// The key being handled when the close request arrives may finish (its press is followed by
// its release, and by a DTMF in a call): at most one key's commands after WM_CLOSE was
// posted. Skype's reports handled meanwhile may still be answered (a name asked for).
const size_t kMostKeyCommandsAfterClose = 4;

bool SentForAKey(const std::string& command)
{
    int id = 0;
    char digit = 0;
    return command == "FOCUS" || command.compare(0, 4, "BTN_") == 0 ||
           command.compare(0, 5, "HOOK ") == 0 ||
           sscanf(command.c_str(), "SET CALL %d DTMF %c", &id, &digit) == 2;
}

const int kKeys[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 20, 21, 30, 70, 80};
const char* const kStatuses[] = {"RINGING", "INPROGRESS", "FINISHED", "MISSED", "REFUSED",
                                 "ROUTING"};

struct Timings {
    double destroyed = -1; // WM_CLOSE to the main window gone
    double libraryClosed = -1; // to the library's control window gone (USBPhone_Close)
    double exited = -1;    // to the end of the process
    DWORD exitCode = STILL_ACTIVE;
};

// Posts WM_CLOSE and watches the driver go, from the outside, every millisecond.
Timings CloseAndWatch(Rig& rig, long long* closeAt)
{
    Timings timings;
    *closeAt = Qpc();
    PostMessageA(rig.driver.window, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWatchMs) {
        double now = QpcMs(Qpc() - *closeAt);
        if (timings.destroyed < 0 && !IsWindow(rig.driver.window))
            timings.destroyed = now;
        if (timings.libraryClosed < 0 && !IsWindow(rig.driver.sim))
            timings.libraryClosed = now;
        DWORD code = WaitForExit(rig.driver.child, 0);
        if (code != STILL_ACTIVE) {
            timings.exitCode = code;
            timings.exited = now;
            break;
        }
        PumpFor(1);
    }
    return timings;
}

// The journal from the first shutdown call on, given what precedes it: the ringer stopped if
// it rang, the display cleared, the light off, the library closed, then only its unloading.
::testing::AssertionResult ShutdownInOrder(const std::vector<std::string>& journal)
{
    const std::string clear = "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0";
    size_t clearAt = journal.size();
    for (size_t n = 0; n < journal.size(); ++n)
        if (journal[n] == clear) {
            if (clearAt != journal.size())
                return ::testing::AssertionFailure() << "the display was cleared twice";
            clearAt = n;
        }
    if (clearAt == journal.size())
        return ::testing::AssertionFailure() << "no shutdown: " << journal.size() << " lines";
    std::vector<std::string> tail(journal.begin() + long(clearAt), journal.end());
    return MatchesSequence(
        Sequence{"shutdown", {clear, "USBPhone_Light 0", "USBPhone_Close", "Unload"}}, tail);
}
} // namespace

TEST_F(Reliability, CloseUnderLoad)
{
    Figures figures("close-under-load", seed);

    Timings worst;
    long keysSent = 0, notificationsSent = 0;
    size_t mostAfterClose = 0, mostForKeysAfterClose = 0;
    for (int round = 0; round <= kLoadedRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        bool loaded = round > 0; // round 0: idle, for comparison
        Rig rig;
        ASSERT_TRUE(rig.Start());
        std::atomic<bool> stop(false);
        std::vector<std::thread> load;
        if (loaded) {
            uint32_t keySeed = uint32_t(random.Next()), notifySeed = uint32_t(random.Next());
            load.emplace_back([&, keySeed] {
                Random keys(keySeed);
                for (DWORD next = GetTickCount(); !stop; next += kKeyPeriodMs) {
                    keysSent += HandsetSimKey(rig.driver.sim, keys.Pick(kKeys));
                    DWORD now = GetTickCount();
                    if (int(next + kKeyPeriodMs - now) > 0)
                        Sleep(next + kKeyPeriodMs - now);
                }
            });
            load.emplace_back([&, notifySeed] {
                Random notes(notifySeed);
                while (!stop) {
                    int id = 1 + int(notes.Below(4));
                    std::string text = notes.Chance(20)
                        ? "CALL " + std::to_string(id) + " PARTNER_DISPNAME Caller " + std::to_string(id)
                        : "CALL " + std::to_string(id) + " STATUS " + notes.Pick(kStatuses);
                    if (rig.skype.Notify(text))
                        ++notificationsSent;
                    else
                        Sleep(1); // the driver is gone, or not answering for now
                }
            });
        }
        PumpFor(loaded ? 1000 + random.Below(2001) : 300);

        long long closeAt = 0;
        Timings timings = CloseAndWatch(rig, &closeAt);
        stop = true;
        for (std::thread& thread : load)
            thread.join();

        EXPECT_EQ(timings.exitCode, 0u) << "did not end within " << kWatchMs << " ms";
        std::vector<std::string> journal = rig.driver.Journal();
        EXPECT_TRUE(ShutdownInOrder(journal));
        size_t afterClose = 0, forKeysAfterClose = 0;
        for (const TestSkype::Command& command : rig.skype.Commands()) {
            EXPECT_TRUE(command.senderAlive) << "sent after the window was destroyed: "
                                             << command.text;
            afterClose += command.qpc > closeAt;
            forKeysAfterClose += command.qpc > closeAt && SentForAKey(command.text);
        }
        if (loaded) {
            EXPECT_LE(timings.exited, kMostExitMs);
            EXPECT_LE(forKeysAfterClose, kMostKeyCommandsAfterClose);
            mostAfterClose = std::max(mostAfterClose, afterClose);
            mostForKeysAfterClose = std::max(mostForKeysAfterClose, forKeysAfterClose);
            worst.destroyed = std::max(worst.destroyed, timings.destroyed);
            worst.libraryClosed = std::max(worst.libraryClosed, timings.libraryClosed);
            worst.exited = std::max(worst.exited, timings.exited);
        } else {
            figures.AddMs("idle-destroyed", timings.destroyed);
            figures.AddMs("idle-library-closed", timings.libraryClosed);
            figures.AddMs("idle-exited", timings.exited);
        }
    }
    figures.Add("rounds", kLoadedRounds);
    figures.Add("keys", keysSent);
    figures.Add("notifications", notificationsSent);
    figures.AddMs("worst-destroyed", worst.destroyed);
    figures.AddMs("worst-library-closed", worst.libraryClosed);
    figures.AddMs("worst-exited", worst.exited);
    figures.Add("most-commands-after-close", static_cast<long long>(mostAfterClose));
    figures.Add("most-key-commands-after-close", static_cast<long long>(mostForKeysAfterClose));
}
