// kelpra.exe started and ended from outside.
#include "app/app_state.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {

TEST(EndToEnd, WmCloseFromOutsideEndsTheProgramWithExitCodeZero)
{
    ChildProcess kelpra;
    ASSERT_TRUE(kelpra.Start("\"" + BuildPath("kelpra.exe") + "\""));
    HWND window = WaitForWindow(MAIN_WINDOW_CLASS, kelpra.Id(), 20000);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(kelpra.WaitExit(20000, &code));
    EXPECT_EQ(code, 0u);
}

} // namespace
