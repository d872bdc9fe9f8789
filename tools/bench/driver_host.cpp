// The real usbphone.exe with the handset simulator, attached to the benchmark's Skype.
#include "driver_host.h"

#include <cstdio>

#include "handset_sim_client.h"

namespace {
const char kDriverClass[] = "TavrixWindowClass20041118";
const char kDriverTitle[] = "Tavrixphone";

// Without "SkypePath" the driver launches nothing: the benchmark is the Skype it finds.
void RemoveSkypePath()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "SkypePath");
    RegCloseKey(key);
}
} // namespace

DriverHost::~DriverHost()
{
    Close();
}

bool DriverHost::Start(SkypeStandIn& skype, bool handsetWindow)
{
    RemoveSkypePath();
    std::string dir = MakeScratchDir("bench");
    if (!CopyFromBin("usbphone.exe", dir) || !CopyFromBin("KVLIB.DLL", dir)) {
        fprintf(stderr, "bench: usbphone.exe or KVLIB.DLL missing beside the benchmark\n");
        return false;
    }
    // No journal file (the vendor's library writes none), and a short in-memory journal, so
    // that the simulator's bookkeeping adds no time to the library calls and no growth to
    // the process.
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
    SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", nullptr);
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL_MEMORY", "16");
    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", handsetWindow ? "1" : nullptr);
    child = StartProcess(JoinPath(dir, "usbphone.exe"), "", dir);
    SetEnvironmentVariableA("USBPHONE_SIM_WINDOW", nullptr);
    if (!child)
        return false;
    window = WaitForWindow(kDriverClass, kDriverTitle, child.pid, 10000);
    sim = window ? FindHandsetSim(child.pid, 10000) : nullptr;
    if (!sim) {
        fprintf(stderr, "bench: the driver or its handset library did not start\n");
        return false;
    }
    if (!WaitUntil([&] { return skype.Client() == window; }, 15000)) {
        fprintf(stderr, "bench: the driver did not attach to the benchmark's Skype\n");
        return false;
    }
    // Attached and settled: the Skype indicator is on.
    if (!WaitUntil([&] {
            HandsetSimState state;
            return HandsetSimGetState(sim, &state) && state.skype;
        }, 10000)) {
        fprintf(stderr, "bench: the driver did not show the Skype indicator\n");
        return false;
    }
    return true;
}

void DriverHost::Close()
{
    if (child)
        EndProcess(child, window, 5000);
    child = ChildProcess();
}
