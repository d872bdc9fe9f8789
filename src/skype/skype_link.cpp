// Attachment to Skype, the keep-alive and the WM_COPYDATA text channel.
#include "skype/skype_link.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/app_state.h"
#include "skype/skype_window.h"

namespace {
// We give up on Skype after this many PINGs without a PONG.
const int kMaxUnansweredPings = 5;
} // namespace

void SendSkypeCommand(const char* text)
{
    if (g_app.closing)
        return; // Skype gets nothing from a program that is going
    // On the stack: a notification handled while this send waits may send commands itself.
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = DWORD(strlen(text)) + 1;
    data.lpData = const_cast<char*>(text);
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: Skype's replies, sent back while we wait, must still get through.
    (void)SendMessageTimeoutA(g_app.skypeApiWindow, WM_COPYDATA, WPARAM(g_app.ownWindow),
                              LPARAM(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG, kCommandTimeoutMs,
                              &result);
}

void SendSkypeCallCommand(const char* format, int callId)
{
    char command[100];
    snprintf(command, sizeof command, format, callId);
    SendSkypeCommand(command);
}

void SendDiscoverBroadcast()
{
    if (g_app.closing)
        return;
    DWORD_PTR result = 0;
    (void)SendMessageTimeoutA(HWND_BROADCAST, g_app.discoverMessage, WPARAM(g_app.ownWindow), 0,
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

AttachReply ReadAttachReply(WPARAM wParam, LPARAM lParam)
{
    AttachReply reply = ClassifyAttachReply(int64_t(lParam));
    switch (reply) {
    case kAttachAttached:
        g_app.skypeApiWindow = reinterpret_cast<HWND>(wParam);
        g_app.silentSkypeWindow = nullptr;
        g_app.skypeAccess = kAccessUnknown;
        g_app.skypeMissing = false; // installed after all (or started by hand)
        g_app.discoveryPauseTicks = 0;
        // The count belongs to one link: PINGs lost with a Skype that vanished must not count
        // against the next one (they would get a healthy Skype dropped).
        g_app.unansweredPings = 0;
        (void)FindSkypeMainWindow(); // fills the cache
        break;
    case kAttachAsking:
        g_app.skypeAccess = kAccessAsking;
        g_app.discoveryPauseTicks = kDiscoveryPauseTicks;
        break;
    case kAttachRefused:
        g_app.skypeAccess = kAccessRefused;
        g_app.discoveryPauseTicks = kDiscoveryPauseTicks;
        break;
    case kAttachApiAvailable:
        g_app.skypeAccess = kAccessUnknown;
        g_app.discoveryPauseTicks = 0;
        break;
    case kAttachOther:
        break;
    }
    return reply;
}

KeepAliveOutcome KeepAliveTick()
{
    if (!g_app.skypeApiWindow) {
        if (g_app.discoveryPauseTicks > 0 && --g_app.discoveryPauseTicks > 0)
            return kKeepAliveWaiting;
        return kKeepAliveNotAttached;
    }
    if (!IsWindow(g_app.skypeApiWindow)) {
        g_app.skypeApiWindow = nullptr; // the count is kept on this path
        g_app.silentSkypeWindow = nullptr;
        return kKeepAliveSkypeGone;
    }
    ++g_app.unansweredPings;
    SendSkypeCommand("PING");
    // Only now: a PONG that arrived during the send has already lowered the count.
    if (g_app.unansweredPings < kMaxUnansweredPings)
        return kKeepAlivePinged;
    // Skype's window is still there: a frozen Skype holds its calls and may answer again.
    g_app.silentSkypeWindow = g_app.skypeApiWindow;
    g_app.skypeApiWindow = nullptr;
    g_app.unansweredPings = 0;
    return kKeepAliveLinkDropped;
}

bool ReadSkypeText(WPARAM wParam, LPARAM lParam, OwnedText* out)
{
    // Only the attached Skype may speak to us; while detached nobody may.
    if (!g_app.skypeApiWindow || reinterpret_cast<HWND>(wParam) != g_app.skypeApiWindow)
        return false;
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
    if (text) {
        if (length)
            memcpy(text, bytes, length);
        text[length] = '\0';
    }
    *out = OwnedText(text);
    return true;
}

void NotePong()
{
    if (g_app.unansweredPings > 0)
        --g_app.unansweredPings;
}

bool SkypeIsSilent()
{
    if (g_app.skypeApiWindow || !g_app.silentSkypeWindow)
        return false;
    if (IsWindow(g_app.silentSkypeWindow))
        return true;
    g_app.silentSkypeWindow = nullptr; // gone since: Skype is not running
    return false;
}
