// Test helpers for the Windows Installer package.
#include "package.h"

#include <gtest/gtest.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <sstream>

#include "process.h"

// The build gives the versions the packages were built with, and their files relative to the
// top of the build tree (the parent of the bin folder).
const char kVersion[] = USBPHONE_VERSION;
const char kOlderVersion[] = USBPHONE_OLDER_VERSION;
const char kRebuildVersion[] = USBPHONE_REBUILD_VERSION;

const char kProductKey[] = "Software\\Tavrix\\USB Phone Driver";
const char kInstallDirValue[] = "InstallDir";

namespace {
// The package's UpgradeCode: the identity of the product across versions.
const char kUpgradeCode[] = "{0B1B3937-9EE2-473F-AE33-565ED4F6E88E}";
const char kProductName[] = "USB Phone Driver";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string FromBuildTop(const char* relative)
{
    std::string path = BinDir() + "\\..\\" + relative;
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length && length < MAX_PATH ? std::string(full) : path;
}

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool ReadString(HKEY root, const char* key, const char* name, std::string* value,
                REGSAM view = 0)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS)
        return false;
    char buffer[1024];
    DWORD size = sizeof buffer - 1, type = 0;
    LONG result = RegQueryValueExA(handle, name, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS)
        return false;
    buffer[size] = 0;
    if (value)
        *value = buffer;
    return true;
}

bool KeyExists(HKEY root, const char* key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// The registry views that hold distinct Uninstall keys for this process: one on 32-bit
// Windows, the 32- and 64-bit views otherwise.
std::vector<std::pair<std::string, REGSAM>> MachineViews()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (sizeof(void*) == 8 || wow64)
        return {{"HKLM (32-bit)", KEY_WOW64_32KEY}, {"HKLM (64-bit)", KEY_WOW64_64KEY}};
    return {{"HKLM", 0}};
}

void CollectArpEntries(HKEY root, const std::string& hive, REGSAM view,
                       std::vector<ArpEntry>* entries)
{
    HKEY uninstall;
    if (RegOpenKeyExA(root, kUninstallKey, 0, KEY_READ | view, &uninstall) != ERROR_SUCCESS)
        return;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::string key = std::string(kUninstallKey) + "\\" + name;
        ArpEntry entry;
        if (!ReadString(root, key.c_str(), "DisplayName", &entry.displayName, view) ||
            entry.displayName != kProductName)
            continue;
        entry.hive = hive;
        entry.key = name;
        ReadString(root, key.c_str(), "DisplayVersion", &entry.displayVersion, view);
        ReadString(root, key.c_str(), "Publisher", &entry.publisher, view);
        ReadString(root, key.c_str(), "Comments", &entry.comments, view);
        ReadString(root, key.c_str(), "HelpLink", &entry.helpLink, view);
        entries->push_back(entry);
    }
    RegCloseKey(uninstall);
}

void ReadShortcut(const std::string& path, InstallState* state)
{
    (void)CoInitialize(nullptr); // once per thread; later calls just count
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, nullptr, 0);
            state->shortcutTarget = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, MAX_PATH);
            state->shortcutFolder = text;
            text[0] = 0;
            link->GetDescription(text, MAX_PATH);
            state->shortcutDescription = text;
        }
        file->Release();
    }
    link->Release();
}
} // namespace

std::string PackagePath() { return FromBuildTop(USBPHONE_PACKAGE); }
std::string OlderPackagePath() { return FromBuildTop(USBPHONE_OLDER_PACKAGE); }
std::string RebuildPackagePath() { return FromBuildTop(USBPHONE_REBUILD_PACKAGE); }
std::string ProgramPath() { return SignedPath("usbphone.exe"); }
std::string OlderProgramPath() { return FromBuildTop(USBPHONE_OLDER_PROGRAM); }
std::string SignedPath(const char* name)
{
    return FromBuildTop((std::string(USBPHONE_SIGNED_DIR) + "\\" + name).c_str());
}

ChildProcess StartMsiexec(const std::string& args, const std::string& logPath)
{
    std::string commandLine = "msiexec.exe " + args + " /l*v \"" + logPath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ChildProcess child;
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        child.process = info.hProcess;
        child.pid = info.dwProcessId;
    }
    return child;
}

DWORD Msiexec(const std::string& args, const std::string& logPath, const char* ui)
{
    ChildProcess child = StartMsiexec(args + " " + ui, logPath);
    if (!child)
        return GetLastError();
    return WaitForExit(child, 120000);
}

void UninstallAll()
{
    char code[39];
    for (int attempt = 0; attempt < 5 && MsiEnumRelatedProductsA(kUpgradeCode, 0, 0, code) ==
                                            ERROR_SUCCESS;
         ++attempt) {
        std::string log = MakeScratchDir("uninstall") + "\\uninstall.log";
        Msiexec(std::string("/x ") + code, log);
    }
}

std::string InstallFolder()
{
    return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\USB Phone Driver";
}
std::string InstalledProgram() { return InstallFolder() + "\\usbphone.exe"; }
std::string ShortcutPath() { return KnownFolder(CSIDL_PROGRAMS) + "\\USB Phone Driver.lnk"; }

InstallState ReadInstallState(const std::string& folder)
{
    InstallState state;
    state.installFolder = folder;
    state.folder = FileExists(folder);
    state.program = ReadFileBytes(folder + "\\usbphone.exe");
    state.shortcut = FileExists(ShortcutPath());
    if (state.shortcut)
        ReadShortcut(ShortcutPath(), &state);
    state.runValue = ReadString(HKEY_CURRENT_USER, kRunKey, kProductName, &state.runCommand);
    char code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i)
        state.products.push_back(code);
    CollectArpEntries(HKEY_CURRENT_USER, "HKCU", 0, &state.arpEntries);
    for (const auto& view : MachineViews())
        CollectArpEntries(HKEY_LOCAL_MACHINE, view.first, view.second, &state.arpEntries);
    state.makerKey = KeyExists(HKEY_CURRENT_USER, "Software\\Tavrix");
    state.installDirValue =
        ReadString(HKEY_CURRENT_USER, kProductKey, kInstallDirValue, &state.installDir);
    return state;
}

std::string Describe(const InstallState& state)
{
    std::ostringstream out;
    out << "install folder " << state.installFolder << " "
        << (state.folder ? "present" : "absent") << ", usbphone.exe "
        << (state.program.empty() ? "absent" : std::to_string(state.program.size()) + " bytes")
        << ", shortcut " << (state.shortcut ? "-> " + state.shortcutTarget : "absent")
        << ", Run value " << (state.runValue ? state.runCommand : "absent") << ", products";
    for (const std::string& code : state.products)
        out << " " << code;
    out << ", Add/Remove Programs entries";
    for (const ArpEntry& entry : state.arpEntries)
        out << " [" << entry.hive << " " << entry.key << " " << entry.displayVersion << "]";
    out << ", HKCU\\Software\\Tavrix " << (state.makerKey ? "present" : "absent")
        << ", remembered folder " << (state.installDirValue ? state.installDir : "absent");
    return out.str();
}

void ExpectNothingInstalled(const InstallState& state)
{
    SCOPED_TRACE(Describe(state));
    EXPECT_FALSE(state.folder) << "the install folder is left: " << state.installFolder;
    EXPECT_TRUE(state.program.empty());
    EXPECT_FALSE(state.shortcut) << "the Start menu shortcut is left";
    EXPECT_FALSE(state.runValue) << "the Run value is left";
    EXPECT_TRUE(state.products.empty()) << "the product is still registered";
    EXPECT_TRUE(state.arpEntries.empty()) << "an Add/Remove Programs entry is left";
    EXPECT_FALSE(state.installDirValue) << "the remembered install folder is left";
    EXPECT_FALSE(state.makerKey) << "HKCU\\Software\\Tavrix is left";
}

std::string ProductInfo(const std::string& productCode, const char* property)
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    if (MsiGetProductInfoExA(productCode.c_str(), nullptr, MSIINSTALLCONTEXT_USERUNMANAGED,
                             property, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

std::string SkypePath(bool* present)
{
    std::string value;
    *present = ReadString(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", "SkypePath", &value);
    return value;
}

std::string ProductVersionOf(const std::string& path)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (!size)
        return std::string();
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return std::string();
    return std::to_string(HIWORD(info->dwProductVersionMS)) + "." +
           std::to_string(LOWORD(info->dwProductVersionMS)) + "." +
           std::to_string(HIWORD(info->dwProductVersionLS)) + "." +
           std::to_string(LOWORD(info->dwProductVersionLS));
}

std::string ReadLog(const std::string& path)
{
    std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 2 || bytes[0] != '\xff' || bytes[1] != '\xfe')
        return bytes;
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] ? '?' : bytes[i];
    return text;
}

void PackageTest::SetUp()
{
    logDir = MakeScratchDir("msi");
    ASSERT_FALSE(logDir.empty());
    UninstallAll();
    InstallState state = ReadInstallState();
    ASSERT_TRUE(state.products.empty()) << "the product could not be removed before the test: "
                                        << Describe(state);
}

void PackageTest::TearDown()
{
    UninstallAll();
}

DWORD PackageTest::Install(const std::string& package, const std::string& properties,
                           const char* ui)
{
    lastLog = logDir + "\\run" + std::to_string(++runs) + ".log";
    return Msiexec("/i \"" + package + "\" " + properties, lastLog, ui);
}

DWORD PackageTest::Uninstall(const std::string& productCode)
{
    lastLog = logDir + "\\run" + std::to_string(++runs) + ".log";
    return Msiexec("/x " + productCode, lastLog);
}

void PackageTest::ExpectInstalled(const InstallState& state, const std::string& program,
                                  const char* version, bool runValue)
{
    SCOPED_TRACE(Describe(state));
    const std::string installed = state.installFolder + "\\usbphone.exe";
    EXPECT_TRUE(state.program == program)
        << "usbphone.exe in " << state.installFolder << " is not the one of the package ("
        << state.program.size() << " bytes, expected " << program.size() << ")";
    EXPECT_TRUE(state.shortcut) << "no Start menu shortcut " << ShortcutPath();
    EXPECT_EQ(lstrcmpiA(state.shortcutTarget.c_str(), installed.c_str()), 0)
        << "shortcut target " << state.shortcutTarget;
    EXPECT_EQ(lstrcmpiA(state.shortcutFolder.c_str(), (state.installFolder + "\\").c_str()), 0)
        << "shortcut working folder " << state.shortcutFolder;
    EXPECT_EQ(state.runValue, runValue);
    if (runValue) {
        EXPECT_EQ(state.runCommand, "\"" + installed + "\"");
    }
    EXPECT_TRUE(state.installDirValue) << "the install folder is not remembered";
    EXPECT_EQ(lstrcmpiA(state.installDir.c_str(), (state.installFolder + "\\").c_str()), 0)
        << "remembered install folder " << state.installDir;
    ASSERT_EQ(state.products.size(), 1u) << "installed products of the family";
    EXPECT_EQ(ProductInfo(state.products[0], INSTALLPROPERTY_VERSIONSTRING), version);
    ASSERT_EQ(state.arpEntries.size(), 1u) << "Add/Remove Programs entries";
    EXPECT_EQ(state.arpEntries[0].key, state.products[0]);
    EXPECT_EQ(state.arpEntries[0].displayVersion, version);
}
