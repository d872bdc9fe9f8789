// Fixture of the simulator tests: a skypesim.exe of this build, its control client and a fake
// program window on the test's thread. The simulator ends with the test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "event_log.h"
#include "fake_client.h"
#include "process.h"
#include "skype_sim_client.h"

// The options most tests use: exact sequences without the greeting or DURATION lines.
extern const char kQuietOptions[];
// The same with the main window shown, as Skype starts.
extern const char kShownOptions[];

class SkypeSimTest : public ::testing::Test {
public:
    void TearDown() override;

    // Starts skypesim.exe with `args` and connects the control client.
    void StartSim(const std::string& args = kQuietOptions);
    // StartSim, then the fake window broadcasts and is attached; the log is cleared.
    void StartAttached(const std::string& args = kQuietOptions);

    // The simulator's log without time stamps.
    std::vector<std::string> SimLog() { return control.LogText(); }
    // Pumps until the simulator's log holds `entry`.
    bool WaitForLogEntry(const std::string& entry, DWORD timeoutMs = 5000);

    ChildProcess sim;
    SkypeSimClient control;
    FakeSkypeClient fake;
};
