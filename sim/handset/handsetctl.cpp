// handsetctl: drives the handset simulator from the command line (demo and manual runs).
//   handsetctl [-p PID] [-w MS] key N | plug 0|1 | open-result N | delivery MODE | state |
//              journal
// Exit code 0 when done, 1 when the simulator was not found or refused, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "handset_sim_client.h"

namespace {
int Usage()
{
    fprintf(stderr,
            "usage: handsetctl [-p PID] [-w MS] COMMAND\n"
            "  key N          press key N (0-9, 20 *, 21 #, 30 NO, 40 UP, 50 YES, 60 DOWN,\n"
            "                 70 put down, 80 lift)\n"
            "  plug 0|1       unplug / plug in the handset\n"
            "  open-result N  what later USBPhone_Open calls return\n"
            "  delivery MODE  how events reach the program: thread (one thread of the\n"
            "                 library's own), inline (from inside its next library call),\n"
            "                 threads:N (N threads at once)\n"
            "  state          print the handset's state\n"
            "  journal        print every library call so far: <thread id> <entry>\n"
            "  -p PID         the simulator in that process (default: any)\n"
            "  -w MS          how long to wait for the simulator (default 5000)\n");
    return 2;
}

bool ParseNumber(const char* text, long* value)
{
    char* end = nullptr;
    *value = strtol(text, &end, 10);
    return *text && *end == '\0';
}
} // namespace

int main(int argc, char** argv)
{
    long pid = 0;
    long waitMs = 5000;
    int arg = 1;
    while (arg + 1 < argc && argv[arg][0] == '-') {
        long value = 0;
        if (!ParseNumber(argv[arg + 1], &value))
            return Usage();
        if (strcmp(argv[arg], "-p") == 0)
            pid = value;
        else if (strcmp(argv[arg], "-w") == 0)
            waitMs = value;
        else
            return Usage();
        arg += 2;
    }
    if (arg >= argc)
        return Usage();
    std::string command = argv[arg];
    bool hasValue = arg + 1 < argc;
    long value = 0;
    if (command == "key" || command == "plug" || command == "open-result") {
        if (!hasValue || !ParseNumber(argv[arg + 1], &value) || arg + 2 != argc)
            return Usage();
    } else if (command == "delivery") {
        if (!hasValue || arg + 2 != argc)
            return Usage();
    } else if ((command != "state" && command != "journal") || hasValue) {
        return Usage();
    }

    HWND sim = FindHandsetSim((DWORD)pid, (DWORD)waitMs);
    if (!sim) {
        fprintf(stderr, "handsetctl: no handset simulator found\n");
        return 1;
    }
    bool ok = false;
    if (command == "key") {
        ok = HandsetSimKey(sim, (int)value);
    } else if (command == "plug") {
        ok = HandsetSimPlug(sim, (int)value);
    } else if (command == "open-result") {
        ok = HandsetSimSetOpenResult(sim, (int)value);
    } else if (command == "delivery") {
        ok = HandsetSimSetDelivery(sim, argv[arg + 1]);
    } else if (command == "state") {
        std::string text;
        ok = HandsetSimStateText(sim, &text);
        if (ok)
            printf("%s\n", text.c_str());
    } else {
        std::string dummy;
        ok = HandsetSimStateText(sim, &dummy); // tells an empty journal from no answer
        if (ok)
            for (const std::string& line : HandsetSimJournal(sim))
                printf("%s\n", line.c_str());
    }
    if (!ok) {
        fprintf(stderr, "handsetctl: %s was refused or not answered\n", command.c_str());
        return 1;
    }
    return 0;
}
