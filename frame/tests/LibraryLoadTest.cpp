// Loads libKelmor.so as a host does, finds the entry point and opens a screen.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/win/testing/HeadlessDriver.h"

TEST(LibraryLoad, HostLoadsTheLibraryAndCallsTheEntryPoint) {
    void* library = dlopen(KELMOR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using CallDialog = int (*)(int, int);
    using PopWndFn = int (*)(const char*, int, int, int, int, int, int, int, int, int, int);
    auto call = reinterpret_cast<CallDialog>(dlsym(library, "Call_Kelmor_Dialog"));
    auto pop = reinterpret_cast<PopWndFn>(dlsym(library, "PopWnd"));
    ASSERT_NE(call, nullptr);
    ASSERT_NE(pop, nullptr);
    {
        // The window layer is shared with the library: the host's driver sees its dialogs.
        win::ScopedHeadlessDriver driver;
        driver->Then("合约代码设置[检索]", [](win::DialogActions& a) { a.Escape(); });
        EXPECT_EQ(call(25001, 0), IDCANCEL);
        EXPECT_EQ(call(2, 0), 0);
        EXPECT_TRUE(driver->Problems().empty());
    }
    EXPECT_EQ(dlclose(library), 0);
}
