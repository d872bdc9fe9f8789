// What the handset must show and do, judged from what both simulators hold: Skype's calls
// (ids, direction, status) and the handset's indicator, light, ringer and text line. The
// rules read the peers' state, not a second copy of the driver's logic; the few facts
// neither simulator can tell (what the driver was told of the hook, what was typed, which
// calls a put-down must end) are kept by the run and passed in.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "handset_sim_client.h"
#include "skype_sim_client.h"

// A caller the run makes ring: handle, display name (UTF-8, may be empty) and what the
// handset's LCD shows for that name (the LCD has no letters beyond ASCII).
struct TruthCaller {
    const char* handle;
    const char* name;
    const char* lcdName;
};

// A keypad key the handset reported. One typed while the driver was attached went into its
// dial buffer; one typed while it was not (Skype gone, frozen, not yet attached) may not have.
struct TypedKey {
    char key;
    bool whileAttached;
};

// What the run knows that the simulators do not.
struct TruthKnowledge {
    bool hookKnownLifted = false; // the driver was told of a lift since its start or the last
                                  // plug-in
    std::vector<TypedKey> typed;  // keypad keys the handset reported, in order (the latest)
    std::set<int> mustEnd;        // calls in conversation when the handset was put down
    DWORD mustEndBy = 0;          // GetTickCount() by which they have left conversation
    bool skypeRanThroughout = false; // Skype ran from the last check to this one
    size_t keystrokesSince = 0;   // keystrokes typed into the desktop in that time
};

struct TruthSnapshot {
    bool skypeAnswers = false;    // the simulator answered (not frozen, not gone)
    bool attached = false;        // ... and its attached client is the driver (as far as
                                  // Skype knows: a driver may have given a silent Skype up)
    std::vector<SimCallInfo> calls;
    HandsetSimState handset;
};

// A call ringing here, ours ringing at the far end, or one in conversation or held.
bool CallHoldsTheHandset(const SimCallInfo& call);
bool InConversation(const SimCallInfo& call);

// What is wrong, one line per rule broken; empty when the handset tells the truth. The
// handset rules apply only while it is plugged in and Skype and the handset's Skype indicator
// both say the driver is attached; the hang-up and typing rules always.
std::string TruthBreaches(const TruthSnapshot& snapshot, const TruthKnowledge& known,
                          const std::vector<TruthCaller>& callers, DWORD now);

// Both sides as a few lines, for a report.
std::string DescribeTruth(const TruthSnapshot& snapshot, const TruthKnowledge& known);
