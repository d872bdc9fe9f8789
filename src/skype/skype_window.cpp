// Skype's main window, its tab control and its number field, found by class names and title
// prefixes and driven from outside.
#include "skype/skype_window.h"

#include "core/app_state.h"
#include "core/second_tab_keys.h"
#include "platform/seam.h"
#include "pure/ascii_text.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Skype's window class and title prefixes, tested in this order. The "?" is a literal
// question mark, and there is deliberately no blank before the "-".
const char kMainWindowClassPrefix[] = "tSkMainForm.UnicodeClass";
// Skype 5.1 and later register the main window's class without the suffix.
const char kMainWindowClassOfLaterVersions[] = "tSkMainForm";
const char* const kMainWindowTitlePrefixes[] = {
    "Skype?-", "TOM-Skype", "PChome-Skype", "LiveDoor-Skype", "Skype(TM) -",
};
const char kTabControlClassPart[] = "PageControl";
const char kEditBoxClass[] = "Edit";

// The new text of the edit box, one per character set; never written.
const char kEmptyText[] = "";
const wchar_t kEmptyWideText[] = L"";

// Names read from Skype's windows go into fixed buffers; a top-level window's title and
// class are read with the full buffer, a child's class with one character less.
enum { kNameBufferSize = 100, kChildClassLimit = 99 };

// Skype's windows live in another process: a hung Skype must not freeze our main thread,
// which runs the key handling. Sends give up after this long, and at once on a thread that
// has stopped asking for messages for some seconds.
const UINT kSendTimeoutMs = 1000;

struct MainWindowSearch {
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK QualifyMainWindow(HWND window, LPARAM param)
{
    MainWindowSearch* search = reinterpret_cast<MainWindowSearch*>(param);
    char title[kNameBufferSize];
    char className[kNameBufferSize];
    title[0] = '\0';
    className[0] = '\0';
    // Neither sends a message to another process's window, so a hung Skype costs nothing here.
    (void)GetWindowTextA(window, title, kNameBufferSize);
    (void)GetClassNameA(window, className, kNameBufferSize);
    if (!IsSkypeMainWindowName(className, title) ||
        (search->visibleOnly && !IsWindowVisible(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

// One descendant search shared by the tab control and the edit box.
struct ChildSearch {
    bool (*matches)(const char* className);
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param)
{
    ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
    char className[kNameBufferSize];
    className[0] = '\0';
    (void)GetClassNameA(child, className, kChildClassLimit);
    if (!search->matches(className))
        return TRUE;
    search->found = child;
    return FALSE;
}

// True while the window in front belongs to Skype's process (that of the attached API
// window). Windows' foreground lock usually keeps Skype behind after FOCUS: this program
// received no input of its own (the handset is no keyboard), so it may not hand the
// foreground on. Strokes typed then would switch the tabs of the user's browser or editor.
bool SkypeIsInFront()
{
    DWORD skypeProcess = 0;
    if (!GetWindowThreadProcessId(g_app.skypeApiWindow, &skypeProcess) || skypeProcess == 0)
        return false;
    HWND front = GetForegroundWindow();
    DWORD frontProcess = 0;
    return front && GetWindowThreadProcessId(front, &frontProcess) && frontProcess == skypeProcess;
}

HWND FindDescendant(HWND parent, bool (*matches)(const char* className))
{
    ChildSearch search = {matches, nullptr};
    // Its result says nothing useful (FALSE both when stopped early and on failure).
    (void)EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The strokes to tab 1, all in one SendInput call.
void TypeKeysToSecondTab(int selected)
{
    UINT count = SecondTabKeyCount(selected);
    if (count == 0)
        return;
    INPUT* inputs = static_cast<INPUT*>(calloc(count, sizeof(INPUT)));
    if (!inputs)
        return;
    (void)SeamSendInput(WriteSecondTabKeys(selected, inputs), inputs);
    free(inputs);
}

} // namespace

bool IsSkypeMainWindowName(const char* className, const char* title)
{
    if (StartsWithIgnoringAsciiCase(className, kMainWindowClassPrefix) ||
        EqualsIgnoringAsciiCase(className, kMainWindowClassOfLaterVersions))
        return true;
    for (const char* prefix : kMainWindowTitlePrefixes) {
        if (StartsWithIgnoringAsciiCase(title, prefix))
            return true;
    }
    return false;
}

bool IsSkypeTabControlClass(const char* className)
{
    return strstr(className, kTabControlClassPart) != nullptr;
}

bool IsSkypeEditBoxClass(const char* className)
{
    return EqualsIgnoringAsciiCase(className, kEditBoxClass);
}

HWND FindSkypeMainWindow()
{
    // A cached window is trusted while it exists, visible or not, attached or not.
    if (g_app.skypeMainWindow && IsWindow(g_app.skypeMainWindow))
        return g_app.skypeMainWindow;
    g_app.skypeMainWindow = nullptr;
    if (!g_app.skypeApiWindow)
        return nullptr;
    // A dead API window has no thread (id 0), and a thread id of 0 would enumerate the
    // windows of every thread on the desktop.
    DWORD skypeThread = GetWindowThreadProcessId(g_app.skypeApiWindow, nullptr);
    if (skypeThread == 0)
        return nullptr;
    MainWindowSearch search = {true, nullptr};
    (void)EnumThreadWindows(skypeThread, QualifyMainWindow, reinterpret_cast<LPARAM>(&search));
    g_app.skypeMainWindow = search.found;
    return g_app.skypeMainWindow;
}

bool SkypeIsRunning()
{
    // Skype keeps its main window, hidden or not, as long as it runs.
    MainWindowSearch search = {false, nullptr};
    (void)EnumWindows(QualifyMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

HWND SelectSkypeSecondTab()
{
    HWND mainWindow = FindSkypeMainWindow();
    if (!mainWindow)
        return nullptr;
    HWND tabControl = FindDescendant(mainWindow, IsSkypeTabControlClass);
    if (!tabControl)
        return nullptr;
    DWORD_PTR selected = DWORD_PTR(-1);
    // A send that fails or times out leaves no selection, and so types nothing.
    if (!SendMessageTimeoutA(tabControl, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &selected))
        selected = DWORD_PTR(-1);
    // Looked at last, just before typing: the send above lets Skype's own messages in.
    if (SkypeIsInFront())
        TypeKeysToSecondTab(int(selected));
    return tabControl;
}

HWND ClearSkypeEditBox()
{
    HWND mainWindow = FindSkypeMainWindow();
    if (!mainWindow)
        return nullptr;
    HWND editBox = FindDescendant(mainWindow, IsSkypeEditBoxClass);
    if (!editBox)
        return nullptr;
    DWORD_PTR ignored = 0;
    if (IsWindowUnicode(editBox))
        (void)SendMessageTimeoutW(editBox, WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(kEmptyWideText), SMTO_ABORTIFHUNG,
                                  kSendTimeoutMs, &ignored);
    else
        (void)SendMessageTimeoutA(editBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kEmptyText),
                                  SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    return editBox;
}
