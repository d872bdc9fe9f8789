// The installed driver: started the way logon starts it (the Run value's command line), with
// the handset simulator's KVLIB.DLL in a folder of its own on PATH as the handset maker's
// setup would leave it, it attaches to the Skype simulator and ends with 0 on WM_CLOSE; an
// uninstall or an upgrade while it runs closes it first and is never half done.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include "driver_run.h"
#include "handset_sim_client.h"
#include "package.h"
#include "process.h"
#include "skype_sim_client.h"

namespace {
// The handset library's calls at the driver's shutdown, in order (journal entries).
const std::vector<std::string> kShutdownJournal = {
    "USBPhone_DisplayLCD mode=0 on=0 param=0 text=null textOn=0", "USBPhone_Light 0",
    "USBPhone_Close", "Unload"};

std::string ImageOf(HANDLE process)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
    return path;
}

class InstalledDriverTest : public PackageTest {
protected:
    void SetUp() override
    {
        PackageTest::SetUp();
        // The handset maker's folder on the DLL search path of everything started from here,
        // msiexec and what it starts included.
        handsetDir = MakeScratchDir("handset-maker");
        ASSERT_TRUE(CopyFromBin("KVLIB.DLL", handsetDir));
        char path[8192] = "";
        GetEnvironmentVariableA("PATH", path, sizeof path);
        oldPath = path;
        SetEnvironmentVariableA("PATH", (handsetDir + ";" + oldPath).c_str());
        SetJournal("journal.txt");
        workDir = MakeScratchDir("logon");
        SetSkypePath(nullptr);
    }

    void TearDown() override
    {
        if (driver)
            EndProcess(driver, window, 10000);
        // A driver that the installer started again is not our child: find it by its window.
        HWND other = FindWindowA(kDriverClass, kDriverTitle);
        if (other)
            EndDriverWindow(other);
        QuitSkype();
        SetSkypePath(nullptr);
        SetEnvironmentVariableA("PATH", oldPath.c_str());
        SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
        PackageTest::TearDown();
    }

    // Installs, reads the Run value and starts the driver with that command line; waits until
    // its start-up has reached the handset.
    void InstallAndStartAtLogon(const std::string& package)
    {
        ASSERT_EQ(Install(package), 0u) << "log: " << lastLog;
        InstallState state = ReadInstallState();
        ASSERT_TRUE(state.runValue) << Describe(state);
        ASSERT_FALSE(FileExists(JoinPath(InstallFolder(), "KVLIB.DLL")));
        std::string commandLine = state.runCommand;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   workDir.c_str(), &startup, &info))
            << "cannot start " << commandLine << " (error " << GetLastError() << ")";
        CloseHandle(info.hThread);
        driver.process = info.hProcess;
        driver.pid = info.dwProcessId;
        window = WaitForWindow(kDriverClass, kDriverTitle, driver.pid, 10000);
        ASSERT_TRUE(window) << "the installed driver shows no window";
        EXPECT_EQ(lstrcmpiA(ImageOf(driver.process).c_str(), InstalledProgram().c_str()), 0);
        // The handset library was found on PATH: the simulator is loaded and opened.
        HWND sim = FindHandsetSim(driver.pid, 10000);
        ASSERT_TRUE(sim) << "the driver did not load KVLIB.DLL from " << handsetDir;
        ASSERT_TRUE(WaitUntil([&] { return Journal(journal).size() >= 5; }, 10000))
            << "the driver's start-up did not reach the handset";
    }

    // Where the handset simulator in drivers started from now on journals its calls.
    void SetJournal(const char* name)
    {
        journal = JoinPath(handsetDir, name);
        SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", journal.c_str());
    }

    std::vector<std::string> Journal(const std::string& file) const
    {
        std::vector<std::string> entries;
        for (const std::string& line : ReadHandsetJournalFile(file)) {
            size_t blank = line.find(' ');
            entries.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
        }
        return entries;
    }

    // The driver that journals into `file` went through its own shutdown: the journal ends
    // with it.
    void ExpectCleanShutdown(const std::string& file) const
    {
        std::vector<std::string> entries = Journal(file);
        ASSERT_GE(entries.size(), kShutdownJournal.size());
        std::vector<std::string> tail(entries.end() - kShutdownJournal.size(), entries.end());
        EXPECT_EQ(tail, kShutdownJournal);
    }

    // WM_CLOSE to a driver that is not our child; its exit code (STILL_ACTIVE: still running).
    static DWORD EndDriverWindow(HWND target)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(target, &pid);
        ChildProcess other;
        other.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                                    FALSE, pid);
        other.pid = pid;
        return EndProcess(other, target, 10000);
    }

    void QuitSkype()
    {
        skype.QuitAndWait(10000);
    }

    std::string handsetDir, oldPath, journal, workDir;
    ChildProcess driver;
    HWND window = nullptr;
    SkypeSimClient skype;
};
} // namespace

TEST_F(InstalledDriverTest, StartedByTheRunValueAttachesToSkypeAndEndsWithZero)
{
    std::string skypeCommand =
        "\"" + JoinPath(BinDir(), "skypesim.exe") + "\" --no-duration --no-greeting";
    SetSkypePath(skypeCommand.c_str());
    InstallAndStartAtLogon(PackagePath());
    ASSERT_TRUE(skype.Connect(0, 15000)) << "the driver did not start the Skype simulator";
    EXPECT_TRUE(WaitUntil([&] { return skype.AttachedClient() == window; }, 15000))
        << "the installed driver did not attach to Skype";
    EXPECT_EQ(EndProcess(driver, window, 10000), 0u);
    ExpectCleanShutdown(journal);
}

TEST_F(InstalledDriverTest, UninstallWhileRunningClosesTheDriverAndLeavesNothing)
{
    InstallAndStartAtLogon(PackagePath());
    InstallState installed = ReadInstallState();
    ASSERT_EQ(installed.products.size(), 1u);

    EXPECT_EQ(Uninstall(installed.products[0]), 0u) << "log: " << lastLog;
    EXPECT_EQ(WaitForExit(driver, 10000), 0u) << "the driver is still running or failed";
    ExpectCleanShutdown(journal);
    ExpectNothingInstalled(ReadInstallState());
    EXPECT_FALSE(FindWindowA(kDriverClass, kDriverTitle)) << "a driver runs after the uninstall";
}

TEST_F(InstalledDriverTest, UpgradeWhileRunningReplacesTheDriverAndStartsTheNewOne)
{
    InstallAndStartAtLogon(OlderPackagePath());
    DWORD olderPid = driver.pid;
    std::string olderJournal = journal;
    SetJournal("restarted.txt");

    ASSERT_EQ(Install(PackagePath()), 0u) << "log: " << lastLog;
    EXPECT_EQ(WaitForExit(driver, 10000), 0u) << "the older driver is still running or failed";
    ExpectCleanShutdown(olderJournal);
    ExpectInstalled(ReadInstallState(), ReadFileBytes(ProgramPath()), kVersion, true);

    // The new driver runs again, from the install folder.
    HWND restarted = WaitForWindow(kDriverClass, kDriverTitle, 0, 15000);
    ASSERT_TRUE(restarted) << "the driver was not started again after the upgrade";
    DWORD pid = 0;
    GetWindowThreadProcessId(restarted, &pid);
    EXPECT_NE(pid, olderPid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    ASSERT_TRUE(process);
    EXPECT_EQ(lstrcmpiA(ImageOf(process).c_str(), InstalledProgram().c_str()), 0)
        << ImageOf(process);
    CloseHandle(process);
    EXPECT_TRUE(FindHandsetSim(pid, 10000)) << "the restarted driver has no handset library";
    EXPECT_EQ(EndDriverWindow(restarted), 0u);
    ExpectCleanShutdown(journal);
}
