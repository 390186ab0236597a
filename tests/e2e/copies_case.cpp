// Two copies side by side, one per server host, kept apart by HostNumber;
// "プログラムの終了" and WM_CLOSE end them with exit code 0 and take their
// icons along.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

namespace {

bool Digits(const IconLook& l) { return l.digitPixels >= 8; }

TEST(Copies, TwoCopiesForTwoHostsShowTheirOwnIconsAndEndWithoutLeavingAny)
{
    SimServer cool(R"({"drives":[{"position":0,"Temperature":31,"State":"good","DriveNumber":"Disk 0"}]})");
    SimServer hot(R"({"drives":[{"position":0,"Temperature":51,"State":"good","DriveNumber":"Disk 0"},
                                {"position":1,"Temperature":52,"State":"good","DriveNumber":"Disk 1"}]})");
    ASSERT_TRUE(cool.Running() && hot.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(cool.Port())}, {"TimeOut", "1"}, {"HostNumber", "0"}, NO_ALERTS});
    WriteSection("localhost", {{"Port", std::to_string(hot.Port())}, {"TimeOut", "1"}, {"HostNumber", "3"}, NO_ALERTS});

    Kelpra first, second;
    ASSERT_TRUE(first.Start());
    IconLook seen;
    ASSERT_TRUE(WaitForLook(0, COOL_DIGITS, Digits, 20000, &seen));
    ASSERT_TRUE(second.Start("localhost"));
    EXPECT_TRUE(WaitForLook(1, HOT_DIGITS, Digits, 20000, &seen)) << "the second copy's drives after the first's";
    EXPECT_TRUE(WaitForLook(2, HOT_DIGITS, Digits, 20000, &seen));
    EXPECT_TRUE(Digits(LookNow(0, COOL_DIGITS)));
    EXPECT_TRUE(HasTooltip("Disk 0 正常"));
    EXPECT_TRUE(HasTooltip("Disk 0 正常 (localhost)"));
    EXPECT_TRUE(HasTooltip("Disk 1 正常 (localhost)"));

    // The second copy's host numbers are 30 and 31, the first copy's icon stays.
    second.Command(IDM_HOST_NUMBER_MODE);
    EXPECT_TRUE(WaitForLook(1, HOT_DIGITS, [](const IconLook& l) { return l.digitPixels == 0; }, 10000, &seen));
    Screenshot shot;
    ASSERT_TRUE(shot.Capture());
    EXPECT_NE(IconPixels(shot, 1), IconPixels(shot, 2));
    EXPECT_TRUE(Digits(LookAt(shot, 0, COOL_DIGITS)));

    // The first copy's menu, last item: "プログラムの終了".
    first.TrayMessage(0, 0, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindMenuWindow()) != nullptr; }, 5000, 50));
    PressMenuKeys(menu, {VK_UP, VK_RETURN});
    EXPECT_TRUE(first.EndsWithZero());
    EXPECT_TRUE(second.Running());
    EXPECT_TRUE(WaitUntil([] { return TrayEmpty(3) == false && LookNow(2, COOL_DIGITS).colours == 1; }, 10000))
        << "one icon less";

    EXPECT_TRUE(second.CloseWithZero());
    EXPECT_TRUE(WaitUntil([] { return TrayEmpty(3); }, 10000)) << "no icon left behind";
    RemoveProfile(SettingsFilePath());
}

} // namespace
