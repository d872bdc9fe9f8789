// Custom actions of the Windows Installer package, built as a DLL that the package carries in
// its Binary table; Windows Installer calls it during installs, upgrades and uninstalls.
//
// CloseRunningDriver: a driver started from the install folder keeps usbphone.exe open. Left
// running, an uninstall cannot delete the file (Wine's installer then leaves it behind while
// unregistering the product; Windows asks for a reboot), and an upgrade cannot replace it.
// So, before Windows Installer checks for files in use, the driver is asked to close the way
// any other program may close it: WM_CLOSE to its hidden window, which ends it without the
// confirmation and with its normal shutdown (handset display cleared, handset closed, tray
// icon removed). Only a driver whose executable is the one in the install folder is closed;
// one run from elsewhere holds none of our files. "DriverWasRunning" is set when one was
// closed, so that the package can start the new version again after an upgrade.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <psapi.h>

namespace {
// The driver's identity on the desktop: window class and title of its hidden main window.
const char kDriverClass[] = "TavrixWindowClass20041118";
const char kDriverTitle[] = "Tavrixphone";

// WM_CLOSE normally ends the driver within a fraction of a second; a driver that does not
// end by then is hung and is ended by force, since otherwise the files stay in use.
const DWORD kCloseTimeoutMs = 10000;
const DWORD kTerminateTimeoutMs = 5000;

// One line in the installer's log (msiexec /l*v).
void Log(MSIHANDLE install, const char* text)
{
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringA(record, 0, text);
    (void)MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

// The long form of a path, for comparing: the installer's target paths and a process's
// module name may spell the same folder differently (short names, case).
bool LongPath(const char* path, char* out, DWORD size)
{
    DWORD length = GetLongPathNameA(path, out, size);
    return length != 0 && length < size;
}

// True when `process` runs the executable `expected` (already in long form).
bool RunsFile(HANDLE process, const char* expected)
{
    char image[MAX_PATH], imageLong[MAX_PATH];
    if (!GetModuleFileNameExA(process, nullptr, image, sizeof image))
        return false;
    if (!LongPath(image, imageLong, sizeof imageLong))
        return false;
    return lstrcmpiA(imageLong, expected) == 0;
}

// Ends one running driver; false when it could not be ended.
bool CloseDriver(MSIHANDLE install, HWND window, HANDLE process)
{
    Log(install, "CloseRunningDriver: closing the running USB Phone Driver");
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kCloseTimeoutMs) == WAIT_OBJECT_0)
        return true;
    Log(install, "CloseRunningDriver: the driver did not close; ending it");
    if (TerminateProcess(process, 0) &&
        WaitForSingleObject(process, kTerminateTimeoutMs) == WAIT_OBJECT_0)
        return true;
    Log(install, "CloseRunningDriver: the running driver could not be ended");
    return false;
}
} // namespace

extern "C" __declspec(dllexport) UINT __stdcall CloseRunningDriver(MSIHANDLE install)
{
    char folder[MAX_PATH];
    DWORD size = sizeof folder;
    if (MsiGetTargetPathA(install, "INSTALLDIR", folder, &size) != ERROR_SUCCESS ||
        size + sizeof "usbphone.exe" > sizeof folder)
        return ERROR_SUCCESS; // no install folder known: nothing of ours can be in use
    char program[MAX_PATH], programLong[MAX_PATH];
    lstrcpyA(program, folder);
    lstrcatA(program, "usbphone.exe"); // the target path ends with a backslash
    if (!LongPath(program, programLong, sizeof programLong))
        return ERROR_SUCCESS; // not installed there: nothing to close

    bool closed = false;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, kDriverClass, kDriverTitle)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION |
                                         PROCESS_VM_READ,
                                     FALSE, pid);
        if (!process)
            continue;
        bool ours = RunsFile(process, programLong);
        bool ended = !ours || CloseDriver(install, window, process);
        CloseHandle(process);
        if (!ended)
            return ERROR_INSTALL_FAILURE; // nothing has been changed yet: the install stops whole
        if (ours) {
            closed = true;
            window = nullptr; // the list of windows changed: search again from the start
        }
    }
    if (closed)
        (void)MsiSetPropertyA(install, "DriverWasRunning", "1");
    return ERROR_SUCCESS;
}
