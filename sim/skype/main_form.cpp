// Skype's main window as simulated (see main_form.h).
#include "main_form.h"

#include <commctrl.h>

#include "control_window.h"
#include "sim_calls.h"
#include "sim_state.h"

namespace {
// Class and title the program recognises Skype's main window by.
const wchar_t kMainClass[] = L"tSkMainForm.UnicodeClass";
const wchar_t kMainTitle[] = L"Skype(TM) - simulator";
// Skype 5.1 and later: no class suffix, and a trade mark sign in the title.
const wchar_t kLaterMainClass[] = L"tSkMainForm";
const wchar_t kLaterMainTitle[] = L"Skype\u2122 - simulator";
// Skype's tab control is a "TPageControl"; the program looks for "PageControl" in the name.
const wchar_t kPageControlClass[] = L"TPageControl";

const wchar_t* const kTabNames[] = {L"Contacts", L"Call phones", L"History", L"Profile"};

enum : int {
    IDC_TABS = 100,
    IDC_NUMBER,
    IDC_INCOMING,
    IDC_ANSWER,
    IDC_CALL,
    IDC_HANGUP,
    IDC_QUIT,
    IDC_LOG,
};

// The log list keeps the newest lines; the full log stays in memory for the control channel.
const LRESULT kMaxLogLines = 2000;

WNDPROC g_tabControlBaseProc = nullptr;

bool KeyDown(int virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

bool ControlDown()
{
    return KeyDown(VK_CONTROL) || KeyDown(VK_LCONTROL) || KeyDown(VK_RCONTROL);
}

bool ShiftDown()
{
    return KeyDown(VK_SHIFT) || KeyDown(VK_LSHIFT) || KeyDown(VK_RSHIFT);
}

void StepTab(HWND tabs, int step)
{
    int count = int(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0)
        return;
    int current = int(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    if (current < 0)
        current = 0;
    SendMessageW(tabs, TCM_SETCURSEL, WPARAM((current + step + count) % count), 0);
}

LRESULT CALLBACK PageControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_TAB && ControlDown()) {
        StepTab(window, ShiftDown() ? -1 : 1);
        return 0;
    }
    return CallWindowProcW(g_tabControlBaseProc, window, message, wParam, lParam);
}

bool RegisterPageControl()
{
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_TAB_CLASSES};
    InitCommonControlsEx(&init);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(nullptr, WC_TABCONTROLW, &windowClass))
        return false;
    g_tabControlBaseProc = windowClass.lpfnWndProc;
    windowClass.lpfnWndProc = PageControlProc;
    windowClass.hInstance = g_sim.instance;
    windowClass.lpszClassName = kPageControlClass;
    return RegisterClassExW(&windowClass) != 0;
}

HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
              int height, int id)
{
    HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                 height, g_sim.mainWindow,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 g_sim.instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    return child;
}

void CreateChildren()
{
    g_sim.tabControl = AddChild(kPageControlClass, L"", WS_TABSTOP, 8, 8, 488, 26, IDC_TABS);
    for (int i = 0; i < int(sizeof kTabNames / sizeof kTabNames[0]); ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kTabNames[i]);
        SendMessageW(g_sim.tabControl, TCM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
    AddChild(L"Static", L"Number:", 0, 8, 46, 56, 20, -1);
    // The first (and only) "Edit" of the window: the program empties it with WM_SETTEXT.
    g_sim.numberField =
        AddChild(L"Edit", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 66, 44, 220, 22, IDC_NUMBER);
    const struct {
        const wchar_t* text;
        int id;
    } kButtons[] = {{L"Incoming call", IDC_INCOMING}, {L"Answer", IDC_ANSWER}, {L"Call", IDC_CALL},
                    {L"Hang up", IDC_HANGUP},         {L"Quit", IDC_QUIT}};
    int x = 8;
    for (const auto& button : kButtons) {
        AddChild(L"Button", button.text, BS_PUSHBUTTON | WS_TABSTOP, x, 74, 92, 24, button.id);
        x += 98;
    }
    g_sim.logList = AddChild(L"ListBox", L"", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                                                  LBS_NOSEL, 8, 106, 488, 300, IDC_LOG);
}

void OnSize(int width, int height)
{
    if (g_sim.tabControl)
        MoveWindow(g_sim.tabControl, 8, 8, width - 16, 26, TRUE);
    if (g_sim.logList)
        MoveWindow(g_sim.logList, 8, 106, width - 16, height > 114 ? height - 114 : 0, TRUE);
}

void OnButton(int id)
{
    switch (id) {
    case IDC_INCOMING:
        StartIncomingCall(HandleForName("Test Caller"), "Test Caller");
        break;
    case IDC_ANSWER:
        for (SimCall& call : g_sim.calls)
            if (call.incoming && call.status == "RINGING") {
                SetCallStatus(call, "INPROGRESS");
                break;
            }
        break;
    case IDC_CALL:
        if (!NumberFieldText().empty())
            StartOutgoingCall(NumberFieldText());
        break;
    case IDC_HANGUP:
        if (SimCall* call = NewestLiveCall())
            HangUpLocally(*call);
        break;
    case IDC_QUIT:
        QuitSimulator();
        break;
    }
}

LRESULT CALLBACK MainFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnButton(LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        // Skype's close box only hides the window; Skype keeps running in the tray.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            ShowWindow(window, SW_HIDE);
            return 0;
        }
        break;
    case WM_CLOSE:
        // A plain WM_CLOSE (what scripts and tests send to end a program) ends the simulator.
        QuitSimulator();
        return 0;
    case WM_SETFOCUS:
        if (g_sim.tabControl)
            SetFocus(g_sim.tabControl);
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

bool CreateMainForm(bool visible)
{
    if (!RegisterPageControl())
        return false;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainFormProc;
    windowClass.hInstance = g_sim.instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    bool later = g_sim.options.laterMainWindow;
    windowClass.lpszClassName = later ? kLaterMainClass : kMainClass;
    RegisterClassExW(&windowClass);
    g_sim.mainWindow = CreateWindowExW(0, windowClass.lpszClassName,
                                       later ? kLaterMainTitle : kMainTitle, WS_OVERLAPPEDWINDOW, 120, 80,
                                       520, 460, nullptr, nullptr, g_sim.instance, nullptr);
    if (!g_sim.mainWindow)
        return false;
    CreateChildren();
    RECT client;
    GetClientRect(g_sim.mainWindow, &client);
    OnSize(client.right, client.bottom);
    if (visible)
        ShowWindow(g_sim.mainWindow, SW_SHOWNORMAL);
    return true;
}

void ShowMainForm()
{
    if (g_sim.options.focusStaysBehind) {
        // What a Skype asked from another process meets on Windows: the foreground lock lets
        // it show its window, behind the one the user works in, and nothing more.
        ShowWindow(g_sim.mainWindow, IsIconic(g_sim.mainWindow) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
        return;
    }
    if (IsIconic(g_sim.mainWindow))
        ShowWindow(g_sim.mainWindow, SW_RESTORE);
    ShowWindow(g_sim.mainWindow, SW_SHOW);
    SetForegroundWindow(g_sim.mainWindow);
}

bool RouteTabKeys(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !ControlDown() ||
        !g_sim.tabControl)
        return false;
    if (message.hwnd != g_sim.mainWindow && !IsChild(g_sim.mainWindow, message.hwnd))
        return false;
    StepTab(g_sim.tabControl, ShiftDown() ? -1 : 1);
    return true;
}

std::string NumberFieldText()
{
    int length = GetWindowTextLengthW(g_sim.numberField);
    if (length <= 0)
        return std::string();
    std::wstring wide(size_t(length) + 1, L'\0');
    length = GetWindowTextW(g_sim.numberField, &wide[0], length + 1);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), length, &text[0], bytes, nullptr, nullptr);
    return text;
}

void AppendToNumberField(char c)
{
    int length = GetWindowTextLengthW(g_sim.numberField);
    SendMessageW(g_sim.numberField, EM_SETSEL, WPARAM(length), LPARAM(length));
    wchar_t text[2] = {wchar_t(c), L'\0'};
    SendMessageW(g_sim.numberField, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

int SelectedTab()
{
    return int(SendMessageW(g_sim.tabControl, TCM_GETCURSEL, 0, 0));
}

void ShowLogLine(const std::string& line)
{
    if (!g_sim.logList)
        return;
    int length = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 1), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, &wide[0], length);
    if (SendMessageW(g_sim.logList, LB_GETCOUNT, 0, 0) >= kMaxLogLines)
        SendMessageW(g_sim.logList, LB_DELETESTRING, 0, 0);
    LRESULT index = SendMessageW(g_sim.logList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(g_sim.logList, LB_SETTOPINDEX, WPARAM(index), 0);
}

void ClearLogLines()
{
    if (g_sim.logList)
        SendMessageW(g_sim.logList, LB_RESETCONTENT, 0, 0);
}
