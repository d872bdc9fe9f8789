// CommonThread with real threads: start, wait, close, restart and destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "audio/common_thread.h"
#include "process.h"

namespace {

// A CommonThread whose body the test supplies.
class ProbeThread : public CommonThread {
public:
    explicit ProbeThread(std::function<DWORD(ProbeThread&)> body) : body(std::move(body)) {}
    DWORD Run() override { return body(*this); }

    bool StopRequested() const { return stopFlag; }
    DWORD Id() const { return threadId; }
    bool HoldsThread() const { return threadHandle != nullptr; }
    // A handle of our own, so the test can see the thread end after the object forgot it.
    HANDLE DuplicateThread() const
    {
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), threadHandle, GetCurrentProcess(), &copy, 0,
                        FALSE, DUPLICATE_SAME_ACCESS);
        return copy;
    }

private:
    std::function<DWORD(ProbeThread&)> body;
};

// A manual-reset event the test sets to let blocked bodies return.
struct Gate {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(event); }
    void Open() { SetEvent(event); }
    void Pass() const { WaitForSingleObject(event, 10000); }
};

DWORD ExitCodeOf(HANDLE thread)
{
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

TEST(CommonThread, CloseWithoutThreadReturnsZeroAndChangesNothing)
{
    ProbeThread never([](ProbeThread&) -> DWORD { return 0; });
    EXPECT_EQ(never.Close(), 0);
    EXPECT_EQ(never.Close(), 0);
    EXPECT_FALSE(never.IsRunning());
    EXPECT_EQ(never.Wait(0), 0u);
}

TEST(CommonThread, CloseAfterRunReturnedReleasesWithoutWaiting)
{
    std::atomic<bool> sawStop(false);
    ProbeThread probe([&](ProbeThread& self) -> DWORD {
        sawStop = self.StopRequested();
        return 7;
    });
    ASSERT_TRUE(probe.Start());
    HANDLE thread = probe.DuplicateThread();
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(thread), 7u);
    EXPECT_FALSE(probe.IsRunning());
    EXPECT_EQ(probe.Wait(INFINITE), 0u); // finished: answers at once

    EXPECT_NE(probe.Close(), 0);
    EXPECT_FALSE(sawStop);
    EXPECT_FALSE(probe.HoldsThread());
    EXPECT_EQ(probe.Id(), 0u);
    EXPECT_EQ(probe.Close(), 0); // second close: nothing held
    CloseHandle(thread);
}

TEST(CommonThread, FiniteWaitOnRunningThreadTimesOut)
{
    Gate gate;
    ProbeThread probe([&](ProbeThread&) -> DWORD {
        gate.Pass();
        return 0;
    });
    ASSERT_TRUE(probe.Start());
    EXPECT_NE(probe.Id(), 0u);
    EXPECT_TRUE(probe.IsRunning());
    DWORD start = GetTickCount();
    EXPECT_EQ(probe.Wait(100), DWORD(WAIT_TIMEOUT));
    EXPECT_GE(GetTickCount() - start, 90u);
    gate.Open();
    EXPECT_EQ(probe.Wait(10000), WAIT_OBJECT_0);
    EXPECT_NE(probe.Close(), 0);
}

TEST(CommonThread, CloseAsksRunToStopAndWaitsForIt)
{
    std::atomic<int> polls(0);
    ProbeThread probe([&](ProbeThread& self) -> DWORD {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(5)) {
            ++polls;
            if (self.StopRequested())
                return 3;
        }
        return 4;
    });
    ASSERT_TRUE(probe.Start());
    HANDLE thread = probe.DuplicateThread();
    ASSERT_TRUE(WaitUntil([&] { return polls > 0; }, 5000));
    EXPECT_NE(probe.Close(), 0);
    // Close returned only after Run did, and Run ended because it was asked to.
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(thread), 3u);
    EXPECT_FALSE(probe.StopRequested()); // cleared again once the thread has ended
    CloseHandle(thread);
}

TEST(CommonThread, StartWhileRunningLeavesFirstThreadRunningUnowned)
{
    Gate gate;
    std::atomic<int> started(0);
    std::atomic<int> finished(0);
    ProbeThread probe([&](ProbeThread&) -> DWORD {
        ++started;
        gate.Pass();
        ++finished;
        return 0;
    });
    ASSERT_TRUE(probe.Start());
    HANDLE first = probe.DuplicateThread();
    DWORD firstId = probe.Id();
    ASSERT_TRUE(WaitUntil([&] { return started == 1; }, 5000));

    ASSERT_TRUE(probe.Start());
    ASSERT_TRUE(WaitUntil([&] { return started == 2; }, 5000));
    EXPECT_NE(probe.Id(), firstId);
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(WaitForSingleObject(first, 0), DWORD(WAIT_TIMEOUT)); // still running, unowned
    EXPECT_TRUE(probe.IsRunning());

    gate.Open();
    EXPECT_NE(probe.Close(), 0);
    EXPECT_EQ(WaitForSingleObject(first, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(finished, 2);
    CloseHandle(first);
}

TEST(CommonThread, RunReturning259LooksRunningAndCloseReturnsAtOnce)
{
    ProbeThread probe([](ProbeThread&) -> DWORD { return STILL_ACTIVE; });
    ASSERT_TRUE(probe.Start());
    HANDLE thread = probe.DuplicateThread();
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(probe.IsRunning()); // the exit code cannot be told from a live thread
    EXPECT_EQ(probe.Wait(5000), WAIT_OBJECT_0);
    DWORD start = GetTickCount();
    EXPECT_NE(probe.Close(), 0);
    EXPECT_LT(GetTickCount() - start, 1000u);
    CloseHandle(thread);
}

// Outside the object: the body still reports after the subclass part is gone.
std::atomic<bool> g_slowRunning(false);
std::atomic<bool> g_slowReturned(false);

// Winds down slowly once asked to stop; has no members of its own, since its Run outlives
// the subclass part's destruction.
class SlowStopThread : public CommonThread {
public:
    DWORD Run() override
    {
        g_slowRunning = true;
        while (!stopFlag)
            Sleep(5);
        Sleep(200);
        g_slowReturned = true;
        return 0;
    }
};

TEST(CommonThread, DestructionBlocksUntilRunReturns)
{
    CommonThread* thread = new SlowStopThread;
    ASSERT_TRUE(thread->Start());
    ASSERT_TRUE(WaitUntil([] { return g_slowRunning.load(); }, 5000));
    delete thread;
    EXPECT_TRUE(g_slowReturned);
}

} // namespace
