// LCD requests and the light through the handset library.
#include "handset/handset_display.h"

#include "core/app_state.h"
#include "handset/handset_api.h"

namespace {
// Start-up's empty text line: a text of its own, not the DialBuffer.
const char kEmptyText[] = "";

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): the library's own order, passed on
void DisplayLcd(LcdMode mode, int on, int param, const char* text, int textOn)
{
    if (!HandsetLibraryUsable())
        return;
    LcdRequest request = {};
    request.mode = mode;
    request.on = static_cast<unsigned char>(on);
    request.param = param;
    request.text = text;
    request.textOn = static_cast<unsigned char>(textOn);
    (void)g_handsetApi.USBPhone_DisplayLCD(request);
}

void SetLight(int on)
{
    if (HandsetLibraryUsable())
        (void)g_handsetApi.USBPhone_Light(on);
}
} // namespace

void ClearHandsetDisplay()
{
    DisplayLcd(kLcdClear, 0, 0, nullptr, 0);
    SetLight(0);
}

void SetInCallIndicator(int on)
{
    BYTE value = static_cast<BYTE>(on);
    DisplayLcd(kLcdInCallIndicator, value, 0, nullptr, 0);
    SetLight(value);
    g_app.inCall = value;
}

void SetSkypeIndicator(int on)
{
    BYTE value = static_cast<BYTE>(on);
    DisplayLcd(kLcdSkypeIndicator, value, value ? kLcdParamShown : 0, nullptr, 0);
}

void ShowDialBuffer()
{
    // The text pointer is the buffer's own text, also when it is empty.
    DisplayLcd(g_app.dialBuffer.length > 0 ? kLcdText : kLcdIdleText, 1, kLcdParamShown,
               g_app.dialBuffer.text, 1);
}

void EmptyDialBuffer()
{
    g_app.shownCallerCallId = 0;
    g_app.dialBuffer.length = 0;
    g_app.dialBuffer.text[0] = '\0';
    ShowDialBuffer();
}

void ShowStartupDisplay()
{
    DisplayLcd(kLcdIdleText, 1, kLcdParamShown, kEmptyText, 1);
    DisplayLcd(kLcdSkypeIndicator, 1, kLcdParamShown, kEmptyText, 1);
}
