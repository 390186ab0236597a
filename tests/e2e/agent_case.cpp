// kelpra.exe against kelpra-agent reading the fixture drives: each drive's
// State reaches the tray as its badge, mark or error image.
#include "agent_process.h"
#include "e2e_support.h"

#include <gtest/gtest.h>

namespace {

// sda, sdb, nvme0: good; sdc: failing at 52 degrees; sdd: reallocated
// sectors; sde: cannot be opened (the error image); sdf: asleep since the
// start, no temperature.
const std::vector<std::string> AGENT_LOOKS = {
    "cool good", "cool good", "cool good", "hot danger", "cool caution mark", "error", "cool good",
};

TEST(AgentEndToEnd, TheFixtureDrivesShowTheirStatesInTheTray)
{
    AgentProcess agent;
    ASSERT_EQ(agent.Ask().size(), 3264u);
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(agent.Port())}, {"TimeOut", "1"}, NO_ALERTS});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    EXPECT_TRUE(TrayShows(AGENT_LOOKS));
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
