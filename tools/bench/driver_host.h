// The real usbphone.exe in a scratch folder with the handset simulator beside it, attached
// to the benchmark's own Skype.
#pragma once
#include <windows.h>

#include "process.h"
#include "skype_stand_in.h"

class DriverHost {
public:
    ~DriverHost();
    // Starts the driver and waits until it has attached to `skype` and finished start-up.
    // `handsetWindow`: the simulator shows its "Handset" window, as in the demo.
    bool Start(SkypeStandIn& skype, bool handsetWindow = false);
    void Close();

    ChildProcess child;
    HWND window = nullptr;
    HWND sim = nullptr;
};
