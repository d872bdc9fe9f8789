// The driver with both simulators: usbphone.exe launching skypesim.exe through "SkypePath".
#pragma once
#include <string>
#include <vector>

#include "driver_run.h"
#include "rig_devices.h"
#include "handset_sim_client.h"
#include "skype_sim_client.h"

class SkypeRun {
public:
    ~SkypeRun();
    // Starts the driver, which launches the Skype simulator; waits until it has attached.
    bool Start(const std::string& skypeOptions = "--no-duration --no-greeting",
               const DriverOptions& driverOptions = DriverOptions());
    // The same without waiting for the attach (Skype may ask its user first).
    bool Launch(const std::string& skypeOptions, const DriverOptions& driverOptions = DriverOptions());
    bool Attached();                     // the simulator's attached client is the driver
    // Quits the simulator and waits until its process has ended (it, like Skype, refuses a
    // second instance, so a new one can start only then).
    void QuitSkype();
    bool StartSkypeAgain(const std::string& options = "--no-duration --no-greeting");

    // Commands the simulator received since the last ClearSkypeLog (PINGs left out).
    std::vector<std::string> Received();
    // Waits until `entry` has been received; false after `timeoutMs`.
    bool WaitReceived(const std::string& entry, DWORD timeoutMs);
    HandsetSimState Handset();
    bool WaitHandset(bool (*condition)(const HandsetSimState&), DWORD timeoutMs);
    // Waits until Skype holds call `callId` in status `wanted`; `last`, when given, gets the
    // status it was last seen in.
    bool WaitCallStatus(int callId, const std::string& wanted, DWORD timeoutMs,
                        std::string* last = nullptr);
    bool Key(int code) { return HandsetSimKey(driver.sim, code); }

    DriverRun driver;
    SkypeSimClient skype;
};
