// Recording fakes of the keystroke, pause and clock seam: nothing is typed, nothing sleeps.
#include "fake_input.h"

#include "event_log.h"
#include "platform/seam.h"

namespace {
// Anything beyond what the entry's name says is appended, so that a stray field shows.
std::string Describe(const INPUT& input)
{
    if (input.type != INPUT_KEYBOARD)
        return Format("input type=%lu", static_cast<unsigned long>(input.type));
    const KEYBDINPUT& key = input.ki;
    const char* direction = (key.dwFlags & KEYEVENTF_KEYUP) ? "up" : "down";
    DWORD otherFlags = key.dwFlags & ~DWORD(KEYEVENTF_KEYUP | KEYEVENTF_UNICODE);
    std::string text;
    if (key.dwFlags & KEYEVENTF_UNICODE) {
        text = key.wScan >= 0x20 && key.wScan < 0x7F ? Format("char %c %s", char(key.wScan), direction)
                                                    : Format("char U+%04X %s", key.wScan, direction);
        if (key.wVk)
            text += Format(" vk=%u", key.wVk);
    } else {
        text = Format("key %u %s", key.wVk, direction);
        if (key.wScan)
            text += Format(" scan=%u", key.wScan);
    }
    if (otherFlags)
        text += Format(" flags=0x%lx", static_cast<unsigned long>(otherFlags));
    if (key.time || key.dwExtraInfo)
        text += " time/extra set";
    return text;
}
} // namespace

UINT SeamSendInput(UINT count, INPUT* inputs)
{
    for (UINT i = 0; i < count; ++i)
        SharedLog().Add(Describe(inputs[i]));
    return count;
}

void SeamSleep(DWORD milliseconds)
{
    SharedLog().Add(Format("pause %lu", static_cast<unsigned long>(milliseconds)));
    FakeClockAdvance(milliseconds);
}

namespace {
// Starts near the wrap, so that a wait computed without unsigned differences shows.
DWORD g_fakeNow = 0xFFFFF000u;
} // namespace

DWORD SeamTickCount()
{
    return g_fakeNow;
}

void FakeClockAdvance(DWORD milliseconds)
{
    g_fakeNow += milliseconds;
}
