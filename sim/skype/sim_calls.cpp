// Calls of the simulated Skype (see sim_calls.h).
#include "sim_calls.h"

#include <cstring>

#include "api_window.h"
#include "sim_log.h"

namespace {
int ConnectedSeconds(const SimCall& call)
{
    if (!call.connected)
        return 0;
    DWORD until = IsCallEnded(call) ? call.endedTick : GetTickCount();
    return int((until - call.connectedTick) / 1000);
}

SimCall& AddCall(const std::string& handle, const std::string& displayName, bool incoming)
{
    SimCall call;
    call.id = g_sim.nextCallId++;
    call.handle = handle;
    call.displayName = displayName;
    call.incoming = incoming;
    g_sim.calls.push_back(call);
    return g_sim.calls.back();
}

bool StatusIs(const SimCall& call, const char* status)
{
    return call.status == status;
}
}  // namespace

bool IsCallEnded(const SimCall& call)
{
    static const char* const kEnded[] = {"FINISHED", "MISSED", "REFUSED", "CANCELLED",
                                         "FAILED", "BUSY"};
    for (const char* status : kEnded)
        if (call.status == status)
            return true;
    return false;
}

SimCall* FindCall(int id)
{
    for (SimCall& call : g_sim.calls)
        if (call.id == id)
            return &call;
    return nullptr;
}

int StartIncomingCall(const std::string& handle, const std::string& displayName)
{
    SimCall& call = AddCall(handle, displayName, true);
    // Skype puts an incoming call in no conference first.
    QueueNotification(Format("CALL %d CONF_ID 0", call.id));
    SetCallStatus(call, "RINGING");
    return call.id;
}

int StartCallInProgress(const std::string& handle, const std::string& displayName)
{
    SimCall& call = AddCall(handle, displayName, true);
    SetCallStatus(call, "RINGING");
    SetCallStatus(call, "INPROGRESS");
    return call.id;
}

std::string ActiveCallsReply()
{
    std::string reply = "CALLS ";
    const char* separator = "";
    for (const SimCall& call : g_sim.calls) {
        if (IsCallEnded(call))
            continue;
        reply += separator + Format("%d", call.id);
        separator = ", ";
    }
    return reply;
}

std::string HandleForName(const std::string& displayName)
{
    std::string handle = displayName;
    for (char& c : handle) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        else if (c == ' ')
            c = '.';
    }
    return handle;
}

int StartOutgoingCall(const std::string& number)
{
    // Skype shows a dialled number as the call's display name too.
    SimCall& call = AddCall(number, number, false);
    // Skype reports ROUTING and RINGING of a placed call twice each, as recorded.
    for (const char* status : {"UNPLACED", "ROUTING", "ROUTING", "RINGING", "RINGING"})
        SetCallStatus(call, status);
    return call.id;
}

void SetCallStatus(SimCall& call, const char* status)
{
    call.status = status;
    call.statusTick = GetTickCount();
    bool connecting = std::strcmp(status, "INPROGRESS") == 0 && !call.connected;
    if (connecting) {
        call.connected = true;
        call.connectedTick = call.statusTick;
        call.durationSent = 0;
    }
    if (IsCallEnded(call))
        call.endedTick = call.statusTick;
    // A call that ends normally has its reason (14) told first.
    if (std::strcmp(status, "FINISHED") == 0)
        QueueNotification(Format("CALL %d FAILUREREASON 14", call.id));
    QueueNotification(Format("CALL %d STATUS %s", call.id, status));
    if (connecting) {
        QueueNotification(Format("CALL %d VIDEO_SEND_STATUS AVAILABLE", call.id));
        QueueNotification(Format("CALL %d VIDEO_STATUS VIDEO_BOTH_ENABLED", call.id));
    }
}

bool HangUpLocally(SimCall& call)
{
    if (IsCallEnded(call))
        return false;
    if (call.connected)
        SetCallStatus(call, "FINISHED");
    else if (call.incoming)
        SetCallStatus(call, "REFUSED");
    else
        SetCallStatus(call, "CANCELLED");
    return true;
}

bool HangUpRemotely(SimCall& call)
{
    if (IsCallEnded(call))
        return false;
    if (call.connected)
        SetCallStatus(call, "FINISHED");
    else if (call.incoming)
        SetCallStatus(call, "MISSED");
    else
        SetCallStatus(call, "REFUSED");
    return true;
}

SimCall* NewestLiveCall()
{
    for (auto it = g_sim.calls.rbegin(); it != g_sim.calls.rend(); ++it)
        if (!IsCallEnded(*it))
            return &*it;
    return nullptr;
}

void TickCalls()
{
    DWORD now = GetTickCount();
    while (!g_sim.delayedReplies.empty() && int(now - g_sim.delayedReplies.front().dueTick) >= 0) {
        QueueNotification(g_sim.delayedReplies.front().text);
        g_sim.delayedReplies.pop_front();
    }
    for (SimCall& call : g_sim.calls) {
        if (StatusIs(call, "INPROGRESS")) {
            // After a hang only the latest value is reported, as a clock would.
            int seconds = ConnectedSeconds(call);
            if (seconds > call.durationSent) {
                call.durationSent = seconds;
                if (g_sim.options.duration)
                    QueueNotification(Format("CALL %d DURATION %d", call.id, seconds));
            }
        } else if (StatusIs(call, "RINGING") && call.incoming && g_sim.options.ringTimeoutMs &&
                   now - call.statusTick >= g_sim.options.ringTimeoutMs) {
            SetCallStatus(call, "MISSED");
        }
    }
}

std::string DescribeCall(const SimCall& call)
{
    return Format("%d %s %s %d %s %s", call.id, call.status.c_str(),
                  call.incoming ? "in" : "out", ConnectedSeconds(call), call.handle.c_str(),
                  call.displayName.c_str());
}
