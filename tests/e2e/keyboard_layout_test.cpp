// Without Skype, the handset's digits, "*" and "#" reach the focused window as those
// characters whatever the keyboard layout. Run by own_display.sh on a display of its own
// with a French and with a German layout, where a digit's key types "&" or Shift+3 "§".
#include <gtest/gtest.h>

#include <string>

#include "driver_run.h"
#include "handset_sim_client.h"

namespace {
std::wstring g_typed;

LRESULT CALLBACK RecordCharacters(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR)
        g_typed += wchar_t(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Handles this thread's messages, Unicode throughout, until `typed` is as long as `length`.
bool PumpUntilTyped(size_t length, DWORD timeoutMs)
{
    return PollUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return g_typed.size() >= length;
        },
        timeoutMs, [](DWORD msLeft) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, msLeft < 5 ? msLeft : 5, QS_ALLINPUT);
        });
}

std::string Utf8(const std::wstring& text)
{
    char buffer[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), buffer, sizeof buffer - 1,
                        nullptr, nullptr);
    return buffer;
}
} // namespace

TEST(KeyboardLayout, DigitsStarAndHashArriveAsThemselves)
{
    SetSkypePath(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecordCharacters;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"UsbPhoneTestTypedText";
    ASSERT_TRUE(RegisterClassW(&windowClass));
    HWND window = CreateWindowW(windowClass.lpszClassName, L"typed text", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    ASSERT_EQ(GetForegroundWindow(), window);

    DriverRun run;
    ASSERT_TRUE(run.Start());
    // YES, typed as Enter, comes last: once its carriage return is here, so is all before it.
    for (int key : {1, 20, 21, 50})
        ASSERT_TRUE(HandsetSimKey(run.sim, key));
    EXPECT_TRUE(PumpUntilTyped(4, 10000));
    EXPECT_EQ(Utf8(g_typed), "1*#\r");
    EXPECT_EQ(run.Close(), 0u);
    DestroyWindow(window);
}
