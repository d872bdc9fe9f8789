// The steps of the scripted session.
#include "demo_steps.h"

#include <cstdio>
#include <cstring>

#include "event_log.h"
#include "process.h"
#include "rig_devices.h"
#include "screens.h"

namespace {
const int kKeyStar = 20, kKeyHash = 21, kKeyNo = 30, kKeyYes = 50, kHookOn = 70,
          kHookOff = 80;
const DWORD kPauseMs = 400; // between a person's actions, so the transcript reads like one

int DigitKey(char c)
{
    return c == '*' ? kKeyStar : c == '#' ? kKeyHash : c - '0';
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}
} // namespace

void Demo::Begin(const std::string& title)
{
    transcript.Step(title);
    stepStart_ = transcript.Count();
}

bool Demo::Check(bool ok, const std::string& what)
{
    if (!ok) {
        transcript.Say("FAILED: expected " + what);
        transcript.Say("        handset now: " + HandsetSummary());
    }
    return ok;
}

std::string Demo::HandsetSummary()
{
    HandsetSimState state;
    if (!sim || !HandsetSimGetState(sim, &state))
        return "(no answer from the handset simulator)";
    return Format("connected=%d lcd=\"%s\" skype=%d in-call=%d light=%d ringing=%d",
                  state.connected, state.lcdText.c_str(), state.skype, state.inCall,
                  state.light, state.ringing);
}

bool Demo::Key(int code, const std::string& meaning)
{
    transcript.Note("handset", Format("key %d (%s)", code, meaning.c_str()));
    return Check(HandsetSimKey(sim, code), "the handset simulator to take key " +
                                               std::to_string(code));
}

bool Demo::WaitSkypeGot(const std::string& command, DWORD timeoutMs)
{
    return Check(transcript.WaitForText(stepStart_, "skype <-", command, timeoutMs),
                 "Skype to receive " + Quoted(command));
}

bool Demo::WaitSkypeSent(const std::string& notification, DWORD timeoutMs)
{
    return Check(transcript.WaitForText(stepStart_, "skype ->", notification, timeoutMs),
                 "Skype to send " + Quoted(notification));
}

bool Demo::WaitHandset(bool (*condition)(const HandsetSimState&, const Demo&),
                       const std::string& what, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HandsetSimState state;
        if (HandsetSimGetState(sim, &state) && condition(state, *this))
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return Check(false, "the handset: " + what);
        Sleep(20);
    }
}

bool Demo::WaitTones(int count, DWORD timeoutMs)
{
    bool ok = transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        return transcript.CountMatching(stepStart_, "tone", "") >= count;
    }, timeoutMs);
    return Check(ok, Format("%d tone(s) on the USB device, heard %d", count,
                            transcript.CountMatching(stepStart_, "tone", "")));
}

bool Demo::Shot(const std::string& file, const std::string& what,
                const std::vector<std::pair<std::string, HWND>>& closeUps)
{
    std::vector<CloseUp> crops;
    std::string listed;
    for (const auto& closeUp : closeUps) {
        if (!closeUp.second)
            continue;
        crops.push_back({closeUp.first, AroundWindow(closeUp.second, 6)});
        listed += ", " + closeUp.first;
    }
    transcript.Note("picture", file + listed + ": " + what);
    transcript.PrintNew();
    return Check(TakeScreenshot(outDir, file, crops), "the screenshot " + file);
}

bool Demo::StartDriver()
{
    Begin("The driver starts; Skype (the simulator) starts from \"SkypePath\" and asks its "
          "user whether to allow it");
    // A program Skype does not know yet: Skype answers "pending authorization" and asks its
    // user; the tray says so until the next step.
    std::string command = "\"" + binDir + "\\skypesim.exe\" --ask-permission";
    if (!Check(skypePath.Set(command), "to set SkypePath"))
        return false;
    transcript.Note("demo", "SkypePath = " + command);
    if (!Check(driver.Start(binDir, outDir + "\\journal.txt"), "usbphone.exe to start"))
        return false;
    transcript.Note("demo", Format("usbphone.exe started (pid %lu)", driver.pid));
    if (!Check(driver.WaitForWindow(10000), "the driver's hidden window"))
        return false;
    sim = FindHandsetSim(driver.pid, 10000);
    if (!Check(sim != nullptr, "the handset simulator inside usbphone.exe"))
        return false;
    if (!Check(skype.Connect(0, 15000), "the Skype simulator to start"))
        return false;
    DWORD skypePid = 0;
    GetWindowThreadProcessId(skype.ControlWindow(), &skypePid);
    transcript.WatchSkype(skypePid);
    transcript.Note("demo", Format("skypesim.exe is running (pid %lu)", skypePid));
    bool asked = transcript.WaitFor(stepStart_, [](const DemoEvent& event) {
        return event.source == "skype" && event.text.compare(0, 14, "attach reply 1") == 0;
    }, 10000);
    if (!Check(asked, "the driver to ask Skype for the API (an attach reply 1)"))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return s.opened && s.bound && s.connected;
        }, "opened, bound, plugged in"))
        return false;
    Sleep(kPauseMs);
    trayNoSkype = PixelHash(ClientArea(FindTrayWindow()));
    return Shot("screen-1-no-skype.png", "the tray icon says \"Allow it in Skype\"",
                {{"tray-1-no-skype.png", FindTrayWindow()}});
}

// The rig's USB sound devices, named literally: what Skype must be told.
bool Demo::TellsSkypeTheUsbDevices()
{
    for (const char* command : {kRigAudioOutCommand, kRigAudioInCommand}) {
        std::string expected = command;
        if (!transcript.WaitFor(stepStart_, [&](const DemoEvent& event) {
                return event.source == "skype <-" && event.text == expected;
            }, 5000))
            return false;
    }
    return true;
}

bool Demo::SkypeAttaches()
{
    Begin("The user allows the driver in Skype: Skype attaches");
    // The driver waits for the answer instead of discovering again: Skype opens one more
    // question for every discovery while one is open.
    int questions = skype.QuestionsAsked();
    transcript.Note("skype", Format("permission questions asked: %d", questions));
    if (!Check(questions == 1, "one permission question"))
        return false;
    transcript.Note("demo", "Skype: the user allows the driver (attach status 0)");
    if (!Check(skype.AnswerQuestion(true), "the simulator to attach"))
        return false;
    if (!Check(transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
            return skype.AttachedClient() == driver.window;
        }, 5000), "the Skype simulator's client to be the driver"))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) { return s.skype; },
                     "Skype indicator on"))
        return false;
    bool devices = TellsSkypeTheUsbDevices();
    if (!Check(devices, "the driver to choose Skype's audio devices"))
        return false;
    // Skype is asked which calls it holds: none yet, so nothing more is asked.
    if (!Check(transcript.WaitFor(stepStart_, [](const DemoEvent& event) {
            return event.source == "skype ->" && event.text == "CALLS ";
        }, 5000), "the driver to ask Skype which calls it holds"))
        return false;
    Sleep(kPauseMs);
    trayAttached = PixelHash(ClientArea(FindTrayWindow()));
    if (!Check(trayAttached != trayNoSkype, "the tray icon to change"))
        return false;
    transcript.Note("tray", "shows the attached picture");
    return Shot("screen-2-attached.png", "the tray icon says \"Skype Feature-Enabled\"",
                {{"tray-2-attached.png", FindTrayWindow()}});
}

bool Demo::IncomingCall()
{
    Begin("A call from \"Ann\" comes in");
    callId = skype.Incoming("Ann");
    transcript.Note("demo", Format("Skype: incoming call from Ann (call %d)", callId));
    if (!Check(callId > 0, "the simulator to take the call"))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return s.ringing && s.lcdText == "Ann";
        }, "ringing with \"Ann\" on the LCD"))
        return false;
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    return Shot("screen-3-ringing.png", "the handset rings, \"Ann\" on its LCD",
                {{"handset-3-ringing-ann.png", handset}});
}

bool Demo::LiftHandsetAnswers()
{
    Begin("The user lifts the handset: the call is answered");
    if (!Key(kHookOff, "handset lifted") || !WaitSkypeGot("HOOK OFF"))
        return false;
    std::string status = Format("CALL %d STATUS INPROGRESS", callId);
    if (!WaitSkypeGot(Format("SET CALL %d STATUS INPROGRESS", callId)) ||
        !WaitSkypeSent(status))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return !s.ringing && s.light && s.inCall;
        }, "ringer off, light and in-call indicator on"))
        return false;
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    return Shot("screen-4-in-call.png", "in the call with Ann: the Skype simulator and the handset",
                {{"skype-4-in-call.png", skype.MainWindow()}, {"handset-4-in-call.png", handset}});
}

bool Demo::SendDigits(const char* digits)
{
    Begin(Format("Keys %s in the call: DTMF to Skype", digits));
    for (const char* c = digits; *c; ++c) {
        if (!Key(DigitKey(*c), std::string(1, *c)) ||
            !WaitSkypeGot(Format("SET CALL %d DTMF %c", callId, *c)))
            return false;
        Sleep(kPauseMs / 2);
    }
    return true;
}

bool Demo::PutHandsetDownEndsCall()
{
    Begin("The user puts the handset down: the call ends");
    if (!Key(kHookOn, "handset put down") || !WaitSkypeGot("HOOK ON") ||
        !WaitSkypeGot(Format("SET CALL %d STATUS FINISHED", callId)) ||
        !WaitSkypeSent(Format("CALL %d STATUS FINISHED", callId)))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return !s.light && !s.inCall && !s.ringing && s.lcdText.empty();
        }, "light and in-call indicator off, the LCD idle"))
        return false;
    // Putting the handset down also closes Skype's window, as NO does; shown again without
    // activating it, its log has the hang-up.
    ShowWindow(skype.MainWindow(), SW_SHOWNA);
    transcript.Note("demo", "Skype's window shown again to see its log");
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    return Shot("screen-5-hung-up.png",
                "the handset put down: SET CALL ... STATUS FINISHED in Skype's log, the LCD idle",
                {{"skype-5-hung-up.png", skype.MainWindow()}, {"handset-5-hung-up.png", handset}});
}

bool Demo::DialNumber(const char* number)
{
    Begin(Format("The user lifts the handset and keys in %s", number));
    if (!Key(kHookOff, "handset lifted") || !WaitSkypeGot("HOOK OFF"))
        return false;
    for (const char* c = number; *c; ++c) {
        size_t before = transcript.Count();
        if (!Key(DigitKey(*c), std::string(1, *c)))
            return false;
        std::string pressed = Format("BTN_PRESSED %c", *c);
        if (!Check(transcript.WaitForText(before, "skype <-", pressed, 5000),
                   "Skype to receive " + Quoted(pressed)))
            return false;
        Sleep(kPauseMs / 2);
    }
    expectedLcd_ = number;
    if (!WaitHandset([](const HandsetSimState& s, const Demo& demo) {
            return s.lcdText == demo.expectedLcd_;
        }, Format("%s on the LCD", number)))
        return false;
    // Skype's dial pad types every pressed digit into its number field, the DTMF digits of
    // the call included: the number is at its end.
    std::string field;
    bool typed = transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        return skype.NumberField(&field) && field.size() >= strlen(number) &&
               field.compare(field.size() - strlen(number), std::string::npos, number) == 0;
    }, 5000);
    transcript.Note("skype", "number field \"" + field + "\"");
    if (!Check(typed, Format("%s in Skype's number field", number)))
        return false;
    // Out of a call each digit sounds its own key tone.
    if (!WaitTones(int(strlen(number))))
        return false;
    std::string heard;
    for (int i = 0; number[i]; ++i)
        heard += Format("%s(key %c)", i ? " " : "", number[i]);
    std::string seen = transcript.ToneKeys(stepStart_);
    if (!Check(seen == heard, "the key tones " + heard + ", heard " + seen))
        return false;
    Sleep(kPauseMs);
    return true;
}

bool Demo::PressNo()
{
    Begin("NO: the number is dropped");
    if (!Key(kKeyNo, "NO") || !WaitSkypeGot("BTN_PRESSED NO"))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) { return s.lcdText.empty(); },
                     "an empty LCD text"))
        return false;
    std::string field = "?";
    int visible = -1;
    bool reset = transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        visible = skype.MainWindowVisible();
        return skype.NumberField(&field) && field.empty() && visible == 0;
    }, 5000);
    transcript.Note("skype", Format("number field \"%s\", main window %s", field.c_str(),
                                    visible == 0 ? "closed" : "shown"));
    if (!Check(reset, "Skype's number field emptied and its main window closed"))
        return false;
    if (!WaitTones(1))
        return false;
    Sleep(kPauseMs);
    return true;
}

bool Demo::PutHandsetDown()
{
    Begin("The user puts the handset down");
    if (!Key(kHookOn, "handset put down") || !WaitSkypeGot("HOOK ON"))
        return false;
    Sleep(kPauseMs);
    return true;
}

bool Demo::CallerWithAccentsGivesUp()
{
    const std::string name = "Zo\xC3\xAB M\xC3\xBCller"; // UTF-8, as Skype sends names
    Begin("A call from \"" + name + "\": her name in the LCD's own letters; she gives up");
    int id = skype.Incoming(name);
    transcript.Note("demo", Format("Skype: incoming call from %s (call %d)", name.c_str(), id));
    if (!Check(id > 0, "the simulator to take the call") ||
        !WaitSkypeSent(Format("CALL %d PARTNER_DISPNAME %s", id, name.c_str())))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return s.ringing && s.lcdText == "Zoe Muller";
        }, "ringing with \"Zoe Muller\" on the LCD"))
        return false;
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    if (!Shot("screen-6-zoe-ringing.png", "the handset rings, \"Zoe Muller\" on its LCD",
              {{"handset-6-ringing-zoe.png", handset}}))
        return false;
    transcript.Note("demo", Format("Skype: the caller gives up call %d", id));
    if (!Check(skype.CallerGivesUp(id), "the simulator to end the call") ||
        !WaitSkypeSent(Format("CALL %d STATUS MISSED", id)))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return !s.ringing && !s.inCall && s.lcdText.empty();
        }, "ringer off, in-call indicator off, the LCD idle"))
        return false;
    Sleep(kPauseMs);
    return true;
}

bool Demo::Unplug()
{
    Begin("A number is keyed in, then the handset is unplugged");
    expectedLcd_ = "555";
    for (char c : expectedLcd_)
        if (!Key(DigitKey(c), std::string(1, c)))
            return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo& demo) {
            return s.lcdText == demo.expectedLcd_;
        }, "555 on the LCD"))
        return false;
    transcript.Note("handset", "unplugged");
    if (!Check(HandsetSimPlug(sim, 0), "the handset simulator to take the unplug event"))
        return false;
    // Without power a real handset shows nothing.
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return !s.connected && !s.skype && s.lcdText.empty();
        }, "the unplugged handset blank"))
        return false;
    HWND tray = FindTrayWindow();
    bool changed = transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        unsigned long long now = PixelHash(ClientArea(tray));
        return now != trayAttached && now != trayNoSkype;
    }, 5000);
    if (!Check(changed, "the tray icon to show a third picture"))
        return false;
    transcript.Note("tray", "shows the unplugged picture");
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    return Shot("screen-7-unplugged.png",
                "the tray icon says \"Please Connect USB Phone\", the handset is blank",
                {{"tray-7-unplugged.png", tray}, {"handset-7-unplugged.png", handset}});
}

bool Demo::Replug()
{
    Begin("The handset is plugged in again");
    transcript.Note("handset", "plugged in");
    if (!Check(HandsetSimPlug(sim, 1), "the handset simulator to take the plug event"))
        return false;
    if (!WaitHandset([](const HandsetSimState& s, const Demo&) {
            return s.connected && s.skype;
        }, "plugged in, Skype indicator on"))
        return false;
    bool devices = TellsSkypeTheUsbDevices();
    if (!Check(devices, "the driver to choose Skype's audio devices again"))
        return false;
    // A handset that lost power is shown everything again: the number keyed in before.
    if (!WaitHandset([](const HandsetSimState& s, const Demo& demo) {
            return s.skype && !s.inCall && s.lcdText == demo.expectedLcd_;
        }, "the number shown again"))
        return false;
    // Reported, not required: Wine's own tray window was seen to keep its third picture
    // although the driver asked for the attached one again.
    HWND tray = FindTrayWindow();
    bool back = transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        return PixelHash(ClientArea(tray)) == trayAttached;
    }, 2000);
    transcript.Note("tray", back ? "shows the attached picture again"
                                 : "still shows the unplugged picture");
    Sleep(kPauseMs);
    HWND handset = FindTopLevelWindow("UsbPhoneHandsetSimWindow", "Handset", driver.pid);
    return Shot("screen-8-replugged.png",
                "the handset back: Skype indicator and the number shown again",
                {{"tray-8-replugged.png", tray}, {"handset-8-replugged.png", handset}});
}

bool Demo::CloseConfirmed()
{
    Begin("Close from the tray menu, confirmed");
    transcript.Note("demo", "tray menu: Close (WM_COMMAND 105)");
    PostMessageA(driver.window, WM_COMMAND, 105, 0);
    HWND box = nullptr;
    transcript.WaitFor(stepStart_, [&](const DemoEvent&) {
        box = FindTopLevelWindow("#32770", "USB Phone Driver", driver.pid);
        return box != nullptr;
    }, 5000);
    if (!Check(box != nullptr, "the confirmation box \"USB Phone Driver\""))
        return false;
    transcript.Note("driver", "asks: " + Quoted(StaticTexts(box)));
    Sleep(kPauseMs);
    transcript.Note("demo", "OK");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = driver.WaitForExit(10000);
    if (!Check(code != STILL_ACTIVE, "usbphone.exe to end"))
        return false;
    transcript.Note("demo", Format("usbphone.exe ended with code %lu", code));
    if (!Check(transcript.WaitForText(stepStart_, "library", "USBPhone_Close", 2000),
               "the handset library to be closed"))
        return false;
    return Check(code == 0, "exit code 0");
}

void Demo::LeaveRunning()
{
    Begin("Left running for you");
    transcript.Say("The driver, its \"Handset\" window and the Skype simulator keep running.");
    transcript.Say("Click the handset's keys, hook and plug switches; use the simulator's "
                   "buttons to call in, answer or hang up.");
    transcript.Say("The driver's tray icon menu has About and Close.");
}

void Demo::CleanUp()
{
    transcript.PrintNew();
    if (!interactive) {
        // A Skype simulator left behind would refuse the next run's one.
        if (skype.ControlWindow())
            (void)skype.Quit();
        driver.Kill();
    }
    skypePath.Restore();
    transcript.Stop();
}
