// Asking Skype which calls it holds, at every attach: the driver learns of calls only from
// notifications of changes, so a restart or a lost link would otherwise forget calls that go
// on (a conversation whose far end keeps hearing the room).
#pragma once
#include "pure/call_notification.h"

// A new attach: "SEARCH ACTIVECALLS". What was asked at an earlier attach is forgotten.
void SearchSkypeCalls();
// The link to Skype was lost: nothing asked is awaited any more.
void ForgetCallSearch();

// Skype's reply "CALLS <id>, <id>": for each id (at most kMaxActiveCallsAsked) "GET CALL <id>
// STATUS" and "GET CALL <id> TYPE". False when `text` is no such reply.
bool HandleActiveCallsReply(const char* text);

// A call notification about a call asked about: its status or its type is noted, and the call
// taken once what it needs is known. True when the notification has been dealt with here;
// false when it is for the call tracking as any other.
bool TakeCallSearchAnswer(const CallNotification& notification);
