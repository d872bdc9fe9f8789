// Screenshots. demo.exe cannot run the X tools itself, so it asks scripts/demo.sh on stdout:
//   @@SCREENSHOT <file> [<file>:<W>x<H>+<X>+<Y>]...
// The script saves the whole screen as the first file and the listed close-ups cropped from
// the same picture (paths relative to the demo folder), then creates "<first file>.done".
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct CloseUp {
    std::string file;
    RECT rect;  // screen coordinates
};

// Sends the request and waits (bounded) for the script's answer file in `outDir`.
bool TakeScreenshot(const std::string& outDir, const std::string& file,
                    const std::vector<CloseUp>& closeUps);

// Wine's own notification area window (shown at the top left when there is no desktop
// shell); null when there is none.
HWND FindTrayWindow();
// The window's rectangle grown by `margin` and kept on the screen.
RECT AroundWindow(HWND window, int margin);
// The window's client area in screen coordinates (the icons of the tray, without the title
// bar, whose colour follows activation).
RECT ClientArea(HWND window);
// A hash of the pixels of a screen rectangle; 0 when they cannot be read.
unsigned long long PixelHash(const RECT& rect);
// Every visible top-level window: class, title, rectangle (for finding things by hand).
void ListWindows();
