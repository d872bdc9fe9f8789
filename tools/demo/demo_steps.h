// The scripted session, step by step. Each step acts through the simulators' control
// channels and waits (bounded) for the effects a user would see; a missing effect is
// printed as a failure and ends the session.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "driver_process.h"
#include "handset_sim_client.h"
#include "skype_sim_client.h"
#include "transcript.h"

struct Demo {
    std::string outDir;  // Windows path of the demo folder
    std::string binDir;  // where usbphone.exe and the simulators are
    bool interactive = false;

    Transcript transcript;
    DriverProcess driver;
    SkypePathSetting skypePath;
    SkypeSimClient skype;
    HWND sim = nullptr;  // the handset simulator's control window
    int callId = 0;
    unsigned long long trayAttached = 0;
    unsigned long long trayNoSkype = 0;

    bool StartDriver();
    bool TellsSkypeTheUsbDevices();
    bool SkypeAttaches();
    bool IncomingCall();
    bool LiftHandsetAnswers();
    bool SendDigits(const char* digits);
    bool PutHandsetDownEndsCall();
    bool DialNumber(const char* number);
    bool PressNo();
    bool PutHandsetDown();
    bool CallerWithAccentsGivesUp();
    bool Unplug();
    bool Replug();
    bool CloseConfirmed();
    void LeaveRunning();
    void CleanUp();

private:
    void Begin(const std::string& title);
    bool Check(bool ok, const std::string& what);
    bool Key(int code, const std::string& meaning);
    bool WaitSkypeGot(const std::string& command, DWORD timeoutMs = 5000);
    bool WaitSkypeSent(const std::string& notification, DWORD timeoutMs = 5000);
    bool WaitHandset(bool (*condition)(const HandsetSimState&, const Demo&),
                     const std::string& what, DWORD timeoutMs = 5000);
    bool WaitTones(int count, DWORD timeoutMs = 4000);
    // The whole screen as `file`, plus close-ups of windows (file, window) that exist.
    bool Shot(const std::string& file, const std::string& what,
              const std::vector<std::pair<std::string, HWND>>& closeUps);
    std::string HandsetSummary();

    size_t stepStart_ = 0;
    std::string expectedLcd_;
};
