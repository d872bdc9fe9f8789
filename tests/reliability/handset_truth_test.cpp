// The handset never lies: a seeded random run of calls, keys and faults against the real
// driver with both simulators, checking after every step, once the driver has gone quiet,
// that what the handset shows and does follows what Skype holds (handset_truth.h).
//   RELIABILITY_STEPS=<n>   steps in the run (default: the suite's length)
//   RELIABILITY_SEED=<n>    replays a run; scripts/truth_run.sh runs long ones by hand
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <sstream>

#include "handset_truth.h"
#include "keystroke_recorder.h"
#include "rig.h"
#include "skype_run.h"
#include "usb_sound_device.h"

namespace {
const int kSuiteSteps = 1200;
const DWORD kQuietMs = 60;       // no library call and no command for this long: quiet
const DWORD kBoundMs = 3000;     // the handset follows a step within this
const DWORD kReturnBoundMs = 20000; // ... and Skype or the handset coming back (re-attach)
const DWORD kLongFreezeMs = 14000;  // more than the keep-alive needs to give Skype up
const size_t kMostLiveCalls = 3;
const size_t kStepsShown = 25;
const size_t kLogShown = 40;
const size_t kTypedKept = 300; // more than any dial buffer the run fills

// Skype as a real one behaves: duration lines, the greeting after an attach.
const char kSkypeOptions[] = "";

const std::vector<TruthCaller> kCallers = {
    {"ann.example", "Ann", "Ann"},
    {"eve.example", "Eve STATUS FINISHED", "Eve STATUS FINISHED"},
    {"bob.example", "Bob STATUS INPROGRESS", "Bob STATUS INPROGRESS"},
    {"al.example", "Al STATUS MISSED", "Al STATUS MISSED"},
    {"cy.example", "CALL 5 STATUS RINGING", "CALL 5 STATUS RINGING"},
    {"zoe.m", "Zo\xC3\xAB M\xC3\xBCller", "Zoe Muller"},
    {"echo123", "", ""},
    {"+15551234567", "", ""},
};
const char* const kNumbersDialled[] = {"+15550001111", "echo123", "+4930123456"};
const int kKeypad[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21};
const int kKeyNo = 30, kKeyYes = 50, kHookDown = 70, kHookUp = 80;

enum class SkypeIs { Running, Frozen, Gone };

enum StepKind {
    kIncoming, kPlacedInSkype, kAnswerInSkype, kFarEndHangsUp, kCallerGivesUp, kFarEndBusy,
    kKeypadKey, kYes, kNo, kHookMove, kHoldReplies, kHandsetPlug, kSoundDevicePlug,
    kShortFreeze, kLongFreeze, kSkypeQuits, kDriverRestart, kStepKinds
};
const char* const kStepNames[kStepKinds] = {
    "incoming", "placed-in-skype", "answered-in-skype", "far-end-hung-up", "caller-gave-up",
    "far-end-busy", "keypad", "yes", "no", "hook", "name-replies-held-or-sent",
    "handset-unplugged-or-back", "sound-device-unplugged-or-back", "short-freezes",
    "long-freezes", "skype-quits", "driver-restarts"};

// Weights in thousandths: keys and calls mostly, a fault now and then.
const unsigned kWeights[kStepKinds] = {90, 25, 60, 50, 25, 15, 240, 60, 40, 90, 20, 14, 4,
                                       6, 2, 3, 3};

class TruthRun {
public:
    TruthRun(uint32_t seed, Random& random) : seed_(seed), random_(random) {}
    // The rig's sound device is left as the next test expects it, whatever became of the run.
    ~TruthRun()
    {
        if (!soundPlugged_)
            UsbSoundDevice("plug-device");
    }
    TruthRun(const TruthRun&) = delete;
    TruthRun& operator=(const TruthRun&) = delete;

    bool Start()
    {
        if (!keys_.Ready() || !run_.Start(kSkypeOptions))
            return false;
        keyBaseline_ = keys_.Count();
        return true;
    }

    // One step, then the check; a report of the breach, or empty.
    std::string Step(int number)
    {
        number_ = number;
        bound_ = kBoundMs;
        TakeStep();
        std::string breach = failure_.empty() ? Settle() : failure_;
        if (breach.empty())
            return breach;
        return Report(breach);
    }

    // The run's end: Skype thawed, the driver closed as a user closes it.
    bool Finish()
    {
        if (skype_ == SkypeIs::Frozen)
            Thaw();
        return run_.driver.Close() == 0;
    }

    void AddFigures(Figures& figures)
    {
        figures.Add("checks", checks_);
        for (int kind = 0; kind < kStepKinds; ++kind)
            if (kind >= kHoldReplies)
                figures.Add(kStepNames[kind], counts_[kind]);
        figures.Add("calls-in", counts_[kIncoming]);
        figures.Add("keys",
                    counts_[kKeypadKey] + counts_[kYes] + counts_[kNo] + counts_[kHookMove]);
        figures.Add("keystrokes-while-skype-gone", long(keys_.Count()));
    }

private:
    void Note(const std::string& text)
    {
        steps_.push_back("#" + std::to_string(number_) + " " + text);
        if (steps_.size() > kStepsShown)
            steps_.pop_front();
    }

    // Every step draws the same three numbers, whatever it does with them, so that a seed
    // replays the same steps even where their timing differs.
    void TakeStep()
    {
        std::vector<unsigned> weights(kWeights, kWeights + kStepKinds);
        if (skype_ != SkypeIs::Running) // no request reaches a frozen or absent Skype
            for (int kind : {kIncoming, kPlacedInSkype, kAnswerInSkype, kFarEndHangsUp,
                             kCallerGivesUp, kFarEndBusy, kHoldReplies, kShortFreeze,
                             kLongFreeze, kSkypeQuits})
                weights[size_t(kind)] = 0;
        StepKind kind = StepKind(random_.Weighted(weights));
        pick_ = uint32_t(random_.Next() >> 8);
        bool startSkype = random_.Chance(8);
        if (skype_ == SkypeIs::Frozen && freezeStepsLeft_-- == 0)
            return Thaw();
        if (skype_ == SkypeIs::Gone && startSkype)
            return StartSkypeAgain();
        ++counts_[kind];
        switch (kind) {
        case kIncoming: Incoming(); break;
        case kPlacedInSkype: PlacedInSkype(); break;
        case kAnswerInSkype: OnSomeCall("answer", &SkypeSimClient::FarEndAnswers, nullptr); break;
        case kFarEndHangsUp: OnSomeCall("hangup", &SkypeSimClient::FarEndHangsUp, nullptr); break;
        case kCallerGivesUp: OnSomeCall("giveup", &SkypeSimClient::CallerGivesUp, "in"); break;
        case kFarEndBusy: OnSomeCall("busy", &SkypeSimClient::FarEndBusy, "out"); break;
        case kKeypadKey: Key(kKeypad[pick_ % (sizeof kKeypad / sizeof kKeypad[0])]); break;
        case kYes: Key(kKeyYes); break;
        case kNo: Key(kKeyNo); break;
        case kHookMove: Key(hookDown_ ? kHookUp : kHookDown); break;
        case kHoldReplies: HoldReplies(!holdingReplies_); break;
        case kHandsetPlug: PlugHandset(!plugged_); break;
        case kSoundDevicePlug: PlugSoundDevice(); break;
        case kShortFreeze: Freeze(2 + pick_ % 12, false); break;
        case kLongFreeze: Freeze(8 + pick_ % 12, true); break;
        case kSkypeQuits: QuitSkype(); break;
        case kDriverRestart: RestartDriver(); break;
        default: break;
        }
    }

    // Calls that have not ended, as Skype held them at the last check.
    std::vector<const SimCallInfo*> LiveCalls(const char* direction)
    {
        std::vector<const SimCallInfo*> live;
        for (const SimCallInfo& call : last_.calls)
            if (CallHoldsTheHandset(call) &&
                (!direction || (call.incoming == (std::string(direction) == "in"))))
                live.push_back(&call);
        return live;
    }

    void Incoming()
    {
        if (LiveCalls(nullptr).size() >= kMostLiveCalls)
            return Note("incoming: skipped, enough calls");
        const TruthCaller& caller = kCallers[pick_ % kCallers.size()];
        int id = run_.skype.IncomingFrom(caller.handle, caller.name);
        Note("skype: call " + std::to_string(id) + " rings from " + caller.handle + " \"" +
             caller.name + "\"");
    }

    void PlacedInSkype()
    {
        if (LiveCalls(nullptr).size() >= kMostLiveCalls)
            return Note("placed: skipped, enough calls");
        const size_t numbers = sizeof kNumbersDialled / sizeof kNumbersDialled[0];
        const char* number = kNumbersDialled[pick_ % numbers];
        int id = run_.skype.Outgoing(number);
        Note("skype: the user calls " + std::string(number) + " in Skype: call " +
             std::to_string(id));
    }

    void OnSomeCall(const char* what, bool (SkypeSimClient::*act)(int), const char* direction)
    {
        std::vector<const SimCallInfo*> live = LiveCalls(direction);
        if (live.empty())
            return Note(std::string(what) + ": no call");
        const SimCallInfo& call = *live[pick_ % live.size()];
        bool done = (run_.skype.*act)(call.id);
        Note("skype: " + std::string(what) + " " + std::to_string(call.id) + " (was " +
             call.status + ")" + (done ? "" : " refused"));
    }

    void Key(int code)
    {
        bool reported = plugged_;
        if (code == kHookDown || code == kHookUp) {
            hookDown_ = code == kHookDown;
            if (reported)
                known_.hookKnownLifted = !hookDown_;
            if (reported && hookDown_)
                OweHangUps();
        } else if (reported && code != kKeyNo && code != kKeyYes) {
            char key = code == 20 ? '*' : code == 21 ? '#' : char('0' + code);
            known_.typed.push_back({key, last_.attached && last_.handset.skype});
            if (known_.typed.size() > kTypedKept)
                known_.typed.erase(known_.typed.begin());
        }
        bool queued = run_.Key(code);
        Note("key " + std::to_string(code) + (reported ? "" : " (unplugged)") +
             (queued ? "" : " NOT QUEUED"));
    }

    // The calls in conversation when the handset goes down must end: within the bound, or
    // within the bound of Skype answering again when it is frozen.
    void OweHangUps()
    {
        for (const SimCallInfo& call : last_.calls)
            if (InConversation(call))
                known_.mustEnd.insert(call.id);
        if (skype_ == SkypeIs::Gone)
            known_.mustEnd.clear(); // its calls ended with it
        known_.mustEndBy = GetTickCount() + kBoundMs;
    }

    // Names and handles come late (or never, when Skype quits first). Replies about a
    // call's status are not held: a Skype that never tells them leaves nothing to follow.
    void HoldReplies(bool on)
    {
        holdingReplies_ = on && run_.skype.Request("hold-replies names");
        if (!on)
            run_.skype.HoldReplies(false);
        Note(on ? "skype: name replies held" : "skype: held name replies sent");
    }

    void PlugHandset(bool in)
    {
        plugged_ = in;
        if (in) {
            known_.hookKnownLifted = false; // the driver must take the hook as unknown
            bound_ = kReturnBoundMs;
        }
        bool queued = HandsetSimPlug(run_.driver.sim, in ? 1 : 0);
        Note(std::string(in ? "handset plugged in" : "handset unplugged") +
             (queued ? "" : " NOT QUEUED"));
    }

    void PlugSoundDevice()
    {
        soundPlugged_ = !soundPlugged_;
        bool done = UsbSoundDevice(soundPlugged_ ? "plug-device" : "unplug-device");
        Note(std::string(soundPlugged_ ? "sound device plugged in" : "sound device unplugged") +
             (done ? "" : " FAILED"));
    }

    // Frozen for a few steps; a long freeze also lasts long enough for the driver to give
    // Skype up.
    void Freeze(unsigned steps, bool long_)
    {
        if (!run_.skype.Hang(60000))
            return Note("freeze refused");
        skype_ = SkypeIs::Frozen;
        frozenAt_ = GetTickCount();
        freezeStepsLeft_ = steps;
        freezeIsLong_ = long_;
        Note(std::string(long_ ? "skype frozen (long) for " : "skype frozen for ") +
             std::to_string(steps) + " steps");
    }

    void Thaw()
    {
        if (freezeIsLong_)
            Sleep(kLongFreezeMs - std::min(kLongFreezeMs, GetTickCount() - frozenAt_));
        run_.skype.Thaw();
        skype_ = SkypeIs::Running;
        bound_ = kReturnBoundMs;
        if (!known_.mustEnd.empty())
            known_.mustEndBy = GetTickCount() + kReturnBoundMs;
        Note("skype thawed after " + std::to_string(GetTickCount() - frozenAt_) + " ms");
    }

    void QuitSkype()
    {
        run_.QuitSkype();
        skype_ = SkypeIs::Gone;
        holdingReplies_ = false;
        known_.mustEnd.clear();
        Note("skype quit");
    }

    void StartSkypeAgain()
    {
        // What the driver typed while Skype was gone has reached the desktop first.
        size_t count = keys_.Count();
        while (WaitUntil([&] { return keys_.Count() != count; }, 300))
            count = keys_.Count();
        bool started = run_.StartSkypeAgain(kSkypeOptions);
        if (!started)
            failure_ = "skype did not start again\n";
        skype_ = SkypeIs::Running;
        keyBaseline_ = keys_.Count();
        bound_ = kReturnBoundMs;
        Note(started ? "skype started" : "skype did NOT start");
    }

    void RestartDriver()
    {
        DWORD closing = GetTickCount();
        DWORD code = run_.driver.Close();
        if (code != 0) {
            failure_ = "closing: the driver ended with " + std::to_string(code) + " after " +
                       std::to_string(GetTickCount() - closing) + " ms, not with 0\n";
            return Note("driver closed badly");
        }
        DriverOptions options;
        // The handset library lives in the driver's process: a handset unplugged now is
        // absent when the new driver opens it.
        options.openResult = plugged_ ? 0 : 1;
        bool started = run_.driver.Start(options);
        if (!started)
            failure_ = "the driver did not start again\n";
        // The new driver never heard of the hook, nor of a put-down the old one still owed.
        known_.hookKnownLifted = false;
        known_.mustEnd.clear();
        bound_ = kReturnBoundMs;
        Note("driver closed (exit " + std::to_string(code) + ") and started" +
             (started ? "" : " - FAILED"));
        if (skype_ == SkypeIs::Gone && started) {
            // It launches Skype, as at every start.
            bool found = run_.skype.Connect(0, 15000);
            skype_ = SkypeIs::Running;
            keyBaseline_ = keys_.Count();
            Note(found ? "the driver started skype" : "the driver did NOT start skype");
        }
    }

    // True when the driver or either simulator did something since the last call.
    bool Active()
    {
        bool active = false;
        if (skype_ == SkypeIs::Running) {
            std::vector<SimLogLine> lines;
            if (run_.skype.TakeLog(&lines) && !lines.empty()) {
                for (const SimLogLine& line : lines)
                    if (line.text != "recv PING" && line.text != "send PONG")
                        skypeLog_.push_back(std::to_string(number_) + ": " + line.text);
                while (skypeLog_.size() > kLogShown)
                    skypeLog_.pop_front();
                active = true;
            }
        }
        std::vector<HandsetSimTimed> timeline = HandsetSimTimeline(run_.driver.sim);
        long long latest = timeline.empty() ? 0 : timeline.back().qpc;
        if (latest != handsetLatest_) {
            handsetLatest_ = latest;
            active = true;
        }
        return active;
    }

    TruthSnapshot Snapshot()
    {
        TruthSnapshot snapshot;
        HandsetSimGetState(run_.driver.sim, &snapshot.handset);
        if (skype_ == SkypeIs::Running) {
            snapshot.skypeAnswers = run_.skype.Calls(&snapshot.calls);
            snapshot.attached = snapshot.skypeAnswers && run_.Attached();
        }
        return snapshot;
    }

    // Waits for the driver to go quiet and checks; a breach must last the whole bound.
    std::string Settle()
    {
        DWORD start = GetTickCount(), lastActive = start;
        std::string breaches;
        for (;;) {
            DWORD now = GetTickCount();
            if (Active())
                lastActive = now;
            else if (now - lastActive >= kQuietMs) {
                last_ = Snapshot();
                ++checks_;
                known_.skypeRanThroughout = skype_ != SkypeIs::Gone;
                known_.keystrokesSince = keys_.Count() - keyBaseline_;
                breaches = TruthBreaches(last_, known_, kCallers, now);
                bool owed = OwedHangUpsPending();
                if (breaches.empty() && !owed) {
                    if (skype_ == SkypeIs::Gone)
                        keyBaseline_ = keys_.Count();
                    return std::string();
                }
                if (now - start >= bound_ && !breaches.empty())
                    return breaches;
            }
            Sleep(10);
        }
    }

    // The calls a put-down must end, while some are still in conversation and not yet due.
    bool OwedHangUpsPending()
    {
        if (known_.mustEnd.empty() || !last_.skypeAnswers)
            return false;
        for (const SimCallInfo& call : last_.calls)
            if (known_.mustEnd.count(call.id) && InConversation(call))
                return true;
        known_.mustEnd.clear();
        return false;
    }

    std::string Report(const std::string& breach)
    {
        std::ostringstream out;
        out << "BREACH at step " << number_ << " of the run with seed " << seed_
            << " (replay: RELIABILITY_SEED=" << seed_ << ")\n"
            << breach << "What each side held:\n"
            << DescribeTruth(last_, known_) << "The last steps:\n";
        for (const std::string& step : steps_)
            out << "  " << step << "\n";
        out << "Skype's last log lines (step: entry):\n";
        for (const std::string& line : skypeLog_)
            out << "  " << line << "\n";
        out << "The handset library's last calls:\n";
        std::vector<HandsetSimTimed> timeline = HandsetSimTimeline(run_.driver.sim);
        for (size_t n = timeline.size() > 20 ? timeline.size() - 20 : 0; n < timeline.size(); ++n)
            out << "  " << timeline[n].entry << "\n";
        return out.str();
    }

    const uint32_t seed_;
    Random& random_;
    SkypeRun run_;
    KeystrokeRecorder keys_;
    size_t keyBaseline_ = 0;
    TruthKnowledge known_;
    TruthSnapshot last_;
    SkypeIs skype_ = SkypeIs::Running;
    DWORD frozenAt_ = 0;
    unsigned freezeStepsLeft_ = 0;
    bool freezeIsLong_ = false;
    uint32_t pick_ = 0;
    DWORD bound_ = kBoundMs;
    bool plugged_ = true, soundPlugged_ = true, hookDown_ = true, holdingReplies_ = false;
    long long handsetLatest_ = 0;
    int number_ = 0;
    long checks_ = 0;
    long counts_[kStepKinds] = {};
    std::string failure_; // what went wrong in a step itself
    std::deque<std::string> steps_;
    std::deque<std::string> skypeLog_;
};

int StepsInRun()
{
    char text[16];
    DWORD length = GetEnvironmentVariableA("RELIABILITY_STEPS", text, sizeof text);
    return length > 0 && length < sizeof text ? atoi(text) : kSuiteSteps;
}
} // namespace

TEST_F(Reliability, HandsetTruth)
{
    Figures figures("handset-truth", seed);
    const int steps = StepsInRun();
    figures.Add("steps", steps);
    DWORD started = GetTickCount();
    TruthRun run(seed, random);
    ASSERT_TRUE(run.Start());
    for (int step = 1; step <= steps; ++step) {
        std::string breach = run.Step(step);
        if (!breach.empty()) {
            run.AddFigures(figures);
            FAIL() << breach;
        }
    }
    run.AddFigures(figures);
    figures.AddMs("run", double(GetTickCount() - started));
    EXPECT_TRUE(run.Finish());
}
