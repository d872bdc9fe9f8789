// Process entry of skypesim.exe, a stand-in for the Skype desktop client: Skype's API window,
// its main window, and a control channel for tests and the demo. Every window lives on this
// one thread, as in Skype, where the API window and the main window share a thread.
#include <windows.h>

#include <cstdlib>

#include "api_window.h"
#include "control_window.h"
#include "main_form.h"
#include "sim_calls.h"
#include "sim_devices.h"
#include "sim_log.h"
#include "sim_options.h"
#include "sim_permission.h"
#include "sim_state.h"

SimState g_sim;

namespace {
// Skype runs once per desktop: a second start (the driver launches Skype whether or not it
// runs) ends at once.
const char kInstanceMutex[] = "SkypeSimulatorSingleInstance";

const int kExitBadOption = 2;
const int kExitNoWindow = 3;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (!ParseSimOptions(__argc, __argv, &g_sim.options))
        return kExitBadOption;
    if (!g_sim.options.allowSecond) {
        // The handle stays open for the life of the process.
        (void)CreateMutexA(nullptr, FALSE, kInstanceMutex);
        if (GetLastError() == ERROR_ALREADY_EXISTS)
            return 0;
    }
    g_sim.instance = instance;
    StartLogClock();
    // The main window first, so that its log list shows the earliest entries too.
    if (!CreateMainForm(!g_sim.options.startHidden) || !CreateApiWindow() ||
        !CreateControlWindow())
        return kExitNoWindow;
    LoadSoundDevices();
    // Calls that a client started now finds under way: nobody hears of them unless it asks.
    if (!g_sim.options.callInProgress.empty())
        StartCallInProgress(HandleForName(g_sim.options.callInProgress),
                            g_sim.options.callInProgress);
    if (!g_sim.options.callRinging.empty())
        StartIncomingCall(HandleForName(g_sim.options.callRinging), g_sim.options.callRinging);
    if (g_sim.options.announceApi)
        AnnounceApi();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (RouteTabKeys(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
