// A library that calls back at the wrong moment: keys and plug events delivered
// synchronously from inside the driver's own library calls (on its main thread, in the
// middle of a display update), and keys from several library threads at once. The driver's
// callbacks only post, so it must still handle every event, each in its place.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "rig.h"
#include "rig_devices.h"
#include "sequence.h"

namespace {
const DWORD kSettleMs = 30000;

// What the driver must tell Skype, and show, for a handset event while attached: the
// protocol-level behaviour of the keys and plug events, applied in order.
struct Expected {
    bool present = true;
    int hook = -1;
    std::string dial;     // the dial buffer
    std::string shown;    // the LCD text line
    std::vector<std::string> commands;
    int reported = 0;     // events the handset reports: none while it is unplugged

    void Apply(const HandsetSimEvent& event)
    {
        if (event.plug) {
            ++reported;
            present = event.value != 0;
            // Unplugged, the handset goes blank; plugged in again, the driver shows it the
            // dial buffer again and forgets where the hook was.
            shown = present ? dial : std::string();
            if (present) {
                hook = -1;
                commands.insert(commands.end(), {kRigAudioOutCommand, kRigAudioInCommand});
            }
            return;
        }
        if (!present)
            return;
        ++reported;
        int key = event.value;
        if ((key >= 0 && key <= 9) || key == 20 || key == 21) {
            std::string c(1, key == 20 ? '*' : key == 21 ? '#' : char('0' + key));
            commands.insert(commands.end(), {"FOCUS", "BTN_PRESSED " + c, "BTN_RELEASED " + c});
            if (dial.size() < 999)
                dial += c;
            shown = dial;
        } else if (key == 30) {
            commands.insert(commands.end(), {"BTN_PRESSED NO", "BTN_RELEASED NO"});
            dial.clear();
            shown = dial;
        } else if (key == 70 && hook != 1) {
            hook = 1;
            commands.push_back("HOOK ON");
            dial.clear();
            shown = dial;
        } else if (key == 80 && hook != 0) {
            hook = 0;
            commands.insert(commands.end(), {"FOCUS", "HOOK OFF"});
        }
    }
};

// A few events: a dial key mostly, sometimes NO or the hook, sometimes an unplugged spell
// (unplugged, a key or two that the handset does not report, plugged in again).
void AddRandomInlineEvents(Random& random, std::vector<HandsetSimEvent>* events)
{
    static const int dialKeys[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21};
    static const int otherKeys[] = {30, 70, 80};
    switch (random.Weighted({8, 3, 1})) {
    case 0:
        events->push_back({false, random.Pick(dialKeys)});
        break;
    case 1:
        events->push_back({false, random.Pick(otherKeys)});
        break;
    default:
        events->push_back({true, 0});
        for (int n = random.Between(1, 2); n > 0; --n)
            events->push_back({false, random.Pick(dialKeys)});
        events->push_back({true, 1});
        break;
    }
}

// A Skype report that makes the driver call the library (in-call indicator off, light off,
// ringer off) and changes nothing else: no call is in conversation, nothing is shown.
const char kNeutralReport[] = "CALL 77 STATUS FAILED";

DWORD ThreadOf(const std::string& entry)
{
    return strtoul(entry.c_str(), nullptr, 10);
}

std::string Subsequence(const std::string& text, const std::string& alphabet)
{
    std::string picked;
    for (char c : text)
        if (alphabet.find(c) != std::string::npos)
            picked += c;
    return picked;
}
} // namespace

TEST_F(Reliability, CallbackModes)
{
    Figures figures("callback-modes", seed);
    Rig rig;
    ASSERT_TRUE(rig.Start());
    HWND sim = rig.driver.sim;

    // Inline: each batch is held until the driver next calls the library, and is then
    // delivered inside that call. The first and the last batch are set off by a Skype report;
    // the middle one comes from inside the display updates of the keys before it when those
    // are still being handled, else with the last.
    ASSERT_TRUE(HandsetSimSetDelivery(sim, "inline"));
    Expected expected;
    size_t mark = rig.skype.CommandCount();
    unsigned inlineBefore = rig.Handset().eventsInline;
    const int batches = 3, perBatch = 10;
    for (int batch = 0; batch < batches; ++batch) {
        std::vector<HandsetSimEvent> events;
        while (events.size() < size_t(perBatch))
            AddRandomInlineEvents(random, &events);
        if (batch == batches - 1) // ends with an empty dial buffer
            events.push_back({false, 30});
        for (const HandsetSimEvent& event : events)
            expected.Apply(event);
        ASSERT_TRUE(HandsetSimEvents(sim, events));
        if (batch != 1) {
            ASSERT_TRUE(rig.skype.Notify(kNeutralReport));
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return rig.skype.Texts(mark).size() >= expected.commands.size(); },
                          kSettleMs));
    PumpFor(300); // nothing more may come
    EXPECT_SEQUENCE((Sequence{"inline deliveries", expected.commands}), rig.skype.Texts(mark));
    HandsetSimState state = rig.Handset();
    EXPECT_EQ(state.lcdText, expected.shown);
    EXPECT_EQ(int(state.eventsInline - inlineBefore), expected.reported);
    // Every inline callback ran on the driver's main thread, inside one of its library calls.
    std::map<DWORD, std::string> lastCall;
    int inlineSeen = 0;
    for (const HandsetSimTimed& timed : HandsetSimTimeline(sim)) {
        std::string entry = timed.entry.substr(timed.entry.find(' ') + 1);
        DWORD thread = ThreadOf(timed.entry);
        if (entry.compare(0, 8, "Deliver ") != 0) {
            lastCall[thread] = entry;
            continue;
        }
        ++inlineSeen;
        EXPECT_EQ(thread, rig.driver.mainThread) << entry;
        EXPECT_EQ(lastCall[thread].compare(0, 9, "USBPhone_"), 0) << entry << " after "
                                                                  << lastCall[thread];
    }
    EXPECT_GT(inlineSeen, 0);
    figures.Add("inline-events", expected.reported);
    figures.Add("inline-commands", long(expected.commands.size()));

    // Several threads at once: event n goes to thread n mod 3, and each thread gets digits of
    // its own, so each thread's order can be read back from what Skype and the LCD saw.
    const std::string alphabets[] = {"012", "345", "678"};
    const int threadCount = 3, keys = 30;
    ASSERT_TRUE(HandsetSimSetDelivery(sim, "threads:3"));
    std::string sent[threadCount];
    std::vector<HandsetSimEvent> events;
    for (int n = 0; n < keys; ++n) {
        const std::string& alphabet = alphabets[n % threadCount];
        char digit = alphabet[random.Below(uint32_t(alphabet.size()))];
        sent[n % threadCount] += digit;
        events.push_back({false, digit - '0'});
    }
    mark = rig.skype.CommandCount();
    ASSERT_TRUE(HandsetSimEvents(sim, events));
    ASSERT_TRUE(PumpUntil([&] { return rig.skype.Texts(mark).size() >= size_t(3 * keys); },
                          kSettleMs));
    PumpFor(300);
    std::vector<std::string> texts = rig.skype.Texts(mark);
    ASSERT_EQ(texts.size(), size_t(3 * keys));
    std::string pressed;
    for (size_t n = 0; n + 2 < texts.size(); n += 3) {
        // One key at a time: each key's commands stay together.
        ASSERT_EQ(texts[n], "FOCUS") << n;
        ASSERT_EQ(texts[n + 1].compare(0, 12, "BTN_PRESSED "), 0) << texts[n + 1];
        ASSERT_EQ(texts[n + 2], "BTN_RELEASED " + texts[n + 1].substr(12));
        pressed += texts[n + 1].substr(12);
    }
    state = rig.Handset();
    for (int thread = 0; thread < threadCount; ++thread) {
        EXPECT_EQ(Subsequence(pressed, alphabets[thread]), sent[thread]) << "thread " << thread;
        EXPECT_EQ(Subsequence(state.lcdText, alphabets[thread]), sent[thread]) << "thread " << thread;
    }
    std::set<DWORD> deliverers;
    for (const HandsetSimTimed& timed : HandsetSimTimeline(sim))
        if (timed.entry.find(" Deliver ") != std::string::npos &&
            ThreadOf(timed.entry) != rig.driver.mainThread)
            deliverers.insert(ThreadOf(timed.entry));
    EXPECT_EQ(deliverers.size(), size_t(threadCount));
    figures.Add("threaded-keys", keys);
    figures.Add("delivering-threads", long(deliverers.size()));
    figures.Add("most-callbacks-at-once", state.callbacksOverlap);
    EXPECT_TRUE(NoStackFaults(state, figures));
    EXPECT_EQ(state.eventsDropped, 0u);
    EXPECT_EQ(rig.driver.Close(), 0u);
}
