// demo.exe: the driver with both simulators through a scripted session, as a user would see
// it, printed as a transcript. Exit code 0 when every step saw its expected effect.
//   demo.exe --out <folder> [--interactive]   (the folder may be a Unix path)
//   demo.exe --list-windows                   (visible top-level windows, for finding things)
#include <cstdio>
#include <cstring>

#include "demo_steps.h"
#include "process.h"
#include "screens.h"

namespace {
int Usage()
{
    fprintf(stderr, "usage: demo.exe --out <folder> [--interactive] | --list-windows\n");
    return 2;
}

bool RunSession(Demo& demo)
{
    return demo.StartDriver() && demo.SkypeAttaches() && demo.IncomingCall() &&
           demo.LiftHandsetAnswers() && demo.SendDigits("42#") &&
           demo.PutHandsetDownEndsCall() && demo.DialNumber("5550123") && demo.PressNo() &&
           demo.PutHandsetDown() && demo.CallerWithAccentsGivesUp() && demo.Unplug() &&
           demo.Replug();
}
} // namespace

int main(int argc, char** argv)
{
    Demo demo;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            demo.outDir = WindowsPath(argv[++i]);
        } else if (strcmp(argv[i], "--interactive") == 0) {
            demo.interactive = true;
        } else if (strcmp(argv[i], "--list-windows") == 0) {
            ListWindows();
            return 0;
        } else {
            return Usage();
        }
    }
    if (demo.outDir.empty())
        return Usage();
    demo.binDir = BinDir(); // where the build puts usbphone.exe, KVLIB.DLL and skypesim.exe
    std::string journal = demo.outDir + "\\journal.txt";
    DeleteFileA(journal.c_str()); // the simulator appends
    if (!demo.transcript.Start(journal)) {
        fprintf(stderr, "demo: cannot start the transcript watcher\n");
        return 1;
    }
    printf("   time    source    event\n");
    bool ok = RunSession(demo);
    if (ok) {
        if (demo.interactive)
            demo.LeaveRunning();
        else
            ok = demo.CloseConfirmed();
    }
    demo.CleanUp();
    printf("\ndemo: %s\n", ok ? "every step saw its expected effect"
                              : "FAILED (see the first FAILED line above)");
    fflush(stdout);
    return ok ? 0 : 1;
}
