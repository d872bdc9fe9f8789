// Recording fakes of the notification-area, process-launch and message-box seam.
#pragma once
#include <windows.h>

// SharedLog() entries:
//   "shell <NIM_ADD|NIM_MODIFY|NIM_DELETE> size=<cbSize> flags=<uFlags> id=<uID>
//    cb=<uCallbackMessage> icon=<icon> tip=<szTip>[ refused]"
//   where <icon> is the resource id whose picture hIcon shows (0 for none, ? if none of the
//   program's), followed by @<width>x<height> when the icon is not of the small-icon size.
//   "launch app=<application name|null> cmd=<command line> cb=<STARTUPINFOA cb>
//    flags=0x<dwFlags> show=<wShowWindow>"
//   "messagebox owner=<0|set> text=<text> caption=<caption> type=0x<hex>"

// The answer the fake message box gives (IDOK by default).
void SetMessageBoxAnswer(int answer);

// True once the product has closed both handles the last fake launch returned.
bool LaunchHandlesClosed();

// The shell's side. At first it has the icon and takes every call.
void ResetFakeShell();
// The next `count` NIM_ADD calls fail, as at log-on before the shell is up. A refused add
// leaves the icon out of the notification area: NIM_MODIFY then fails until an add succeeds.
void RefuseShellAdds(int count);
// The shell loses the icon without a word (NIM_MODIFY fails until the next add).
void LoseShellIcon();
