// Calls found by asking Skype at attach (see call_search.h).
#include "skype/call_search.h"

#include <cstring>

#include "core/app_state.h"
#include "pure/active_calls.h"
#include "skype/call_tracking.h"
#include "skype/skype_link.h"

namespace {
AskedCall* FindAskedCall(int id)
{
    for (int i = 0; i < g_app.askedCallCount; ++i)
        if (g_app.askedCalls[i].id == id)
            return &g_app.askedCalls[i];
    return nullptr;
}

// A call rings here or at the far end depending on who placed it: it waits for its type.
// Anything else is taken on its status alone.
void TakeWhenKnown(AskedCall& call)
{
    if (call.taken || call.ended || !call.status)
        return;
    CallStatusEffect effect = call.status->effect;
    if (effect == kRings && call.direction == kDirectionUnknown)
        return;
    call.taken = true;
    int id = call.id;
    TakeFoundCall(id, effect, call.direction);
    // The handset went down while Skype did not answer: the conversation ends now.
    if ((effect == kConnected || effect == kOnHold) && call.hangUp &&
        g_app.activeCalls.Contains(id))
        SendSkypeCallCommand("SET CALL %d STATUS FINISHED", id);
}
} // namespace

void SearchSkypeCalls()
{
    g_app.askedCallCount = 0;
    g_app.callSearchAsked = true;
    SendSkypeCommand("SEARCH ACTIVECALLS");
}

void ForgetCallSearch()
{
    g_app.callSearchAsked = false;
    g_app.askedCallCount = 0;
}

bool HandleActiveCallsReply(const char* text)
{
    int32_t ids[kMaxActiveCallsAsked];
    int count = ReadActiveCalls(text, ids, kMaxActiveCallsAsked);
    if (count < 0)
        return false;
    if (!g_app.callSearchAsked)
        return true; // not asked for: a list nobody awaits
    g_app.callSearchAsked = false;
    // The handset put down while Skype was silent is honoured once, by this answer.
    bool hangUp = g_app.hungUpWhileSilent;
    g_app.hungUpWhileSilent = false;
    // All recorded before the first question: the answers may come inside its send. A call
    // whose notifications came before this reply (one that rang during the attach) is known.
    g_app.askedCallCount = 0;
    for (int i = 0; i < count; ++i) {
        int id = ids[i];
        if (g_app.activeCalls.Contains(id) || g_app.placedCalls.Contains(id) ||
            g_app.ringingCalls.Contains(id) || g_app.ringingCallId == id)
            continue;
        g_app.askedCalls[g_app.askedCallCount++] =
            AskedCall{id, nullptr, kDirectionUnknown, false, false, hangUp};
    }
    // The table is read again after each send: a lost link inside one empties it.
    for (int i = 0; i < g_app.askedCallCount; ++i) {
        int id = g_app.askedCalls[i].id;
        SendSkypeCallCommand("GET CALL %d STATUS", id);
        if (i < g_app.askedCallCount)
            SendSkypeCallCommand("GET CALL %d TYPE", id);
    }
    return true;
}

bool TakeCallSearchAnswer(const CallNotification& notification)
{
    AskedCall* call = FindAskedCall(notification.id);
    if (!call)
        return false;
    if (notification.status) {
        // UNPLACED opens a call placed in Skype (UNPLACED, ROUTING, RINGING): news of it that
        // Skype had queued before it answered comes after the answers, and what follows it
        // must still count.
        bool ends = notification.status->effect == kEnds &&
                    strcmp(notification.status->word, "UNPLACED") != 0;
        if (call->ended)
            return true; // a late answer does not bring an ended call back
        if (call->taken) {
            call->ended = ends;
            return false; // news of a call now tracked as any other
        }
        if (ends) {
            call->ended = true; // never acted on: nothing to undo
            return true;
        }
        // The newest status stands, whether it is the answer or news that came before it.
        call->status = notification.status;
    } else if (notification.direction != kDirectionUnknown) {
        if (call->taken || call->ended)
            return true; // nothing waits for it any more
        call->direction = notification.direction;
    } else {
        return false; // its name, its handle, its duration: as for any call
    }
    TakeWhenKnown(*call);
    return true;
}
