// skypectl.exe, the command-line client used by the demo: requests, output and exit codes.
#include "sim_fixture.h"

namespace {
struct CtlResult {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
};

std::wstring WideOf(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], int(wide.size()));
    wide.resize(length > 0 ? size_t(length - 1) : 0);
    return wide;
}

// Runs skypectl.exe with `args` (UTF-8, passed on as a wide command line, as a shell does),
// its standard output going to a scratch file.
CtlResult RunSkypectl(const std::string& args)
{
    CtlResult result;
    std::string path = JoinPath(MakeScratchDir("skypectl"), "out.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return result;
    std::wstring commandLine = WideOf("\"" + JoinPath(BinDir(), "skypectl.exe") + "\" " + args);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &info);
    CloseHandle(file);
    if (!started)
        return result;
    CloseHandle(info.hThread);
    // Pumped: the simulator may be sending notifications to the fake window meanwhile.
    result.exitCode = WaitForExitPumping(info.hProcess, 15000);
    CloseHandle(info.hProcess);
    HANDLE read = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    if (read != INVALID_HANDLE_VALUE) {
        if (ReadFile(read, buffer, sizeof buffer, &got, nullptr))
            result.output.assign(buffer, got);
        CloseHandle(read);
    }
    for (size_t at; (at = result.output.find('\r')) != std::string::npos;)
        result.output.erase(at, 1);
    return result;
}
}  // namespace

TEST_F(SkypeSimTest, SkypectlDrivesTheSimulator)
{
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    std::string pid = " --pid " + std::to_string(sim.pid);

    CtlResult incoming = RunSkypectl(pid + " incoming Ann Example");
    EXPECT_EQ(incoming.exitCode, 0u);
    EXPECT_EQ(incoming.output, "1001\n");
    ASSERT_TRUE(fake.WaitForText("CALL 1001 STATUS RINGING"));

    CtlResult calls = RunSkypectl("calls");
    EXPECT_EQ(calls.exitCode, 0u);
    EXPECT_EQ(calls.output, "1001 RINGING in 0 ann.example Ann Example\n");

    CtlResult log = RunSkypectl(pid + " log");
    EXPECT_EQ(log.exitCode, 0u);
    EXPECT_NE(log.output.find(" send CALL 1001 STATUS RINGING\n"), std::string::npos)
        << log.output;

    CtlResult refused = RunSkypectl("hangup 999");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_EQ(refused.output, "skypectl: no such call\n");

    // Words outside the ANSI code page reach Skype in UTF-8.
    CtlResult zoe = RunSkypectl("incoming Zo\xC3\xAB \xE6\x9D\x8E");
    EXPECT_EQ(zoe.output, "1002\n");
    ASSERT_TRUE(fake.WaitForText("CALL 1002 STATUS RINGING"));
    EXPECT_EQ(fake.Command("GET CALL 1002 PARTNER_DISPNAME"),
              std::vector<std::string>{"CALL 1002 PARTNER_DISPNAME Zo\xC3\xAB \xE6\x9D\x8E"});
    CtlResult number = RunSkypectl("incoming-from +15551234567");
    EXPECT_EQ(number.output, "1003\n");
    EXPECT_EQ(RunSkypectl("calls").output,
              "1001 RINGING in 0 ann.example Ann Example\n"
              "1002 RINGING in 0 zo\xC3\xAB.\xE6\x9D\x8E Zo\xC3\xAB \xE6\x9D\x8E\n"
              "1003 RINGING in 0 +15551234567 \n");

    EXPECT_EQ(RunSkypectl("").exitCode, 3u);
    EXPECT_EQ(RunSkypectl("--pid 1 log").exitCode, 2u);
}
