// Start-up with a host on the command line: the program reads that host's
// own section, asks its server and names it in the tooltips.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

namespace {

TEST(Startup, AHostOnTheCommandLineUsesItsOwnSectionAndLabel)
{
    SimServer sim(R"({"drives":[{"position":0,"Temperature":34,"State":"good","DriveNumber":"Disk 0"}]})");
    ASSERT_TRUE(sim.Running());
    // The default host's section points at a port where nothing answers.
    WriteOnlySection("127.0.0.1", {{"Port", "10071"}, {"TimeOut", "1"}});
    WriteSection("localhost", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Label", "ラック A"}});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start("localhost"));
    EXPECT_TRUE(sim.WaitForRequests(2, 20000)) << "its own server";
    IconLook seen;
    EXPECT_TRUE(WaitForLook(0, COOL_DIGITS, [](const IconLook& l) { return l.digitPixels >= 8; }, 10000, &seen));
    EXPECT_TRUE(WaitUntil([] { return HasTooltip("Disk 0 正常 (ラック A)"); }, 5000));
    EXPECT_TRUE(kelpra.CloseWithZero());
    EXPECT_EQ(ReadSetting("localhost", "Temp"), "<missing>") << "nothing saved without the dialog";
    RemoveProfile(SettingsFilePath());
}

} // namespace
