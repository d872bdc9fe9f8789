// Reading Skype's call notifications by their property.
#include "pure/call_notification.h"

#include <cstring>

#include "pure/call_id.h"

namespace {
// Skype's property is PARTNER_DISPNAME; the other spelling is accepted from older peers.
const char* const kNameProperties[] = {"PARTNER_DISPNAME", "PARTENER_DISPNAME"};
const char kHandleProperty[] = "PARTNER_HANDLE";
const char kStatusProperty[] = "STATUS";
const char kTypeProperty[] = "TYPE";

const struct {
    const char* value;
    CallDirection direction;
} kCallTypes[] = {
    {"INCOMING_P2P", kIncoming},
    {"INCOMING_PSTN", kIncoming},
    {"OUTGOING_P2P", kOutgoing},
    {"OUTGOING_PSTN", kOutgoing},
};

// FAILED and UNPLACED end a call that never was in conversation. FINISHED keeps the ringing
// id: a refused second call reports FINISHED while the first one goes on. Skype ends our own
// call given up before the far end answers as CANCELLED, and one whose callee is busy as BUSY;
// clients take both as final. ONHOLD changes nothing for a call already tracked.
const CallStatusRule kStatusRules[] = {
    {"FAILED", kEnds, false, true},
    {"ROUTING", kPlaced, false, false},
    {"UNPLACED", kEnds, false, true},
    {"RINGING", kRings, false, false},
    {"INPROGRESS", kConnected, false, false},
    {"ONHOLD", kOnHold, false, false},
    {"FINISHED", kEnds, true, false},
    {"MISSED", kEnds, true, true},
    {"REFUSED", kEnds, true, true},
    {"CANCELLED", kEnds, true, true},
    {"BUSY", kEnds, true, true},
};

// True when the property at `at` is `name` followed by its single blank; `value` gets the
// rest of the text.
bool IsProperty(const char* at, const char* name, const char** value)
{
    size_t length = strlen(name);
    if (strncmp(at, name, length) != 0 || at[length] != ' ')
        return false;
    *value = at + length + 1;
    return true;
}

CallDirection FindDirection(const char* value)
{
    for (const auto& type : kCallTypes)
        if (strcmp(value, type.value) == 0)
            return type.direction;
    return kDirectionUnknown;
}

const CallStatusRule* FindStatusRule(const char* word)
{
    for (const CallStatusRule& rule : kStatusRules)
        if (strcmp(word, rule.word) == 0)
            return &rule;
    return nullptr;
}
} // namespace

CallNotification ReadCallNotification(const char* text)
{
    CallNotification notification = {};
    const char* afterId = nullptr;
    notification.id = ReadCallId(text, &afterId);
    if (notification.id == 0 || *afterId != ' ')
        return notification;
    // Skype writes "CALL <id> <PROPERTY> <value>" with one blank between them.
    const char* property = afterId + 1;
    const char* value = nullptr;
    if (IsProperty(property, kStatusProperty, &value)) {
        notification.status = FindStatusRule(value);
    } else if (IsProperty(property, kHandleProperty, &value)) {
        notification.handle = value;
    } else if (IsProperty(property, kTypeProperty, &value)) {
        notification.direction = FindDirection(value);
    } else {
        for (const char* nameProperty : kNameProperties)
            if (IsProperty(property, nameProperty, &value))
                notification.name = value;
    }
    return notification;
}
