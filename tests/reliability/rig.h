// What every reliability scenario shares: its seed and random source, its line of figures,
// and the real driver (with the handset simulator) attached to the suite's own Skype.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver_run.h"
#include "handset_sim_client.h"
#include "test_skype.h"
#include "wait.h"

// The seed of a scenario: RELIABILITY_SEED when set (to replay a run); the scenario's kept
// seed (RELIABILITY_KEPT_SEED, from its test's definition) when RELIABILITY_FIXED_SEEDS is
// set, as in CI; else a fresh one.
uint32_t ScenarioSeed();

// A small, fast generator that gives the same sequence on every build for one seed.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t bound) { return bound ? uint32_t(Next() % bound) : 0; }
    int Between(int low, int high) { return low + int(Below(uint32_t(high - low + 1))); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <class T, size_t N>
    const T& Pick(const T (&table)[N]) { return table[Below(N)]; }
    // An index into `weights`, each chosen in proportion to its weight.
    size_t Weighted(const std::vector<unsigned>& weights);
    // A length from 1 to `most`, spread evenly over the orders of magnitude.
    size_t SpreadLength(size_t most);

private:
    uint64_t state_;
};

// The one line of figures a scenario prints, "reliability: <scenario> seed=<n> k=v ...",
// printed when the scenario ends, also when it failed half way.
class Figures {
public:
    Figures(const char* scenario, uint32_t seed);
    ~Figures();
    void Add(const char* name, const std::string& value);
    void Add(const char* name, long long value);
    void AddMs(const char* name, double ms);

private:
    std::string line_;
};

// The fixture of every scenario: its seed, and the random source from which the scenario
// draws every choice, so that the seed replays it.
class Reliability : public ::testing::Test {
protected:
    const uint32_t seed = ScenarioSeed();
    Random random{seed};
};

// The driver attached to a TestSkype, start-up settled (Skype indicator on, Skype told the
// audio devices). SkypePath is removed, so the driver launches nothing.
class Rig {
public:
    bool Start(const DriverOptions& options = DriverOptions());
    // Waits until `skype` has attached the driver and the handset shows it.
    bool WaitAttached(TestSkype& skype, DWORD timeoutMs);

    HandsetSimState Handset();
    bool WaitHandset(bool (*condition)(const HandsetSimState&), DWORD timeoutMs);
    // The driver's window answers WM_NULL within `timeoutMs`.
    bool Responsive(DWORD timeoutMs = 1000);

    TestSkype skype;
    DriverRun driver;
};

// The handset is quiet: no ringing, no in-call indicator, no light, the idle text line.
bool HandsetQuiet(const HandsetSimState& state);

// Every callback left the stack as it found it, and the figure "stack-faults" added. Only
// the 32-bit library can see how a callback left the stack: the 64-bit build adds the figure
// as unchecked.
::testing::AssertionResult NoStackFaults(const HandsetSimState& state, Figures& figures);
