// Call-state tracking: ringing, caller names, the in-call indicator, refusing a second call.
#include "skype/call_tracking.h"

#include <cstdio>
#include <cstring>

#include "core/app_state.h"
#include "core/ascii_text.h"
#include "core/call_id.h"
#include "core/lcd_text.h"
#include "handset/handset_display.h"
#include "handset/ringer.h"
#include "skype/skype_link.h"

namespace {
// Skype's property is PARTNER_DISPNAME; the other spelling is accepted from older peers.
const char* const kNameMarkers[] = {" PARTNER_DISPNAME ", " PARTENER_DISPNAME "};
const char kHandleMarker[] = " PARTNER_HANDLE ";

// What a status word does to the tracked call.
enum StatusEffect {
    kNoEffect,
    kPlaced,    // our own call is being placed
    kRings,     // rings here, or at the far end for our own call
    kConnected, // in conversation
    kEnds,      // the call is over
};

struct StatusRule {
    const char* word;
    StatusEffect effect;
    bool leavesConversation; // an ending that takes the id out of the active-call set
    bool clearsRinging;      // an ending that forgets the ringing call id
};

// One row per word, searched in this order; the first word found anywhere in the text decides.
// FAILED and UNPLACED end a call that never was in conversation. FINISHED keeps the ringing
// id: a refused second call reports FINISHED while the first one goes on. Skype ends our own
// call given up before the far end answers as CANCELLED, with no FINISHED after it. ONHOLD
// changes nothing, and BUSY has no row: what a real Skype sends after it is not known, so it
// is left as it always was.
const StatusRule kStatusRules[] = {
    {" STATUS FAILED", kEnds, false, true},
    {" STATUS ROUTING", kPlaced, false, false},
    {" STATUS UNPLACED", kEnds, false, true},
    {" STATUS RINGING", kRings, false, false},
    {" STATUS INPROGRESS", kConnected, false, false},
    {" STATUS ONHOLD", kNoEffect, false, false},
    {" STATUS FINISHED", kEnds, true, false},
    {" STATUS MISSED", kEnds, true, true},
    {" STATUS REFUSED", kEnds, true, true},
    {" STATUS CANCELLED", kEnds, true, true},
};

bool IsBlankText(const char* text)
{
    for (; *text; ++text)
        if (!IsAsciiBlank(*text))
            return false;
    return true;
}

void SendForCall(const char* format, int callId)
{
    char command[100];
    snprintf(command, sizeof command, format, callId);
    SendSkypeCommand(command);
}

// A caller's name or handle as Skype sends it (UTF-8), on the LCD as its single-byte text.
void ShowCaller(const char* utf8)
{
    g_app.dialBuffer.length =
        FoldUtf8ForLcd(utf8, g_app.dialBuffer.text, int(sizeof g_app.dialBuffer.text));
    ShowDialBuffer();
}

void ReadDisplayName(int id, const char* text)
{
    const char* markerAt = nullptr; // where both spellings occur, the earlier one counts
    const char* name = nullptr;
    for (const char* marker : kNameMarkers) {
        const char* found = strstr(text, marker);
        if (found && (!markerAt || found < markerAt)) {
            markerAt = found;
            name = found + strlen(marker);
        }
    }
    if (!name)
        return;
    ShowCaller(name);
    if (id != g_app.callerAskedCallId)
        return;
    // An unknown caller (a phone number, an account not in the contacts) has no display
    // name: the handle is the one thing left to tell the user who calls.
    if (IsBlankText(name))
        SendForCall("GET CALL %d PARTNER_HANDLE", id);
    else
        g_app.callerAskedCallId = 0;
}

void ReadHandle(int id, const char* handle)
{
    // Only for the call still ringing whose name came empty: once it was answered or ended,
    // or another call rings, the display belongs to something else.
    if (id != g_app.callerAskedCallId)
        return;
    g_app.callerAskedCallId = 0;
    ShowCaller(handle);
}

const StatusRule* FindStatusRule(const char* text)
{
    for (const StatusRule& rule : kStatusRules)
        if (strstr(text, rule.word))
            return &rule;
    return nullptr;
}

void OnRinging(int id)
{
    // Skype repeats a status two or three times in a row: the call already rings (here or at
    // the far end), or was already refused as a second call. Call ids are never reused.
    if (id == g_app.ringingCallId)
        return;
    SetInCallIndicator(1);
    // Recorded before the sends: Skype may report this call's end (MISSED, INPROGRESS, ...)
    // while a send waits, and that report must be what stays; its answers to them are
    // matched against the ringing call.
    g_app.ringingCallId = id;
    g_app.callerAskedCallId = 0;
    g_app.silentRingCallId = 0;
    if (g_app.placedCalls.Contains(id))
        return;
    if (g_app.activeCalls.IsEmpty()) {
        // A ringer at the ear of someone who holds the handset: the caller's name on the LCD
        // is enough, and YES or the hook switch answers.
        if (g_app.hookState == 0)
            g_app.silentRingCallId = id;
        else
            RingHandset(1);
        g_app.callerAskedCallId = id;
        SendForCall("GET CALL %d PARTNER_DISPNAME", id);
    } else {
        SendForCall("SET CALL %d STATUS FINISHED", id); // busy in another call
    }
}

// The indicator and the display belong to the call in conversation, so they are cleared only
// when no call is left in conversation.
void OnCallEnded(int id, const StatusRule& rule)
{
    // Decided before the removals so that the steps keep their order.
    bool noneActiveAfter = g_app.activeCalls.IsEmpty() ||
                           (rule.leavesConversation && g_app.activeCalls.Count() == 1 &&
                            g_app.activeCalls.Contains(id));

    if (noneActiveAfter)
        SetInCallIndicator(0);
    RingHandset(0);
    g_app.placedCalls.Remove(id);
    if (rule.leavesConversation)
        g_app.activeCalls.Remove(id);
    if (rule.clearsRinging)
        g_app.ringingCallId = 0;
    if (rule.leavesConversation && noneActiveAfter)
        EmptyDialBuffer();
}
} // namespace

void HandleCallNotification(const char* text)
{
    const char* afterId = nullptr;
    int id = ReadCallId(text, &afterId);
    if (id < 1)
        return;
    // The handle reply has the property right after the id, where Skype puts it. The rest of
    // it is the handle whatever it holds, never read as a name or a status.
    if (strncmp(afterId, kHandleMarker, strlen(kHandleMarker)) == 0) {
        ReadHandle(id, afterId + strlen(kHandleMarker));
        return;
    }
    ReadDisplayName(id, text);
    const StatusRule* rule = FindStatusRule(text);
    if (!rule)
        return;
    // Any news of the call but its ringing: it was answered or has ended, and a handle
    // asked for it is no longer wanted, nor a ringer started for it.
    if (rule->effect != kRings) {
        if (id == g_app.callerAskedCallId)
            g_app.callerAskedCallId = 0;
        if (id == g_app.silentRingCallId)
            g_app.silentRingCallId = 0;
    }
    switch (rule->effect) {
    case kPlaced:
        g_app.placedCalls.Add(id);
        g_app.placedCallId = id;
        break;
    case kRings:
        OnRinging(id);
        break;
    case kConnected:
        SetInCallIndicator(1);
        RingHandset(0);
        g_app.activeCalls.Add(id);
        g_app.ringingCallId = 0;
        break;
    case kEnds:
        OnCallEnded(id, *rule);
        break;
    case kNoEffect:
        break;
    }
}

void AnswerCall(int callId)
{
    SendForCall("SET CALL %d STATUS INPROGRESS", callId);
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
            SendForCall("SET CALL %d STATUS FINISHED", id);
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
                    g_app.ringingCallId > 0 || g_app.inCall;
    if (!tracking)
        return;
    RingHandset(0);
    SetInCallIndicator(0);
    g_app.placedCalls.Clear();
    g_app.activeCalls.Clear();
    g_app.placedCallId = 0;
    g_app.ringingCallId = 0;
    g_app.callerAskedCallId = 0;
    g_app.silentRingCallId = 0;
    EmptyDialBuffer();
}
