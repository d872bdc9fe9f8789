// The suite's Skype side of the desktop API.
#include "test_skype.h"

#include <cstdio>

#include "wait.h"

void TestSkype::VanishOnNextPing()
{
    Locked lock(this);
    vanishOnPing_ = true;
}

void TestSkype::FallSilentAfterNextPong()
{
    Locked lock(this);
    silenceAfterPong_ = true;
}

void TestSkype::WithholdNames(bool withhold)
{
    Locked lock(this);
    withholdNames_ = withhold;
}

bool TestSkype::Silent()
{
    Locked lock(this);
    return silent_;
}

long long TestSkype::SilentSince()
{
    Locked lock(this);
    return silentSince_;
}

bool TestSkype::WaitCommand(const std::string& text, DWORD timeoutMs, size_t from)
{
    return PumpUntil([&] { return Find(text, from) >= 0; }, timeoutMs);
}

void TestSkype::Answer(const std::string& command)
{
    bool vanish = false;
    {
        Locked lock(this);
        vanish = command == "PING" && vanishOnPing_;
    }
    if (vanish) {
        Destroy(); // gone while the driver's PING is still in flight
        return;
    }
    int callId = 0;
    char status[32] = "";
    if (sscanf(command.c_str(), "SET CALL %d STATUS %31s", &callId, status) == 2) {
        // The call changes state as asked, and Skype says so.
        QueueReply("CALL " + std::to_string(callId) + " STATUS " + status);
        return;
    }
    SkypeStandIn::Answer(command);
}

bool TestSkype::SendsReply(const std::string& reply)
{
    bool isName = reply.find(" PARTNER_DISPNAME ") != std::string::npos;
    return !silent_ && !(isName && withholdNames_);
}

void TestSkype::ReplySent(const std::string& reply)
{
    Locked lock(this);
    if (reply == "PONG" && silenceAfterPong_) {
        silent_ = true;
        silentSince_ = Qpc();
    }
}
