// Call-state tracking: ringing, caller names, the in-call indicator, refusing a second call.
#include "skype/call_tracking.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "handset/handset_display.h"
#include "skype/skype_link.h"

namespace {
// Skype's property is PARTNER_DISPNAME; the other spelling is accepted from older peers.
const char* const kNameMarkers[] = {" PARTNER_DISPNAME ", " PARTENER_DISPNAME "};

enum CallStatus { kNone, kFailed, kRouting, kUnplaced, kRinging, kInProgress, kOnHold,
                  kFinished, kMissed, kRefused };

// Searched in this order; the first word found anywhere in the text decides.
const struct {
    const char* word;
    CallStatus status;
} kStatusWords[] = {
    {" STATUS FAILED", kFailed},       {" STATUS ROUTING", kRouting},
    {" STATUS UNPLACED", kUnplaced},   {" STATUS RINGING", kRinging},
    {" STATUS INPROGRESS", kInProgress}, {" STATUS ONHOLD", kOnHold},
    {" STATUS FINISHED", kFinished},   {" STATUS MISSED", kMissed},
    {" STATUS REFUSED", kRefused},
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void TakeDisplayName(const char* text)
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
    // The buffer keeps the first 999 characters of a longer name.
    size_t length = strnlen(name, sizeof g_app.dialBuffer.text - 1);
    memcpy(g_app.dialBuffer.text, name, length);
    g_app.dialBuffer.text[length] = '\0';
    g_app.dialBuffer.length = int(length);
    ShowDialBuffer();
}

CallStatus FindStatus(const char* text)
{
    for (const auto& entry : kStatusWords)
        if (strstr(text, entry.word))
            return entry.status;
    return kNone;
}

void SendForCall(const char* format, int callId)
{
    char command[100];
    snprintf(command, sizeof command, format, callId);
    SendSkypeCommand(command);
}

void OnRinging(int id)
{
    SetInCallIndicator(1);
    // Recorded before the sends: Skype may report this call's end (MISSED, INPROGRESS, ...)
    // while a send waits, and that report must be what stays.
    g_app.ringingCallId = id;
    if (g_app.placedCalls.Contains(id))
        return;
    if (g_app.activeCalls.IsEmpty()) {
        RingHandset(1);
        SendForCall("GET CALL %d PARTNER_DISPNAME", id);
    } else {
        SendForCall("SET CALL %d STATUS FINISHED", id); // busy in another call
    }
}

// FAILED, UNPLACED, FINISHED, MISSED, REFUSED. The indicator and the display belong to the
// call in conversation, so they are cleared only when no call is left in conversation.
void OnCallEnded(int id, CallStatus status)
{
    bool leavesActive = status == kFinished || status == kMissed || status == kRefused;
    // Decided before the removals so that the steps keep their order.
    bool noneActiveAfter = g_app.activeCalls.IsEmpty() ||
                           (leavesActive && g_app.activeCalls.Count() == 1 &&
                            g_app.activeCalls.Contains(id));

    if (noneActiveAfter)
        SetInCallIndicator(0);
    RingHandset(0);
    g_app.placedCalls.Remove(id);
    if (leavesActive)
        g_app.activeCalls.Remove(id);
    if (status != kFinished)
        g_app.ringingCallId = 0;
    if (leavesActive && noneActiveAfter)
        EmptyDialBuffer();
}
} // namespace

int ParseCallId(const char* text)
{
    if (strncmp(text, "CALL", 4) != 0)
        return 0;
    const char* p = text + 4;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return 0;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX + 1LL)
            return 0; // out of range counts as unreadable
    }
    if (negative)
        value = -value;
    return value > INT_MAX ? 0 : int(value);
}

void HandleCallNotification(const char* text)
{
    int id = ParseCallId(text);
    if (id < 1)
        return;
    TakeDisplayName(text);
    CallStatus status = FindStatus(text);
    switch (status) {
    case kRouting:
        g_app.placedCalls.Add(id);
        g_app.placedCallId = id;
        break;
    case kRinging:
        OnRinging(id);
        break;
    case kInProgress:
        SetInCallIndicator(1);
        RingHandset(0);
        g_app.activeCalls.Add(id);
        g_app.ringingCallId = 0;
        break;
    case kFailed:
    case kUnplaced:
    case kFinished:
    case kMissed:
    case kRefused:
        OnCallEnded(id, status);
        break;
    case kOnHold:
    case kNone:
        break;
    }
}

void AnswerCall(int callId)
{
    SendForCall("SET CALL %d STATUS INPROGRESS", callId);
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
    EmptyDialBuffer();
}
