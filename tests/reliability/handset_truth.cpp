#include "handset_truth.h"

#include <sstream>

namespace {
bool IsOneOf(const std::string& status, std::initializer_list<const char*> words)
{
    for (const char* word : words)
        if (status == word)
            return true;
    return false;
}

bool RingsHere(const SimCallInfo& call)
{
    return call.incoming && call.status == "RINGING";
}

bool IsKeypadText(const std::string& text)
{
    return text.find_first_not_of("0123456789*#") == std::string::npos;
}

// `text` is a run of keys typed one after the other, where a key typed while the driver was
// not attached may be missing.
bool IsTyped(const std::string& text, const TruthKnowledge& known)
{
    if (!IsKeypadText(text))
        return false;
    const std::vector<TypedKey>& keys = known.typed;
    for (size_t start = 0; start < keys.size(); ++start) {
        if (keys[start].key != text[0])
            continue;
        std::vector<bool> matched(text.size() + 1, false); // text[0, n) matched so far
        matched[0] = true;
        for (size_t k = start; k < keys.size() && !matched[text.size()]; ++k) {
            std::vector<bool> next(text.size() + 1, false);
            for (size_t n = 0; n < text.size(); ++n) {
                if (!matched[n])
                    continue;
                if (keys[k].key == text[n])
                    next[n + 1] = true;
                if (!keys[k].whileAttached)
                    next[n] = true;
            }
            next[text.size()] = next[text.size()] || matched[text.size()];
            matched = next;
        }
        if (matched[text.size()])
            return true;
    }
    return false;
}

// `text` is who is on `call` (its name as the LCD spells it, or its handle), maybe followed
// by digits typed since: keys go on filling the line behind the caller's name.
bool ShowsCaller(const std::string& text, const SimCallInfo& call, const TruthKnowledge& known,
                 const std::vector<TruthCaller>& callers)
{
    std::vector<std::string> spellings = {call.handle, call.partner};
    for (const TruthCaller& caller : callers)
        if (call.handle == caller.handle)
            spellings.push_back(caller.lcdName);
    for (const std::string& caller : spellings)
        if (!caller.empty() && text.compare(0, caller.size(), caller) == 0 &&
            (text.size() == caller.size() || IsTyped(text.substr(caller.size()), known)))
            return true;
    return false;
}

// The texts the line may show: nothing, digits typed, or who is on a call that holds the
// handset.
bool TextIsTrue(const std::string& text, const TruthSnapshot& snapshot,
                const TruthKnowledge& known, const std::vector<TruthCaller>& callers)
{
    if (text.empty() || IsTyped(text, known))
        return true;
    for (const SimCallInfo& call : snapshot.calls)
        if (CallHoldsTheHandset(call) && ShowsCaller(text, call, known, callers))
            return true;
    return false;
}

void Breach(std::ostringstream& out, const char* rule, bool seen, bool truth)
{
    out << rule << ": the handset's is " << (seen ? "on" : "off") << ", Skype's calls say "
        << (truth ? "on" : "off") << "\n";
}
} // namespace

bool InConversation(const SimCallInfo& call)
{
    return IsOneOf(call.status, {"INPROGRESS", "ONHOLD", "LOCALHOLD", "REMOTEHOLD"});
}

bool CallHoldsTheHandset(const SimCallInfo& call)
{
    if (InConversation(call) || RingsHere(call))
        return true;
    return !call.incoming && IsOneOf(call.status, {"UNPLACED", "ROUTING", "RINGING", "EARLYMEDIA"});
}

std::string TruthBreaches(const TruthSnapshot& snapshot, const TruthKnowledge& known,
                          const std::vector<TruthCaller>& callers, DWORD now)
{
    std::ostringstream out;
    if (known.skypeRanThroughout && known.keystrokesSince != 0)
        out << "typing: " << known.keystrokesSince
            << " keystrokes reached the desktop while Skype ran\n";
    if (snapshot.skypeAnswers && !known.mustEnd.empty() && int(now - known.mustEndBy) >= 0) {
        for (const SimCallInfo& call : snapshot.calls)
            if (known.mustEnd.count(call.id) && InConversation(call))
                out << "hang-up: call " << call.id << " is still " << call.status
                    << " after the handset was put down\n";
    }
    const HandsetSimState& handset = snapshot.handset;
    if (!snapshot.attached || !handset.connected)
        return out.str();
    // Skype has the driver attached; a driver that gave Skype up (it fell silent) shows so
    // until it attaches again, and only then do the handset's rules hold.
    if (!handset.skype) {
        out << "Skype indicator: off while Skype has the driver attached\n";
        return out.str();
    }

    bool holds = false, ringsHere = false;
    for (const SimCallInfo& call : snapshot.calls) {
        holds = holds || CallHoldsTheHandset(call);
        ringsHere = ringsHere || RingsHere(call);
    }
    if (handset.inCall != holds)
        Breach(out, "in-call indicator", handset.inCall, holds);
    if (handset.light != holds)
        Breach(out, "light", handset.light, holds);
    bool shouldRing = ringsHere && !known.hookKnownLifted;
    if (handset.ringing != shouldRing)
        Breach(out, "ringer", handset.ringing, shouldRing);
    if (!TextIsTrue(handset.lcdText, snapshot, known, callers))
        out << "text line: \"" << handset.lcdText
            << "\" is neither typed digits nor who is on a call that holds the handset\n";
    return out.str();
}

std::string DescribeTruth(const TruthSnapshot& snapshot, const TruthKnowledge& known)
{
    std::ostringstream out;
    const HandsetSimState& h = snapshot.handset;
    out << "  handset: connected=" << h.connected << " hook=" << h.hook << " inCall=" << h.inCall
        << " light=" << h.light << " ringing=" << h.ringing << " skype=" << h.skype
        << " text=\"" << h.lcdText << "\"\n";
    out << "  skype: " << (snapshot.skypeAnswers ? "answers" : "does not answer")
        << (snapshot.attached ? ", driver attached" : ", driver not attached") << "\n";
    for (const SimCallInfo& call : snapshot.calls)
        if (CallHoldsTheHandset(call) || known.mustEnd.count(call.id))
            out << "  call " << call.id << " " << call.status << " "
                << (call.incoming ? "in" : "out") << " handle=" << call.handle << " name=\""
                << call.partner << "\"\n";
    out << "  run: hookKnownLifted=" << known.hookKnownLifted << " mustEnd=" << known.mustEnd.size()
        << " typed (the last 30; [k]: while not attached)=\"";
    size_t first = known.typed.size() > 30 ? known.typed.size() - 30 : 0;
    for (size_t n = first; n < known.typed.size(); ++n) {
        const TypedKey& typed = known.typed[n];
        if (typed.whileAttached)
            out << typed.key;
        else
            out << '[' << typed.key << ']';
    }
    out << "\"\n";
    return out.str();
}
