// The handset window: paints the simulated handset's state and turns clicks into key, hook
// and plug events, queued exactly like events from the control channel.
#include "handset_window.h"

#include <string>

#include "sim_device.h"
#include "sim_events.h"

namespace {
// Shown in screenshots and found by people; the class name is for tools.
const char kHandsetClass[] = "UsbPhoneHandsetSimWindow";
const char kHandsetTitle[] = "Handset";
const UINT kRefreshMessage = WM_APP + 1;
const UINT_PTR kBlinkTimer = 1;
const UINT kBlinkMs = 400;

// Command ids: keys are kKeyBase + HandsetKey code.
const int kKeyBase = 1000;
const int kHookButton = 2000;
const int kPlugButton = 2001;

const int kWidth = 252;
const int kHeaderHeight = 26;
const int kLcdTop = kHeaderHeight + 10, kLcdHeight = 74;
const int kStatusTop = kLcdTop + kLcdHeight + 10;
const int kPadTop = kStatusTop + 56;
const int kButtonW = 68, kButtonH = 32, kGap = 8, kMargin = 14;

struct KeyButton {
    const char* label;
    int code;
    int row, column;
};

const KeyButton kKeys[] = {
    {"YES", 50, 0, 0}, {"UP", 40, 0, 1},   {"NO", 30, 0, 2},   {"1", 1, 1, 0},
    {"2", 2, 1, 1},    {"3", 3, 1, 2},     {"4", 4, 2, 0},     {"5", 5, 2, 1},
    {"6", 6, 2, 2},    {"7", 7, 3, 0},     {"8", 8, 3, 1},     {"9", 9, 3, 2},
    {"*", 20, 4, 0},   {"0", 0, 4, 1},     {"#", 21, 4, 2},    {"DOWN", 60, 0, 3},
};

// Written only on the window thread; read by RefreshHandsetWindow from any thread.
HWND volatile g_window = nullptr;
HFONT g_lcdFont = nullptr;
HFONT g_smallFont = nullptr;
HFONT g_buttonFont = nullptr;
bool g_blinkOn = false;
HWND g_hookButton = nullptr;
HWND g_plugButton = nullptr;

SimDeviceState Snapshot()
{
    SimDeviceLock lock;
    SimDeviceState copy = lock.state();
    return copy;
}

void FillRound(HDC dc, const RECT& rect, COLORREF fill, COLORREF edge, int radius)
{
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void DrawLabel(HDC dc, HFONT font, COLORREF color, RECT rect, const std::string& text,
               UINT format)
{
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), (int)text.size(), &rect, format | DT_NOPREFIX);
    SelectObject(dc, old);
}

// A round marker with a caption to its right.
void DrawMarker(HDC dc, int x, int y, bool on, COLORREF onColor, const char* caption)
{
    RECT dot = {x, y, x + 14, y + 14};
    FillRound(dc, dot, on ? onColor : RGB(200, 200, 200), RGB(90, 90, 90), 14);
    RECT text = {x + 18, y - 2, x + 110, y + 16};
    DrawLabel(dc, g_smallFont, on ? RGB(20, 20, 20) : RGB(120, 120, 120), text, caption,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void PaintLcd(HDC dc, const SimDeviceState& state)
{
    RECT frame = {kMargin, kLcdTop, kWidth - kMargin, kLcdTop + kLcdHeight};
    bool lit = state.light && state.connected;
    FillRound(dc, frame, lit ? RGB(196, 232, 150) : RGB(170, 190, 150), RGB(60, 70, 50), 10);
    COLORREF ink = state.connected ? RGB(25, 40, 20) : RGB(120, 135, 110);
    COLORREF dim = RGB(140, 160, 125);
    RECT top = {frame.left + 8, frame.top + 4, frame.right - 8, frame.top + 22};
    DrawLabel(dc, g_smallFont, state.inCall ? ink : dim, top, "CALL",
              DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    DrawLabel(dc, g_smallFont, state.skype ? ink : dim, top, "SKYPE",
              DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    std::string text = state.connected ? state.lcdText : std::string("- unplugged -");
    RECT line = {frame.left + 8, frame.top + 24, frame.right - 8, frame.bottom - 6};
    // The end of a long line is what the user just typed.
    DrawLabel(dc, g_lcdFont, ink, line, text,
              DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS);
}

void PaintStatus(HDC dc, const SimDeviceState& state)
{
    DrawMarker(dc, kMargin, kStatusTop, state.light, RGB(255, 200, 40), "Light");
    // The ringer blinks while it rings; its caption stays readable in both phases.
    bool ringing = state.ringing && g_blinkOn;
    DrawMarker(dc, kMargin + 76, kStatusTop, ringing, RGB(230, 40, 40),
               state.ringing ? "RINGING" : "Ringer");
    const char* link = state.bound ? "Bound" : state.opened ? "Open" : "Idle";
    DrawMarker(dc, kMargin + 164, kStatusTop, state.bound, RGB(60, 180, 75), link);
    DrawMarker(dc, kMargin, kStatusTop + 24, state.connected, RGB(60, 180, 75),
               state.connected ? "Plugged in" : "Unplugged");
    const char* hook = state.hook == 0 ? "Lifted" : "On hook";
    DrawMarker(dc, kMargin + 116, kStatusTop + 24, state.hook == 0, RGB(60, 120, 220), hook);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH background = CreateSolidBrush(RGB(236, 236, 240));
    FillRect(dc, &client, background);
    DeleteObject(background);
    // Without a window manager (Xvfb) there is no caption: the window names itself.
    RECT header = {0, 0, client.right, kHeaderHeight};
    HBRUSH headerBrush = CreateSolidBrush(RGB(48, 56, 72));
    FillRect(dc, &header, headerBrush);
    DeleteObject(headerBrush);
    DrawLabel(dc, g_buttonFont, RGB(235, 240, 250), header, "Handset",
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SimDeviceState state = Snapshot();
    PaintLcd(dc, state);
    PaintStatus(dc, state);
    EndPaint(window, &paint);
}

void UpdateSwitches()
{
    SimDeviceState state = Snapshot();
    SetWindowTextA(g_hookButton, state.hook == 0 ? "Put down" : "Lift handset");
    SetWindowTextA(g_plugButton, state.connected ? "Unplug" : "Plug in");
}

void OnRefresh(HWND window)
{
    SimDeviceState state = Snapshot();
    if (state.ringing)
        SetTimer(window, kBlinkTimer, kBlinkMs, nullptr);
    else {
        KillTimer(window, kBlinkTimer);
        g_blinkOn = false;
    }
    UpdateSwitches();
    RECT top = {kMargin - 2, kLcdTop, kWidth, kPadTop - 4};
    InvalidateRect(window, &top, FALSE);
}

void OnCommand(int id)
{
    if (id == kHookButton) {
        SimDeviceState state = Snapshot();
        (void)QueueKeyEvent(state.hook == 0 ? 70 : 80); // refused while nothing is bound
    } else if (id == kPlugButton) {
        SimDeviceState state = Snapshot();
        (void)QueuePlugEvent(state.connected ? 0 : 1);
    } else if (id >= kKeyBase && id < kKeyBase + 100) {
        (void)QueueKeyEvent(id - kKeyBase);
    }
}

HWND AddButton(HWND parent, const char* label, int id, int x, int y, int w, int h)
{
    HWND button = CreateWindowExA(0, "BUTTON", label, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                  x, y, w, h, parent, reinterpret_cast<HMENU>((INT_PTR)id),
                                  g_simModule, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(g_buttonFont), FALSE);
    return button;
}

void CreateControls(HWND window)
{
    // Keypad of three columns; DOWN sits under UP's column to the right of the digits.
    const int smallW = (kWidth - 2 * kMargin - 3 * kGap) / 4;
    for (const KeyButton& key : kKeys) {
        int x, w;
        if (key.row == 0) {
            x = kMargin + key.column * (smallW + kGap);
            w = smallW;
        } else {
            x = kMargin + key.column * (kButtonW + kGap) + 6;
            w = kButtonW;
        }
        int y = kPadTop + key.row * (kButtonH + kGap / 2) + (key.row > 0 ? 4 : 0);
        AddButton(window, key.label, kKeyBase + key.code, x, y, w, kButtonH);
    }
    int switchesTop = kPadTop + 5 * (kButtonH + kGap / 2) + 12;
    int halfW = (kWidth - 2 * kMargin - kGap) / 2;
    g_hookButton = AddButton(window, "", kHookButton, kMargin, switchesTop, halfW, kButtonH);
    g_plugButton = AddButton(window, "", kPlugButton, kMargin + halfW + kGap, switchesTop,
                             halfW, kButtonH);
    UpdateSwitches();
}

LRESULT CALLBACK HandsetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT, so the LCD does not flicker
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        g_blinkOn = !g_blinkOn;
        OnRefresh(window);
        return 0;
    case kRefreshMessage:
        OnRefresh(window);
        return 0;
    case WM_CLOSE:
        // The handset stays as long as the library runs; closing only minimises it.
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HFONT MakeFont(const char* face, int height, int weight)
{
    return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}
} // namespace

bool HandsetWindowWanted()
{
    char value[8];
    DWORD length = GetEnvironmentVariableA("USBPHONE_SIM_WINDOW", value, sizeof value);
    return length == 1 && value[0] == '1';
}

HWND CreateHandsetWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HandsetWindowProc;
    windowClass.hInstance = g_simModule;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kHandsetClass;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    g_lcdFont = MakeFont("Tahoma", 22, FW_BOLD);
    g_smallFont = MakeFont("Tahoma", 12, FW_BOLD);
    g_buttonFont = MakeFont("Tahoma", 13, FW_BOLD);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kWidth, kPadTop + 5 * (kButtonH + kGap / 2) + 12 + kButtonH + kMargin};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, kHandsetClass, kHandsetTitle, style, 960, 40,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, g_simModule, nullptr);
    if (!window)
        return nullptr;
    CreateControls(window);
    g_window = window;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

void DestroyHandsetWindow()
{
    HWND window = g_window;
    if (!window)
        return;
    g_window = nullptr;
    DestroyWindow(window);
    DeleteObject(g_lcdFont);
    DeleteObject(g_smallFont);
    DeleteObject(g_buttonFont);
}

void RefreshHandsetWindow()
{
    HWND window = g_window;
    if (window)
        PostMessageA(window, kRefreshMessage, 0, 0);
}
