// The driver with both simulators.
#include "skype_run.h"

#include <cstdio>

#include <mmsystem.h>


SkypeRun::~SkypeRun()
{
    // The next run finds "any" simulator: this one must be gone first.
    QuitSkype();
    SetSkypePath(nullptr);
}

void SkypeRun::QuitSkype()
{
    skype.QuitAndWait(10000);
}

bool SkypeRun::Start(const std::string& skypeOptions, const DriverOptions& driverOptions)
{
    if (!Launch(skypeOptions, driverOptions))
        return false;
    if (!WaitUntil([&] { return Attached(); }, 15000)) {
        fprintf(stderr, "SkypeRun: the simulator's client is %p, not the driver %p\n",
                static_cast<void*>(skype.AttachedClient()), static_cast<void*>(driver.window));
        return false;
    }
    return true;
}

bool SkypeRun::Launch(const std::string& skypeOptions, const DriverOptions& driverOptions)
{
    std::string command = "\"" + JoinPath(BinDir(), "skypesim.exe") + "\" " + skypeOptions;
    SetSkypePath(command.c_str());
    if (!driver.Start(driverOptions)) {
        fprintf(stderr, "SkypeRun: the driver did not start\n");
        return false;
    }
    if (!skype.Connect(0, 15000)) {
        fprintf(stderr, "SkypeRun: no Skype simulator appeared\n");
        return false;
    }
    return true;
}

bool SkypeRun::Attached()
{
    return skype.AttachedClient() == driver.window;
}

bool SkypeRun::StartSkypeAgain(const std::string& options)
{
    ChildProcess sim = StartProcess(JoinPath(BinDir(), "skypesim.exe"), options, BinDir());
    if (!sim)
        return false;
    CloseHandle(sim.process);
    return skype.Connect(sim.pid, 15000);
}

std::vector<std::string> SkypeRun::Received()
{
    std::vector<std::string> received;
    for (const std::string& entry : skype.LogText())
        if (entry.compare(0, 5, "recv ") == 0 && entry != "recv PING")
            received.push_back(entry.substr(5));
    return received;
}

bool SkypeRun::WaitReceived(const std::string& entry, DWORD timeoutMs)
{
    return WaitUntil([&] {
        for (const std::string& seen : Received())
            if (seen == entry)
                return true;
        return false;
    }, timeoutMs);
}

HandsetSimState SkypeRun::Handset()
{
    HandsetSimState state;
    HandsetSimGetState(driver.sim, &state);
    return state;
}

bool SkypeRun::WaitHandset(bool (*condition)(const HandsetSimState&), DWORD timeoutMs)
{
    return WaitUntil([&] { return condition(Handset()); }, timeoutMs);
}

bool SkypeRun::WaitCallStatus(int callId, const std::string& wanted, DWORD timeoutMs,
                              std::string* last)
{
    std::string status;
    bool reached = WaitUntil([&] { return skype.CallStatus(callId, &status) && status == wanted; },
                             timeoutMs);
    if (last)
        *last = status;
    return reached;
}
