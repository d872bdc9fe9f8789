// usbphone.exe started for real under Wine with the handset simulator: start-up and
// shutdown calls in order, single instance, the Close confirmation, About, "SkypePath",
// and a missing or incomplete handset library.
#include <gtest/gtest.h>

#include <fstream>

#include "driver_run.h"
#include "handset_sim_client.h"
#include "sequence.h"

namespace {
std::vector<std::string> StartupJournal(const std::string& window)
{
    return {"USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0", // before Open
            "USBPhone_Open hwnd=" + window,
            "USBPhone_Bind key=set plug=set",
            "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1",
            "USBPhone_DisplayLCD mode=2 on=1 param=6 text=\"\" textOn=1"};
}
const std::vector<std::string> kShutdownJournal = {
    "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0", "USBPhone_Light 0",
    "USBPhone_Close", "Unload"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Top-level dialog boxes ("#32770") of process `pid` with this title.
int CountDialogs(DWORD pid, const char* title)
{
    int count = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        char text[64] = "", cls[64] = "";
        GetWindowTextA(w, text, sizeof text);
        GetClassNameA(w, cls, sizeof cls);
        if (owner == pid && IsWindowVisible(w) && !strcmp(cls, "#32770") && !strcmp(text, title))
            ++count;
    }
    return count;
}

// Real keyboard input: the accelerator table is matched against the Alt key's real state.
// Without a window manager the hidden window can take the foreground and the keys.
void TypeAltChar(HWND window, bool shifted)
{
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000))
        << "the driver's window did not come to the front";
    keybd_event(VK_MENU, 0, 0, 0);
    if (shifted)
        keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_OEM_2, 0, 0, 0); // "/" and, shifted, "?" on a US layout
    keybd_event(VK_OEM_2, 0, KEYEVENTF_KEYUP, 0);
    if (shifted)
        keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override { SetSkypePath(nullptr); }
    void TearDown() override { SetSkypePath(nullptr); }
};
} // namespace

TEST_F(Driver, StartsAndEndsWithTheHandsetCallsInOrderFromTheMainThread)
{
    DriverRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_FALSE(IsWindowVisible(run.window));
    EXPECT_SEQUENCE((Sequence{"start-up", StartupJournal(run.WindowValue())}), run.Journal());

    EXPECT_EQ(run.Close(), 0u);
    EXPECT_SEQUENCE((Sequence{"start-up and WM_CLOSE",
                              Concat(StartupJournal(run.WindowValue()), kShutdownJournal)}),
                    run.Journal());
    std::vector<DWORD> threads = run.JournalThreads();
    threads.pop_back(); // the unload runs wherever the process ends
    for (DWORD thread : threads)
        EXPECT_EQ(thread, run.mainThread);
}

TEST_F(Driver, SecondStartEndsAtOnceAndLeavesTheFirstAlone)
{
    DriverRun first;
    ASSERT_TRUE(first.Start());
    size_t journalled = first.Journal().size();

    ChildProcess second = StartProcess(JoinPath(first.dir, "usbphone.exe"), "", first.dir);
    EXPECT_EQ(WaitForExit(second, 10000), 0u);
    EXPECT_TRUE(IsWindow(first.window));
    EXPECT_EQ(first.Journal().size(), journalled);
    EXPECT_EQ(first.Close(), 0u);
}

TEST_F(Driver, OnlyClassAndTitleTogetherMeanAnotherInstance)
{
    WNDCLASSA sameClass = {};
    sameClass.lpfnWndProc = DefWindowProcA;
    sameClass.hInstance = GetModuleHandleA(nullptr);
    sameClass.lpszClassName = kDriverClass;
    RegisterClassA(&sameClass);
    HWND otherTitle = CreateWindowA(kDriverClass, "Another title", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND otherClass = CreateWindowA("STATIC", kDriverTitle, WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    DriverRun run;
    EXPECT_TRUE(run.Start());
    EXPECT_EQ(run.Close(), 0u);
    DestroyWindow(otherTitle);
    DestroyWindow(otherClass);
}

TEST_F(Driver, CloseAsksAndOnlyOkEnds)
{
    DriverRun run;
    ASSERT_TRUE(run.Start());
    for (int answer : {IDCANCEL, IDOK}) {
        PostMessageA(run.window, WM_COMMAND, 105, 0);
        HWND box = WaitForWindow("#32770", "USB Phone Driver", run.child.pid, 10000);
        ASSERT_NE(box, nullptr);
        char text[100] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(text, "Are you sure to close USB Phone Driver");
        PostMessageA(box, WM_COMMAND, answer, 0);
        if (answer == IDCANCEL) {
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
            EXPECT_TRUE(IsWindow(run.window));
        }
    }
    EXPECT_EQ(WaitForExit(run.child, 10000), 0u);
    EXPECT_SEQUENCE((Sequence{"closed by the menu",
                              Concat(StartupJournal(run.WindowValue()), kShutdownJournal)}),
                    run.Journal());
}

TEST_F(Driver, AcceleratorOpensAboutAndASecondAboutClosesAtOnce)
{
    DriverRun run;
    ASSERT_TRUE(run.Start());
    TypeAltChar(run.window, true);
    ASSERT_TRUE(WaitUntil([&] { return CountDialogs(run.child.pid, "About") == 1; }, 10000));
    // A double-click on the icon while About is open asks for another one.
    PostMessageA(run.window, WM_USER + 5, 888, WM_LBUTTONDBLCLK);
    Sleep(500);
    EXPECT_EQ(CountDialogs(run.child.pid, "About"), 1);
    HWND about = WaitForWindow("#32770", "About", run.child.pid, 1000);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return CountDialogs(run.child.pid, "About") == 0; }, 5000));
    TypeAltChar(run.window, false);
    EXPECT_TRUE(WaitUntil([&] { return CountDialogs(run.child.pid, "About") == 1; }, 10000));
    EXPECT_EQ(run.Close(), 0u);
}

TEST_F(Driver, SkypePathIsLaunchedWhateverItsLength)
{
    // A marker program: cmd.exe writing a file. The long variant pads the command past the
    // 100 bytes a fixed buffer would hold.
    for (size_t padding : {size_t(0), size_t(150)}) {
        SCOPED_TRACE(padding);
        std::string dir = MakeScratchDir("skypepath");
        std::string marker = JoinPath(dir, "launched" + std::string(padding, 'x') + ".txt");
        std::string command = "cmd.exe /c echo launched> \"" + marker + "\"";
        SetSkypePath(command.c_str());
        DriverRun run;
        ASSERT_TRUE(run.Start());
        EXPECT_TRUE(WaitUntil([&] {
            return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
        }, 15000)) << command;
        EXPECT_EQ(run.Close(), 0u);
    }
    for (const char* path : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        SetSkypePath(path);
        DriverRun run;
        ASSERT_TRUE(run.Start());
        EXPECT_EQ(run.Close(), 0u);
    }
}

TEST_F(Driver, OpenFailureAndPlugEventsChangeTheHandsetStatus)
{
    DriverOptions options;
    options.openResult = 5;
    DriverRun run;
    ASSERT_TRUE(run.Start(options));
    size_t journalled = run.Journal().size();
    // Absent: unplugging changes only the icon; plugging in shows the Skype indicator.
    ASSERT_TRUE(HandsetSimPlug(run.sim, 0));
    ASSERT_TRUE(HandsetSimPlug(run.sim, 2));
    ASSERT_TRUE(WaitUntil([&] { return run.Journal().size() > journalled; }, 5000));
    Sleep(300);
    std::vector<std::string> journal = run.Journal();
    std::vector<std::string> after(journal.begin() + journalled, journal.end());
    EXPECT_SEQUENCE((Sequence{"plug 0 then 2",
                              {"USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0"}}),
                    after);
    EXPECT_EQ(run.Close(), 0u);
}

TEST_F(Driver, RunsWithoutAHandsetLibraryOrWithAnIncompleteOne)
{
    DriverOptions none;
    none.handsetLibrary = nullptr;
    DriverRun withoutLibrary;
    ASSERT_TRUE(withoutLibrary.Start(none));
    EXPECT_EQ(withoutLibrary.Close(), 0u);

    DriverOptions noBind;
    noBind.handsetLibrary = "kvlib_without_bind.dll";
    noBind.waitForStartup = false;
    DriverRun incomplete;
    ASSERT_TRUE(incomplete.Start(noBind));
    Sleep(500);
    EXPECT_EQ(incomplete.Close(), 0u);
    // The stand-in journals every call made into it: there must be none.
    EXPECT_TRUE(incomplete.Journal().empty());
}
