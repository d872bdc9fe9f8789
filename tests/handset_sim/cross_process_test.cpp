// The simulator across a real process boundary: a host program loads KVLIB.DLL and binds
// callbacks; this test finds the simulator by the host's pid, injects keys and plug events
// through the control channel (and through handsetctl.exe), and reads back what the host's
// callbacks received, the journal with its thread ids, and the journal file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "event_log.h"
#include "handset_sim_client.h"
#include "process.h"
#include "sequence.h"

namespace {
const char kHostClass[] = "HandsetSimTestHost"; // handset_host.cpp
const UINT kBind = WM_APP + 1;
const UINT kClose = WM_APP + 2;
const UINT kFree = WM_APP + 3;

// The host's record, split into events (thread id removed) and the ids of their threads.
struct HostRecord {
    std::vector<std::string> lines;
    DWORD mainThread = 0;
    std::vector<std::string> events;
    std::vector<DWORD> eventThreads;
};

HostRecord ReadRecord(const std::string& path)
{
    HostRecord record;
    record.lines = ReadHandsetJournalFile(path); // same line format
    for (const std::string& line : record.lines) {
        size_t lastSpace = line.rfind(' ');
        if (line.compare(0, 5, "main ") == 0) {
            record.mainThread = strtoul(line.c_str() + 5, nullptr, 10);
        } else if (line.compare(0, 4, "key ") == 0 || line.compare(0, 5, "plug ") == 0) {
            record.events.push_back(line.substr(0, lastSpace));
            record.eventThreads.push_back(strtoul(line.c_str() + lastSpace + 1, nullptr, 10));
        }
    }
    return record;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines)
        if (line == wanted)
            return true;
    return false;
}

DWORD RunHandsetctl(const std::string& dir, const std::string& args)
{
    ChildProcess tool = StartProcess(JoinPath(dir, "handsetctl.exe"), args, dir);
    return tool ? WaitForExit(tool, 15000) : 0xFFFFu;
}
} // namespace

TEST(KvlibCrossProcess, KeysAndPlugEventsReachTheHostInOrderAndAreJournalled)
{
    std::string dir = MakeScratchDir("kvlib-host");
    ASSERT_TRUE(CopyFromBin("KVLIB.DLL", dir));
    ASSERT_TRUE(CopyFromBin("handset_host.exe", dir));
    ASSERT_TRUE(CopyFromBin("handsetctl.exe", dir));
    std::string recordPath = JoinPath(dir, "record.txt");
    std::string journalPath = JoinPath(dir, "journal.txt");
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", journalPath.c_str());
    SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", "3");
    ChildProcess host = StartProcess(JoinPath(dir, "handset_host.exe"),
                                     "\"" + recordPath + "\"", dir);
    SetEnvironmentVariableA("USBPHONE_SIM_JOURNAL", nullptr);
    SetEnvironmentVariableA("USBPHONE_SIM_OPEN_RESULT", nullptr);
    ASSERT_TRUE(host);
    HWND hostWindow = WaitForWindow(kHostClass, "host", host.pid, 10000);
    ASSERT_NE(hostWindow, nullptr);
    HWND sim = FindHandsetSim(host.pid, 10000);
    ASSERT_NE(sim, nullptr);

    // Opened with the environment's result, nothing bound: events are refused.
    HandsetSimState state;
    ASSERT_TRUE(WaitUntil([&] { return HandsetSimGetState(sim, &state) && state.opened; }, 5000));
    EXPECT_EQ(state.pid, host.pid);
    EXPECT_EQ(state.openResult, 3);
    EXPECT_FALSE(state.connected);
    EXPECT_FALSE(state.bound);
    EXPECT_FALSE(HandsetSimKey(sim, 1));
    EXPECT_FALSE(HandsetSimPlug(sim, 1));

    PostMessageA(hostWindow, kBind, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return HandsetSimGetState(sim, &state) && state.bound; }, 5000));
    EXPECT_TRUE(HandsetSimPlug(sim, 1));
    EXPECT_TRUE(HandsetSimKey(sim, 80));
    EXPECT_TRUE(HandsetSimKey(sim, 1));
    EXPECT_EQ(RunHandsetctl(dir, Format("-p %lu key 21", host.pid)), 0u);
    EXPECT_TRUE(HandsetSimKey(sim, 70));
    EXPECT_EQ(RunHandsetctl(dir, Format("-p %lu plug 0", host.pid)), 0u);
    const size_t eventCount = 6;

    HostRecord record;
    ASSERT_TRUE(WaitUntil([&] {
        record = ReadRecord(recordPath);
        return record.events.size() >= eventCount;
    }, 5000));
    Sequence expected = {"host callbacks", {"plug 1 0", "key 80", "key 1", "key 21", "key 70",
                                            "plug 0 0"}};
    EXPECT_SEQUENCE(expected, record.events);
    ASSERT_NE(record.mainThread, 0u);
    const DWORD eventThread = record.eventThreads.front();
    for (DWORD thread : record.eventThreads) {
        EXPECT_NE(thread, record.mainThread);
        EXPECT_EQ(thread, eventThread);
    }

    ASSERT_TRUE(HandsetSimGetState(sim, &state));
    EXPECT_FALSE(state.connected);
    EXPECT_EQ(state.hook, 1);
    EXPECT_EQ(state.lcdText, ""); // unplugged, it has no power to show "70" any more
    EXPECT_EQ(state.eventsDelivered, eventCount);
    EXPECT_EQ(state.stackFaults, 0u);

    const std::string main = Format("%lu ", record.mainThread);
    const std::string events = Format("%lu ", eventThread);
    std::vector<std::string> live = HandsetSimJournal(sim);
    Sequence journal = {"journal", {
        main + Format("USBPhone_Open hwnd=%llu",
                      (unsigned long long)reinterpret_cast<ULONG_PTR>(hostWindow)),
        main + "USBPhone_Bind key=set plug=set",
        events + "USBPhone_DisplayLCD mode=2 on=1 param=6 text=null textOn=0",
        events + "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"80\" textOn=1",
        events + "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"1\" textOn=1",
        events + "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"21\" textOn=1",
        events + "USBPhone_DisplayLCD mode=3 on=1 param=6 text=\"70\" textOn=1",
        events + "USBPhone_DisplayLCD mode=2 on=0 param=0 text=null textOn=0",
    }};
    EXPECT_SEQUENCE(journal, live);

    // Close ends the channel; unloading afterwards is journalled in the file.
    PostMessageA(hostWindow, kClose, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return FindHandsetSim(host.pid, 0) == nullptr; }, 5000));
    EXPECT_EQ(RunHandsetctl(dir, Format("-p %lu -w 0 key 1", host.pid)), 1u);
    PostMessageA(hostWindow, kFree, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadRecord(recordPath).lines, "freed"); }, 5000));
    EXPECT_EQ(EndProcess(host, hostWindow, 10000), 0u);

    std::vector<std::string> file = ReadHandsetJournalFile(journalPath);
    journal.name = "journal file";
    journal.steps.push_back(main + "USBPhone_Close");
    journal.steps.push_back(main + "Unload");
    EXPECT_SEQUENCE(journal, file);
    Sequence hostTail = {"host record after close", {"closed", "freed"}};
    std::vector<std::string> lines = ReadRecord(recordPath).lines;
    ASSERT_GE(lines.size(), 2u);
    EXPECT_SEQUENCE(hostTail, std::vector<std::string>(lines.end() - 2, lines.end()));
}
