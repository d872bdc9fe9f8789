// usbphone.exe started for real under Wine with the handset simulator: start-up and
// shutdown calls in order, single instance, the Close confirmation, About, "SkypePath",
// and a missing or incomplete handset library.
#include <gtest/gtest.h>

#include <thread>

#include "driver_run.h"
#include "fake_tray.h"
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


// A top-level window on a thread of its own that sets `heard` when Skype's discovery
// broadcast reaches it: the driver has sent its first discovery.
class DiscoveryListener {
public:
    DiscoveryListener() : heard(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] { Run(ready); });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~DiscoveryListener()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        CloseHandle(heard);
    }
    HANDLE heard;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<DiscoveryListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == RegisterWindowMessageA("SkypeControlAPIDiscover"))
            SetEvent(self->heard);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    void Run(HANDLE ready)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "UsbPhoneTestDiscoveryListener";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        threadId_ = GetCurrentThreadId();
        SetEvent(ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        DestroyWindow(window);
    }
    std::thread thread_;
    DWORD threadId_ = 0;
};

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

TEST_F(Driver, TwoStartsAtTheSameInstantGiveOneDriver)
{
    // One folder, as the Run value and the shortcut name the same program. Both copies are
    // created suspended and let go back to back: the start barrier.
    std::string dir = MakeScratchDir("twice");
    ASSERT_TRUE(CopyFromBin("usbphone.exe", dir));
    ASSERT_TRUE(CopyFromBin("KVLIB.DLL", dir));
    std::string journal = JoinPath(dir, "journal.txt");
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", journal.c_str());
    std::string exe = JoinPath(dir, "usbphone.exe");
    PROCESS_INFORMATION copies[2] = {};
    for (PROCESS_INFORMATION& copy : copies) {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED, nullptr, dir.c_str(), &startup, &copy));
    }
    for (PROCESS_INFORMATION& copy : copies)
        ResumeThread(copy.hThread);
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);

    ChildProcess children[2];
    for (int i = 0; i < 2; ++i) {
        CloseHandle(copies[i].hThread);
        children[i] = {copies[i].hProcess, copies[i].dwProcessId};
    }
    HANDLE processes[2] = {children[0].process, children[1].process};
    DWORD ended = WaitForMultipleObjects(2, processes, FALSE, 15000) - WAIT_OBJECT_0;
    EXPECT_LT(ended, 2u) << "both copies still run";
    if (ended < 2) {
        EXPECT_EQ(WaitForExit(children[ended], 0), 0u);
        DWORD survivorPid = children[1 - ended].pid;
        HWND window = WaitForWindow(kDriverClass, kDriverTitle, survivorPid, 10000);
        EXPECT_NE(window, nullptr);
        // Start-up done by the survivor alone: the handset opened once.
        EXPECT_TRUE(WaitUntil([&] { return ReadHandsetJournalFile(journal).size() >= 5; }, 10000));
        std::vector<std::string> opens;
        for (const std::string& line : ReadHandsetJournalFile(journal))
            if (line.find("USBPhone_Open") != std::string::npos)
                opens.push_back(line.substr(line.find(' ') + 1));
        const std::string survivorOpen =
            "USBPhone_Open hwnd=" +
            std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
        EXPECT_SEQUENCE((Sequence{"opened by one copy", {survivorOpen}}), opens);
    }
    for (ChildProcess& child : children) {
        if (!child)
            continue;
        HWND window = FindTopLevelWindow(kDriverClass, kDriverTitle, child.pid);
        EXPECT_EQ(EndProcess(child, window, 10000), 0u);
    }
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

TEST_F(Driver, ASlowSkypeDoesNotHoldStartUpAndAPathWithBlanksStartsThatProgramAlone)
{
    // Skype under a folder with blanks, and a program where an unquoted path's first
    // blank would lead: "...\Program.exe". Both are the held program, which records its
    // start and is not input-idle until released.
    std::string root = MakeScratchDir("blanks");
    std::string folder = root;
    for (const char* part : {"Program Files", "Skype", "Phone"}) {
        folder = JoinPath(folder, part);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    std::string skype = JoinPath(folder, "Skype.exe");
    std::string decoy = JoinPath(root, "Program.exe");
    ASSERT_TRUE(CopyFromBin("held_program.exe", folder, "Skype.exe"));
    ASSERT_TRUE(CopyFromBin("held_program.exe", root, "Program.exe"));
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "usbphone-test-release-held-program");
    ASSERT_NE(release, nullptr);
    SetSkypePath(skype.c_str());
    DiscoveryListener listener;

    // While the program is held: the handset opened and shown, the first discovery sent.
    DriverRun run;
    EXPECT_TRUE(run.Start());
    EXPECT_SEQUENCE((Sequence{"start-up while Skype starts", StartupJournal(run.WindowValue())}),
                    run.Journal());
    EXPECT_EQ(WaitForSingleObject(listener.heard, 10000), WAIT_OBJECT_0) << "no discovery";
    EXPECT_TRUE(WaitUntil([&] { return FileExists(skype + ".started"); }, 10000));
    EXPECT_EQ(ReadFileBytes(skype + ".started"), "\"" + skype + "\"");
    // One launch starts one program: had the path been searched unquoted, the decoy would
    // have been started in Skype's place.
    EXPECT_FALSE(FileExists(decoy + ".started"));

    SetEvent(release);
    EXPECT_EQ(run.Close(), 0u);
    CloseHandle(release);
}

TEST_F(Driver, OpenFailureAndPlugEventsChangeTheHandsetStatus)
{
    DriverOptions options;
    options.openResult = 5;
    DriverRun run;
    ASSERT_TRUE(run.Start(options));
    size_t journalled = run.Journal().size();
    // Absent: unplugging changes only the icon; plugging in shows the Skype indicator, then
    // the whole state, to a handset that lost power and shows nothing.
    ASSERT_TRUE(HandsetSimPlug(run.sim, 0));
    ASSERT_TRUE(HandsetSimPlug(run.sim, 2));
    const std::vector<std::string> plugged = {
        "USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0",
        "USBPhone_DisplayLCD mode=1 on=0 param=0 text=null textOn=0", "USBPhone_Light 0",
        "USBPhone_DisplayLCD mode=4 on=1 param=6 text=\"\" textOn=1"};
    ASSERT_TRUE(WaitUntil([&] { return run.Journal().size() >= journalled + plugged.size(); }, 5000));
    Sleep(300);
    std::vector<std::string> journal = run.Journal();
    std::vector<std::string> after(journal.begin() + journalled, journal.end());
    EXPECT_SEQUENCE((Sequence{"plug 0 then 2", plugged}), after);
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

// The tooltip says what is missing: what keeps the handset library from working wins over an
// unplugged handset, which wins over every Skype text; "not installed" when there is no
// Skype to start, whether the value is missing or names no program.
TEST_F(Driver, TooltipSaysWhatIsMissing)
{
    const char* const kNoHandset = "USB Device Driver (Please Connect USB Phone)";
    const char* const kSkypeMissing = "USB Device Driver (Skype is not installed)";
    const struct {
        const char* what;
        const char* library;   // copied as KVLIB.DLL; null: none
        int openResult;
        const char* skypePath; // null: no value
        const char* tip;
    } cases[] = {
        {"no library", nullptr, 0, nullptr,
         "USB Device Driver (Handset library KVLIB.DLL not found)"},
        {"a library Windows cannot load", "kvlib_not_a_library.dll", 0, nullptr,
         "USB Device Driver (KVLIB.DLL cannot be loaded)"},
        {"a library without an entry point", "kvlib_without_bind.dll", 0, nullptr,
         "USB Device Driver (KVLIB.DLL lacks a needed function)"},
        {"handset absent when opened", "KVLIB.DLL", 5, nullptr, kNoHandset},
        {"no SkypePath", "KVLIB.DLL", 0, nullptr, kSkypeMissing},
        {"a SkypePath naming no program", "KVLIB.DLL", 0, "C:\\nowhere\\Skype.exe", kSkypeMissing},
        {"a command line whose program is missing", "KVLIB.DLL", 0,
         "\"C:\\nowhere\\Skype.exe\" /nosplash", kSkypeMissing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetSkypePath(c.skypePath);
        FakeTray tray;
        ASSERT_TRUE(tray.Ready());
        DriverOptions options;
        options.handsetLibrary = c.library;
        options.openResult = c.openResult;
        // A stand-in without every entry point is never called, so it journals nothing.
        options.waitForStartup = c.library && std::string(c.library) == "KVLIB.DLL";
        DriverRun run;
        ASSERT_TRUE(run.Start(options));
        // No event follows start-up: the tip must be right from it alone.
        EXPECT_TRUE(WaitUntil([&] { return tray.LatestTip() == c.tip; }, 5000))
            << "the tooltip says \"" << tray.LatestTip() << "\"";
        EXPECT_EQ(run.Close(), 0u);
    }
}
