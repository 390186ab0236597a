// kelpra.exe as a process: its hidden window, and the end on WM_CLOSE.
#include "app/app_state.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {

TEST(Program, CreatesTheHiddenWindowAndEndsWithZeroOnWmClose)
{
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    ASSERT_NE(window, nullptr);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, MAIN_WINDOW_CLASS);
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
