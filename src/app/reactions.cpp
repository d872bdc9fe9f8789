// The program's reactions to Skype and the handset, composed in one place so that their order
// reads top to bottom.
#include "app/reactions.h"

#include "app/app_messages.h"
#include "app/handset_callbacks.h"
#include "app/handset_keys.h"
#include "app/skype_audio_devices.h"
#include "app/status.h"
#include "audio/tone_device.h"
#include "core/app_state.h"
#include "handset/handset_api.h"
#include "handset/handset_display.h"
#include "handset/ringer.h"
#include "pure/ascii_text.h"
#include "skype/call_search.h"
#include "skype/call_tracking.h"
#include "skype/skype_link.h"

namespace {
// Called once for each handset event taken from the queue. True from WM_DESTROY on, or as
// soon as a WM_CLOSE waits in the queue behind a backlog: the handset's events are posted to
// the same queue, and those queued before the close request would otherwise all be worked
// through first, each digit playing its tone to the end. Peeks the queue (the WM_CLOSE stays
// there) and latches g_app.closing on the first sight of one, so the answer stays true once
// the request has been handled.
// The queue is asked only while more of the handset's events wait behind this one: a lone
// event is handled even with a close request behind it, as one whose handling had begun when
// the request came would be, and the close follows it. Every question to the queue is a trip
// to Wine's server: timed on a key's way to Skype, the peek that finds nothing took close to half
// of an empty cross-process round trip, and even GetQueueStatus a fifth.
bool CloseRequested()
{
    bool backlog = InterlockedDecrement(&g_app.handsetEventsQueued) > 0;
    MSG waiting;
    // Wine also reports a pending WM_QUIT to this filtered peek, hence the check.
    if (!g_app.closing && backlog &&
        PeekMessageA(&waiting, g_app.ownWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_NOYIELD) &&
        waiting.message == WM_CLOSE)
        g_app.closing = true;
    return g_app.closing;
}

// A handset that lost power (unplugged, or absent when opened) shows nothing and remembers
// nothing: it is sent its whole state as the calls stand. Where its hook is nobody knows, as
// at start, so a call that rings here rings, and the first hook event counts either way.
void RedrawReconnectedHandset()
{
    g_app.hookState = -1;
    SetInCallIndicator(g_app.inCall);
    ShowDialBuffer();
    if (g_app.ringerOn)
        RingHandset(1);
    else
        (void)RingSilentCall(); // it came while the handset was lifted, as far as we knew
}

// The link to Skype is lost (the link has cleared Skype's API window): what was known of its
// calls goes with it, whatever was asked of it is no longer awaited, and the handset and the
// icon say so. Before any broadcast: a restarted Skype may attach and report a new call
// inside the next one.
void OnSkypeLost()
{
    ForgetCallsOfLostSkype();
    ForgetCallSearch();
    RefreshStatus();
}

// A new attach (the first, or again after a loss): the handset and the icon say so and Skype
// is told its sound devices (the refresh), then asked which calls it holds, which are taken
// as they come.
void OnSkypeFound()
{
    RefreshStatus();
    SearchSkypeCalls();
}
} // namespace

void StartHandset()
{
    if (!HandsetLibraryUsable())
        return; // counted as absent since the library was loaded
    g_app.handsetStatus = g_handsetApi.USBPhone_Open(g_app.ownWindow);
    (void)g_handsetApi.USBPhone_Bind(HandsetKeyCallback, HandsetPlugCallback);
    ShowStartupDisplay();
    // The icon was drawn before the handset was opened: a handset found absent says so now.
    UpdateStatusIcon();
}

void StopHandset()
{
    // The handset's sound goes with it (log-off, exit).
    CloseToneDevice();
    // Once only: after a log-off's shutdown the loop's end finds the library released.
    if (!g_handsetApi.module)
        return;
    if (HandsetLibraryUsable()) {
        // A handset left ringing after we are gone would ring on with nobody to stop it.
        if (g_app.ringerOn)
            RingHandset(0);
        ClearHandsetDisplay();
        (void)g_handsetApi.USBPhone_Close();
    }
    FreeHandsetLibrary();
}

void OnMainWindowDestroyed()
{
    g_app.closing = true;
}

void OnSessionEnding()
{
    g_app.closing = true;
    StopHandset();
}

void OnQueuedHandsetEvent(int key)
{
    if (CloseRequested())
        return;
    OnHandsetKey(key);
}

void OnFirstDiscovery()
{
    // Not from inside the window's creation: Skype may attach, and even report a ringing
    // call, while the broadcast is being sent, and by now the handset is open and showing
    // its start-up display, so the status and the call land on a handset that is ready.
    SendDiscoverBroadcast();
}

LRESULT OnSkypeCopyData(WPARAM wParam, LPARAM lParam)
{
    OwnedText text;
    if (!ReadSkypeText(wParam, lParam, &text))
        return 0;
    if (StartsWithIgnoringAsciiCase(text.Get(), "PONG"))
        NotePong();
    else if (StartsWithIgnoringAsciiCase(text.Get(), "CALL "))
        HandleCallNotification(text.Get());
    else if (!HandleActiveCallsReply(text.Get()))
        (void)ReadAudioDeviceReply(text.Get()); // the rest of Skype's news is not ours
    return 1;
}

void OnSkypeAttachReply(WPARAM wParam, LPARAM lParam)
{
    HWND attachedBefore = g_app.skypeApiWindow;
    switch (ReadAttachReply(wParam, lParam)) {
    case kAttachAttached:
        // A second success for the same window (after a discovery sent meanwhile) is no new
        // attach: Skype's calls were asked for already.
        if (g_app.skypeApiWindow == attachedBefore)
            RefreshStatus();
        else
            OnSkypeFound();
        break;
    case kAttachAsking:
    case kAttachRefused:
        ShowSkypeAccess();
        break;
    case kAttachApiAvailable:
        ShowSkypeAccess();
        // Posted, not broadcast from here: Skype's message may itself be part of a broadcast
        // or a send that waits for us.
        PostMessageA(g_app.ownWindow, WM_APP_SKYPE_AVAILABLE, 0, 0);
        break;
    case kAttachOther:
        break;
    }
}

void OnSkypeAvailable()
{
    // Not when Skype has answered since (a discovery on a tick came first): each discovery
    // while Skype asks its user would open another question.
    if (!g_app.skypeApiWindow && g_app.discoveryPauseTicks == 0)
        SendDiscoverBroadcast();
}

void OnKeepAliveTimer()
{
    KeepTrayIconShown();
    CloseToneDeviceWhenQuiet();
    switch (KeepAliveTick()) {
    case kKeepAlivePinged:
        if (g_app.handsetStatus == 0)
            RetryRefusedSkypeAudioDevices();
        break;
    case kKeepAliveWaiting:
        break;
    case kKeepAliveNotAttached:
        SendDiscoverBroadcast();
        break;
    case kKeepAliveLinkDropped:
        OnSkypeLost();
        break;
    case kKeepAliveSkypeGone:
        OnSkypeLost();
        SendDiscoverBroadcast();
        break;
    }
}

void OnHandsetPlugged(int connected)
{
    if (CloseRequested())
        return;
    bool reconnected = connected && g_app.handsetStatus != 0;
    g_app.handsetStatus = connected ? 0 : -1;
    RefreshStatus();
    if (reconnected)
        RedrawReconnectedHandset();
}

void OnSoundDevicesChanged()
{
    // The held tone device may be gone, or no longer the one to choose: the next tone
    // chooses and opens again.
    CloseToneDevice();
    // A USB handset is two devices to Windows, the vendor's and a sound device, arriving in
    // either order: when the sound device comes after the plug event, Skype must be told again.
    if (g_app.skypeApiWindow && g_app.handsetStatus == 0)
        UpdateSkypeAudioDevices();
}
