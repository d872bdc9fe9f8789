// Attachment to Skype, the keep-alive and the WM_COPYDATA text channel.
#include "skype/skype_link.h"

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/status.h"
#include "skype/call_tracking.h"
#include "skype/skype_window.h"

namespace {
// Skype gives up on a client after this many PINGs without a PONG.
const int kMaxUnansweredPings = 5;

void DropSkypeLink()
{
    g_app.skypeApiWindow = nullptr;
    // Before the refresh and before any broadcast: a restarted Skype may attach and report
    // a new call inside the next broadcast.
    ForgetCallsOfLostSkype();
    RefreshStatus();
}
} // namespace

void SendSkypeCommand(const char* text)
{
    // On the stack: a notification handled while this send waits may send commands itself.
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = DWORD(strlen(text) + 1);
    data.lpData = const_cast<char*>(text);
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: Skype's replies, sent back while we wait, must still get through.
    (void)SendMessageTimeoutA(g_app.skypeApiWindow, WM_COPYDATA, WPARAM(g_app.ownWindow),
                              LPARAM(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG, kCommandTimeoutMs,
                              &result);
}

void SendDiscoverBroadcast()
{
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutA(HWND_BROADCAST, g_app.discoverMessage, WPARAM(g_app.ownWindow), 0,
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

LRESULT OnAttachMessage(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0) {
        g_app.skypeApiWindow = reinterpret_cast<HWND>(wParam);
        (void)FindSkypeMainWindow(); // fills the cache
        RefreshStatus();
    }
    return 1;
}

void OnKeepAliveTick()
{
    if (!g_app.skypeApiWindow) {
        SendDiscoverBroadcast();
        return;
    }
    if (IsWindow(g_app.skypeApiWindow)) {
        ++g_app.unansweredPings;
        SendSkypeCommand("PING");
        // Only now: a PONG that arrived during the send has already lowered the count.
        if (g_app.unansweredPings == kMaxUnansweredPings) {
            DropSkypeLink();
            g_app.unansweredPings = 0;
        }
        return;
    }
    DropSkypeLink(); // the count is kept on this path
    SendDiscoverBroadcast();
}

LRESULT OnSkypeCopyData(WPARAM wParam, LPARAM lParam)
{
    // Only the attached Skype may speak to us; while detached nobody may.
    if (!g_app.skypeApiWindow || reinterpret_cast<HWND>(wParam) != g_app.skypeApiWindow)
        return 0;
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    // A copy with our own NUL: never read past the data, even when the sender left out the
    // NUL. Malformed data reads as an empty text.
    size_t length = 0;
    const char* bytes = nullptr;
    if (data && data->lpData && data->cbData > 0) {
        bytes = static_cast<const char*>(data->lpData);
        const void* nul = memchr(bytes, '\0', data->cbData);
        length = nul ? size_t(static_cast<const char*>(nul) - bytes) : data->cbData;
    }
    char* text = static_cast<char*>(malloc(length + 1));
    if (!text)
        return 1;
    if (length)
        memcpy(text, bytes, length);
    text[length] = '\0';
    if (StartsWithIgnoringAsciiCase(text, "PONG")) {
        if (g_app.unansweredPings > 0)
            --g_app.unansweredPings;
    } else if (StartsWithIgnoringAsciiCase(text, "CALL ")) {
        HandleCallNotification(text);
    }
    free(text);
    return 1;
}
