// The resources of the built usbphone.exe, read from the file as data: ids, types, the
// language, and the contents other programs and users see.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "process.h"

namespace {
const WORD kLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

struct AccelEntry {
    WORD flags, key, command, padding;
};

// The exes to check: this tree's, and the shipped 32-bit one when the tests run on the
// 64-bit build beside it.
std::vector<std::string> Executables()
{
    std::vector<std::string> paths = {JoinPath(BinDir(), "usbphone.exe")};
    std::string shipped = BinDir() + "\\..\\..\\build\\bin\\usbphone.exe";
    if (GetFileAttributesA(shipped.c_str()) != INVALID_FILE_ATTRIBUTES)
        paths.push_back(shipped);
    return paths;
}

const BYTE* Resource(HMODULE module, LPCSTR type, WORD id, DWORD* size = nullptr)
{
    HRSRC info = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kLanguage);
    if (!info)
        return nullptr;
    if (size)
        *size = SizeofResource(module, info);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
}

std::wstring ReadWide(const WORD*& p)
{
    std::wstring text;
    while (*p)
        text += wchar_t(*p++);
    ++p;
    return text;
}

std::string MenuItems(HMENU menu)
{
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (!items.empty())
            items += "|";
        if (info.fType & MFT_SEPARATOR)
            items += "-";
        else if (info.hSubMenu)
            items += std::string(text) + "{" + MenuItems(info.hSubMenu) + "}";
        else
            items += std::string(text) + "=" + std::to_string(info.wID);
    }
    return items;
}

std::string VersionString(const std::vector<BYTE>& block, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(missing)";
    return value;
}

class Resources : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(GetParam().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << GetParam();
    }
    void TearDown() override { FreeLibrary(module); }
    HMODULE module = nullptr;
};
} // namespace

TEST_P(Resources, IconsAreGroupsOfTheirSizesAndColours)
{
    // The status icons have an image for each small-icon size from 100 to 200 %.
    const std::vector<int> kApp = {32}, kStatus = {16, 20, 24, 32};
    const struct {
        WORD id;
        const std::vector<int>& sizes;
        int bits;
    } icons[] = {{107, kApp, 8}, {108, kApp, 8}, {129, kStatus, 4}, {130, kStatus, 4},
                 {131, kStatus, 4}};
    for (const auto& icon : icons) {
        auto dir = reinterpret_cast<const GroupIconDir*>(Resource(module, RT_GROUP_ICON, icon.id));
        ASSERT_NE(dir, nullptr) << icon.id;
        std::vector<int> sizes;
        for (int i = 0; i < dir->count; ++i) {
            const GroupIconEntry& entry = dir->entries[i];
            sizes.push_back(entry.width);
            EXPECT_EQ(entry.height, entry.width) << icon.id;
            EXPECT_EQ(entry.bitCount, icon.bits) << icon.id;
            // The image itself: a bitmap header of the size the directory gives.
            auto image = reinterpret_cast<const BITMAPINFOHEADER*>(
                Resource(module, RT_ICON, entry.id));
            ASSERT_NE(image, nullptr) << icon.id;
            EXPECT_EQ(image->biWidth, entry.width) << icon.id;
            EXPECT_EQ(image->biHeight, 2 * entry.height) << icon.id; // picture and mask
        }
        EXPECT_EQ(sizes, icon.sizes) << icon.id;
    }
}

// The loader's reading of the manifest: Wine's activation context from resource 1 of the exe,
// asked for the setting as Windows asks for it.
TEST_P(Resources, ManifestDeclaresTheProgramDpiAware)
{
    typedef BOOL(WINAPI * QuerySettings)(DWORD, HANDLE, const WCHAR*, const WCHAR*, WCHAR*,
                                          SIZE_T, SIZE_T*);
    auto query = reinterpret_cast<QuerySettings>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    ASSERT_NE(query, nullptr);
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = GetParam().c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    WCHAR value[32] = L"";
    EXPECT_TRUE(query(0, context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                      L"dpiAware", value, 32, nullptr));
    EXPECT_EQ(std::wstring(value), L"true");
    ReleaseActCtx(context);
}

TEST_P(Resources, MenusAcceleratorsStringAndDialog)
{
    HMENU main = LoadMenuIndirectA(Resource(module, RT_MENU, 109));
    EXPECT_EQ(MenuItems(main), "&File{&Close=105}|&Help{&About ...=104}");
    HMENU tray = LoadMenuIndirectA(Resource(module, RT_MENU, 155));
    EXPECT_EQ(MenuItems(tray), "Pop1{&About...=104|-|&Close=105}");
    DestroyMenu(main);
    DestroyMenu(tray);

    DWORD size = 0;
    auto accel = reinterpret_cast<const AccelEntry*>(Resource(module, RT_ACCELERATOR, 109, &size));
    ASSERT_NE(accel, nullptr);
    ASSERT_EQ(size, 2 * sizeof(AccelEntry));
    // Characters with Alt: FALT without FVIRTKEY (the last entry carries the end flag 0x80).
    EXPECT_EQ(accel[0].key, '?');
    EXPECT_EQ(accel[0].flags & 0x7F, FALT);
    EXPECT_EQ(accel[0].command, 104);
    EXPECT_EQ(accel[1].key, '/');
    EXPECT_EQ(accel[1].flags & 0x7F, FALT);
    EXPECT_EQ(accel[1].command, 104);

    char title[100] = "";
    EXPECT_EQ(LoadStringA(module, 103, title, sizeof title), 11);
    EXPECT_STREQ(title, "Tavrixphone");

    auto dialog = reinterpret_cast<const DLGTEMPLATE*>(Resource(module, RT_DIALOG, 103));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->style & (DS_MODALFRAME | WS_CAPTION | WS_SYSMENU),
              DWORD(DS_MODALFRAME | WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(dialog->style & DS_SETFONT);
    EXPECT_EQ(dialog->cdit, 4);
    EXPECT_EQ(dialog->x, 22);
    EXPECT_EQ(dialog->y, 17);
    EXPECT_EQ(dialog->cx, 230);
    EXPECT_EQ(dialog->cy, 57);
    const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
    EXPECT_EQ(*p++, 0); // no menu
    EXPECT_EQ(*p++, 0); // default class
    EXPECT_EQ(ReadWide(p), L"About");
    EXPECT_EQ(*p++, 8);
    EXPECT_EQ(ReadWide(p), L"System");
    const struct {
        DWORD styleBits;
        short x, y, cx, cy;
        WORD id;
        const wchar_t* text;
    } items[] = {
        {SS_ICON, 14, 9, 20, 20, 2, nullptr},
        {SS_NOPREFIX | WS_GROUP, 49, 10, 119, 8, 0xFFFF, L"Orlenphone USB Device Driver"},
        {WS_GROUP, 49, 29, 156, 8, 0xFFFF, L"                Version 0.9.1.6"},
        {BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 195, 6, 30, 11, IDOK, L"OK"},
    };
    for (const auto& item : items) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
        auto control = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        EXPECT_EQ(control->style & item.styleBits, item.styleBits) << item.id;
        EXPECT_EQ(control->x, item.x);
        EXPECT_EQ(control->y, item.y);
        EXPECT_EQ(control->cx, item.cx);
        EXPECT_EQ(control->cy, item.cy);
        EXPECT_EQ(control->id, item.id);
        p = reinterpret_cast<const WORD*>(control + 1);
        if (*p == 0xFFFF)
            p += 2;
        else
            ReadWide(p);
        if (*p == 0xFFFF) {
            EXPECT_EQ(item.text, nullptr);
            EXPECT_EQ(p[1], 107); // the icon control shows icon 107
            p += 2;
        } else {
            EXPECT_EQ(ReadWide(p), item.text);
        }
        p += 1 + *p / 2; // creation data
    }
}

TEST_P(Resources, VersionBlock)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(GetParam().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(GetParam().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000009u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010006u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileOS, DWORD(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(VersionString(block, "FileVersion"), "0, 9, 1, 6");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "1, 0, 0, 1");
    for (const char* name : {"FileDescription", "InternalName", "ProductName"})
        EXPECT_EQ(VersionString(block, name), "Orlenphone") << name;
    EXPECT_EQ(VersionString(block, "Comments"), "USB Phone Driver for Skype");
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
}

INSTANTIATE_TEST_SUITE_P(Exe, Resources, ::testing::ValuesIn(Executables()));
