// Seeds, figures and the driver attached to the suite's Skype.
#include "rig.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "rig_devices.h"

namespace {

// The value of environment variable `name` as a number; false when unset or too long.
bool SeedFrom(const char* name, uint32_t* seed)
{
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return false;
    *seed = uint32_t(strtoul(text, nullptr, 0));
    return true;
}

} // namespace

uint32_t ScenarioSeed()
{
    uint32_t seed;
    if (SeedFrom("RELIABILITY_SEED", &seed))
        return seed;
    // CI runs each scenario with the seed kept for it beside the test's definition, so that
    // every CI run plays the same scenario.
    char fixed[8];
    if (GetEnvironmentVariableA("RELIABILITY_FIXED_SEEDS", fixed, sizeof fixed) > 0 &&
        SeedFrom("RELIABILITY_KEPT_SEED", &seed))
        return seed;
    uint64_t mixed = uint64_t(Qpc()) ^ (uint64_t(GetCurrentProcessId()) << 20);
    return uint32_t(Random(uint32_t(mixed ^ (mixed >> 32))).Next() % 1000000000u);
}

size_t Random::Weighted(const std::vector<unsigned>& weights)
{
    unsigned total = 0;
    for (unsigned weight : weights)
        total += weight;
    unsigned pick = Below(total);
    for (size_t n = 0; n < weights.size(); ++n) {
        if (pick < weights[n])
            return n;
        pick -= weights[n];
    }
    return weights.size() - 1;
}

size_t Random::SpreadLength(size_t most)
{
    double exponent = double(Below(1u << 20)) / double(1u << 20) * std::log(double(most));
    size_t length = size_t(std::exp(exponent));
    return length < 1 ? 1 : length > most ? most : length;
}

Figures::Figures(const char* scenario, uint32_t seed)
{
    line_ = std::string("reliability: ") + scenario + " seed=" + std::to_string(seed);
}

Figures::~Figures()
{
    printf("%s\n", line_.c_str());
    fflush(stdout);
}

void Figures::Add(const char* name, const std::string& value)
{
    line_ += std::string(" ") + name + "=" + value;
}

void Figures::Add(const char* name, long long value)
{
    Add(name, std::to_string(value));
}

void Figures::AddMs(const char* name, double ms)
{
    char text[32];
    snprintf(text, sizeof text, "%.0fms", ms);
    Add(name, text);
}

bool HandsetQuiet(const HandsetSimState& state)
{
    return !state.ringing && !state.inCall && !state.light && state.lcdText.empty();
}

::testing::AssertionResult NoStackFaults(const HandsetSimState& state, Figures& figures)
{
#if defined(__i386__)
    figures.Add("stack-faults", state.stackFaults);
    if (state.stackFaults == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << state.stackFaults << " callbacks left the stack unbalanced";
#else
    (void)state;
    figures.Add("stack-faults", "unchecked-on-64-bit");
    return ::testing::AssertionSuccess();
#endif
}

bool Rig::Start(const DriverOptions& options)
{
    SetSkypePath(nullptr); // the suite's Skype is the one the driver must find
    if (!skype.Start()) {
        fprintf(stderr, "rig: the test's Skype window could not be made\n");
        return false;
    }
    if (!driver.Start(options))
        return false;
    if (!WaitAttached(skype, 15000)) {
        fprintf(stderr, "rig: the driver did not attach to the test's Skype\n");
        return false;
    }
    // Start-up is over once Skype has been told the devices (the last step of the attach).
    if (!PumpUntil([&] {
            for (const std::string& text : skype.Texts())
                if (text.compare(0, 13, "SET AUDIO_IN ") == 0)
                    return true;
            return false;
        }, 10000)) {
        fprintf(stderr, "rig: Skype was not told the audio devices\n");
        return false;
    }
    return true;
}

bool Rig::WaitAttached(TestSkype& which, DWORD timeoutMs)
{
    return PumpUntil([&] { return which.Client() == driver.window && Handset().skype; },
                     timeoutMs);
}

HandsetSimState Rig::Handset()
{
    HandsetSimState state;
    HandsetSimGetState(driver.sim, &state);
    return state;
}

bool Rig::WaitHandset(bool (*condition)(const HandsetSimState&), DWORD timeoutMs)
{
    return PumpUntil([&] { return condition(Handset()); }, timeoutMs);
}

bool Rig::Responsive(DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(driver.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                               &result) != 0;
}
