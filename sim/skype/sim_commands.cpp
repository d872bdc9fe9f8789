// Skype's API commands and replies (see sim_commands.h). Keywords are matched without regard
// to case; replies use Skype's capitals. Error numbers and texts are Skype's own.
#include "sim_commands.h"

#include <cstdlib>
#include <cstring>

#include "api_window.h"
#include "main_form.h"
#include "sim_calls.h"
#include "sim_devices.h"
#include "sim_log.h"
#include "sim_state.h"

namespace {
// Splits off the first blank-separated word; `rest` keeps everything after the single blank
// that ends it (values such as device names and display names contain blanks).
std::string NextWord(std::string& rest)
{
    size_t blank = rest.find(' ');
    std::string word = rest.substr(0, blank);
    rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return word;
}

bool Same(const std::string& word, const char* keyword)
{
    return lstrcmpiA(word.c_str(), keyword) == 0;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

// A call id as Skype writes it: decimal digits only.
bool ParseCallId(const std::string& word, int* id)
{
    if (word.empty() || word.size() > 9)
        return false;
    for (char c : word)
        if (c < '0' || c > '9')
            return false;
    *id = std::atoi(word.c_str());
    return true;
}

bool IsDocumentedKey(const std::string& key)
{
    static const char* const kNamedKeys[] = {"UP",   "DOWN",  "YES",    "NO",
                                             "SKYPE", "PAGEUP", "PAGEDOWN"};
    if (key.size() == 1) {
        char c = Upper(key)[0];
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '#' || c == '*';
    }
    for (const char* named : kNamedKeys)
        if (Same(key, named))
            return true;
    return false;
}

std::string OnButton(const std::string& verb, const std::string& key, bool pressed)
{
    if (!IsDocumentedKey(key))
        return "ERROR 74 Invalid key";
    std::string upperKey = Upper(key);
    if (pressed) {
        char c = upperKey[0];
        if (upperKey.size() == 1 && ((c >= '0' && c <= '9') || c == '*' || c == '#')) {
            // Skype's dial pad types the key into the number field.
            AppendToNumberField(c);
        } else if (upperKey == "YES") {
            std::string number = NumberFieldText();
            if (!number.empty())
                StartOutgoingCall(number);
        } else if (upperKey == "NO") {
            // Skype's hang-up button: the newest call ends as this side ending it does.
            if (SimCall* call = NewestLiveCall())
                HangUpLocally(*call);
        }
    }
    return verb + " " + upperKey;
}

std::string OnGetCall(std::string rest)
{
    std::string idWord = NextWord(rest);
    std::string property = NextWord(rest);
    int id = 0;
    if (!ParseCallId(idWord, &id))
        return "ERROR 11 Invalid call id";
    const SimCall* call = FindCall(id);
    if (!call)
        return "ERROR 12 Unknown call";
    std::string prefix = Format("CALL %d ", id);
    property = Upper(property);
    // An empty value still has its blank after the property, as in any reply to GET.
    if (property == "PARTNER_DISPNAME" ||
        (property == "PARTENER_DISPNAME" && g_sim.options.misspeltReply))
        return prefix + property + " " + call->displayName;
    if (property == "PARTNER_HANDLE")
        return prefix + property + " " + call->handle;
    if (property == "STATUS")
        return prefix + "STATUS " + call->status;
    if (property == "TYPE") {
        if (!call->incoming)
            return prefix + "TYPE OUTGOING_PSTN";
        bool phone = !call->handle.empty() && call->handle[0] == '+';
        return prefix + (phone ? "TYPE INCOMING_PSTN" : "TYPE INCOMING_P2P");
    }
    if (property == "DURATION")
        return prefix + Format("DURATION %d", call->durationSent);
    return "ERROR 13 Invalid PROP";
}

std::string OnSetCallStatus(SimCall& call, const std::string& status)
{
    std::string echo = Format("CALL %d STATUS %s", call.id, status.c_str());
    if (status == "FINISHED") {
        if (!HangUpLocally(call))
            return "ERROR 24 Cannot hangup inactive call";
        return echo;
    }
    if (status == "INPROGRESS") {
        // Answers a call ringing here, or resumes a held one.
        if (call.status == "INPROGRESS")
            return echo;
        if ((call.status == "RINGING" && call.incoming) || call.status == "ONHOLD") {
            SetCallStatus(call, "INPROGRESS");
            return echo;
        }
        return "ERROR 21 Unknown/disallowed call prop";
    }
    if (status == "ONHOLD") {
        if (call.status == "ONHOLD")
            return echo;
        if (call.status == "INPROGRESS") {
            SetCallStatus(call, "ONHOLD");
            return echo;
        }
    }
    return "ERROR 21 Unknown/disallowed call prop";
}

std::string OnSetCall(std::string rest)
{
    std::string idWord = NextWord(rest);
    std::string property = Upper(NextWord(rest));
    int id = 0;
    if (!ParseCallId(idWord, &id))
        return "ERROR 19 Invalid call id";
    SimCall* call = FindCall(id);
    if (!call)
        return "ERROR 20 Unknown call";
    if (property == "STATUS")
        return OnSetCallStatus(*call, Upper(rest));
    if (property == "DTMF") {
        if (rest.size() != 1 || !std::strchr("0123456789*#", rest[0]))
            return "ERROR 42 Invalid DTMF code";
        if (call->status != "INPROGRESS")
            return "ERROR 41 Call not active";
        return Format("CALL %d DTMF %s", id, rest.c_str());
    }
    return "ERROR 21 Unknown/disallowed call prop";
}

std::string OnSet(std::string rest)
{
    std::string what = Upper(NextWord(rest));
    if (what == "CALL")
        return OnSetCall(rest);
    if (what == "AUDIO_IN" || what == "AUDIO_OUT") {
        // Skype reads its commands as UTF-8 and takes only a device it lists.
        if (!IsSoundDevice(what == "AUDIO_OUT", rest))
            return "ERROR 50 cannot set device";
        return what + " " + rest;
    }
    if (what == "RINGER")
        return what + " " + rest;
    if (what == "MUTE") {
        std::string value = Upper(rest);
        if (value != "ON" && value != "OFF")
            return "ERROR 1 General syntax error";
        return "MUTE " + value;
    }
    return "ERROR 18 SET: invalid WHAT";
}

std::string OnGet(std::string rest)
{
    std::string what = Upper(NextWord(rest));
    if (what == "CALL")
        return OnGetCall(rest);
    return "ERROR 7 GET: invalid WHAT";
}

std::string OnProtocol(const std::string& rest)
{
    // Protocol 8 is the highest this simulator claims; the client gets the smaller number.
    int wanted = std::atoi(rest.c_str());
    if (wanted < 1)
        return "ERROR 1 General syntax error";
    return Format("PROTOCOL %d", wanted < 8 ? wanted : 8);
}
}  // namespace

std::string HandleApiCommand(const std::string& command)
{
    std::string rest = command;
    std::string verb = NextWord(rest);
    if (Same(verb, "PING"))
        return g_sim.options.pong ? "PONG" : std::string();
    if (Same(verb, "FOCUS")) {
        ShowMainForm();
        return "FOCUS";
    }
    if (Same(verb, "BTN_PRESSED"))
        return OnButton("BTN_PRESSED", rest, true);
    if (Same(verb, "BTN_RELEASED"))
        return OnButton("BTN_RELEASED", rest, false);
    if (Same(verb, "SET"))
        return OnSet(rest);
    if (Same(verb, "GET"))
        return OnGet(rest);
    if (Same(verb, "PROTOCOL"))
        return OnProtocol(rest);
    if (Same(verb, "SEARCH") && g_sim.options.search) {
        if (Same(rest, "ACTIVECALLS"))
            return ActiveCallsReply();
        return "ERROR 1 General syntax error";
    }
    if (verb.empty())
        return "ERROR 1 General syntax error";
    // Also "HOOK ON" and "HOOK OFF": Skype's API has no such command.
    return "ERROR 2 Unknown command";
}
