// The three-state status on the icon and the LCD, start-up's icon, an icon the shell refused
// or lost, the tray icon's mouse handling and the Close confirmation.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <mmsystem.h>

#include "app/main_window.h"
#include "app/reactions.h"
#include "app/status.h"
#include "app/tray_icon.h"
#include "app_fixture.h"
#include "core/app_state.h"
#include "fake_shell.h"
#include "handset/handset_display.h"
#include "process.h"
#include "rig_devices.h"

#include <functional>
#include <thread>

namespace {
const char kTipNoHandset[] = "USB Device Driver (Please Connect USB Phone)";
const char kTipAttached[] = "USB Device Driver (Skype Feature-Enabled)";
const char kTipNoSkype[] = "USB Device Driver (Please Launch Skype)";

std::string Shell(const char* message, int flags, int cb, int icon, const char* tip)
{
    return Format("shell %s size=%u flags=%d id=888 cb=%d icon=%d tip=%s", message,
                  unsigned(NOTIFYICONDATAA_V1_SIZE), flags, cb, icon, tip);
}

std::string Refused(const std::string& call)
{
    return call + " refused";
}

std::vector<std::string> ShellCalls(const std::vector<std::string>& log)
{
    return Filter(log, "shell ");
}

class Status : public AppFixture {
protected:
    void Prepare() override
    {
        g_trayIcon.SetOwner(GetModuleHandleA(nullptr), ownWindow, 104);
        g_trayIcon.LoadPopupMenu(155);
        // The global icon as after a start-up whose add the shell took.
        g_trayIcon.AddIcon(131, "Tavrix");
        ClearLog();
    }
    std::vector<std::string> Attached()
    {
        return {LcdEntry(2, 1, 6, nullptr, 0), Shell("NIM_MODIFY", 6, 0, 129, kTipAttached),
                std::string("skype ") + kRigAudioOutCommand,
                std::string("skype ") + kRigAudioInCommand};
    }
};
} // namespace

TEST_F(Status, EachStateShowsItsIconLcdAndDevices)
{
    RefreshStatus();
    EXPECT_SEQUENCE((Sequence{"not attached", {LcdEntry(2, 0, 0, nullptr, 0),
                                               Shell("NIM_MODIFY", 6, 0, 131, kTipNoSkype)}}),
                    Log());
    ClearLog();
    Attach();
    RefreshStatus();
    EXPECT_SEQUENCE((Sequence{"attached", Attached()}), Log());

    // Unplugged while attached: only the icon. Plugged in again: everything again, and the
    // handset, which lost power, its whole state: no call, nothing typed.
    ClearLog();
    OnHandsetPlugged(0);
    EXPECT_EQ(g_app.handsetStatus, -1);
    EXPECT_SEQUENCE((Sequence{"unplugged", {Shell("NIM_MODIFY", 6, 0, 130, kTipNoHandset)}}),
                    Log());
    ClearLog();
    OnHandsetPlugged(2);
    EXPECT_EQ(g_app.handsetStatus, 0);
    std::vector<std::string> redrawn = Attached();
    for (const std::string& call : {LcdEntry(1, 0, 0, nullptr, 0), std::string("light 0"),
                                    LcdEntry(4, 1, 6, "", 1)})
        redrawn.push_back(call);
    EXPECT_SEQUENCE((Sequence{"plugged in again", redrawn}), Log());

    // Three icons in the cache after the three states; refreshing loads nothing more.
    EXPECT_EQ(g_trayIcon.CachedIconCount(), 3);
    g_app.handsetStatus = 5; // any nonzero Open result counts as absent
    RefreshStatus();
    EXPECT_EQ(g_trayIcon.CachedIconCount(), 3);
}

TEST_F(Status, StartupAddsTheIconThenRefreshes)
{
    strcpy(g_app.windowTitle, "UnitTestTavrixphone");
    RegisterMainWindowClass(GetModuleHandleA(nullptr));
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", &key), ERROR_SUCCESS);
    const char path[] = "C:\\Skype\\Skype.exe /nosplash";
    RegSetValueExA(key, "SkypePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);

    ASSERT_EQ(CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOW), 1);
    RegDeleteValueA(key, "SkypePath");
    RegCloseKey(key);
    EXPECT_FALSE(IsWindowVisible(g_app.ownWindow));
    const Sequence expected = {
        "start-up", {Shell("NIM_ADD", 7, 1029, 131, "Tavrix"), LcdEntry(2, 0, 0, nullptr, 0),
                     Shell("NIM_MODIFY", 6, 0, 131, kTipNoSkype),
                     Format("launch app=null cmd=C:\\Skype\\Skype.exe /nosplash cb=%u flags=0x1 "
                            "show=1",
                            unsigned(sizeof(STARTUPINFOA)))}};
    EXPECT_SEQUENCE(expected, Log());
    DestroyWindow(g_app.ownWindow);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(Status, DestroyingTheIconRemovesItFromTheShell)
{
    {
        TrayIcon icon;
        icon.SetOwner(GetModuleHandleA(nullptr), ownWindow, 104);
        icon.AddIcon(131, "Tavrix");
    }
    EXPECT_SEQUENCE((Sequence{"added, then removed at exit",
                              {Shell("NIM_ADD", 7, 1029, 131, "Tavrix"),
                               Shell("NIM_DELETE", 0, 0, 0, "")}}),
                    Log());
}

TEST_F(Status, RestartedShellGetsTheIconBackWithoutOtherTraffic)
{
    Attach();
    SendMessageA(ownWindow, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_SEQUENCE((Sequence{"re-added", {Shell("NIM_ADD", 7, 1029, 129, kTipAttached)}}), Log());
}

TEST_F(Status, RefusedAddIsRetriedOnKeepAliveTicksUntilTheShellTakesIt)
{
    RefuseShellAdds(3);
    g_trayIcon.AddIcon(131, "Tavrix"); // start-up: the add, then the first refresh
    RefreshStatus();
    for (int tick = 1; tick <= 4; ++tick)
        OnKeepAliveTimer();
    const std::string modify = Shell("NIM_MODIFY", 6, 0, 131, kTipNoSkype);
    const std::string add = Shell("NIM_ADD", 7, 1029, 131, kTipNoSkype);
    EXPECT_SEQUENCE((Sequence{"refused at start-up, taken on the second tick",
                              {Refused(Shell("NIM_ADD", 7, 1029, 131, "Tavrix")),
                               Refused(modify), Refused(add),   // the refresh
                               Refused(modify), Refused(add),   // tick 1
                               Refused(modify), add}}),         // tick 2; ticks 3 and 4 quiet
                    ShellCalls(Log()));
    EXPECT_FALSE(g_trayIcon.IconMissing());
}

TEST_F(Status, RetriesStopAfterThirtyTicksAndStartAfreshWithANewShell)
{
    const std::string modify = Shell("NIM_MODIFY", 6, 0, 131, kTipNoSkype);
    const std::string add = Shell("NIM_ADD", 7, 1029, 131, kTipNoSkype);
    RefuseShellAdds(1000);
    SendMessageA(ownWindow, g_app.taskbarCreatedMessage, 0, 0);
    for (int tick = 1; tick <= 40; ++tick)
        OnKeepAliveTimer();
    // Thirty ticks are a minute of the keep-alive timer.
    std::vector<std::string> expected = {Refused(add)};
    for (int tick = 1; tick <= 30; ++tick)
        expected.insert(expected.end(), {Refused(modify), Refused(add)});
    EXPECT_SEQUENCE((Sequence{"thirty retries, then none", expected}), ShellCalls(Log()));

    // A shell that announces itself later gets the icon; when it refuses, the ticks try again.
    ClearLog();
    RefuseShellAdds(1);
    SendMessageA(ownWindow, g_app.taskbarCreatedMessage, 0, 0);
    OnKeepAliveTimer();
    OnKeepAliveTimer();
    EXPECT_SEQUENCE((Sequence{"a new shell, refused once", {Refused(add), Refused(modify), add}}),
                    ShellCalls(Log()));
    EXPECT_FALSE(g_trayIcon.IconMissing());
}

TEST_F(Status, IconLostByTheShellIsAddedAgainByTheNextChange)
{
    const struct {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> expected;
    } cases[] = {
        {"handset unplugged: its picture and tooltip",
         [] { OnHandsetPlugged(0); },
         {Refused(Shell("NIM_MODIFY", 6, 0, 130, kTipNoHandset)),
          Shell("NIM_ADD", 7, 1029, 130, kTipNoHandset)}},
        {"a new picture alone: with the tooltip shown before",
         [] { g_trayIcon.ModifyIcon(129, nullptr); },
         {Refused(Shell("NIM_MODIFY", 2, 0, 129, "")), Shell("NIM_ADD", 7, 1029, 129, "Tavrix")}},
    };
    for (const auto& c : cases) {
        Fresh();
        LoseShellIcon();
        c.change();
        OnKeepAliveTimer(); // nothing more: the icon is back
        EXPECT_SEQUENCE((Sequence{c.name, c.expected}), ShellCalls(Log()));
    }
}

// At log-off the icon is taken away on purpose: a later change or tick must not bring it back.
TEST_F(Status, RemovedIconStaysAwayUntilAddedAgain)
{
    RefuseShellAdds(1);
    g_trayIcon.AddIcon(131, "Tavrix"); // refused: the ticks would try again
    g_trayIcon.DeleteIcon();
    g_trayIcon.ModifyIcon(130, kTipNoHandset);
    OnKeepAliveTimer();
    SendMessageA(ownWindow, g_app.taskbarCreatedMessage, 0, 0);
    EXPECT_SEQUENCE((Sequence{"removed at log-off, back only with a new shell, showing the status",
                              {Refused(Shell("NIM_ADD", 7, 1029, 131, "Tavrix")),
                               Shell("NIM_DELETE", 0, 0, 0, ""),
                               Shell("NIM_ADD", 7, 1029, 131, kTipNoSkype)}}),
                    ShellCalls(Log()));
}

TEST_F(Status, TrayMouseMessages)
{
    MSG message;
    while (PeekMessageA(&message, ownWindow, 0, 0, PM_REMOVE)) {
    }
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN}) {
        EXPECT_EQ(g_trayIcon.OnNotify(ownWindow, 888, mouse), 1);
        EXPECT_FALSE(PeekMessageA(&message, ownWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            << "mouse " << mouse << " posted command " << message.wParam;
    }
    EXPECT_EQ(g_trayIcon.OnNotify(ownWindow, 888, WM_LBUTTONDBLCLK), 1);
    ASSERT_TRUE(PeekMessageA(&message, ownWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(message.wParam, 104u);
    EXPECT_EQ(message.lParam, 0);
}

TEST_F(Status, CloseAsksFirstAndOnlyOkEnds)
{
    const std::string question =
        "messagebox owner=0 text=Are you sure to close USB Phone Driver caption=USB Phone Driver type=0x21";
    SetMessageBoxAnswer(IDCANCEL);
    SendMessageA(ownWindow, WM_COMMAND, 105, 0);
    EXPECT_TRUE(IsWindow(ownWindow));
    SetMessageBoxAnswer(IDOK);
    SendMessageA(ownWindow, WM_COMMAND, 105, 0);
    EXPECT_FALSE(IsWindow(ownWindow));
    EXPECT_SEQUENCE((Sequence{"close asked twice", {question, question}}), Log());
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

namespace {
struct MenuSeen {
    std::string items;
    bool chose = false;
};

// Runs beside the test thread while it is inside the icon's popup menu: reads the menu and
// chooses "&Close" by its mnemonic.
void ReadMenuAndChooseClose(MenuSeen* seen)
{
    HWND menuWindow = nullptr;
    WaitUntil([&] { return (menuWindow = FindWindowA("#32768", nullptr)) != nullptr; }, 5000);
    if (!menuWindow)
        return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[32] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        seen->items += std::string(i ? "|" : "") + (text[0] ? text : "-");
    }
    seen->chose = PostMessageA(menuWindow, WM_CHAR, 'c', 0) != 0;
}
} // namespace

TEST_F(Status, RightButtonMenuOffersAboutAndCloseAndCloseAsksFirst)
{
    SetMessageBoxAnswer(IDCANCEL);
    MenuSeen seen;
    std::thread reader(ReadMenuAndChooseClose, &seen);
    EXPECT_EQ(g_trayIcon.OnNotify(ownWindow, 888, WM_RBUTTONUP), 1); // returns once closed
    reader.join();
    EXPECT_EQ(seen.items, "&About...|-|&Close");
    ASSERT_TRUE(seen.chose);
    MSG message;
    while (PeekMessageA(&message, ownWindow, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_SEQUENCE((Sequence{"close chosen from the menu",
                              {"messagebox owner=0 text=Are you sure to close USB Phone Driver "
                               "caption=USB Phone Driver type=0x21"}}),
                    Log());
}
