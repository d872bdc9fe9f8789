// Keystrokes that reach the desktop, seen for real by a low-level keyboard hook on a thread
// of this process.
#pragma once
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

class KeystrokeRecorder {
public:
    KeystrokeRecorder();
    ~KeystrokeRecorder();
    KeystrokeRecorder(const KeystrokeRecorder&) = delete;
    KeystrokeRecorder& operator=(const KeystrokeRecorder&) = delete;

    bool Ready() const { return thread_ != 0; }
    // "<vk> down|up", or "packet <c> down|up" for a typed character, in order.
    std::vector<std::string> Keys() const;
    size_t Count() const;

private:
    std::thread hook_;
    DWORD thread_ = 0;
};
