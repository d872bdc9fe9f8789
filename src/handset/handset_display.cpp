// LCD requests, light and ringer through the handset library, and the plug handler.
#include "handset/handset_display.h"

#include "app/app_state.h"
#include "app/status.h"
#include "handset/handset_api.h"

namespace {
// Start-up's empty text line: a text of its own, not the DialBuffer.
const char kEmptyText[] = "";

void DisplayLcd(int mode, int on, int param, const char* text, int textOn)
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
    DisplayLcd(0, 0, 0, nullptr, 0);
    SetLight(0);
}

void SetInCallIndicator(int on)
{
    BYTE value = static_cast<BYTE>(on);
    DisplayLcd(1, value, 0, nullptr, 0);
    SetLight(value);
    g_app.inCall = value;
}

void SetSkypeIndicator(int on)
{
    BYTE value = static_cast<BYTE>(on);
    DisplayLcd(2, value, value ? 6 : 0, nullptr, 0);
}

void ShowDialBuffer()
{
    // The text pointer is the buffer's own text, also when it is empty.
    DisplayLcd(g_app.dialBuffer.length > 0 ? 3 : 4, 1, 6, g_app.dialBuffer.text, 1);
}

void EmptyDialBuffer()
{
    g_app.dialBuffer.length = 0;
    g_app.dialBuffer.text[0] = '\0';
    ShowDialBuffer();
}

void RingHandset(int on)
{
    if (HandsetLibraryUsable())
        (void)g_handsetApi.USBPhone_Ring(on);
}

void ShowStartupDisplay()
{
    DisplayLcd(4, 1, 6, kEmptyText, 1);
    DisplayLcd(2, 1, 6, kEmptyText, 1);
}

void OnHandsetPlug(int connected, int /*reserved*/)
{
    g_app.handsetStatus = connected ? 0 : -1;
    RefreshStatus();
}
