// Recording fakes of the keystroke, pause and clock seam.
#pragma once
// SharedLog() entries, one per keyboard event of a SendInput call: "key <vk> down" /
// "key <vk> up" (vk in decimal), "char <c> down" / "char <c> up" (KEYEVENTF_UNICODE; the
// character itself when printable ASCII, else U+XXXX); fields that should be zero are
// appended when they are not. "pause <ms>" for each pause.

#include <windows.h>

// The seam's clock (SeamTickCount) stands still until a test moves it on, or a pause passes.
void FakeClockAdvance(DWORD milliseconds);
