// Recording fakes of the keystroke and pause seam.
#pragma once
// SharedLog() entries, one per keyboard event of a SendInput call: "key <vk> down" /
// "key <vk> up" (vk in decimal), "char <c> down" / "char <c> up" (KEYEVENTF_UNICODE; the
// character itself when printable ASCII, else U+XXXX); fields that should be zero are
// appended when they are not. "pause <ms>" for each pause.
