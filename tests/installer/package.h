// Test helpers for the Windows Installer package: where the packages of this build tree are,
// msiexec runs, and a snapshot of everything an install leaves on the machine for the
// current user.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "process.h"

// The package of this build tree and two made beside it for the tests, with their versions
// and the program each carries: an older version, whose usbphone.exe has a few bytes
// appended so that it can be told apart, and a later build of the same version (fourth
// field one higher). The package and the later build are signed copies made at test time
// (signed_packages.sh): they carry this tree's usbphone.exe, signed.
std::string PackagePath();
std::string OlderPackagePath();
std::string RebuildPackagePath();
std::string ProgramPath();      // the signed usbphone.exe (in the package and the rebuild)
std::string OlderProgramPath(); // the older package's usbphone.exe
// A file in the folder of the signed copies (signed_packages.sh says what is there).
std::string SignedPath(const char* name);
extern const char kVersion[];
extern const char kOlderVersion[];
extern const char kRebuildVersion[];

// Starts "msiexec <args> /l*v <log>".
ChildProcess StartMsiexec(const std::string& args, const std::string& logPath);
// Runs "msiexec <args> <ui> /l*v <log>" and returns its exit code (STILL_ACTIVE on timeout).
// `ui` is the user interface level: none by default; "/qr" runs the package's own user
// interface sequence, which needs no answer from a user since the package has no dialogs.
DWORD Msiexec(const std::string& args, const std::string& logPath, const char* ui = "/qn");
// Removes every installed product of this package's family (uninstall with /qn).
void UninstallAll();

// Where a per-user install puts things.
std::string InstallFolder();     // %LOCALAPPDATA%\Programs\USB Phone Driver
std::string InstalledProgram();  // ...\usbphone.exe
std::string ShortcutPath();      // the user's Start menu programs\USB Phone Driver.lnk
// Where the package remembers the folder it installed into (HKCU, under the maker's key).
extern const char kProductKey[];      // Software\Tavrix\USB Phone Driver
extern const char kInstallDirValue[]; // InstallDir

struct ArpEntry {
    std::string hive; // where the entry was found
    std::string key;  // its key name under ...\Uninstall
    std::string displayName, displayVersion, publisher, comments, helpLink;
};

struct InstallState {
    std::string installFolder;       // the folder looked at (the default one unless given)
    bool folder = false;             // that folder exists
    std::string program;             // contents of usbphone.exe in it ("" when absent)
    bool shortcut = false;
    std::string shortcutTarget, shortcutFolder, shortcutDescription;
    bool runValue = false;           // HKCU ...\Run "USB Phone Driver"
    std::string runCommand;
    std::vector<std::string> products; // installed product codes of this package's family
    std::vector<ArpEntry> arpEntries;  // Add/Remove Programs entries named "USB Phone Driver"
    bool makerKey = false;             // HKCU\Software\Tavrix
    bool installDirValue = false;      // the remembered install folder, and its text
    std::string installDir;
};
// The state with the program looked for in `folder`.
InstallState ReadInstallState(const std::string& folder = InstallFolder());

// A short description of the state, printed when a check fails.
std::string Describe(const InstallState& state);

// Checks that nothing of an install is left; adds a failure per leftover.
void ExpectNothingInstalled(const InstallState& state);

// The product information Windows Installer keeps for an installed product of the current
// user (per-user context); empty when there is none.
std::string ProductInfo(const std::string& productCode, const char* property);

// HKCU\SOFTWARE\Skype\Phone "SkypePath" (`present` false when there is none); Skype's, not
// ours: an uninstall must leave it alone. SetSkypePath (driver_run.h) writes it.
std::string SkypePath(bool* present);

// The installed program's product version, from its version block ("a.b.c.d"; empty when
// it has none).
std::string ProductVersionOf(const std::string& path);

// Text of an msiexec log (Wine writes it in the ANSI code page, Windows in UTF-16).
std::string ReadLog(const std::string& path);

// Each test starts and ends with the product not installed; installs log to a scratch folder.
class PackageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // msiexec /i <package> <properties> <ui>; the log of the last run is `lastLog`.
    DWORD Install(const std::string& package, const std::string& properties = "",
                  const char* ui = "/qn");
    DWORD Uninstall(const std::string& productCode);
    // Checks an install of `version` carrying `program` (file contents), with or without the
    // Run value, in the state's folder, which the package remembers; adds a failure per
    // difference.
    void ExpectInstalled(const InstallState& state, const std::string& program,
                         const char* version, bool runValue);

    std::string logDir;
    std::string lastLog;
    int runs = 0;
};
