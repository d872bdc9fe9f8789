// Reading Skype's call notifications.
#include "pure/call_notification.h"

#include <cstring>

#include "pure/call_id.h"

namespace {
// Skype's property is PARTNER_DISPNAME; the other spelling is accepted from older peers.
const char* const kNameMarkers[] = {" PARTNER_DISPNAME ", " PARTENER_DISPNAME "};
const char kHandleMarker[] = " PARTNER_HANDLE ";

// One row per word, searched in this order; the first word found anywhere in the text decides.
// FAILED and UNPLACED end a call that never was in conversation. FINISHED keeps the ringing
// id: a refused second call reports FINISHED while the first one goes on. Skype ends our own
// call given up before the far end answers as CANCELLED, with no FINISHED after it. ONHOLD
// changes nothing, and BUSY has no row: what a real Skype sends after it is not known, so it
// is left as it always was.
const CallStatusRule kStatusRules[] = {
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

const char* FindName(const char* text)
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
    return name;
}

const CallStatusRule* FindStatusRule(const char* text)
{
    for (const CallStatusRule& rule : kStatusRules)
        if (strstr(text, rule.word))
            return &rule;
    return nullptr;
}
} // namespace

CallNotification ReadCallNotification(const char* text)
{
    CallNotification notification = {};
    const char* afterId = nullptr;
    notification.id = ReadCallId(text, &afterId);
    if (notification.id == 0)
        return notification;
    // The handle reply has the property right after the id, where Skype puts it. The rest of
    // it is the handle whatever it holds, never read as a name or a status.
    if (strncmp(afterId, kHandleMarker, strlen(kHandleMarker)) == 0) {
        notification.handle = afterId + strlen(kHandleMarker);
        return notification;
    }
    notification.name = FindName(text);
    notification.status = FindStatusRule(text);
    return notification;
}
