// The suite's own Skype: the stand-in Skype of the tests' support, which also answers a
// SET CALL <n> STATUS with the call's new status and notes whether each command's sender
// still existed, and which can misbehave the ways a real Skype goes away: its window
// destroyed without a word (Stop(), or while a PING is in flight), or falling silent.
#pragma once
#include <windows.h>

#include <string>

#include "skype_stand_in.h"

class TestSkype : public SkypeStandIn {
public:
    TestSkype() : SkypeStandIn("Reliability Skype API", 5000, true) {}
    ~TestSkype() override { Stop(); }

    // The window is destroyed while it handles the next PING (the driver's send in flight).
    void VanishOnNextPing();
    // From the next PONG on (that one still sent) it answers nothing: no PONG, no reply, no
    // discovery; it still takes every message.
    void FallSilentAfterNextPong();
    // GET CALL n PARTNER_DISPNAME gets no answer while set.
    void WithholdNames(bool withhold);

    bool Silent();
    long long SilentSince();        // QPC of the last PONG it sent before falling silent
    // Waits (pumping) until `text` arrives at or after `from`; false after `timeoutMs`.
    bool WaitCommand(const std::string& text, DWORD timeoutMs, size_t from = 0);

protected:
    void Answer(const std::string& command) override;
    bool AnswersDiscovery() override { return !silent_; }
    bool SendsReply(const std::string& reply) override;
    void ReplySent(const std::string& reply) override;

private:
    // Guarded by the stand-in's lock.
    bool withholdNames_ = false;
    bool vanishOnPing_ = false;
    bool silenceAfterPong_ = false;
    bool silent_ = false;
    long long silentSince_ = 0;
};
