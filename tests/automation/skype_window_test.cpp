// Finding Skype's main window, switching its tab control and emptying its number field, with
// real windows owned by a thread that stands in for Skype's, and keystrokes recorded by the
// fake seam.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "event_log.h"
#include "sequence.h"
#include "skype/skype_window.h"
#include "skype_windows.h"

namespace {

const char kMainClass[] = "tSkMainForm.UnicodeClass";

BOOL CALLBACK CollectWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<std::string> Keys()
{
    return Filter(SharedLog().Snapshot(), "key ");
}

class SkypeWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        SharedLog().Clear();
    }

    // Skype's main window on the Skype thread, with the API window known as attached.
    HWND AttachMainWindow(const char* className = kMainClass, const char* title = "")
    {
        HWND window = nullptr;
        skype.Run([&] { window = CreateTopLevel(className, title, true); });
        g_app.skypeApiWindow = skype.ApiWindow();
        return window;
    }

    SkypeThread skype;
};

// ---- The name test --------------------------------------------------------------------

struct NameCase {
    const char* className;
    const char* title;
    bool qualifies;
};

TEST(SkypeMainWindowName, ClassPrefixOrWholeClassOrTitlePrefixIgnoringAsciiCaseOnly)
{
    const NameCase cases[] = {
        // The class is a prefix test, in any case of A-Z, over the whole pattern.
        {"tSkMainForm.UnicodeClass", "", true},
        {"tSkMainForm.UnicodeClass2", "Untitled", true},
        {"TSKMAINFORM.UNICODECLASS", "", true},
        {"tskmainform.unicodeclass", "", true},
        {"tSkMainForm.UnicodeClas", "", false},
        // Skype 5.1 and later: the class is exactly "tSkMainForm" (A-Z in any case).
        {"tSkMainForm", "Skype\x99 - Alice", true},
        {"TSKMAINFORM", "", true},
        {"tSkMainForm2", "", false},
        {"tSkMainFor", "", false},
        {"TZapMainForm.UnicodeClass", "", false},
        {"", "", false},
        {"xtSkMainForm.UnicodeClass", "", false},
        {"tSkMainForm_UnicodeClass", "", false},
        // A matching class wins over a title that names no Skype window.
        {"tSkMainForm.UnicodeClass", "Skype - Alice", true},
        // Each title prefix in mixed case, with and without more text after it.
        {"TForm", "Skype?-", true},
        {"TForm", "sKyPe?- Alice", true},
        {"TForm", "TOM-Skype", true},
        {"TForm", "tom-SKYPE Beta", true},
        {"TForm", "PChome-Skype", true},
        {"TForm", "PCHOME-skype 2", true},
        {"TForm", "LiveDoor-Skype", true},
        {"TForm", "LIVEDOOR-SKYPE", true}, // an 'I' folds to 'i' in every locale here
        {"TForm", "Skype(TM) -", true},
        {"TForm", "sKYPE(tm) - Alice", true},
        // "Skype" followed by a blank and a dash is not one of them.
        {"TForm", "Skype - Alice", false},
        {"TForm", "Skype-", false},
        {"TForm", "Skype(TM)-", false},
        {"TForm", "Skype(TM)  -", false},
        // The "?" of the first prefix is a literal character, not a wildcard.
        {"TForm", "Skype!-", false},
        {"TForm", "SkypeX-", false},
        {"TForm", "Skype\x1f-", false}, // '?' with bit 5 cleared: no bitwise case folding
        {"TForm", "Skype\x81-", false}, // a lone lead byte of code page 936
        {"TForm", "Skype\xbf-", false}, // an inverted question mark in code page 1252
        {"TForm", "Skype\xef\xbc\x9f-", false}, // a full-width question mark in UTF-8
        // Names shorter than the pattern never match.
        {"TForm", "Skype?", false},
        {"TForm", "TOM-Skyp", false},
        {"TForm", "PChome-Sky", false},
        {"TForm", "LiveDoor-", false},
        {"TForm", "Skype(TM) ", false},
        {"TForm", "", false},
        // Prefixes, not substrings.
        {"TForm", " Skype(TM) - Alice", false},
        {"TForm", "Alice - TOM-Skype", false},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(IsSkypeMainWindowName(c.className, c.title), c.qualifies)
            << "class \"" << c.className << "\", title \"" << c.title << "\"";
    }
}

TEST(SkypeChildClasses, TabControlBySubstringEditBoxByWholeName)
{
    const struct {
        const char* className;
        bool tabControl;
        bool editBox;
    } cases[] = {
        {"TPageControl", true, false},
        {"PageControl", true, false},
        {"TPageControlEx", true, false},
        {"pagecontrol", false, false}, // the substring search is case-sensitive
        {"TPageContro", false, false},
        {"SysTabControl32", false, false},
        {"Edit", false, true},
        {"EDIT", false, true},
        {"eDiT", false, true},
        {"Edi", false, false},
        {"Edit2", false, false},
        {"TEdit", false, false},
        {"RichEdit20A", false, false},
        {"Ed\xc9T", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSkypeTabControlClass(c.className), c.tabControl) << c.className;
        EXPECT_EQ(IsSkypeEditBoxClass(c.className), c.editBox) << c.className;
    }
}

// ---- FindSkypeMainWindow ----------------------------------------------------------------

TEST_F(SkypeWindowTest, FindsAVisibleWindowNamedAsSkypesAmongTheApiThreadsWindows)
{
    const std::string longTail(300, 'x');
    const struct {
        std::string className;
        std::string title;
        bool qualifies;
    } cases[] = {
        {kMainClass, "", true},
        {"TForm", "Skype(TM) - alice", true},
        {"TForm", "sKyPe?-", true},
        {"TForm", "Skype - alice", false},
        {"TForm", "Skype", false},
        // Names longer than the read buffers are cut, and the prefix still decides.
        {std::string(kMainClass) + std::string(200, 'z'), "", true},
        {"TForm", "TOM-Skype " + longTail, true},
        {"TForm", "Alice " + longTail + "Skype(TM) -", false},
    };
    for (const auto& c : cases) {
        ResetAppState();
        SkypeThread thread;
        HWND window = nullptr;
        thread.Run([&] { window = CreateTopLevel(c.className.c_str(), c.title.c_str(), true); });
        ASSERT_NE(window, nullptr) << c.className;
        g_app.skypeApiWindow = thread.ApiWindow();
        HWND expected = c.qualifies ? window : nullptr;
        EXPECT_EQ(FindSkypeMainWindow(), expected) << c.className << " / " << c.title;
        EXPECT_EQ(g_app.skypeMainWindow, expected);
    }
}

TEST_F(SkypeWindowTest, SkipsHiddenAndOtherWindowsAndTakesTheFirstQualifyingOne)
{
    HWND hidden = nullptr, other = nullptr, first = nullptr, second = nullptr;
    skype.Run([&] {
        // New windows go to the top of the Z order, which is the enumeration order: the
        // last one created is seen first. Not activatable, so that no other window's end
        // on the shared desktop can raise one of them between the two enumerations.
        second = CreateTopLevel("TForm", "Skype(TM) - second", true, false);
        first = CreateTopLevel("TForm", "TOM-Skype first", true, false);
        other = CreateTopLevel("TForm", "Skype - not Skype's", true, false);
        hidden = CreateTopLevel(kMainClass, "Skype(TM) - hidden", false, false);
    });
    g_app.skypeApiWindow = skype.ApiWindow();

    std::vector<HWND> order;
    EnumThreadWindows(GetWindowThreadProcessId(skype.ApiWindow(), nullptr),
                      CollectWindow, reinterpret_cast<LPARAM>(&order));
    auto position = [&](HWND window) {
        return std::find(order.begin(), order.end(), window) - order.begin();
    };
    ASSERT_LT(position(hidden), position(other));
    ASSERT_LT(position(other), position(first));
    ASSERT_LT(position(first), position(second));

    EXPECT_EQ(FindSkypeMainWindow(), first);
}

TEST_F(SkypeWindowTest, ReusesTheCacheWhileItIsAWindowAndSearchesAgainWhenItDies)
{
    HWND main = AttachMainWindow();
    ASSERT_EQ(FindSkypeMainWindow(), main);

    // Hidden, renamed and detached: the cached handle is still used as it is.
    skype.Run([&] {
        ShowWindow(main, SW_HIDE);
        SetWindowTextA(main, "renamed");
    });
    g_app.skypeApiWindow = nullptr;
    EXPECT_EQ(FindSkypeMainWindow(), main);

    // Dead while detached: cleared, and no search can run.
    skype.Run([&] { DestroyWindow(main); });
    EXPECT_EQ(FindSkypeMainWindow(), nullptr);
    EXPECT_EQ(g_app.skypeMainWindow, nullptr);

    // Attached again: a new search finds the new window and keeps it.
    HWND next = AttachMainWindow(kMainClass, "next");
    EXPECT_EQ(FindSkypeMainWindow(), next);
    EXPECT_EQ(g_app.skypeMainWindow, next);

    // Dead while attached: searched again at once.
    HWND third = nullptr;
    skype.Run([&] {
        DestroyWindow(next);
        third = CreateTopLevel("TForm", "Skype(TM) - third", true);
    });
    EXPECT_EQ(FindSkypeMainWindow(), third);
}

TEST_F(SkypeWindowTest, DetachedWithAnEmptyCacheEveryOperationDoesNothing)
{
    AttachMainWindow(); // a window that would qualify, were Skype attached
    g_app.skypeApiWindow = nullptr;
    EXPECT_EQ(FindSkypeMainWindow(), nullptr);
    EXPECT_EQ(SelectSkypeSecondTab(), nullptr);
    EXPECT_EQ(ClearSkypeEditBox(), nullptr);
    EXPECT_TRUE(Keys().empty());
}

TEST_F(SkypeWindowTest, AnApiWindowThatNoLongerExistsLeadsToNoWindowOfAnyThread)
{
    // Qualifying windows on another thread, and a stale API window handle: there is no
    // thread to search, so nothing else on the desktop may be taken for Skype.
    AttachMainWindow();
    HWND staleApiWindow = nullptr;
    {
        SkypeThread gone;
        staleApiWindow = gone.ApiWindow();
    }
    ASSERT_FALSE(IsWindow(staleApiWindow));
    g_app.skypeApiWindow = staleApiWindow;
    EXPECT_EQ(FindSkypeMainWindow(), nullptr);
}

// ---- SelectSkypeSecondTab ---------------------------------------------------------------

const Sequence kNoKeys = {"no input", {}};
const Sequence kCtrlTab = {"Ctrl+Tab", {"key 162 down", "key 9 down", "key 9 up", "key 162 up"}};
const Sequence kCtrlShiftTabOnce = {
    "Ctrl+Shift+Tab once",
    {"key 162 down", "key 160 down", "key 9 down", "key 9 up", "key 160 up", "key 162 up"}};
const Sequence kCtrlShiftTabThrice = {
    "Ctrl+Shift+Tab three times",
    {"key 162 down", "key 160 down", "key 9 down", "key 9 up", "key 9 down", "key 9 up",
     "key 9 down", "key 9 up", "key 160 up", "key 162 up"}};

TEST_F(SkypeWindowTest, TypesTheStrokesThatBringTheTabControlToItsSecondTab)
{
    const struct {
        int tabCount;
        int selected; // -1: no tab selected
        const Sequence& keys;
    } cases[] = {
        {5, 0, kCtrlTab},
        {5, 1, kNoKeys},
        {5, 2, kCtrlShiftTabOnce},
        {5, 4, kCtrlShiftTabThrice},
        {5, -1, kNoKeys},
        {0, -1, kNoKeys},
    };
    for (const auto& c : cases) {
        ResetAppState();
        SharedLog().Clear();
        SkypeThread thread;
        HWND tabs = nullptr;
        thread.Run([&] {
            HWND main = CreateTopLevel(kMainClass, "", true);
            HWND panel = CreateChild(main, "TPanel");
            CreateChild(panel, "SysTabControl32x");
            tabs = CreatePageControl(panel, c.tabCount, c.selected);
            SetForegroundWindow(main); // as FOCUS leaves it; nothing is typed otherwise
        });
        ASSERT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), c.selected);
        g_app.skypeApiWindow = thread.ApiWindow();
        EXPECT_EQ(SelectSkypeSecondTab(), tabs) << "selected " << c.selected;
        EXPECT_SEQUENCE(c.keys, Keys()) << "selected " << c.selected;
    }
}

TEST_F(SkypeWindowTest, UsesOnlyTheFirstPageControlAndReadsChildClassesUpTo98Characters)
{
    HWND main = AttachMainWindow();
    HWND first = nullptr;
    skype.Run([&] {
        first = CreatePageControl(main, 5, 0, "TPageControl");
        CreatePageControl(main, 5, 4, "TOtherPageControl");
        SetForegroundWindow(main);
    });
    EXPECT_EQ(SelectSkypeSecondTab(), first);
    EXPECT_SEQUENCE(kCtrlTab, Keys());

    // A child's class name is read with room for 98 characters: "PageControl" ending at
    // the 98th still counts, one character further it is cut off.
    const std::string fits = std::string(87, 'A') + "PageControl";
    const std::string cut = std::string(88, 'B') + "PageControl";
    HWND other = nullptr;
    HWND fitting = nullptr;
    skype.Run([&] {
        DestroyWindow(main);
        other = CreateTopLevel(kMainClass, "", true);
        CreateChild(other, cut.c_str());
    });
    EXPECT_EQ(SelectSkypeSecondTab(), nullptr);
    skype.Run([&] { fitting = CreateChild(other, fits.c_str()); });
    EXPECT_EQ(SelectSkypeSecondTab(), fitting);
}

TEST_F(SkypeWindowTest, NoTabControlOrNoMainWindowMeansNoInput)
{
    HWND main = AttachMainWindow();
    skype.Run([&] { CreateChild(main, "TPanel"); });
    EXPECT_EQ(SelectSkypeSecondTab(), nullptr);
    ResetAppState();
    EXPECT_EQ(SelectSkypeSecondTab(), nullptr);
    EXPECT_TRUE(Keys().empty());
}

// ---- ClearSkypeEditBox ------------------------------------------------------------------

std::string TextOf(HWND window)
{
    char text[100] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

TEST_F(SkypeWindowTest, EmptiesOnlyTheFirstEditBoxInEnumerationOrder)
{
    HWND main = AttachMainWindow();
    HWND nested = nullptr, later = nullptr, longer = nullptr, prefixed = nullptr;
    skype.Run([&] {
        HWND panel = CreateChild(main, "TPanel");
        longer = CreateChild(panel, "EditBox", "longer");
        prefixed = CreateChild(panel, "TEdit", "prefixed");
        nested = CreateChild(panel, "Edit", "nested");
        later = CreateChild(main, "Edit", "later");
    });
    EXPECT_EQ(ClearSkypeEditBox(), nested);
    EXPECT_EQ(TextOf(nested), "");
    EXPECT_EQ(TextOf(later), "later");
    EXPECT_EQ(TextOf(longer), "longer");
    EXPECT_EQ(TextOf(prefixed), "prefixed");
}

TEST_F(SkypeWindowTest, AnEditBoxClassInAnotherLetterCaseCounts)
{
    HWND main = AttachMainWindow();
    HWND shouted = nullptr;
    skype.Run([&] {
        CreateChild(main, "Edits", "plural");
        shouted = CreateChildOfOwnClass(main, "eDIT", "shouted");
    });
    char className[100] = "";
    GetClassNameA(shouted, className, sizeof(className));
    ASSERT_STREQ(className, "eDIT");
    EXPECT_EQ(ClearSkypeEditBox(), shouted);
    EXPECT_EQ(TextOf(shouted), "");
}

TEST_F(SkypeWindowTest, NoEditBoxMeansNothingDone)
{
    HWND main = AttachMainWindow();
    HWND label = nullptr;
    skype.Run([&] { label = CreateChild(main, "Static", "label"); });
    EXPECT_EQ(ClearSkypeEditBox(), nullptr);
    EXPECT_EQ(TextOf(label), "label");
}

// The edit box's own character set. Sent in it, the text pointer reaches the window procedure
// as given (inside this program's image, where the empty constants live); sent in the other
// one, the system converts it into a buffer of its own first. The windows are on this thread
// so that no cross-thread copy hides the difference.
LPARAM g_setTextParam = 0;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK RecordSetTextW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        g_setTextParam = lParam;
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

LRESULT CALLBACK RecordSetTextA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        g_setTextParam = lParam;
    return CallWindowProcA(g_editProc, window, message, wParam, lParam);
}

bool InProgramImage(LPARAM pointer)
{
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(reinterpret_cast<void*>(pointer), &info, sizeof(info));
    return info.AllocationBase == GetModuleHandleA(nullptr);
}

TEST(SkypeEditBoxCharacterSet, AUnicodeEditBoxGetsTheWideTextAndAnyOtherTheNarrowOne)
{
    for (bool unicode : {true, false}) {
        ResetAppState();
        HWND api = CreateTopLevel("AutomationTestApiHere", "", false);
        HWND main = CreateTopLevel(kMainClass, "", true);
        HWND edit = unicode ? CreateWindowExW(0, L"Edit", L"typed", WS_CHILD | WS_VISIBLE, 0, 0,
                                              100, 20, main, nullptr, nullptr, nullptr)
                            : CreateWindowExA(0, "Edit", "typed", WS_CHILD | WS_VISIBLE, 0, 0,
                                              100, 20, main, nullptr, nullptr, nullptr);
        ASSERT_EQ(bool(IsWindowUnicode(edit)), unicode);
        g_editProc = unicode ? WNDPROC(SetWindowLongPtrW(edit, GWLP_WNDPROC,
                                                         LONG_PTR(RecordSetTextW)))
                             : WNDPROC(SetWindowLongPtrA(edit, GWLP_WNDPROC,
                                                         LONG_PTR(RecordSetTextA)));
        g_setTextParam = 0;
        g_app.skypeApiWindow = api;

        EXPECT_EQ(ClearSkypeEditBox(), edit);
        EXPECT_EQ(TextOf(edit), "");
        ASSERT_NE(g_setTextParam, 0);
        EXPECT_TRUE(InProgramImage(g_setTextParam)) << (unicode ? "Unicode" : "ANSI");
        if (unicode)
            EXPECT_EQ(*reinterpret_cast<const wchar_t*>(g_setTextParam), L'\0');
        else
            EXPECT_EQ(*reinterpret_cast<const char*>(g_setTextParam), '\0');
        DestroyWindow(main);
        DestroyWindow(api);
    }
}

// ---- A hung Skype -----------------------------------------------------------------------

TEST_F(SkypeWindowTest, AHungSkypeThreadHoldsNoOperationForMuchMoreThanASecond)
{
    HWND main = AttachMainWindow();
    HWND edit = nullptr;
    skype.Run([&] {
        CreatePageControl(main, 5, 0);
        edit = CreateChild(main, "Edit", "typed");
    });
    // Found before the hang: reading a title sends WM_GETTEXT to windows of the own process
    // (these stand-ins), never to another process's (Skype's), so only the search needs it.
    ASSERT_EQ(FindSkypeMainWindow(), main);

    skype.Hang(20000);
    const struct {
        const char* name;
        HWND (*operation)();
    } operations[] = {
        {"FindSkypeMainWindow", FindSkypeMainWindow},
        {"SelectSkypeSecondTab", SelectSkypeSecondTab},
        {"ClearSkypeEditBox", ClearSkypeEditBox},
    };
    for (const auto& o : operations) {
        DWORD start = GetTickCount();
        EXPECT_NE(o.operation(), nullptr) << o.name;
        EXPECT_LT(GetTickCount() - start, 1800u) << o.name;
    }
    skype.Resume();
    // The tab control never answered: no selection, so nothing was typed.
    EXPECT_TRUE(Keys().empty());
}

} // namespace
