// Call-state tracking: ringing, caller names, the in-call indicator, refusing a second call.
#include "skype/call_tracking.h"

#include "core/app_state.h"
#include "handset/handset_display.h"
#include "handset/ringer.h"
#include "pure/ascii_text.h"
#include "pure/call_notification.h"
#include "pure/lcd_text.h"
#include "skype/call_search.h"
#include "skype/skype_link.h"

namespace {
bool IsBlankText(const char* text)
{
    for (; *text; ++text)
        if (!IsAsciiBlank(*text))
            return false;
    return true;
}

// A caller's name or handle as Skype sends it (UTF-8), on the LCD as its single-byte text.
void ShowCaller(int id, const char* utf8)
{
    g_app.shownCallerCallId = id;
    g_app.dialBuffer.length =
        FoldUtf8ForLcd(utf8, g_app.dialBuffer.text, int(sizeof g_app.dialBuffer.text));
    ShowDialBuffer();
}

// A name or handle is shown only for the call whose caller was asked for last, while that
// call still rings here or is in conversation: Skype's replies can come seconds late, and a
// late one must not put a caller on the idle display, nor over the caller of the call that
// rings now.
void ShowDisplayName(int id, const char* name)
{
    if (id != g_app.callerCallId)
        return;
    ShowCaller(id, name);
    // An unknown caller (a phone number, an account not in the contacts) has no display
    // name: the handle is the one thing left to tell the user who calls.
    g_app.handleAsked = IsBlankText(name);
    if (g_app.handleAsked)
        SendSkypeCallCommand("GET CALL %d PARTNER_HANDLE", id);
}

void ShowHandle(int id, const char* handle)
{
    if (id != g_app.callerCallId || !g_app.handleAsked)
        return;
    g_app.handleAsked = false;
    ShowCaller(id, handle);
}

void AskForCaller(int id)
{
    g_app.callerCallId = id;
    g_app.handleAsked = false;
    SendSkypeCallCommand("GET CALL %d PARTNER_DISPNAME", id);
}

void OnPlaced(int id)
{
    g_app.placedCalls.Add(id);
    g_app.placedCallId = id;
}

bool HasOtherThan(const CallIdSet& calls, int id)
{
    return calls.Count() > (calls.Contains(id) ? 1u : 0u);
}

// Once the ringing call has been answered or has ended, YES and lifting answer the newest
// call still ringing here, if any; while the handset is lifted it rings only once put down.
void TakeNextRingingCall()
{
    g_app.ringingCallId = g_app.ringingCalls.Highest();
    if (g_app.hookState == 0)
        g_app.silentRingCallId = g_app.ringingCallId;
}

// The ringer stops unless another call still rings here at a handset that is down (or not
// known to be lifted): one call answered or ended does not silence the others.
void StopRingerUnlessOtherCallRings(int id)
{
    if (!HasOtherThan(g_app.ringingCalls, id) || g_app.hookState == 0)
        RingHandset(0);
}

void OnConnected(int id)
{
    SetInCallIndicator(1);
    StopRingerUnlessOtherCallRings(id);
    g_app.activeCalls.Add(id);
    g_app.ringingCalls.Remove(id);
    TakeNextRingingCall();
}

void OnRinging(int id)
{
    // Skype repeats a status two or three times in a row: the call already rings (here or at
    // the far end), or was already refused as a second call. Call ids are never reused.
    if (id == g_app.ringingCallId || g_app.ringingCalls.Contains(id))
        return;
    // A call in conversation does not ring again: a late answer to what was asked at attach
    // may still say RINGING, and taken as a second call it would hang the conversation up.
    if (g_app.activeCalls.Contains(id))
        return;
    SetInCallIndicator(1);
    // Our own call ringing at the far end: a call ringing here goes on ringing, and stays
    // the one that YES and lifting answer.
    bool placed = g_app.placedCalls.Contains(id);
    if (placed && !g_app.ringingCalls.IsEmpty())
        return;
    // Recorded before the sends: Skype may report this call's end (MISSED, INPROGRESS, ...)
    // while a send waits, and that report must be what stays; its answers to them are
    // matched against the ringing call.
    g_app.ringingCallId = id;
    g_app.silentRingCallId = 0;
    if (placed)
        return;
    if (g_app.activeCalls.IsEmpty()) {
        g_app.ringingCalls.Add(id);
        // A ringer at the ear of someone who holds the handset: the caller's name on the LCD
        // is enough, and YES or the hook switch answers.
        if (g_app.hookState == 0)
            g_app.silentRingCallId = id;
        else
            RingHandset(1);
        AskForCaller(id);
    } else {
        SendSkypeCallCommand("SET CALL %d STATUS FINISHED", id); // busy in another call
    }
}

// The indicator stays on while any other call holds the handset: one in conversation, our
// own call not yet ended, or one ringing here. The display is cleared when the call whose
// caller it shows ends, and when no call is left that holds the handset.
void OnCallEnded(int id, const CallStatusRule& rule, bool shownCallerEnds)
{
    // Decided before the removals so that the steps keep their order.
    bool noneActiveAfter = g_app.activeCalls.IsEmpty() ||
                           (rule.leavesConversation && g_app.activeCalls.Count() == 1 &&
                            g_app.activeCalls.Contains(id));
    bool othersHold = HasOtherThan(g_app.placedCalls, id) || HasOtherThan(g_app.ringingCalls, id);

    if (noneActiveAfter && !othersHold)
        SetInCallIndicator(0);
    StopRingerUnlessOtherCallRings(id);
    g_app.placedCalls.Remove(id);
    g_app.ringingCalls.Remove(id);
    if (rule.leavesConversation)
        g_app.activeCalls.Remove(id);
    // Any end of the ringing call passes it on (FINISHED included, which the status table
    // leaves it to): lifting must not answer a call that has ended while another still rings.
    if (rule.clearsRinging || id == g_app.ringingCallId)
        TakeNextRingingCall();
    if ((rule.leavesConversation && noneActiveAfter && !othersHold) || shownCallerEnds)
        EmptyDialBuffer();
}
} // namespace

void HandleCallNotification(const char* text)
{
    CallNotification notification = ReadCallNotification(text);
    int id = notification.id;
    if (id < 1 || TakeCallSearchAnswer(notification))
        return;
    if (notification.handle) {
        ShowHandle(id, notification.handle);
        return;
    }
    if (notification.name) {
        ShowDisplayName(id, notification.name);
        return;
    }
    const CallStatusRule* rule = notification.status;
    if (!rule)
        return;
    // Any news of the call but its ringing: it was answered or has ended, and no ringer is
    // started for it any more; once it has ended, no name or handle is shown for it.
    if (rule->effect != kRings && id == g_app.silentRingCallId)
        g_app.silentRingCallId = 0;
    bool shownCallerEnds = rule->effect == kEnds && id == g_app.shownCallerCallId;
    if (rule->effect == kEnds && id == g_app.callerCallId) {
        g_app.callerCallId = 0;
        g_app.handleAsked = false;
    }
    switch (rule->effect) {
    case kPlaced:
        OnPlaced(id);
        break;
    case kRings:
        OnRinging(id);
        break;
    case kConnected:
        OnConnected(id);
        break;
    case kEnds:
        OnCallEnded(id, *rule, shownCallerEnds);
        break;
    case kOnHold:
        break;
    }
}

void TakeFoundCall(int id, CallStatusEffect effect, CallDirection direction)
{
    switch (effect) {
    case kConnected:
    case kOnHold:
        // Nothing told us of this conversation: its caller is asked, as for a call that rings.
        OnConnected(id);
        AskForCaller(id);
        break;
    case kPlaced:
        OnPlaced(id);
        break;
    case kRings:
        if (direction == kOutgoing)
            OnPlaced(id); // our own call, ringing at the far end
        OnRinging(id);
        break;
    case kEnds:
        break;
    }
}

void AnswerCall(int callId)
{
    SendSkypeCallCommand("SET CALL %d STATUS INPROGRESS", callId);
}

void HangUpCalls()
{
    // The ids are taken first: Skype's notifications handled inside the sends change the sets.
    CallIdSet ending;
    for (size_t i = 0; i < g_app.activeCalls.Count(); ++i)
        ending.Add(g_app.activeCalls.At(i));
    for (size_t i = 0; i < g_app.placedCalls.Count(); ++i)
        ending.Add(g_app.placedCalls.At(i));
    for (size_t i = 0; i < ending.Count(); ++i) {
        int id = ending.At(i);
        if (g_app.activeCalls.Contains(id) || g_app.placedCalls.Contains(id))
            SendSkypeCallCommand("SET CALL %d STATUS FINISHED", id);
    }
}

void AnswerRingingCallOnLift()
{
    // The ringer rings only for an incoming call, the one recorded as ringing.
    if (g_app.ringerOn && g_app.ringingCallId > 0)
        AnswerCall(g_app.ringingCallId);
}

bool RingSilentCall()
{
    if (g_app.silentRingCallId <= 0)
        return false;
    g_app.silentRingCallId = 0;
    RingHandset(1);
    return true;
}

int DtmfCallId()
{
    if (g_app.activeCalls.Contains(g_app.placedCallId))
        return g_app.placedCallId;
    if (!g_app.activeCalls.IsEmpty())
        return g_app.activeCalls.Highest();
    return g_app.placedCallId;
}

void ForgetCallsOfLostSkype()
{
    bool tracking = !g_app.placedCalls.IsEmpty() || !g_app.activeCalls.IsEmpty() ||
                    !g_app.ringingCalls.IsEmpty() || g_app.ringingCallId > 0 || g_app.inCall;
    if (!tracking)
        return;
    RingHandset(0);
    SetInCallIndicator(0);
    g_app.placedCalls.Clear();
    g_app.activeCalls.Clear();
    g_app.ringingCalls.Clear();
    g_app.placedCallId = 0;
    g_app.ringingCallId = 0;
    g_app.callerCallId = 0;
    g_app.handleAsked = false;
    g_app.silentRingCallId = 0;
    EmptyDialBuffer();
}
