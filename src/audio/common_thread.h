// Base of an object that owns at most one worker thread at a time.
#pragma once
#include <windows.h>

class CommonThread {
public:
    CommonThread();
    // Closes through CommonThread::Close, whatever the subclass.
    virtual ~CommonThread();

    // Asks the thread to stop, waits for it without timeout if it still runs, releases the
    // handle. Returns CloseHandle's result, or 0 when no thread was held.
    virtual BOOL Close();
    virtual const char* GetName() const;
    // Creates a new thread running Run (1 MiB stack). A thread already held is released
    // without being stopped or waited for: it runs on unowned.
    virtual bool Start();
    // The thread's body; its result is the thread's exit code.
    virtual DWORD Run() = 0;

    // 0 when no thread is held or it has ended, else WaitForSingleObject's result.
    DWORD Wait(DWORD milliseconds);
    // True while the thread's exit code reads STILL_ACTIVE.
    bool IsRunning() const;

protected:
    HANDLE threadHandle;
    DWORD threadId;
    // Set while Close waits; Run may poll it. A plain byte flag, written by the owner and
    // read by the worker: volatile so a polling loop re-reads it.
    volatile bool stopFlag;

private:
    static DWORD WINAPI ThreadEntry(void* self);

    CommonThread(const CommonThread&) = delete;
    CommonThread& operator=(const CommonThread&) = delete;
};
