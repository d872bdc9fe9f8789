// Reading Skype's "CALL <id> <PROPERTY> <value>" notifications: which call, and what they say
// of it.
#pragma once
#include <cstdint>

// What a status does to the tracked call.
enum CallStatusEffect {
    kPlaced,    // our own call is being placed
    kRings,     // rings here, or at the far end for our own call
    kConnected, // in conversation
    kOnHold,    // in conversation, held: no change for a call already tracked
    kEnds,      // the call is over
};

// "CALL <id> TYPE <value>": which side placed the call.
enum CallDirection {
    kDirectionUnknown, // no TYPE, or a value not known here
    kIncoming,         // INCOMING_P2P, INCOMING_PSTN
    kOutgoing,         // OUTGOING_P2P, OUTGOING_PSTN
};

struct CallStatusRule {
    const char* word; // Skype's status word, the whole value of "CALL <id> STATUS <word>"
    CallStatusEffect effect;
    bool leavesConversation; // an ending that takes the id out of the active-call set
    bool clearsRinging;      // an ending that forgets the ringing call id
};

// At most one of status, name, handle and direction is set: the property right after the id
// decides which, and nothing in the value is read as anything else. A caller's name is only a
// name.
struct CallNotification {
    int32_t id; // 0 when the text has no readable id: then nothing else is read
    // "STATUS <word>" with a status of the table as the whole value; null for any other
    // property, and for a status the table does not know.
    const CallStatusRule* status;
    // The value of "PARTNER_DISPNAME <name>": the rest of the text, whatever it holds.
    const char* name;
    // The value of "PARTNER_HANDLE <handle>": the rest of the text, whatever it holds.
    const char* handle;
    // The value of "TYPE <value>", the whole of it.
    CallDirection direction;
};

// Reads `text` (NUL-terminated). The pointers point into it.
CallNotification ReadCallNotification(const char* text);
