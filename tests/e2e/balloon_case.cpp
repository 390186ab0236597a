// A left click on a drive's icon in the taskbar opens its details balloon.
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Found {
    RECT rect = {};
    bool any = false;
};

// The shell shows a balloon as a visible tooltip window; the hover tooltip
// is one line high, the nine-line balloon far taller.
BOOL CALLBACK FindBalloon(HWND window, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    RECT r;
    if (lstrcmpiA(cls, "tooltips_class32") == 0 && IsWindowVisible(window) && GetWindowRect(window, &r) &&
        r.bottom - r.top > 100) {
        auto* found = reinterpret_cast<Found*>(param);
        found->rect = r;
        found->any = true;
    }
    return TRUE;
}

Found WaitForBalloon(DWORD timeoutMs)
{
    Found found;
    DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(FindBalloon, reinterpret_cast<LPARAM>(&found));
        if (found.any || GetTickCount() - start >= timeoutMs)
            return found;
        Sleep(100);
    }
}

TEST(EndToEnd, ALeftClickOnADrivesIconOpensItsDetailsBalloon)
{
    SimServer sim(R"({"drives":[{"position":0,"Temperature":38,"State":"caution","Model":"SIM MODEL",
                                 "DriveNumber":"Disk 0"}]})");
    ASSERT_TRUE(sim.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    ASSERT_TRUE(sim.WaitForRequests(2, 20000));
    Sleep(1000);   // the taskbar draws the new icon
    EXPECT_FALSE(WaitForBalloon(0).any);

    SetCursorPos(1013, 757);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));

    Found balloon = WaitForBalloon(8000);
    ASSERT_TRUE(balloon.any) << "no balloon after the click";
    EXPECT_GT(balloon.rect.right, 1024 - 400) << "near the tray at the bottom right";
    EXPECT_GT(balloon.rect.bottom, 768 / 2);

    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
