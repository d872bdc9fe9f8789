// skypectl: drives a running skypesim.exe from the command line (demo and manual testing).
//   skypectl [--pid N] <request...>
// The words of the request are joined with blanks and sent over the control channel, e.g.
//   skypectl incoming Ann Example     -> prints the new call id
//   skypectl incoming-from +15551234567
//   skypectl hangup 1001
//   skypectl log                      -> one "<ms> <entry>" line per log entry
// The words are taken from the wide command line and passed on in UTF-8, as Skype's API
// carries text, whatever the ANSI code page: "skypectl incoming Zoë Müller" works anywhere.
// Exit code: 0 done, 1 the simulator refused the request, 2 no simulator, 3 bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "skype_sim_client.h"

namespace {
std::string Utf8Of(const wchar_t* text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(size_t(size - 1));
    return utf8;
}

std::vector<std::string> Utf8Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8Of(wide[i]));
    LocalFree(wide);
    return arguments;
}
}  // namespace

int main()
{
    std::vector<std::string> args = Utf8Arguments();
    int count = int(args.size());
    DWORD pid = 0;
    int first = 1;
    if (count > 2 && args[1] == "--pid") {
        pid = DWORD(std::strtoul(args[2].c_str(), nullptr, 0));
        first = 3;
    }
    if (first >= count) {
        std::fprintf(stderr, "usage: skypectl [--pid N] <request...>\n");
        return 3;
    }
    std::string request;
    for (int i = first; i < count; ++i) {
        if (i > first)
            request += ' ';
        request += args[i];
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
