// Reading Skype's "CALL <id> ..." notifications: which call, and what they say of it.
#pragma once
#include <cstdint>

// What a status word does to the tracked call.
enum CallStatusEffect {
    kNoEffect,
    kPlaced,    // our own call is being placed
    kRings,     // rings here, or at the far end for our own call
    kConnected, // in conversation
    kEnds,      // the call is over
};

struct CallStatusRule {
    const char* word; // as it stands in the text, with its leading " STATUS "
    CallStatusEffect effect;
    bool leavesConversation; // an ending that takes the id out of the active-call set
    bool clearsRinging;      // an ending that forgets the ringing call id
};

struct CallNotification {
    int32_t id; // 0 when the text has no readable id: then nothing else is read
    // The reply to "GET CALL <id> PARTNER_HANDLE": the rest of the text after the property,
    // whatever it holds; null for every other text (which is then read for a name and a
    // status).
    const char* handle;
    // The text after the display-name property; null when the text carries none.
    const char* name;
    // The first status word of the table found anywhere in the text; null when none.
    const CallStatusRule* status;
};

// Reads `text` (NUL-terminated). The pointers point into it.
CallNotification ReadCallNotification(const char* text);
