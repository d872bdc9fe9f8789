// The Windows Installer package under Wine's msiexec with /qn: a per-user install (program,
// Start menu shortcut, Run value, Add/Remove Programs entry), start at logon turned off,
// upgrades from older packages, into the install folder the older one was given, a refused
// downgrade and an uninstall that leaves nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <msi.h>

#include "driver_run.h"
#include "package.h"
#include "process.h"

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// File names in a folder ("*" and directories left out).
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void SetRunValue(const char* name, const char* command)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kRunKey, &key), ERROR_SUCCESS);
    if (command)
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                       DWORD(strlen(command) + 1));
    else
        RegDeleteValueA(key, name);
    RegCloseKey(key);
}

struct DialogQuery {
    DWORD pid;
    HWND dialog;
    std::string text;
};

BOOL CALLBACK AppendStaticText(HWND child, LPARAM lParam)
{
    char cls[32] = "", text[512] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
        reinterpret_cast<DialogQuery*>(lParam)->text += std::string(text) + "\n";
    return TRUE;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    DialogQuery* query = reinterpret_cast<DialogQuery*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (owner != query->pid || !IsWindowVisible(window) || lstrcmpA(cls, "#32770") != 0)
        return TRUE;
    query->dialog = window;
    EnumChildWindows(window, AppendStaticText, lParam);
    return FALSE;
}

// A dialog box that process `pid` shows, with the texts in it; null when there is none.
HWND FindDialog(DWORD pid, std::string* text)
{
    DialogQuery query = {pid, nullptr, std::string()};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&query));
    *text = query.text;
    return query.dialog;
}

bool HasRunValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}
} // namespace

TEST_F(PackageTest, InstallsForTheUserWithShortcutRunValueAndEntry)
{
    ASSERT_EQ(Install(PackagePath()), 0u) << "log: " << lastLog;
    InstallState state = ReadInstallState();
    ExpectInstalled(state, ReadFileBytes(ProgramPath()), kVersion, true);
    ASSERT_EQ(state.products.size(), 1u);
    const std::string& product = state.products[0];

    // Only the program: the handset maker's KVLIB.DLL is not ours to ship.
    EXPECT_EQ(FilesIn(InstallFolder()), std::vector<std::string>{"usbphone.exe"});
    EXPECT_EQ(state.shortcutDescription, "USB Phone Driver for Skype");

    // One source for the number: the entry's version is the program's own product version.
    EXPECT_EQ(ProductVersionOf(InstalledProgram()), kVersion);

    // Registered for this user only, no machine-wide install.
    char value[64];
    DWORD size = sizeof value;
    EXPECT_EQ(MsiGetProductInfoExA(product.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                   INSTALLPROPERTY_VERSIONSTRING, value, &size),
              static_cast<UINT>(ERROR_UNKNOWN_PRODUCT));
    EXPECT_EQ(ProductInfo(product, INSTALLPROPERTY_PRODUCTNAME), "USB Phone Driver");
    EXPECT_EQ(ProductInfo(product, INSTALLPROPERTY_PUBLISHER), "Tavrix");

    ASSERT_EQ(state.arpEntries.size(), 1u);
    EXPECT_EQ(state.arpEntries[0].publisher, "Tavrix");
    EXPECT_EQ(state.arpEntries[0].comments, "USB Phone Driver for Skype");

    // The entry's icon is the program's.
    std::string icon = ProductInfo(product, INSTALLPROPERTY_PRODUCTICON);
    EXPECT_FALSE(icon.empty());
    std::string iconBytes = ReadFileBytes(icon);
    EXPECT_FALSE(iconBytes.empty()) << icon;
    EXPECT_TRUE(iconBytes == ReadFileBytes(USBPHONE_APP_ICON)) << icon;
}

TEST_F(PackageTest, StartAtLogonZeroLeavesOutOnlyTheRunValue)
{
    ASSERT_EQ(Install(PackagePath(), "STARTATLOGON=0"), 0u) << "log: " << lastLog;
    ExpectInstalled(ReadInstallState(), ReadFileBytes(ProgramPath()), kVersion, false);
}

// An upgrade replaces the older version: one product, one entry, the new file. Whether the
// driver starts at logon follows the older install unless the property is given again.
TEST_F(PackageTest, UpgradeFromAnOlderVersionLeavesOneProductAndTheNewFile)
{
    const std::string older = ReadFileBytes(OlderProgramPath());
    const std::string newer = ReadFileBytes(ProgramPath());
    ASSERT_FALSE(older.empty());
    ASSERT_TRUE(older != newer) << "the older package's program must differ from the new one";

    struct Case {
        const char* olderProperties;
        const char* newerProperties;
        bool runValue;
    };
    const Case cases[] = {
        {"", "", true},
        {"STARTATLOGON=0", "", false},             // the installed version's choice is kept
        {"STARTATLOGON=0", "STARTATLOGON=1", true}, // unless given again
        {"", "STARTATLOGON=0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("older: \"") + c.olderProperties + "\", newer: \"" +
                     c.newerProperties + "\"");
        UninstallAll();
        ASSERT_EQ(Install(OlderPackagePath(), c.olderProperties), 0u) << "log: " << lastLog;
        ExpectInstalled(ReadInstallState(), older, kOlderVersion, c.olderProperties[0] == 0);
        ASSERT_EQ(Install(PackagePath(), c.newerProperties), 0u) << "log: " << lastLog;
        ExpectInstalled(ReadInstallState(), newer, kVersion, c.runValue);
    }
}

// A folder given with INSTALLDIR is remembered: an upgrade that gives none installs there again
// instead of in the default folder, one that gives another moves the program there, and no
// copy is left behind in the folder given up. The uninstall removes the remembered folder's
// program, the folder and the value.
TEST_F(PackageTest, UpgradeInstallsIntoTheFolderTheInstalledVersionWasGiven)
{
    const std::string older = ReadFileBytes(OlderProgramPath());
    const std::string newer = ReadFileBytes(ProgramPath());
    // Long names with blanks, as Windows Installer writes them back (shortcut, Run value).
    char scratch[MAX_PATH] = "";
    ASSERT_NE(GetLongPathNameA(MakeScratchDir("installdir").c_str(), scratch, MAX_PATH), 0u);
    const std::string custom = JoinPath(scratch, "My Phone Driver");
    const std::string other = JoinPath(scratch, "Other Folder");
    const std::string defaultFolder = InstallFolder();

    struct Case {
        std::string olderFolder; // INSTALLDIR given to the older package ("": none)
        std::string newerFolder; // and to the newer one
        const char* newerUi;     // the newer one's user interface
        std::string expected;    // where the newer one's program must be
    };
    const Case cases[] = {
        {custom, "", "/qn", custom},
        // With a user interface the folders are resolved before the install proper starts.
        {custom, "", "/qr", custom},
        {custom, other, "/qn", other}, // the command line wins over the remembered folder
        {"", custom, "/qn", custom},
    };
    auto property = [](const std::string& folder) {
        return folder.empty() ? std::string() : "INSTALLDIR=\"" + folder + "\"";
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("older: \"" + property(c.olderFolder) + "\", newer: \"" +
                     property(c.newerFolder) + "\" " + c.newerUi);
        UninstallAll();
        ASSERT_EQ(Install(OlderPackagePath(), property(c.olderFolder)), 0u) << "log: " << lastLog;
        ExpectInstalled(ReadInstallState(c.olderFolder.empty() ? defaultFolder : c.olderFolder),
                        older, kOlderVersion, true);
        ASSERT_EQ(Install(PackagePath(), property(c.newerFolder), c.newerUi), 0u)
            << "log: " << lastLog;
        InstallState state = ReadInstallState(c.expected);
        ExpectInstalled(state, newer, kVersion, true);
        for (const std::string& folder : {defaultFolder, custom, other}) {
            if (folder != c.expected) {
                EXPECT_FALSE(FileExists(folder)) << "a folder given up is left: " << folder;
            }
        }
        ASSERT_EQ(state.products.size(), 1u) << Describe(state);
        EXPECT_EQ(Uninstall(state.products[0]), 0u) << "log: " << lastLog;
        ExpectNothingInstalled(ReadInstallState(c.expected));
    }
}

// Windows Installer tells versions apart by their first three fields only: a package whose
// version differs in the fourth still replaces the installed one instead of adding a second.
TEST_F(PackageTest, LaterBuildOfTheSameVersionReplacesTheInstalledOne)
{
    ASSERT_EQ(Install(PackagePath()), 0u) << "log: " << lastLog;
    ASSERT_EQ(Install(RebuildPackagePath()), 0u) << "log: " << lastLog;
    ExpectInstalled(ReadInstallState(), ReadFileBytes(ProgramPath()), kRebuildVersion, true);
}

TEST_F(PackageTest, DowngradeIsRefusedWithAMessageAndChangesNothing)
{
    const char message[] = "A newer version of USB Phone Driver is already installed.";
    ASSERT_EQ(Install(PackagePath(), "STARTATLOGON=0"), 0u) << "log: " << lastLog;

    // Quietly: the installer's failure code.
    EXPECT_EQ(Install(OlderPackagePath()), static_cast<DWORD>(ERROR_INSTALL_FAILURE))
        << "log: " << lastLog;

    // With the basic user interface, the user reads why.
    ChildProcess msiexec = StartMsiexec("/i \"" + OlderPackagePath() + "\" /qb",
                                        logDir + "\\basic-ui.log");
    ASSERT_TRUE(msiexec);
    std::string text;
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        box = FindDialog(msiexec.pid, &text);
        return box && text.find(message) != std::string::npos;
    }, 30000)) << "message box text: " << text;
    EXPECT_EQ(EndProcess(msiexec, box, 30000), static_cast<DWORD>(ERROR_INSTALL_FAILURE));

    ExpectInstalled(ReadInstallState(), ReadFileBytes(ProgramPath()), kVersion, false);
}

TEST_F(PackageTest, UninstallRemovesWhatItInstalledAndNothingElse)
{
    // Values that are not ours: Skype's path, another program's start at logon.
    SetSkypePath("C:\\Program Files\\Skype\\Phone\\Skype.exe");
    SetRunValue("Another Program", "\"C:\\Another\\another.exe\"");

    ASSERT_EQ(Install(PackagePath()), 0u) << "log: " << lastLog;
    InstallState installed = ReadInstallState();
    ASSERT_EQ(installed.products.size(), 1u) << Describe(installed);
    std::string icon = ProductInfo(installed.products[0], INSTALLPROPERTY_PRODUCTICON);
    EXPECT_TRUE(FileExists(icon)) << icon;

    EXPECT_EQ(Uninstall(installed.products[0]), 0u) << "log: " << lastLog;
    ExpectNothingInstalled(ReadInstallState());
    EXPECT_FALSE(FileExists(icon)) << icon;

    bool present = false;
    EXPECT_EQ(SkypePath(&present), "C:\\Program Files\\Skype\\Phone\\Skype.exe");
    EXPECT_TRUE(present);
    EXPECT_TRUE(HasRunValue("Another Program"));
    SetSkypePath(nullptr);
    SetRunValue("Another Program", nullptr);
}
