// Screenshot requests to the script, and finding what to crop.
#include "screens.h"

#include <cstdio>

namespace {
BOOL CALLBACK PrintWindowLine(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char className[128] = "", title[128] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    RECT rect;
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    printf("window %p pid %lu class \"%s\" title \"%s\" at %ld,%ld %ldx%ld\n",
           static_cast<void*>(window), pid, className, title, rect.left, rect.top,
           rect.right - rect.left, rect.bottom - rect.top);
    return TRUE;
}
} // namespace

bool TakeScreenshot(const std::string& outDir, const std::string& file,
                    const std::vector<CloseUp>& closeUps)
{
    std::string done = outDir + "\\" + file + ".done";
    DeleteFileA(done.c_str());
    std::string request = "@@SCREENSHOT " + file;
    for (const CloseUp& closeUp : closeUps) {
        const RECT& r = closeUp.rect;
        char geometry[64];
        snprintf(geometry, sizeof geometry, ":%ldx%ld+%ld+%ld", r.right - r.left,
                 r.bottom - r.top, r.left, r.top);
        request += " " + closeUp.file + geometry;
    }
    printf("%s\n", request.c_str());
    fflush(stdout);
    for (int i = 0; i < 300; ++i) {
        if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileA(done.c_str());
            return true;
        }
        Sleep(50);
    }
    return false;
}

HWND FindTrayWindow()
{
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (tray && IsWindowVisible(tray))
        return tray;
    // Wine with no desktop shell: its own small window, found by the title it shows.
    tray = FindWindowA(nullptr, "Wine System Tray");
    return tray && IsWindowVisible(tray) ? tray : nullptr;
}

RECT AroundWindow(HWND window, int margin)
{
    RECT rect = {0, 0, 0, 0};
    if (!window || !GetWindowRect(window, &rect))
        return rect;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    rect.left = rect.left - margin < 0 ? 0 : rect.left - margin;
    rect.top = rect.top - margin < 0 ? 0 : rect.top - margin;
    rect.right = rect.right + margin > width ? width : rect.right + margin;
    rect.bottom = rect.bottom + margin > height ? height : rect.bottom + margin;
    return rect;
}

RECT ClientArea(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    if (!window || !GetClientRect(window, &rect))
        return rect;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

unsigned long long PixelHash(const RECT& rect)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return 0;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    unsigned long long hash = 0;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            hash = 1469598103934665603ULL;
            const unsigned char* p = static_cast<const unsigned char*>(bits);
            for (size_t i = 0; i < size_t(width) * size_t(height) * 4; ++i)
                hash = (hash ^ p[i]) * 1099511628211ULL;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return hash;
}

void ListWindows()
{
    EnumWindows(PrintWindowLine, 0);
    fflush(stdout);
}
