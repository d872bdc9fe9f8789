// Starting Skype from "SkypePath": what is handed to CreateProcess for each kind of value,
// and that the handles it returns are closed (the driver never waits on Skype).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/main_window.h"
#include "app/skype_launch.h"
#include "app/skype_registry.h"
#include "event_log.h"
#include "fake_shell.h"
#include "process.h"
#include "sequence.h"

namespace {
std::string Launch(const std::string& app, const std::string& commandLine)
{
    return Format("launch app=%s cmd=%s cb=%u flags=0x1 show=1", app.c_str(),
                  commandLine.c_str(), unsigned(sizeof(STARTUPINFOA)));
}

std::string Expanded(const char* text)
{
    char expanded[MAX_PATH * 2] = "";
    ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    return expanded;
}

void StoreSkypePath(DWORD type, const std::string& value)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", &key), ERROR_SUCCESS);
    RegSetValueExA(key, "SkypePath", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD(value.size() + 1));
    RegCloseKey(key);
}

void RemoveSkypePath()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Skype\\Phone", 0, KEY_WRITE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(key, "SkypePath");
        RegCloseKey(key);
    }
}
} // namespace

TEST(SkypeLaunch, AProgramIsQuotedAndACommandLineIsPassedAsItStands)
{
    // A Skype installed under a folder with blanks, and the variable a REG_EXPAND_SZ value
    // might use for its start.
    std::string root = MakeScratchDir("launch");
    std::string folder = JoinPath(root, "Program Files");
    std::string program = JoinPath(folder, "Skype Phone.exe");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    HANDLE file = CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    SetEnvironmentVariableA("USBPHONE_TEST_ROOT", root.c_str());
    const std::string relative = "\\Program Files\\Skype Phone.exe";

    const struct {
        const char* name;
        DWORD type;
        std::string value;
        std::vector<std::string> expected;
    } rows[] = {
        {"a program's path with blanks", REG_SZ, program, {Launch(program, "\"" + program + "\"")}},
        {"the same path to expand", REG_EXPAND_SZ, "%USBPHONE_TEST_ROOT%" + relative,
         {Launch(program, "\"" + program + "\"")}},
        {"a path to expand, taken as it stands", REG_SZ, "%USBPHONE_TEST_ROOT%" + relative,
         {Launch("null", "%USBPHONE_TEST_ROOT%" + relative)}},
        {"a command line with options", REG_SZ, "C:\\Skype\\Skype.exe /nosplash /minimized",
         {Launch("null", "C:\\Skype\\Skype.exe /nosplash /minimized")}},
        {"a command line to expand", REG_EXPAND_SZ, "%ComSpec% /c exit",
         {Launch("null", Expanded("%ComSpec% /c exit"))}},
        {"a folder is no program", REG_SZ, folder, {Launch("null", folder)}},
        {"an empty value", REG_SZ, "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SharedLog().Clear();
        StoreSkypePath(row.type, row.value);
        StartSkype(ReadSkypeRegistryValue("SkypePath", "Phone").Get());
        EXPECT_SEQUENCE((Sequence{row.name, row.expected}), SharedLog().Snapshot());
        EXPECT_TRUE(LaunchHandlesClosed());
    }
    RemoveSkypePath();
    SharedLog().Clear();
    StartSkype(ReadSkypeRegistryValue("SkypePath", "Phone").Get());
    EXPECT_TRUE(SharedLog().Snapshot().empty()) << "no value, no launch";
    SetEnvironmentVariableA("USBPHONE_TEST_ROOT", nullptr);
}
