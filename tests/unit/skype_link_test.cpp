// The Skype link: command framing, attach replies, keep-alive arithmetic, notification
// sorting, and the choice of Skype's audio devices.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>

#include "app/reactions.h"
#include "app/status.h"
#include "app/tray_icon.h"
#include "app_fixture.h"
#include "core/app_state.h"
#include "fake_shell.h"
#include "rig_devices.h"
#include "skype/skype_link.h"

namespace {
class SkypeLink : public AppFixture {
protected:
    void Prepare() override
    {
        g_trayIcon.SetOwner(GetModuleHandleA(nullptr), ownWindow, 104);
    }
    LRESULT SendAttach(HWND api, LPARAM status)
    {
        return SendMessageA(ownWindow, g_app.attachMessage, WPARAM(api), status);
    }
    LRESULT SendCopyData(HWND from, const void* data, DWORD size)
    {
        COPYDATASTRUCT copy = {0, size, const_cast<void*>(data)};
        return SendMessageA(ownWindow, WM_COPYDATA, WPARAM(from), LPARAM(&copy));
    }
};

std::string ShellModify(int icon, const char* tip)
{
    return Format("shell NIM_MODIFY size=%u flags=6 id=888 cb=0 icon=%d tip=%s",
                  unsigned(NOTIFYICONDATAA_V1_SIZE), icon, tip);
}

std::vector<std::string> AudioCommands()
{
    return {std::string("skype ") + kRigAudioOutCommand,
            std::string("skype ") + kRigAudioInCommand};
}
} // namespace

TEST_F(SkypeLink, CommandsCarryTheirNulAndGoNowhereWhileDetached)
{
    SendSkypeCommand("FOCUS");
    EXPECT_TRUE(Log().empty());
    Attach();
    SendSkypeCommand("SET CALL 42 DTMF 5");
    EXPECT_SEQUENCE((Sequence{"framed command", {"skype SET CALL 42 DTMF 5"}}), Log());
}

TEST_F(SkypeLink, OnlyAttachStatusZeroAttaches)
{
    for (LPARAM status : {1, 2, 3, 0x8001}) {
        Fresh();
        EXPECT_EQ(SendAttach(fakeSkype, status), 1);
        EXPECT_EQ(g_app.skypeApiWindow, nullptr);
    }

    std::vector<std::string> attached = {LcdEntry(2, 1, 6, nullptr, 0),
                                         ShellModify(129, "USB Device Driver (Skype Feature-Enabled)")};
    for (const std::string& command : AudioCommands())
        attached.push_back(command);
    ClearLog();
    EXPECT_EQ(SendAttach(fakeSkype, 0), 1);
    EXPECT_EQ(g_app.skypeApiWindow, fakeSkype);
    std::vector<std::string> firstAttach = attached;
    firstAttach.push_back("skype SEARCH ACTIVECALLS"); // which calls Skype holds
    EXPECT_SEQUENCE((Sequence{"attached", firstAttach}), Log());

    // Attaching again refreshes again and tells Skype the devices again; the same Skype's
    // calls are not asked for again.
    ClearLog();
    EXPECT_EQ(SendAttach(fakeSkype, 0), 1);
    EXPECT_SEQUENCE((Sequence{"attached again", attached}), Log());
}

// Attach replies against keep-alive ticks, while not attached. Script: T = a tick, 1/2/3/5 =
// that attach status, a = 0x8001 (API available), p = the posted messages run. Seen: per
// tick "d" when it discovered, "." when not; per other step a "d" for each discovery.
TEST_F(SkypeLink, AttachRepliesPauseAndResumeDiscovery)
{
    const std::string ticks29(29, 'T');
    const std::string quiet29(29, '.');
    const struct {
        const char* what;
        std::string script;
        std::string seen;
        const char* tip;
    } rows[] = {
        {"nothing heard", "TTT", "ddd", "USB Device Driver (Please Launch Skype)"},
        {"asking: 30 ticks", "1" + ticks29 + "TT", quiet29 + "dd", "USB Device Driver (Allow it in Skype)"},
        {"refused: 30 ticks", "2" + ticks29 + "T", quiet29 + "d",
         "USB Device Driver (Refused: allow in Skype Options > Advanced)"},
        {"asking, then refused: counted afresh", "1TTTTT2" + ticks29 + "T",
         "....." + quiet29 + "d", "USB Device Driver (Refused: allow in Skype Options > Advanced)"},
        {"asking, then API available", "1TTapT", "..dd", "USB Device Driver (Please Launch Skype)"},
        {"refused, then API available", "2Tap", ".d", "USB Device Driver (Please Launch Skype)"},
        {"API available", "apT", "dd", "USB Device Driver (Please Launch Skype)"},
        {"API available, asking before its discovery ran", "a1pT", ".",
         "USB Device Driver (Allow it in Skype)"},
        {"not available changes nothing", "3TT1T3T", "dd..", "USB Device Driver (Allow it in Skype)"},
        {"another status changes nothing", "5T", "d", "USB Device Driver (Please Launch Skype)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        std::string seen;
        for (char step : row.script) {
            size_t before = Filter(Log(), "discover").size();
            if (step == 'T') {
                SendMessageA(ownWindow, WM_TIMER, 1001, 0);
            } else if (step == 'p') {
                MSG message;
                while (PeekMessageA(&message, ownWindow, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
            } else {
                SendAttach(fakeSkype, step == 'a' ? 0x8001 : step - '0');
                // Never from inside Skype's message: posted, it runs from the message loop.
                EXPECT_EQ(Filter(Log(), "discover").size(), before) << "step " << step;
            }
            size_t found = Filter(Log(), "discover").size() - before;
            seen += std::string(found, 'd');
            if (step == 'T' && found == 0)
                seen += '.';
        }
        EXPECT_EQ(seen, row.seen);
        EXPECT_STREQ(CurrentStatusPicture().tooltip, row.tip);
    }
}

// The tray's word on Skype's question: only while the handset is there and Skype not
// attached; the icon stays the "not attached" one.
TEST_F(SkypeLink, SkypesQuestionShowsOnTheTrayIcon)
{
    const struct {
        LPARAM status;
        int handsetStatus;
        std::vector<std::string> shown;
    } rows[] = {
        {1, 0, {ShellModify(131, "USB Device Driver (Allow it in Skype)")}},
        {2, 0, {ShellModify(131, "USB Device Driver (Refused: allow in Skype Options > Advanced)")}},
        {0x8001, 0, {ShellModify(131, "USB Device Driver (Please Launch Skype)")}},
        {3, 0, {}},
        {1, -1, {}},
        {2, -1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        Fresh();
        g_app.handsetStatus = row.handsetStatus;
        SendAttach(fakeSkype, row.status);
        EXPECT_SEQUENCE((Sequence{"tray", row.shown}), Filter(Log(), "shell "));
    }
    Fresh();
    g_app.handsetStatus = -1;
    SendAttach(fakeSkype, 1);
    EXPECT_EQ(CurrentStatusPicture().iconId, 130u);
    EXPECT_STREQ(CurrentStatusPicture().tooltip, "USB Device Driver (Please Connect USB Phone)");
}

// Keep-alive scripts: T = a tick whose PING gets no answer, A = a tick whose PING is answered
// inside the send, p = a "PONG" arriving on its own, q = "pong", r = "Pongs and more".
TEST_F(SkypeLink, KeepAliveCountsUnansweredPings)
{
    const struct {
        const char* script;
        int count;
        bool attached;
    } cases[] = {
        {"A", 0, true},       {"AAAAAAAA", 0, true}, {"T", 1, true},   {"Tp", 0, true},
        {"p", 0, true},       {"TTq", 1, true},      {"TTr", 1, true}, {"TTTT", 4, true},
        {"TTTTp", 3, true},   {"TTTTpT", 4, true},   {"TTTTpTT", 0, false},
        {"TTTTT", 0, false},  {"TTTTA", 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        Fresh();
        Attach();
        for (const char* step = c.script; *step; ++step) {
            ReplyTo("PING", *step == 'A' ? "PONG" : "");
            if (*step == 'T' || *step == 'A')
                SendMessageA(ownWindow, WM_TIMER, 1001, 0);
            else
                Notify(*step == 'p' ? "PONG" : *step == 'q' ? "pong" : "Pongs and more");
        }
        EXPECT_EQ(g_app.unansweredPings, c.count);
        EXPECT_EQ(g_app.skypeApiWindow != nullptr, c.attached);
    }
}

TEST_F(SkypeLink, FifthUnansweredPingDropsTheLink)
{
    Attach();
    for (int i = 0; i < 4; ++i)
        OnKeepAliveTimer();
    ClearLog();
    OnKeepAliveTimer();
    const Sequence expected = {
        "dropped", {"skype PING", LcdEntry(2, 0, 0, nullptr, 0),
                    ShellModify(131, "USB Device Driver (Please Launch Skype)")}};
    EXPECT_SEQUENCE(expected, Log());
    EXPECT_EQ(g_app.unansweredPings, 0);
}

TEST_F(SkypeLink, VanishedSkypeIsDroppedAndTheNextAttachCountsAfresh)
{
    HWND gone = CreateWindowA("STATIC", "gone", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    g_app.skypeApiWindow = gone;
    g_app.unansweredPings = 2;
    g_app.ringingCallId = 8; // a call was ringing: it is forgotten before the refresh
    OnKeepAliveTimer();
    EXPECT_EQ(g_app.skypeApiWindow, nullptr);
    EXPECT_EQ(g_app.unansweredPings, 2);
    const Sequence expected = {
        "vanished", {"ring 0", LcdEntry(1, 0, 0, nullptr, 0), "light 0", LcdEntry(4, 1, 6, "", 1),
                     LcdEntry(2, 0, 0, nullptr, 0),
                     ShellModify(131, "USB Device Driver (Please Launch Skype)"), "discover"}};
    EXPECT_SEQUENCE(expected, Log());
    // The PINGs lost with that Skype do not count against the next one.
    SendAttach(fakeSkype, 0);
    EXPECT_EQ(g_app.unansweredPings, 0);
}

TEST_F(SkypeLink, CopyDataOnlyFromTheAttachedSkypeAndWithinItsBounds)
{
    char pong[] = "PONG";
    EXPECT_EQ(SendCopyData(fakeSkype, pong, 5), 0); // detached: nobody may speak
    EXPECT_EQ(SendCopyData(nullptr, pong, 5), 0);
    Attach();
    EXPECT_EQ(SendCopyData(ownWindow, pong, 5), 0);
    g_app.unansweredPings = 3;
    EXPECT_EQ(SendCopyData(fakeSkype, nullptr, 5), 1);
    EXPECT_EQ(SendCopyData(fakeSkype, pong, 0), 1);
    EXPECT_EQ(g_app.unansweredPings, 3);
    char unterminated[4] = {'P', 'O', 'N', 'G'};
    EXPECT_EQ(SendCopyData(fakeSkype, unterminated, 4), 1);
    EXPECT_EQ(g_app.unansweredPings, 2);
    char call[] = {'C', 'A', 'L', 'L', ' ', '7'};
    EXPECT_EQ(SendCopyData(fakeSkype, call, sizeof call), 1);
    EXPECT_EQ(SendCopyData(fakeSkype, "HELLO", 6), 1);
    EXPECT_TRUE(Log().empty());
}
