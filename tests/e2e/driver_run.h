// One run of the real usbphone.exe in a scratch folder, with the handset simulator beside
// it (or a stand-in library, or none), its journal file, and its windows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "process.h"

struct DriverOptions {
    const char* handsetLibrary = "KVLIB.DLL"; // file in the bin folder copied as KVLIB.DLL; null: none
    int openResult = 0;                        // what the simulator's USBPhone_Open returns
    bool waitForStartup = true;                // wait until the start-up requests are journalled
};

class DriverRun {
public:
    ~DriverRun();
    bool Start(const DriverOptions& options = DriverOptions());
    // WM_CLOSE from outside; the exit code (0xDEAD when it had to be killed).
    DWORD Close();

    // Journal lines without their thread ids, and the thread ids alone.
    std::vector<std::string> Journal() const;
    std::vector<DWORD> JournalThreads() const;
    std::string WindowValue() const; // the main window handle as the journal prints it

    std::string dir;
    ChildProcess child;
    HWND window = nullptr;
    HWND sim = nullptr;
    DWORD mainThread = 0;
};

extern const char kDriverClass[];
extern const char kDriverTitle[];

// Sets or removes HKCU\SOFTWARE\Skype\Phone "SkypePath" (null removes it).
void SetSkypePath(const char* path);
