// Two copies side by side, one per server host, kept apart by HostNumber;
// each ends on its own with exit code 0 and takes its icons along.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

namespace {

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
    ASSERT_TRUE(WaitForLook(0, COOL_DIGITS, ShowsDigits));
    ASSERT_TRUE(second.Start("localhost"));
    EXPECT_TRUE(WaitForLook(1, HOT_DIGITS, ShowsDigits)) << "the second copy's drives after the first's";
    EXPECT_TRUE(WaitForLook(2, HOT_DIGITS, ShowsDigits));
    EXPECT_TRUE(ShowsDigits(LookNow(0, COOL_DIGITS)));
    EXPECT_TRUE(HasTooltip("Disk 0 正常"));
    EXPECT_TRUE(HasTooltip("Disk 0 正常 (localhost)"));
    EXPECT_TRUE(HasTooltip("Disk 1 正常 (localhost)"));

    // The second copy's host numbers are 30 and 31, the first copy's icon stays.
    second.Command(IDM_HOST_NUMBER_MODE);
    // The taskbar redraws the icons one by one: wait for both.
    Screenshot shot;
    EXPECT_TRUE(WaitUntil([&] {
        return shot.Capture() && !LookAt(shot, 1, HOT_DIGITS).digitPixels && !LookAt(shot, 2, HOT_DIGITS).digitPixels;
    }, 10000));
    EXPECT_NE(IconSquare(shot, 1), IconSquare(shot, 2));
    EXPECT_TRUE(ShowsDigits(LookAt(shot, 0, COOL_DIGITS)));

    EXPECT_TRUE(first.CloseWithZero());
    EXPECT_TRUE(second.Running());
    EXPECT_TRUE(WaitUntil([] { return TrayEmpty(3) == false && LookNow(2, COOL_DIGITS).colours == 1; }, 10000))
        << "one icon less";

    EXPECT_TRUE(second.CloseWithZero());
    EXPECT_TRUE(WaitUntil([] { return TrayEmpty(3); }, 10000)) << "no icon left behind";
    RemoveProfile(SettingsFilePath());
}

} // namespace
