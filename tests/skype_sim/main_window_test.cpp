// Skype's main window as the program sees it from outside: found among the top-level windows
// of the API window's thread, a tab control that follows Ctrl+Tab, the Unicode number field,
// the close box that only hides, and FOCUS (with and without taking the foreground).
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "sim_fixture.h"

namespace {
std::string ClassOf(HWND window)
{
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Found {
    HWND window = nullptr;
    const char* pattern = nullptr;
};

BOOL CALLBACK FindMainByClass(HWND window, LPARAM lParam)
{
    Found* found = reinterpret_cast<Found*>(lParam);
    if (ClassOf(window).compare(0, std::strlen(found->pattern), found->pattern) == 0 &&
        IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindChildContaining(HWND window, LPARAM lParam)
{
    Found* found = reinterpret_cast<Found*>(lParam);
    if (ClassOf(window).find(found->pattern) != std::string::npos) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindFirstEdit(HWND window, LPARAM lParam)
{
    Found* found = reinterpret_cast<Found*>(lParam);
    if (lstrcmpiA(ClassOf(window).c_str(), "Edit") == 0) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

void TapKey(BYTE key)
{
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void CtrlTab(bool shift, int strokes)
{
    keybd_event(VK_LCONTROL, 0, 0, 0);
    if (shift)
        keybd_event(VK_LSHIFT, 0, 0, 0);
    for (int i = 0; i < strokes; ++i)
        TapKey(VK_TAB);
    if (shift)
        keybd_event(VK_LSHIFT, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_LCONTROL, 0, KEYEVENTF_KEYUP, 0);
}
}  // namespace

TEST_F(SkypeSimTest, MainWindowFoundAmongTheApiThreadsWindows)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached(kShownOptions));
    DWORD thread = GetWindowThreadProcessId(fake.ApiWindow(), nullptr);
    Found main;
    main.pattern = "tSkMainForm.UnicodeClass";
    EnumThreadWindows(thread, FindMainByClass, reinterpret_cast<LPARAM>(&main));
    ASSERT_NE(main.window, nullptr);
    EXPECT_EQ(main.window, control.MainWindow());
    char title[100] = "";
    GetWindowTextA(main.window, title, sizeof title);
    EXPECT_EQ(std::string(title).compare(0, 11, "Skype(TM) -"), 0) << title;

    Found tabs;
    tabs.pattern = "PageControl";
    EnumChildWindows(main.window, FindChildContaining, reinterpret_cast<LPARAM>(&tabs));
    ASSERT_NE(tabs.window, nullptr);
    EXPECT_EQ(SendMessageA(tabs.window, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_GE(SendMessageA(tabs.window, TCM_GETITEMCOUNT, 0, 0), 4);

    // The number field is the first Edit, a Unicode one; WM_SETTEXT from outside empties it.
    Found edit;
    EnumChildWindows(main.window, FindFirstEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_NE(edit.window, nullptr);
    EXPECT_TRUE(IsWindowUnicode(edit.window));
    fake.Command("BTN_PRESSED 4");
    std::string number;
    ASSERT_TRUE(control.NumberField(&number));
    EXPECT_EQ(number, "4");
    SendMessageW(edit.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(control.NumberField(&number));
    EXPECT_EQ(number, "");
}

TEST_F(SkypeSimTest, CtrlTabMovesTheTabsWhenSkypeHasTheFocus)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached(kShownOptions));
    fake.Command("FOCUS");
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == control.MainWindow(); }, 3000));
    struct Step {
        bool shift;
        int strokes;
        int tab;
    };
    // Four tabs; the selection wraps around at both ends.
    const Step steps[] = {{false, 1, 1}, {false, 2, 3}, {false, 1, 0}, {true, 1, 3},
                          {true, 2, 1},  {true, 1, 0}};
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << (step.shift ? "Ctrl+Shift+Tab x" : "Ctrl+Tab x")
                                          << step.strokes);
        CtrlTab(step.shift, step.strokes);
        EXPECT_TRUE(WaitUntil([&] { return control.SelectedTab() == step.tab; }, 3000))
            << "tab " << control.SelectedTab();
    }
    // A plain Tab does not switch pages.
    TapKey(VK_TAB);
    PumpFor(200);
    EXPECT_EQ(control.SelectedTab(), 0);
}

TEST_F(SkypeSimTest, CloseBoxHidesAndFocusShowsAgain)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached(kShownOptions));
    HWND main = control.MainWindow();
    ASSERT_TRUE(IsWindowVisible(main));
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return control.MainWindowVisible() == 0; }, 3000));
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(IsWindow(fake.ApiWindow()));
    EXPECT_EQ(fake.Command("PING"), std::vector<std::string>{"PONG"});

    EXPECT_EQ(fake.Command("FOCUS"), std::vector<std::string>{"FOCUS"});
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000));
}

TEST_F(SkypeSimTest, FocusRestoresAMinimisedWindow)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached("--no-greeting --no-duration --hidden"));
    HWND main = control.MainWindow();
    EXPECT_FALSE(IsWindowVisible(main));
    fake.Command("FOCUS");
    EXPECT_TRUE(IsWindowVisible(main));
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != 0; }, 3000));
    fake.Command("FOCUS");
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(SkypeSimTest, FocusStaysBehindShowsAndRestoresButLeavesTheForeground)
{
    ASSERT_NO_FATAL_FAILURE(
        StartAttached("--no-greeting --no-duration --hidden --focus-stays-behind"));
    HWND main = control.MainWindow();
    HWND front = CreateWindowA("STATIC", "in front", WS_POPUP | WS_VISIBLE, 500, 400, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(front);
    ASSERT_EQ(GetForegroundWindow(), front);
    // The reply comes once FOCUS has been acted on.
    EXPECT_EQ(fake.Command("FOCUS"), std::vector<std::string>{"FOCUS"});
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetForegroundWindow(), front);

    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != 0; }, 3000));
    SetForegroundWindow(front);
    ASSERT_EQ(GetForegroundWindow(), front);
    fake.Command("FOCUS");
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(GetForegroundWindow(), front);
    DestroyWindow(front);
}
