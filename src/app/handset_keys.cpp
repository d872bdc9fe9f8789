// Handset key handling. Runs on the main thread; a Skype notification may be handled inside
// any of the sends below, so command buffers live on the stack and shared fields (in-call
// flag, call ids, DialBuffer) are read where they are used.
#include "app/handset_keys.h"

#include <cstdio>

#include "audio/tones.h"
#include "core/app_state.h"
#include "handset/handset_display.h"
#include "platform/seam.h"
#include "skype/call_tracking.h"
#include "skype/skype_link.h"
#include "skype/skype_window.h"

namespace {
const UINT kNavigationTone = 147;
const DWORD kPressReleasePauseMs = 10;
const int kDialBufferCapacity = 999;

void AppendToDialBuffer(char c)
{
    DialBuffer& buffer = g_app.dialBuffer;
    if (buffer.length < kDialBufferCapacity) {
        buffer.text[buffer.length++] = c;
        buffer.text[buffer.length] = '\0';
    }
}

// NO and hook on: Skype's number field emptied, its main window asked to close.
void ClearNumberAndCloseSkypeWindow()
{
    (void)ClearSkypeEditBox();
    HWND mainWindow = FindSkypeMainWindow();
    if (mainWindow)
        PostMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialKey(char c)
{
    SendSkypeCommand("FOCUS");
    const char name[2] = {c, '\0'};
    PressSkypeButton(name);
    AppendToDialBuffer(c);
    ShowDialBuffer();
}

// One keyboard event pressed and, after the pause, released.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters): in the order they are sent
void PressAndRelease(INPUT press, INPUT release)
{
    (void)SeamSendInput(1, &press);
    SeamSleep(kPressReleasePauseMs);
    (void)SeamSendInput(1, &release);
}

void Keystroke(WORD virtualKey)
{
    PressAndRelease(VirtualKeyInput(virtualKey, false), VirtualKeyInput(virtualKey, true));
}

// Digits, "*" and "#" as characters: which key (and shift state) types them depends on the
// user's keyboard layout ('1' is "&" on a French one, Shift+3 is "§" on a German one).
void TypeCharacter(wchar_t character)
{
    PressAndRelease(CharacterInput(character, false), CharacterInput(character, true));
}
} // namespace

void OnHandsetKey(int key)
{
    if (g_app.handsetStatus != 0)
        return;
    if (g_app.skypeApiWindow)
        DispatchSkypeKey(key);
    else if (SkypeIsSilent() || SkypeIsRunning())
        HoldKeyForSilentSkype(key);
    else
        EmulateKey(key);
}

void HoldKeyForSilentSkype(int key)
{
    // Skype runs but does not answer (dropped for silence, frozen since before this start,
    // still starting or asking its user): typed keys would land in whatever window has the
    // focus, so nothing is typed. The hook switch is kept, so the first real lift is not
    // taken as a repeat, and a handset put down ends, once Skype answers again, the calls it
    // finds in conversation.
    if (key == kHookOn) {
        g_app.hookState = 1;
        g_app.hungUpWhileSilent = true;
    } else if (key == kHookOff) {
        g_app.hookState = 0;
        g_app.hungUpWhileSilent = false;
    }
}

void PressSkypeButton(const char* name)
{
    char command[100];
    snprintf(command, sizeof command, "BTN_PRESSED %s", name);
    SendSkypeCommand(command);
    SeamSleep(kPressReleasePauseMs);
    snprintf(command, sizeof command, "BTN_RELEASED %s", name);
    SendSkypeCommand(command);

    char c = name[0];
    if (!((c >= '0' && c <= '9') || c == '*' || c == '#'))
        return;
    if (g_app.inCall) {
        snprintf(command, sizeof command, "SET CALL %d DTMF %c", DtmfCallId(), c);
        SendSkypeCommand(command);
        return;
    }
    PlayKeyToneByIndex(c == '*' ? 10 : c == '#' ? 11 : c - '0');
}

void SendHook(int on)
{
    SendSkypeCommand(on ? "HOOK ON" : "HOOK OFF");
}

void DispatchSkypeKey(int key)
{
    if (key >= 0 && key <= 9) {
        DialKey(char('0' + key));
        return;
    }
    switch (key) {
    case kKeyStar:
        DialKey('*');
        break;
    case kKeyHash:
        DialKey('#');
        break;
    case kKeyNo:
        PlayTone(kNavigationTone);
        PressSkypeButton("NO");
        EmptyDialBuffer();
        ClearNumberAndCloseSkypeWindow();
        break;
    case kKeyUp:
        PlayTone(kNavigationTone);
        SendSkypeCommand("FOCUS");
        (void)SelectSkypeSecondTab();
        SendSkypeCommand("BTN_PRESSED CONTACTS");
        PressSkypeButton("UP");
        break;
    case kKeyYes: {
        PlayTone(kNavigationTone);
        HWND mainWindow = FindSkypeMainWindow();
        bool shown = mainWindow && !IsIconic(mainWindow) && IsWindowVisible(mainWindow);
        SendSkypeCommand("FOCUS");
        if (shown)
            PressSkypeButton("YES");
        if (g_app.ringingCallId > 0)
            AnswerCall(g_app.ringingCallId);
        break;
    }
    case kKeyDown:
        PlayTone(kNavigationTone);
        SendSkypeCommand("FOCUS");
        (void)SelectSkypeSecondTab();
        PressSkypeButton("DOWN");
        break;
    case kHookOn:
        if (g_app.hookState == 1)
            break;
        g_app.hookState = 1;
        SendHook(1); // kept for the older Skype versions that knew it; later ones ignore it
        HangUpCalls();
        // A caller whose call came while the handset was lifted keeps the display.
        if (!RingSilentCall())
            EmptyDialBuffer();
        ClearNumberAndCloseSkypeWindow();
        break;
    case kHookOff:
        if (g_app.hookState == 0)
            break;
        g_app.hookState = 0;
        g_app.hungUpWhileSilent = false; // lifted again: whatever was found goes on
        SendSkypeCommand("FOCUS");
        SendHook(0);
        AnswerRingingCallOnLift(); // read after the sends: the call may have ended meanwhile
        break;
    default:
        break; // no meaning while Skype is attached
    }
}

void EmulateKey(int key)
{
    if (key >= 0 && key <= 9) {
        TypeCharacter(wchar_t(L'0' + key));
        return;
    }
    switch (key) {
    case kKeyStar:
        TypeCharacter(L'*');
        break;
    case kKeyHash:
        TypeCharacter(L'#');
        break;
    case kKeyNo:
        Keystroke(VK_ESCAPE);
        break;
    case kKeyUp:
        Keystroke(VK_UP);
        break;
    case kKeyYes:
        Keystroke(VK_RETURN);
        break;
    case kKeyDown:
        Keystroke(VK_DOWN);
        break;
    case kHookOn:
        if (g_app.hookState != 1) {
            g_app.hookState = 1;
            Keystroke(VK_ESCAPE);
        }
        break;
    case kHookOff:
        if (g_app.hookState != 0) {
            g_app.hookState = 0;
            Keystroke(VK_RETURN);
        }
        break;
    default:
        // A code the handset does not have types nothing: taken as a virtual key it could
        // be the Windows key, Print Screen or VK_SLEEP.
        break;
    }
}
