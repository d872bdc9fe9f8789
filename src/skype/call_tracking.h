// Skype's call notifications turned into handset behaviour.
#pragma once
#include "pure/call_notification.h"

// A notification beginning with "CALL " (any case), read by the property after the id: a
// status change "CALL <id> STATUS <word>", or the reply carrying the caller's display name or
// handle (asked when the name is empty), shown only for the call they were asked for.
void HandleCallNotification(const char* text);

// A call Skype reported holding when asked at attach, taken as the notifications it would
// have been: in conversation or on hold (shown, its caller asked), our own call routing or
// ringing at the far end (placed here), an incoming call ringing (it rings).
void TakeFoundCall(int id, CallStatusEffect effect, CallDirection direction);

// Answers a ringing call: "SET CALL <id> STATUS INPROGRESS".
void AnswerCall(int callId);

// The handset was put down: every call in conversation, and our own call still being placed
// or ringing at the far end, ended with "SET CALL <id> STATUS FINISHED", in ascending order.
void HangUpCalls();

// The handset was lifted: the incoming call whose ringer rings is answered.
void AnswerRingingCallOnLift();

// The handset was put down: an incoming call that came while it was lifted starts its ringer
// now. True when one did.
bool RingSilentCall();

// The call that DTMF digits go to: the placed call while it is in conversation, else the
// highest call in conversation, else the placed call.
int DtmfCallId();

// The link to Skype was lost: whatever calls were tracked are gone with it (ringer stopped,
// indicator off, sets emptied, display emptied). Does nothing when nothing was tracked.
void ForgetCallsOfLostSkype();
