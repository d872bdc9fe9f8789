// The worker thread base: start, wait, close.
#include "audio/common_thread.h"

namespace {
const SIZE_T kStackSize = SIZE_T{1024} * 1024;
}

CommonThread::CommonThread() : threadHandle(nullptr), threadId(0), stopFlag(false)
{
}

CommonThread::~CommonThread()
{
    CommonThread::Close();
}

BOOL CommonThread::Close()
{
    if (!threadHandle)
        return 0;
    stopFlag = true;
    Wait(INFINITE);
    stopFlag = false;
    BOOL closed = CloseHandle(threadHandle);
    threadHandle = nullptr;
    threadId = 0;
    return closed;
}

const char* CommonThread::GetName() const
{
    return "CommonThread";
}

bool CommonThread::Start()
{
    if (threadHandle)
        CloseHandle(threadHandle);
    threadHandle = CreateThread(nullptr, kStackSize, ThreadEntry, this, 0, &threadId);
    return threadHandle != nullptr;
}

DWORD CommonThread::Wait(DWORD milliseconds)
{
    if (!threadHandle || !IsRunning())
        return 0;
    return WaitForSingleObject(threadHandle, milliseconds);
}

bool CommonThread::IsRunning() const
{
    DWORD exitCode = 0;
    if (!GetExitCodeThread(threadHandle, &exitCode))
        return false;
    return exitCode == STILL_ACTIVE;
}

DWORD WINAPI CommonThread::ThreadEntry(void* self)
{
    return static_cast<CommonThread*>(self)->Run();
}
