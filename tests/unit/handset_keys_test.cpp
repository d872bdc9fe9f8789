// Handset keys on both paths: Skype commands, tones and LCD while attached; keystrokes
// while not.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "app/app_messages.h"
#include "app/handset_callbacks.h"
#include "app/handset_keys.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "core/app_state.h"
#include "fake_wave_out.h"
#include "skype/skype_link.h"

namespace {
const std::string kIdle = LcdEntry(4, 1, 6, "", 1);

std::vector<std::string> Press(const char* name)
{
    return {Format("skype BTN_PRESSED %s", name), "pause 10", Format("skype BTN_RELEASED %s", name)};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<std::string> Stroke(int vk)
{
    return {Format("key %d down", vk), "pause 10", Format("key %d up", vk)};
}

std::vector<std::string> Typed(char c)
{
    return {Format("char %c down", c), "pause 10", Format("char %c up", c)};
}

class HandsetKeys : public AppFixture {
protected:
    // Keys arrive as the library's callback posts them: handled by the main window.
    void Key(int code)
    {
        HandsetKeyCallback(code);
        MSG message;
        while (PeekMessageA(&message, ownWindow, WM_APP_HANDSET_KEY, WM_APP_HANDSET_KEY,
                            PM_REMOVE))
            DispatchMessageA(&message);
    }
    HWND CreateSkypeMainWindow(DWORD style)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "tSkMainForm.UnicodeClass";
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, "tSkMainForm.UnicodeClass", "Skype(TM) - test",
                               WS_OVERLAPPEDWINDOW | style, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
};
} // namespace

TEST_F(HandsetKeys, EachKeyWithSkypeAttached)
{
    const struct {
        const char* name;
        int code;
        bool inCall;
        int ringingId;
        std::vector<std::string> expected;
    } rows[] = {
        {"digit 5", 5, false, 0, Join({{"skype FOCUS"}, Press("5"), {"tone 138", LcdEntry(3, 1, 6, "5", 1)}})},
        {"digit 5 in a call", 5, true, 0,
         Join({{"skype FOCUS"}, Press("5"), {"skype SET CALL 12 DTMF 5", LcdEntry(3, 1, 6, "5", 1)}})},
        {"digit 0", 0, false, 0, Join({{"skype FOCUS"}, Press("0"), {"tone 133", LcdEntry(3, 1, 6, "0", 1)}})},
        {"star", 20, false, 0, Join({{"skype FOCUS"}, Press("*"), {"tone 146", LcdEntry(3, 1, 6, "*", 1)}})},
        {"hash", 21, false, 0, Join({{"skype FOCUS"}, Press("#"), {"tone 144", LcdEntry(3, 1, 6, "#", 1)}})},
        {"hash in a call", 21, true, 0,
         Join({{"skype FOCUS"}, Press("#"), {"skype SET CALL 12 DTMF #", LcdEntry(3, 1, 6, "#", 1)}})},
        {"NO", 30, false, 0, Join({{"tone 147"}, Press("NO"), {kIdle}})},
        {"UP", 40, false, 0,
         Join({{"tone 147", "skype FOCUS", "skype BTN_PRESSED CONTACTS"}, Press("UP")})},
        {"YES without a ringing call", 50, false, 0, {"tone 147", "skype FOCUS"}},
        {"YES with call 8 ringing", 50, false, 8,
         {"tone 147", "skype FOCUS", "skype SET CALL 8 STATUS INPROGRESS"}},
        {"DOWN", 60, false, 0, Join({{"tone 147", "skype FOCUS"}, Press("DOWN")})},
        {"hook on", 70, false, 0, {"skype HOOK ON", kIdle}},
        {"hook off", 80, false, 0, {"skype FOCUS", "skype HOOK OFF"}},
        {"code 10", 10, false, 0, {}},
        {"code 22", 22, false, 0, {}},
        {"code 81", 81, false, 0, {}},
        {"code 300", 300, false, 0, {}},
        {"code -1", -1, false, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        Attach();
        g_app.inCall = row.inCall;
        g_app.placedCallId = 12;
        g_app.ringingCallId = row.ringingId;
        Key(row.code);
        EXPECT_SEQUENCE((Sequence{row.name, row.expected}), Log());
    }
}

TEST_F(HandsetKeys, EachKeyWithoutSkype)
{
    const struct {
        const char* name;
        int code;
        std::vector<std::string> expected;
    } rows[] = {
        {"digit 1", 1, Typed('1')},
        {"digit 0", 0, Typed('0')},
        {"digit 9", 9, Typed('9')},
        {"star", 20, Typed('*')},
        {"hash", 21, Typed('#')},
        {"NO", 30, Stroke(VK_ESCAPE)},  {"UP", 40, Stroke(VK_UP)},
        {"YES", 50, Stroke(VK_RETURN)}, {"DOWN", 60, Stroke(VK_DOWN)},
        {"hook on", 70, Stroke(VK_ESCAPE)}, {"hook off", 80, Stroke(VK_RETURN)},
        // Codes the handset does not have: taken as virtual keys they would be the Windows
        // key, Print Screen, VK_SLEEP, ...
        {"code 10", 10, {}},  {"code 44", 44, {}},  {"code 91", 91, {}},
        {"code 95", 95, {}},  {"code 300", 300, {}}, {"code -1", -1, {}},
        {"code 81", 81, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        Key(row.code);
        EXPECT_SEQUENCE((Sequence{row.name, row.expected}), Log());
    }
}

// A Skype that runs unattached (frozen since before this start, still starting, asking its
// user) has its main window, hidden or shown: keys are not typed into whatever window has
// the focus, and the handset put down is kept for when Skype answers. Once Skype has gone,
// keys are typed again.
TEST_F(HandsetKeys, KeysAreNotTypedWhileSkypeRunsUnattached)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "tSkMainForm";
    RegisterClassA(&windowClass);
    HWND skypeMain = CreateWindowA("tSkMainForm", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(skypeMain, nullptr);
    g_app.hookState = 0;
    for (int code : {5, 20, 30, 50, 70})
        Key(code);
    EXPECT_SEQUENCE((Sequence{"typed while Skype runs unattached", {}}), Log());
    EXPECT_EQ(g_app.hookState, 1);
    EXPECT_TRUE(g_app.hungUpWhileSilent);

    DestroyWindow(skypeMain);
    Key(5);
    EXPECT_SEQUENCE((Sequence{"typed once Skype has gone", Typed('5')}), Log());
    UnregisterClassA("tSkMainForm", windowClass.hInstance);
}

TEST_F(HandsetKeys, NothingHappensWhileTheHandsetIsAbsent)
{
    for (int status : {-1, 5}) {
        g_app.handsetStatus = status;
        for (int code : {5, 20, 30, 50, 70, 80}) {
            Key(code);
            Attach();
            Key(code);
            g_app.skypeApiWindow = nullptr;
        }
    }
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(g_app.hookState, -1);
}

TEST_F(HandsetKeys, HookEventsActOnlyOnChangeOnBothPaths)
{
    Attach();
    Key(kHookOn);
    Key(kHookOn);
    g_app.skypeApiWindow = nullptr;
    Key(kHookOn); // the state is shared: still on
    Key(kHookOff);
    Attach();
    Key(kHookOff);
    const Sequence expected = {"hook on twice, then off",
                               Join({{"skype HOOK ON", kIdle}, Stroke(VK_RETURN)})};
    EXPECT_SEQUENCE(expected, Log());
}

// The hook switch with calls about: putting the handset down ends the conversation and our
// call not yet answered; lifting it answers the call whose ringer rings, after FOCUS and
// HOOK OFF. The state is made by Skype's notifications, as in use.
TEST_F(HandsetKeys, HookSwitchEndsAndAnswersCalls)
{
    const struct {
        const char* name;
        int hookBefore;
        std::vector<const char*> notifications;
        int code;
        std::vector<std::string> expected;
    } rows[] = {
        {"put down in a conversation", 0, {"CALL 8 STATUS INPROGRESS"}, kHookOn,
         {"skype HOOK ON", "skype SET CALL 8 STATUS FINISHED", kIdle}},
        {"put down while our call rings at the far end", 0,
         {"CALL 12 STATUS ROUTING", "CALL 12 STATUS RINGING"}, kHookOn,
         {"skype HOOK ON", "skype SET CALL 12 STATUS FINISHED", kIdle}},
        {"put down while a call rings unheard", 0, {"CALL 8 STATUS RINGING"}, kHookOn,
         {"skype HOOK ON", "ring 1"}},
        {"lifted while a call rings", 1, {"CALL 8 STATUS RINGING"}, kHookOff,
         {"skype FOCUS", "skype HOOK OFF", "skype SET CALL 8 STATUS INPROGRESS"}},
        {"lifted while our call rings at the far end", 1,
         {"CALL 12 STATUS ROUTING", "CALL 12 STATUS RINGING"}, kHookOff,
         {"skype FOCUS", "skype HOOK OFF"}},
        {"lifted in a conversation", 1, {"CALL 8 STATUS INPROGRESS"}, kHookOff,
         {"skype FOCUS", "skype HOOK OFF"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        Attach();
        g_app.hookState = row.hookBefore;
        for (const char* text : row.notifications)
            Notify(text);
        ClearLog();
        Key(row.code);
        EXPECT_SEQUENCE((Sequence{row.name, row.expected}), Log());
    }
}

// Lifting answers only while the call still rings: Skype may end it inside HOOK OFF's send.
TEST_F(HandsetKeys, CallEndedInsideHookOffIsNotAnswered)
{
    Attach();
    g_app.hookState = 1;
    Notify("CALL 8 STATUS RINGING");
    ReplyTo("HOOK OFF", "CALL 8 STATUS MISSED");
    ClearLog();
    Key(kHookOff);
    EXPECT_EQ(Filter(Log(), "skype "), (std::vector<std::string>{"skype FOCUS", "skype HOOK OFF"}));
}

TEST_F(HandsetKeys, DialBufferKeepsAtMost999Characters)
{
    Attach();
    memset(g_app.dialBuffer.text, '7', 999);
    g_app.dialBuffer.text[999] = '\0';
    g_app.dialBuffer.length = 999;
    const std::string full(999, '7');
    Key(1);
    EXPECT_EQ(Log().back(), LcdEntry(3, 1, 6, full.c_str(), 1));
    EXPECT_EQ(g_app.dialBuffer.length, 999);
    EXPECT_EQ(std::string(g_app.dialBuffer.text), full);
}

// A notification handled inside one of the key's sends is seen by the rest of the key.
TEST_F(HandsetKeys, CallAnsweredDuringADigitTurnsItIntoDtmf)
{
    Attach();
    ReplyTo("BTN_PRESSED 5", "CALL 8 STATUS INPROGRESS");
    Key(5);
    const Sequence expected = {
        "notification inside the key",
        Join({{"skype FOCUS", "skype BTN_PRESSED 5", LcdEntry(1, 1, 0, nullptr, 0), "light 1",
               "ring 0", "pause 10", "skype BTN_RELEASED 5", "skype SET CALL 8 DTMF 5",
               LcdEntry(3, 1, 6, "5", 1)}})};
    EXPECT_SEQUENCE(expected, Log());
}

TEST_F(HandsetKeys, YesPressesOnlyWhenSkypeIsShown)
{
    Attach();
    const struct {
        const char* name;
        DWORD style;
        bool pressed;
    } cases[] = {
        {"shown", WS_VISIBLE, true},
        {"minimised", WS_VISIBLE | WS_MINIMIZE, false},
        {"hidden", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND skypeMain = CreateSkypeMainWindow(c.style);
        g_app.skypeMainWindow = skypeMain;
        ClearLog();
        Key(kKeyYes);
        std::vector<std::string> expected = {"tone 147", "skype FOCUS"};
        if (c.pressed)
            expected = Join({expected, Press("YES")});
        EXPECT_SEQUENCE((Sequence{c.name, expected}), Log());
        DestroyWindow(skypeMain);
        g_app.skypeMainWindow = nullptr;
    }
}

TEST_F(HandsetKeys, NoAndHookOnAskSkypesMainWindowToClose)
{
    Attach();
    HWND skypeMain = CreateSkypeMainWindow(WS_VISIBLE);
    g_app.skypeMainWindow = skypeMain;
    for (int code : {int(kKeyNo), int(kHookOn)}) {
        Key(code);
        MSG message;
        ASSERT_TRUE(PeekMessageA(&message, skypeMain, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
        EXPECT_EQ(message.wParam, WPARAM(SC_CLOSE));
        EXPECT_EQ(message.lParam, 0);
    }
    DestroyWindow(skypeMain);
}

// Keys and plug events queued before a close request are not worked through first (each
// digit would play its tone to the end): once WM_CLOSE waits behind a backlog of them, they
// are dropped, and Skype is told nothing more. Events handled one at a time before (as keys
// come while nobody closes) leave the count of those queued as it was.
TEST_F(HandsetKeys, AWaitingCloseRequestDropsTheBacklog)
{
    Attach();
    MSG message;
    auto handleQueued = [&] {
        while (PeekMessageA(&message, ownWindow, WM_APP_HANDSET_KEY, WM_APP_HANDSET_PLUG,
                            PM_REMOVE))
            DispatchMessageA(&message);
    };
    for (int n = 0; n < 6; ++n) {
        HandsetKeyCallback(n % 2 ? int(kHookOn) : int(kHookOff));
        HandsetPlugCallback(1, 0);
        handleQueued();
    }
    ClearLog();
    for (int code : {5, int(kHookOff), int(kKeyNo)})
        HandsetKeyCallback(code);
    HandsetPlugCallback(0, 0);
    PostMessageA(ownWindow, WM_CLOSE, 0, 0);
    handleQueued();
    SendSkypeCommand("FOCUS");
    EXPECT_TRUE(Log().empty()) << Log().front();
    EXPECT_EQ(g_app.handsetStatus, 0);
    ASSERT_TRUE(PeekMessageA(&message, ownWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// A key alone in the queue is handled though a close request waits behind it, as a key in
// hand when the request came would be: the queue is not asked on every key's way to Skype.
// The close follows, and the program is going from then on.
TEST_F(HandsetKeys, ALoneKeyIsHandledBeforeAWaitingCloseRequest)
{
    Attach();
    HandsetKeyCallback(5);
    PostMessageA(ownWindow, WM_CLOSE, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, ownWindow, WM_APP_HANDSET_KEY, WM_APP_HANDSET_KEY,
                             PM_REMOVE));
    DispatchMessageA(&message);
    EXPECT_SEQUENCE((Sequence{"the lone 5", Join({{"skype FOCUS"}, Press("5"), {"tone 138"},
                                                  {LcdEntry(3, 1, 6, "5", 1)}})}),
                    Log());
    ASSERT_TRUE(PeekMessageA(&message, ownWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// Skype's notifications are sends: its thread waits for our answer. One that comes while a
// key's tone plays is answered then, not after the tone; keys queued behind stay queued.
TEST_F(HandsetKeys, NotificationSentDuringAToneIsAnsweredBeforeTheToneEnds)
{
    Attach();
    FakeWaveOutSetSilentDriver(true); // the tone's wait runs to its bound
    int devicesOpenWhenAnswered = -1;
    std::thread skype([&] {
        if (!WaitUntil([&] { return FakeWaveOutOpenDevices() == 1; }, 5000))
            return;
        const char text[] = "CALL 7 STATUS INPROGRESS";
        COPYDATASTRUCT data = {0, sizeof text, const_cast<char*>(text)};
        SendMessageA(ownWindow, WM_COPYDATA, WPARAM(fakeSkype), LPARAM(&data));
        devicesOpenWhenAnswered = FakeWaveOutOpenDevices();
    });
    HandsetKeyCallback(5);
    Key(6); // queued behind the 5: handled after it, not inside its tone
    skype.join();
    FakeWaveOutSetSilentDriver(false);
    EXPECT_EQ(devicesOpenWhenAnswered, 1) << "the notification waited for the tone's end";
    // Key 5's handling goes on after its tone (its LCD text); key 6 then finds the call.
    EXPECT_SEQUENCE((Sequence{"a notification inside key 5's tone, then key 6",
                              Join({{"skype FOCUS"}, Press("5"), {"tone 138"},
                                    {LcdEntry(1, 1, 0, nullptr, 0), "light 1", "ring 0"},
                                    {LcdEntry(3, 1, 6, "5", 1), "skype FOCUS"}, Press("6"),
                                    {"skype SET CALL 7 DTMF 6", LcdEntry(3, 1, 6, "56", 1)}})}),
                    Log());
}
