// Helpers for end-to-end tests: run a program of the build in a scratch folder, find its
// window, end it and read its exit code. Every wait has a finite timeout.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "wait.h"

// Folder holding the test program itself, where the build puts every exe and DLL.
std::string BinDir();

// A new empty folder under the temporary directory, unique per call.
std::string MakeScratchDir(const char* tag);

// Copies a file from BinDir() into `dir` (same name unless `as` is given).
bool CopyFromBin(const char* file, const std::string& dir, const char* as = nullptr);

struct ChildProcess {
    HANDLE process = nullptr;
    DWORD pid = 0;
    explicit operator bool() const { return process != nullptr; }
};

// Starts `exePath` with `args` in `workDir` (inherits the environment).
ChildProcess StartProcess(const std::string& exePath, const std::string& args,
                          const std::string& workDir);

// The first top-level window of that class and title (null: any), owned by process `pid`
// (0: any); null when there is none.
HWND FindTopLevelWindow(const char* className, const char* title, DWORD pid);

// FindTopLevelWindow polled until `timeoutMs` has passed. Null when none appeared.
HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs);

// Waits for the process to end; returns its exit code, or STILL_ACTIVE on timeout.
DWORD WaitForExit(ChildProcess& child, DWORD timeoutMs);

// Posts WM_CLOSE to `window` (when given), waits up to `timeoutMs`, then kills the process.
// Returns the exit code; a killed process reports 0xDEAD.
DWORD EndProcess(ChildProcess& child, HWND window, DWORD timeoutMs);

// dir + "\\" + name.
std::string JoinPath(const std::string& dir, const std::string& name);

// A whole file's bytes; empty when it cannot be read. Opened sharing everything: another
// process may still write it, and Wine's MoveFile keeps a renamed file open (for DELETE) a
// moment after the rename, when an open that does not share delete (fopen's) fails.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
