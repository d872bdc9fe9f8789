// Skype's permission question (see sim_permission.h).
#include "sim_permission.h"

#include "api_window.h"
#include "control_protocol.h"
#include "sim_log.h"
#include "sim_state.h"

void AnswerDiscovery(HWND client)
{
    const SimOptions& options = g_sim.options;
    SimPermission& permission = g_sim.permission;
    if (options.attachStatusFixed) {
        SendAttach(client, options.attachStatus);
        return;
    }
    if (!options.askPermission || permission.allowed) {
        SendAttach(client, 1);
        SendAttach(client, 0);
        return;
    }
    if (permission.refused && options.rememberRefusal) {
        SendAttach(client, 2);
        return;
    }
    // Skype opens one more question window for every discovery while one is open.
    ++permission.questions;
    permission.open = true;
    permission.asker = client;
    LogEvent(Format("question %d from ", permission.questions) + HwndText(client));
    SendAttach(client, 1);
}

bool AnswerQuestion(bool allow, std::string* reason)
{
    SimPermission& permission = g_sim.permission;
    if (!permission.open) {
        *reason = "no question is open";
        return false;
    }
    permission.open = false;
    permission.allowed = allow;
    permission.refused = !allow;
    LogEvent(allow ? "question answered: allow" : "question answered: refuse");
    // Posted, so that the requester is not the one waiting in the send.
    PostMessageW(g_sim.apiWindow, WM_SIM_ATTACH, reinterpret_cast<WPARAM>(permission.asker),
                 LPARAM(allow ? 0 : 2));
    return true;
}

int QuestionsAsked()
{
    return g_sim.permission.questions;
}

void AnnounceApi()
{
    LogEvent("attach 0x8001 to everyone");
    // Posted to the broadcast address: nobody's slowness holds up Skype's start.
    PostMessageW(HWND_BROADCAST, g_sim.attachMessage, reinterpret_cast<WPARAM>(g_sim.apiWindow),
                 LPARAM(0x8001));
}
