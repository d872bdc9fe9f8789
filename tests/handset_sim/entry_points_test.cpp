// KVLIB.DLL loaded in this process with LoadLibraryA and called through GetProcAddress, with
// the program's own declarations: every entry point, the LcdRequest record by value, the
// callbacks (delivered on the library's thread, as stdcall) and Close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "cdecl_call.h"
#include "event_log.h"
#include "handset_sim_client.h"
#include "kvlib_api.h"
#include "process.h"
#include "sequence.h"

namespace {
// What the callbacks saw; they run on the library's event thread.
struct Received {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<DWORD> threads;
    KvlibApi* api = nullptr;
    DWORD slowMs = 0;       // how long the key callback takes
    bool echoToLcd = false; // show each key on the LCD from inside the callback
};
Received g_received;

void Record(const std::string& event)
{
    std::lock_guard<std::mutex> lock(g_received.mutex);
    g_received.events.push_back(event);
    g_received.threads.push_back(GetCurrentThreadId());
}

void __stdcall OnKey(int key)
{
    Record(Format("key %d", key));
    if (g_received.echoToLcd) {
        std::string text = Format("%d", key);
        LcdRequest request = {3, 1, 6, text.c_str(), 1};
        g_received.api->DisplayLCD(request);
    }
    if (g_received.slowMs)
        Sleep(g_received.slowMs);
}

void __stdcall OnPlug(int connected, int reserved)
{
    Record(Format("plug %d %d", connected, reserved));
}

size_t ReceivedCount()
{
    std::lock_guard<std::mutex> lock(g_received.mutex);
    return g_received.events.size();
}

class KvlibInProcess : public ::testing::Test {
protected:
    // Loads a fresh copy of the library; `openResult` (null: unset) is what Open returns.
    void Load(const char* openResult)
    {
        {
            std::lock_guard<std::mutex> lock(g_received.mutex);
            g_received.events.clear();
            g_received.threads.clear();
        }
        g_received.api = &api_;
        g_received.slowMs = 0;
        g_received.echoToLcd = false;
        dir_ = MakeScratchDir("kvlib");
        journalPath_ = JoinPath(dir_, "journal.txt");
        SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", journalPath_.c_str());
        SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", openResult);
        ASSERT_TRUE(LoadKvlib(JoinPath(BinDir(), "KVLIB.DLL"), &api_));
        tid_ = Format("%lu ", GetCurrentThreadId());
    }

    // Opens and binds as the program does, and finds the control window.
    void OpenAndBind()
    {
        api_.Open(nullptr);
        api_.Bind(OnKey, OnPlug);
        sim_ = FindHandsetSim(GetCurrentProcessId(), 5000);
        ASSERT_NE(sim_, nullptr);
    }

    HandsetSimState State()
    {
        HandsetSimState state;
        EXPECT_TRUE(HandsetSimGetState(sim_, &state));
        return state;
    }

    void TearDown() override
    {
        if (!api_.module)
            return;
        if (sim_)
            api_.Close();
        FreeLibrary(api_.module);
        SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
        SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", nullptr);
    }

    KvlibApi api_;
    HWND sim_ = nullptr;
    std::string dir_;
    std::string journalPath_;
    std::string tid_; // "<this thread's id> "
};

struct LcdCase {
    LcdRequest request;
    const char* entry;     // expected journal entry
    int lcdMode;
    const char* lcdText;   // LCD text line afterwards
    bool inCall;
    bool skype;
};

std::string Repeat(char c, size_t count)
{
    return std::string(count, c);
}
} // namespace

TEST_F(KvlibInProcess, DisplayLcdDecodesTheRecordByValue)
{
    ASSERT_NO_FATAL_FAILURE(Load(nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenAndBind());
    static const std::string longText = Repeat('7', 999);
    static const std::string longEntry =
        "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"" + longText + "\" textOn=1";
    const LcdCase cases[] = {
        {{4, 1, 6, "", 1}, "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1", 4, "", false, false},
        {{2, 1, 6, "", 1}, "USBPhone_DisplayLCD mode=2 on=1 param=6 text=\"\" textOn=1", 2, "", false, true},
        {{3, 1, 6, "12*#", 1}, "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"12*#\" textOn=1", 3, "12*#", false, true},
        {{1, 1, 0, nullptr, 0}, "USBPhone_DisplayLCD mode=1 on=1 param=0 text=null textOn=0", 1, "12*#", true, true},
        {{2, 0, 0, nullptr, 0}, "USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0", 2, "12*#", true, false},
        {{3, 1, 6, "Ann \"A\\B\"\n", 1}, "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"Ann \\\"A\\\\B\\\"\\x0a\" textOn=1", 3, "Ann \"A\\B\"\n", true, false},
        {{3, 1, 6, longText.c_str(), 1}, longEntry.c_str(), 3, longText.c_str(), true, false},
        {{0, 0, 0, nullptr, 0}, "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0", 0, "", false, false},
        {{-7, 255, -1, nullptr, 0}, "USBPhone_DisplayLCD mode=-7 on=255 param=-1 text=null textOn=0", -7, "", false, false},
    };
    for (const LcdCase& c : cases) {
        SCOPED_TRACE(c.entry);
        // The padding carries garbage, as it may from the program: it must not matter.
        LcdRequest request;
        memset(&request, 0xCC, sizeof request);
        request.mode = c.request.mode;
        request.on = c.request.on;
        request.param = c.request.param;
        request.text = c.request.text;
        request.textOn = c.request.textOn;
        EXPECT_EQ(api_.DisplayLCD(request), 0);
        std::vector<std::string> journal = HandsetSimJournal(sim_);
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(journal.back(), tid_ + c.entry);
        HandsetSimState state = State();
        EXPECT_EQ(state.lcdMode, c.lcdMode);
        EXPECT_EQ(state.lcdText, c.lcdText);
        EXPECT_EQ(state.inCall, c.inCall);
        EXPECT_EQ(state.skype, c.skype);
    }
    EXPECT_EQ(State().lcdLongest, longText.size());
}

TEST_F(KvlibInProcess, EveryEntryPointIsCallerCleansAndJournalled)
{
    ASSERT_NO_FATAL_FAILURE(Load("5"));
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10086));
    EXPECT_EQ(api_.Open(window), 5);
    EXPECT_EQ(api_.Bind(OnKey, nullptr), 0);
    sim_ = FindHandsetSim(GetCurrentProcessId(), 5000);
    ASSERT_NE(sim_, nullptr);
    EXPECT_EQ(api_.Ring(1), 0);
    EXPECT_EQ(api_.Light(1), 0);
    HandsetSimState state = State();
    EXPECT_TRUE(state.opened);
    EXPECT_TRUE(state.bound);
    EXPECT_EQ(state.openResult, 5);
    EXPECT_FALSE(state.connected); // Open said the handset is absent
    EXPECT_FALSE(state.ringing);   // and an absent handset has no power to ring or light up
    EXPECT_FALSE(state.light);
    EXPECT_EQ(api_.Ring(0), 0);
    EXPECT_EQ(api_.Light(0), 0);
    state = State();
    EXPECT_FALSE(state.ringing);
    EXPECT_FALSE(state.light);

    // The entry points that the program resolves but never calls stay harmless.
    const unsigned char bytes[3] = {1, 2, 3};
    unsigned char readBack[3] = {};
    EXPECT_EQ(api_.WriteEEPROM(10, bytes, 3), 3);
    EXPECT_EQ(api_.ReadEEPROM(10, readBack, 3), 3);
    EXPECT_EQ(memcmp(bytes, readBack, 3), 0);
    EXPECT_EQ(api_.WriteEEPROM(-1, bytes, 3), -1);
    EXPECT_EQ(api_.ReadEEPROM(0, nullptr, 3), -1);
    EXPECT_EQ(api_.WriteEEPROM(250, bytes, 100000), 6); // clipped at the end of the memory
    EXPECT_GT(api_.GetDeviceCapacity(), 0);
    EXPECT_EQ(api_.SetRingTone(2), 0);
    EXPECT_EQ(api_.SwitchPSTN(1), 0);
    EXPECT_GT(api_.GetLibVer(), 0);
    EXPECT_EQ(api_.GetLastError(), 0);
    EXPECT_EQ(api_.GetHookStatus(), 1); // resting on the hook until lifted

    std::vector<std::string> journal = HandsetSimJournal(sim_);
    Sequence expected = {"every call, in order, from this thread", {
        tid_ + "USBPhone_Open hwnd=65670",
        tid_ + "USBPhone_Bind key=set plug=null",
        tid_ + "USBPhone_Ring 1",
        tid_ + "USBPhone_Light 1",
        tid_ + "USBPhone_Ring 0",
        tid_ + "USBPhone_Light 0",
        tid_ + "USBPhone_WriteEEPROM address=10 length=3",
        tid_ + "USBPhone_ReadEEPROM address=10 length=3",
        tid_ + "USBPhone_WriteEEPROM address=-1 length=3",
        tid_ + "USBPhone_ReadEEPROM address=0 length=3",
        tid_ + "USBPhone_WriteEEPROM address=250 length=100000",
        tid_ + "USBPhone_GetDeviceCapacity",
        tid_ + "USBPhone_SetRingTone 2",
        tid_ + "USBPhone_SwitchPSTN 1",
        tid_ + "USBPhone_GetLibVer",
        tid_ + "USBPhone_GetLastError",
        tid_ + "USBPhone_GetHookStatus",
    }};
    EXPECT_SEQUENCE(expected, journal);

#if defined(__i386__)
    // The same calls with the words pushed by hand: each callee must leave its arguments for
    // the caller to remove.
    struct RawCall {
        const char* name;
        void* fn;
        std::vector<int> words;
    };
    const char* text = "42";
    LcdRequest lcd;
    memset(&lcd, 0xCC, sizeof lcd);
    lcd.mode = 3;
    lcd.on = 1;
    lcd.param = 6;
    lcd.text = text;
    lcd.textOn = 1;
    std::vector<int> lcdWords(5);
    memcpy(lcdWords.data(), &lcd, sizeof lcd);
    const RawCall raws[] = {
        {"Open", reinterpret_cast<void*>(api_.Open), {0x10086}},
        {"Bind", reinterpret_cast<void*>(api_.Bind), {reinterpret_cast<int>(&OnKey), 0}},
        {"Ring", reinterpret_cast<void*>(api_.Ring), {1}},
        {"Light", reinterpret_cast<void*>(api_.Light), {1}},
        {"DisplayLCD", reinterpret_cast<void*>(api_.DisplayLCD), lcdWords},
        {"GetHookStatus", reinterpret_cast<void*>(api_.GetHookStatus), {}},
        {"SetRingTone", reinterpret_cast<void*>(api_.SetRingTone), {1}},
        {"SwitchPSTN", reinterpret_cast<void*>(api_.SwitchPSTN), {0}},
        {"ReadEEPROM", reinterpret_cast<void*>(api_.ReadEEPROM),
         {0, reinterpret_cast<int>(readBack), 3}},
    };
    for (const RawCall& raw : raws) {
        int delta = 1;
        CallWithWords(raw.fn, raw.words.data(), (int)raw.words.size(), &delta);
        EXPECT_EQ(delta, -4 * (int)raw.words.size()) << raw.name;
    }
    std::vector<std::string> rawJournal = HandsetSimJournal(sim_);
    EXPECT_EQ(rawJournal.back(), tid_ + "USBPhone_ReadEEPROM address=0 length=3");
    // The record was read whole; the absent handset shows nothing of it.
    EXPECT_NE(std::find(rawJournal.begin(), rawJournal.end(),
                        tid_ + "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"42\" textOn=1"),
              rawJournal.end());
    EXPECT_EQ(State().lcdText, "");
#endif
}

TEST_F(KvlibInProcess, CallbacksRunInOrderOnTheLibrarysThread)
{
    ASSERT_NO_FATAL_FAILURE(Load(nullptr));
    EXPECT_EQ(api_.Open(nullptr), 0);
    sim_ = FindHandsetSim(GetCurrentProcessId(), 5000);
    ASSERT_NE(sim_, nullptr);
    // Nothing bound yet: the simulator drops the event and says so.
    EXPECT_FALSE(HandsetSimKey(sim_, 5));
    EXPECT_FALSE(HandsetSimPlug(sim_, 0));

    g_received.echoToLcd = true; // the program shows keys from inside the callback
    api_.Bind(OnKey, OnPlug);
    const std::vector<std::pair<bool, int>> events = {
        {false, 1}, {false, 2}, {false, 80}, {true, 0}, {true, 2}, {false, 21}, {false, -3},
        {false, 70}, {false, 99}};
    for (const auto& event : events)
        EXPECT_TRUE(event.first ? HandsetSimPlug(sim_, event.second)
                                : HandsetSimKey(sim_, event.second));
    ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() >= events.size(); }, 5000));

    std::vector<std::string> seen;
    std::vector<DWORD> threads;
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        seen = g_received.events;
        threads = g_received.threads;
    }
    Sequence expected = {"callbacks", {"key 1", "key 2", "key 80", "plug 0 0", "plug 2 0",
                                       "key 21", "key -3", "key 70", "key 99"}};
    EXPECT_SEQUENCE(expected, seen);
    for (DWORD thread : threads) {
        EXPECT_NE(thread, GetCurrentThreadId());
        EXPECT_EQ(thread, threads.front()); // one event thread
    }

    HandsetSimState state = State();
    EXPECT_EQ(state.eventsDelivered, events.size());
    EXPECT_EQ(state.eventsDropped, 2u);
    EXPECT_EQ(state.stackFaults, 0u);
    EXPECT_TRUE(state.connected); // the last plug event said plugged in
    EXPECT_EQ(state.hook, 1);     // put down last
    EXPECT_EQ(state.lcdText, "99");
    EXPECT_EQ(api_.GetHookStatus(), 1);

    // The displays made inside the callbacks are journalled with the event thread's id.
    std::vector<std::string> lcdCalls =
        Filter(HandsetSimJournal(sim_), Format("%lu USBPhone_DisplayLCD", threads.front()));
    ASSERT_EQ(lcdCalls.size(), 7u);
    EXPECT_EQ(lcdCalls.front(), Format("%lu USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"1\" "
                                       "textOn=1", threads.front()));

#if defined(__i386__)
    // A callback of the wrong convention leaves ESP off by its argument; the library notices
    // (and survives), which shows that the callbacks above really were called as stdcall.
    struct Cdecl {
        static void __cdecl OnKey(int key) { Record(Format("cdecl key %d", key)); }
    };
    api_.Bind(reinterpret_cast<HandsetKeyCallback>(reinterpret_cast<void (*)()>(&Cdecl::OnKey)),
              OnPlug);
    EXPECT_TRUE(HandsetSimKey(sim_, 7));
    EXPECT_TRUE(WaitUntil([&] { return ReceivedCount() > events.size(); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return State().stackFaults == 1u; }, 5000));
#endif
}

TEST_F(KvlibInProcess, OpenResultCanBeChangedThroughTheChannel)
{
    ASSERT_NO_FATAL_FAILURE(Load("-1"));
    EXPECT_EQ(api_.Open(nullptr), -1);
    sim_ = FindHandsetSim(GetCurrentProcessId(), 5000);
    ASSERT_NE(sim_, nullptr);
    EXPECT_TRUE(HandsetSimSetOpenResult(sim_, 0));
    EXPECT_EQ(State().openResult, 0);
    EXPECT_EQ(api_.Open(nullptr), 0);
    EXPECT_TRUE(State().connected);
}

TEST_F(KvlibInProcess, CloseWaitsForTheCallbackInFlightAndDropsTheRest)
{
    ASSERT_NO_FATAL_FAILURE(Load(nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenAndBind());
    g_received.slowMs = 200;
    for (int key = 1; key <= 5; ++key)
        EXPECT_TRUE(HandsetSimKey(sim_, key));
    ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() >= 1; }, 5000));
    api_.Close();
    Record("closed");
    // The control window is gone with the window thread, and nothing more is delivered.
    EXPECT_EQ(FindHandsetSim(GetCurrentProcessId(), 0), nullptr);
    Sleep(500);
    std::vector<std::string> seen;
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        seen = g_received.events;
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "closed");
    EXPECT_LT(seen.size(), 6u) << "queued keys were delivered although Close came first";
    sim_ = nullptr;

    // Unloading works after Close (the library's threads have let go of it) and is journalled.
    ASSERT_TRUE(FreeLibrary(api_.module));
    api_.module = nullptr;
    std::vector<std::string> file = ReadHandsetJournalFile(journalPath_);
    ASSERT_GE(file.size(), 3u);
    EXPECT_EQ(file[0], tid_ + "USBPhone_Open hwnd=0");
    EXPECT_EQ(file[1], tid_ + "USBPhone_Bind key=set plug=set");
    EXPECT_EQ(file[file.size() - 2], tid_ + "USBPhone_Close");
    EXPECT_EQ(file.back(), tid_ + "Unload");
}

// The modes in which the library calls back the way some vendors' libraries do: from
// inside an entry point on the caller's thread, or from several threads at once.
TEST_F(KvlibInProcess, InlineAndThreadedDeliveryKeepEachSourcesOrder)
{
    ASSERT_NO_FATAL_FAILURE(Load(nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenAndBind());
    for (const char* bad : {"threads:1", "threads:9", "threads:", "fast", ""})
        EXPECT_FALSE(HandsetSimSetDelivery(sim_, bad)) << bad;

    auto keys = [](int first, int count) {
        std::vector<HandsetSimEvent> events;
        for (int key = first; key < first + count; ++key)
            events.push_back({false, key});
        return events;
    };
    auto received = [&] {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        return std::make_pair(g_received.events, g_received.threads);
    };

    // Inline: held until the next display, light or ringer call, then delivered inside it on
    // this thread; a callback that shows its key (a display call inside the callback) does
    // not set off a nested delivery.
    ASSERT_TRUE(HandsetSimSetDelivery(sim_, "inline"));
    ASSERT_TRUE(HandsetSimEvents(sim_, keys(1, 3)));
    Sleep(300);
    EXPECT_EQ(ReceivedCount(), 0u);
    g_received.echoToLcd = true;
    LcdRequest idle = {4, 1, 6, "", 1};
    api_.DisplayLCD(idle);
    // Unplugged, the handset reports no key: 4 never comes.
    ASSERT_TRUE(HandsetSimEvents(sim_, {{true, 0}, {false, 4}, {true, 1}, {false, 5}}));
    api_.Light(1);
    auto inlineSeen = received();
    EXPECT_SEQUENCE((Sequence{"inline", {"key 1", "key 2", "key 3", "plug 0 0", "plug 1 0",
                                         "key 5"}}),
                    inlineSeen.first);
    for (DWORD thread : inlineSeen.second)
        EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(State().eventsInline, 6u);
    EXPECT_EQ(State().callbacksOverlap, 1u);
    g_received.echoToLcd = false;

    // Several threads: each keeps the order of its own share; slow callbacks overlap.
    const int threadCount = 3, eventCount = 12;
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        g_received.events.clear();
        g_received.threads.clear();
    }
    g_received.slowMs = 30;
    ASSERT_TRUE(HandsetSimSetDelivery(sim_, "threads:3"));
    ASSERT_TRUE(HandsetSimEvents(sim_, keys(100, eventCount)));
    ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() >= size_t(eventCount); }, 5000));
    auto threaded = received();
    std::vector<std::vector<std::string>> byThread(threadCount);
    std::vector<DWORD> threadOf(threadCount, 0);
    for (size_t n = 0; n < threaded.first.size(); ++n) {
        int key = atoi(threaded.first[n].c_str() + 4);
        int share = (key - 100) % threadCount;
        byThread[share].push_back(threaded.first[n]);
        EXPECT_NE(threaded.second[n], GetCurrentThreadId());
        if (!threadOf[share])
            threadOf[share] = threaded.second[n];
        EXPECT_EQ(threaded.second[n], threadOf[share]) << threaded.first[n];
    }
    for (int share = 0; share < threadCount; ++share) {
        std::vector<std::string> expected;
        for (int key = 100 + share; key < 100 + eventCount; key += threadCount)
            expected.push_back(Format("key %d", key));
        EXPECT_EQ(byThread[share], expected) << "thread " << share;
    }
    EXPECT_NE(threadOf[0], threadOf[1]);
    EXPECT_NE(threadOf[1], threadOf[2]);
    EXPECT_GE(State().callbacksOverlap, 2u);

    // Back to one thread of the library's own.
    ASSERT_TRUE(HandsetSimSetDelivery(sim_, "thread"));
    g_received.slowMs = 0;
    ASSERT_TRUE(HandsetSimEvents(sim_, keys(7, 2)));
    ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() >= size_t(eventCount + 2); }, 5000));
    auto last = received();
    EXPECT_EQ(last.first[eventCount], "key 7");
    EXPECT_EQ(last.first[eventCount + 1], "key 8");
    EXPECT_EQ(last.second[eventCount], last.second[eventCount + 1]);
}

TEST_F(KvlibInProcess, HandsetWindowOnlyOnRequestAndItsButtonsQueueEvents)
{
    ASSERT_NO_FATAL_FAILURE(Load(nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenAndBind());
    EXPECT_EQ(WaitForWindow(nullptr, "Handset", GetCurrentProcessId(), 300), nullptr);
    api_.Close();
    sim_ = nullptr;

    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", "1");
    ASSERT_NO_FATAL_FAILURE(OpenAndBind());
    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", nullptr);
    HWND handset = WaitForWindow(nullptr, "Handset", GetCurrentProcessId(), 5000);
    ASSERT_NE(handset, nullptr);
    EXPECT_TRUE(IsWindowVisible(handset));

    // A person's clicks: key 5, lift, NO, put down, unplug. The switches are labelled by
    // what they will do next.
    const char* clicks[] = {"5", "Lift handset", "NO", "Put down", "Unplug"};
    for (const char* label : clicks) {
        HWND button = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            button = FindWindowExA(handset, nullptr, "BUTTON", label);
            return button != nullptr;
        }, 5000)) << label;
        size_t before = ReceivedCount();
        SendMessageA(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() > before; }, 5000)) << label;
    }
    std::vector<std::string> seen;
    {
        std::lock_guard<std::mutex> lock(g_received.mutex);
        seen = g_received.events;
    }
    Sequence expected = {"clicks", {"key 5", "key 80", "key 30", "key 70", "plug 0 0"}};
    EXPECT_SEQUENCE(expected, seen);

    // The window goes with Close.
    api_.Close();
    sim_ = nullptr;
    EXPECT_FALSE(IsWindow(handset));
}
