// usbphone.exe started for real at 100, 125, 150 and 200 % (96 to 192 dpi): the shell gets
// the status icon at the small-icon size of the system DPI, its own image of that size,
// rather than a picture the shell has to scale.
#include <gtest/gtest.h>
#include <windows.h>

#include "driver_run.h"
#include "fake_tray.h"
#include "wait.h"

namespace {
// Sets the prefix's system DPI, which Wine reads when a program starts, and puts back what was
// there when it goes out of scope, also after a failed assertion.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi)
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD type = REG_NONE;
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                                &size) == ERROR_SUCCESS &&
               type == REG_DWORD;
        set_ = RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }
    ~SystemDpi()
    {
        if (!key_)
            return;
        if (had_)
            RegSetValueExA(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                           sizeof old_);
        else
            RegDeleteValueA(key_, kValue);
        RegCloseKey(key_);
    }
    bool Set() const { return set_; }

private:
    static constexpr const char* kValue = "LogPixels";
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
    bool set_ = false;
};
} // namespace

TEST(HighDpi, TrayIconComesAtTheSmallIconSizeOfTheSystemDpi)
{
    const struct {
        DWORD dpi;
        LONG size;
    } cases[] = {{96, 16}, {120, 20}, {144, 24}, {192, 32}};
    for (const auto& c : cases) {
        FakeTray tray;
        ASSERT_TRUE(tray.Ready());
        DriverRun driver;
        {
            SystemDpi dpi(c.dpi);
            ASSERT_TRUE(dpi.Set());
            ASSERT_TRUE(driver.Start()) << c.dpi << " dpi";
            ASSERT_TRUE(WaitUntil([&] { return tray.LatestIconSize().cx != 0; }, 5000))
                << c.dpi << " dpi: no icon reached the tray";
        } // the driver has its DPI; other programs get the prefix's own again
        SIZE size = tray.LatestIconSize();
        EXPECT_EQ(size.cx, c.size) << c.dpi << " dpi";
        EXPECT_EQ(size.cy, c.size) << c.dpi << " dpi";
        EXPECT_EQ(driver.Close(), 0u);
    }
}
