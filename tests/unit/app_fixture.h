// In-process fixture for the driver's logic: a fresh AppState, a recording stand-in for the
// handset library's entry points, a real hidden window running MainWindowProc, and a fake
// Skype API window on the same thread that records commands and can answer them inside the
// send, as Skype does. Everything appends to SharedLog() in order.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "event_log.h"
#include "sequence.h"
#include "wait.h"

// Log entries: "lcd mode=<m> on=<o> param=<p> text=<null|"..."> textOn=<t>", "ring <n>",
// "light <n>", "open", "bind", "close"; "skype <command>" for each command the fake Skype
// received; "discover" for each discovery broadcast it saw from the program's window; plus
// those of the seam fakes ("shell ...", "launch ...", "key ...", "char ...", "pause ...",
// "tone ...").
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Build();
        Prepare();
    }
    void TearDown() override { Dismantle(); }
    // A fresh state for the next row of a table: everything torn down and built again.
    void Fresh()
    {
        Dismantle();
        Build();
        Prepare();
    }
    // What a test class adds to every fresh state.
    virtual void Prepare() {}

    void Attach();                      // Skype attached, as after its attach reply
    LRESULT Notify(const char* text);   // a notification from the fake Skype
    std::vector<std::string> Log() const { return SharedLog().Snapshot(); }
    void ClearLog() { SharedLog().Clear(); }

    // The fake Skype answers `command` with `reply` inside the command's send.
    void ReplyTo(const std::string& command, const std::string& reply);

    HWND ownWindow = nullptr;
    HWND fakeSkype = nullptr;

private:
    void Build();
    void Dismantle();
};

// The log entry of one LCD request.
std::string LcdEntry(int mode, int on, int param, const char* text, int textOn);
