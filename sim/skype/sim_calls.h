// Calls of the simulated Skype: the call table and every status change, each of which
// queues the notification Skype sends for it.
#pragma once
#include <string>

#include "sim_state.h"

bool IsCallEnded(const SimCall& call);

// The call with that id, or null. The pointer is valid until the next call is created.
SimCall* FindCall(int id);

// A call from `handle` (a Skype name or a phone number) with the display name `displayName`
// (UTF-8, may be empty) rings here: "CALL <id> STATUS RINGING". Returns the new id.
int StartIncomingCall(const std::string& handle, const std::string& displayName);

// The Skype name a simulated contact called `displayName` has: lower case, a dot for each
// blank ("Ann Example" -> "ann.example").
std::string HandleForName(const std::string& displayName);

// An incoming call from `handle` that is already in conversation (rang and was answered
// before anyone was told). Returns the new id.
int StartCallInProgress(const std::string& handle, const std::string& displayName);

// "CALLS <id>, <id>": the calls that have not ended, oldest first ("CALLS " when none).
std::string ActiveCallsReply();

// The user dials `number`: UNPLACED, ROUTING, then RINGING at the far end. Returns the id.
int StartOutgoingCall(const std::string& number);

// Moves the call to `status` and queues "CALL <id> STATUS <status>".
void SetCallStatus(SimCall& call, const char* status);

// This side ends the call: FINISHED when connected, REFUSED when it was ringing here,
// CANCELLED when it was still being placed. False when the call had ended already.
bool HangUpLocally(SimCall& call);

// The far end ends the call: FINISHED when connected, MISSED when the caller gives up while
// it rings here, REFUSED when our call is turned down. False when it had ended already.
bool HangUpRemotely(SimCall& call);

// The newest call that has not ended, or null.
SimCall* NewestLiveCall();

// Periodic work: DURATION lines, the ring timeout and the replies held back by the GET
// delay. Called from a timer.
void TickCalls();

// One line per call for the control channel:
// "<id> <status> <in|out> <seconds> <handle> <display name>".
std::string DescribeCall(const SimCall& call);
