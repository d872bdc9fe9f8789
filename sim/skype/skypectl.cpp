// skypectl: drives a running skypesim.exe from the command line (demo and manual testing).
//   skypectl [--pid N] <request...>
// The words of the request are joined with blanks and sent over the control channel, e.g.
//   skypectl incoming Ann Example     -> prints the new call id
//   skypectl hangup 1001
//   skypectl log                      -> one "<ms> <entry>" line per log entry
// Exit code: 0 done, 1 the simulator refused the request, 2 no simulator, 3 bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "skype_sim_client.h"

int main(int argc, char** argv)
{
    DWORD pid = 0;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--pid") == 0) {
        pid = DWORD(std::strtoul(argv[2], nullptr, 0));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: skypectl [--pid N] <request...>\n");
        return 3;
    }
    std::string request;
    for (int i = first; i < argc; ++i) {
        if (i > first)
            request += ' ';
        request += argv[i];
    }
    SkypeSimClient client;
    if (!client.Connect(pid, 3000)) {
        std::fprintf(stderr, "skypectl: no skypesim running\n");
        return 2;
    }
    std::string payload;
    if (!client.Request(request, &payload)) {
        std::fprintf(stderr, "skypectl: %s\n", payload.empty() ? "no answer" : payload.c_str());
        return 1;
    }
    for (const std::string& record : SplitRecords(payload))
        std::printf("%s\n", record.c_str());
    return 0;
}
