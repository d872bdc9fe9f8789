// Taking the rig's USB sound device away and back (see usb_sound_device.h).
#include "usb_sound_device.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "wait.h"

namespace {
const DWORD kScriptMs = 10000;

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}
} // namespace

bool UsbSoundDevice(const char* action)
{
    static int runs = 0;
    std::string done = std::string(RIG_WORK_DIR) + "/usb_sink_" +
                       std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++runs);
    std::string command = std::string("/bin/sh ") + RIG_SINK_SCRIPT + " " + action + " " +
                          RIG_WORK_DIR + " " + done;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine starts a Unix program without making handles for it, yet reports success and
    // leaves whatever it had in `info` (seen: a null process and a heap address as the
    // thread). Closing those would close whatever handle of this process has that value
    // (once, the driver's process handle): they are left alone, and the script's end is
    // seen by its file.
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    std::string donePath = WindowsPath(done);
    bool finished = PumpUntil([&] {
        return GetFileAttributesA(donePath.c_str()) != INVALID_FILE_ATTRIBUTES;
    }, kScriptMs);
    DeleteFileA(donePath.c_str());
    return finished;
}
