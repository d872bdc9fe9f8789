// The commands of Skype's API that the simulator understands, and Skype's replies to them.
#pragma once
#include <string>

// Carries out one command of the attached client and returns the reply to send at once
// (empty: no reply). Notifications that follow from it are queued, not sent here.
std::string HandleApiCommand(const std::string& command);
