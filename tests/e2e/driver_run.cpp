// One run of the real usbphone.exe with the handset simulator.
#include "driver_run.h"

#include <cstdio>

#include "handset_sim_client.h"

const char kDriverClass[] = "TavrixWindowClass20041118";
const char kDriverTitle[] = "Tavrixphone";

DriverRun::~DriverRun()
{
    if (child)
        EndProcess(child, window, 5000);
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
    SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", nullptr);
}

namespace {
bool Failed(const char* step)
{
    fprintf(stderr, "DriverRun: %s failed (error %lu)\n", step,
            static_cast<unsigned long>(GetLastError()));
    return false;
}
} // namespace

bool DriverRun::Start(const DriverOptions& options)
{
    dir = MakeScratchDir("driver");
    if (dir.empty())
        return Failed("making the scratch folder");
    if (!CopyFromBin("usbphone.exe", dir))
        return Failed("copying usbphone.exe");
    if (options.handsetLibrary && !CopyFromBin(options.handsetLibrary, dir, "KVLIB.DLL"))
        return Failed("copying the handset library");
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", JoinPath(dir, "journal.txt").c_str());
    SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", std::to_string(options.openResult).c_str());
    child = StartProcess(JoinPath(dir, "usbphone.exe"), "", dir);
    if (!child)
        return Failed("starting usbphone.exe");
    window = WaitForWindow(kDriverClass, kDriverTitle, child.pid, 10000);
    if (!window)
        return Failed("waiting for the driver's window");
    mainThread = GetWindowThreadProcessId(window, nullptr);
    if (options.handsetLibrary && options.waitForStartup) {
        sim = FindHandsetSim(child.pid, 10000);
        // Start-up is over once both of its display requests are journalled.
        if (!WaitUntil([&] { return Journal().size() >= 5; }, 10000))
            return Failed("waiting for the start-up requests");
    }
    return true;
}

DWORD DriverRun::Close()
{
    DWORD code = EndProcess(child, window, 10000);
    return code;
}

std::vector<std::string> DriverRun::Journal() const
{
    std::vector<std::string> entries;
    for (const std::string& line : ReadHandsetJournalFile(JoinPath(dir, "journal.txt"))) {
        size_t blank = line.find(' ');
        entries.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
    }
    return entries;
}

std::vector<DWORD> DriverRun::JournalThreads() const
{
    std::vector<DWORD> threads;
    for (const std::string& line : ReadHandsetJournalFile(JoinPath(dir, "journal.txt")))
        threads.push_back(strtoul(line.c_str(), nullptr, 10));
    return threads;
}

std::string DriverRun::WindowValue() const
{
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

void SetSkypePath(const char* path)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", &key) != ERROR_SUCCESS)
        return;
    if (path)
        RegSetValueExA(key, "SkypePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       DWORD(strlen(path) + 1));
    else
        RegDeleteValueA(key, "SkypePath");
    RegCloseKey(key);
}
