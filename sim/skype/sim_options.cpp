// Command-line options of skypesim.exe (see sim_options.h).
#include "sim_options.h"

#include <cstdlib>
#include <cstring>

namespace {
bool ParseUnsigned(const char* text, unsigned long* value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    *value = std::strtoul(text, &end, 0);
    return *end == '\0';
}
}  // namespace

bool ParseSimOptions(int argc, char** argv, SimOptions* options)
{
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long number = 0;
        if (std::strcmp(option, "--attach-status") == 0) {
            if (!ParseUnsigned(value, &number))
                return false;
            options->attachStatus = unsigned(number);
            options->attachStatusFixed = true;
            ++i;
        } else if (std::strcmp(option, "--attach-timing") == 0) {
            if (!value || (std::strcmp(value, "sync") != 0 && std::strcmp(value, "posted") != 0))
                return false;
            options->attachPosted = std::strcmp(value, "posted") == 0;
            ++i;
        } else if (std::strcmp(option, "--ring-timeout") == 0) {
            if (!ParseUnsigned(value, &number))
                return false;
            options->ringTimeoutMs = DWORD(number);
            ++i;
        } else if (std::strcmp(option, "--get-delay") == 0) {
            if (!ParseUnsigned(value, &number))
                return false;
            options->getDelayMs = DWORD(number);
            ++i;
        } else if (std::strcmp(option, "--ring-on-attach") == 0) {
            if (!value || !*value)
                return false;
            options->ringOnAttach = value;
            ++i;
        } else if (std::strcmp(option, "--call-in-progress") == 0 ||
                   std::strcmp(option, "--call-ringing") == 0) {
            if (!value || !*value)
                return false;
            bool inProgress = std::strcmp(option, "--call-in-progress") == 0;
            (inProgress ? options->callInProgress : options->callRinging) = value;
            ++i;
        } else if (std::strcmp(option, "--no-search") == 0) {
            options->search = false;
        } else if (std::strcmp(option, "--no-pong") == 0) {
            options->pong = false;
        } else if (std::strcmp(option, "--misspelt-reply") == 0) {
            options->misspeltReply = true;
        } else if (std::strcmp(option, "--no-duration") == 0) {
            options->duration = false;
        } else if (std::strcmp(option, "--no-greeting") == 0) {
            options->greeting = false;
        } else if (std::strcmp(option, "--ask-permission") == 0) {
            options->askPermission = true;
        } else if (std::strcmp(option, "--remember-refusal") == 0) {
            options->rememberRefusal = true;
        } else if (std::strcmp(option, "--announce-api") == 0) {
            options->announceApi = true;
        } else if (std::strcmp(option, "--skype-5") == 0) {
            options->laterMainWindow = true;
        } else if (std::strcmp(option, "--hidden") == 0) {
            options->startHidden = true;
        } else if (std::strcmp(option, "--allow-second") == 0) {
            options->allowSecond = true;
        } else if (std::strcmp(option, "--focus-stays-behind") == 0) {
            options->focusStaysBehind = true;
        } else {
            return false;
        }
    }
    return true;
}
