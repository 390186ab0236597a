// kelpra.exe against kelpra-agent reading the fixture drives: each drive's
// State reaches the tray as its badge, mark or error image.
#include "agent_process.h"
#include "config/settings.h"
#include "e2e_support.h"

#include <gtest/gtest.h>

namespace {

// sda, sdb, nvme0: good; sdc: failing at 52 degrees; sdd: reallocated
// sectors; sde: cannot be opened (the error image); sdf: asleep since the
// start, no temperature.
struct AgentIcon {
    COLORREF digits;
    Badge badge;
    bool mark;
};
constexpr COLORREF NO_DIGITS = 1;
const AgentIcon AGENT_ICONS[] = {
    {COOL_DIGITS, Badge::Good, false},    {COOL_DIGITS, Badge::Good, false}, {COOL_DIGITS, Badge::Good, false},
    {HOT_DIGITS, Badge::Danger, true},    {COOL_DIGITS, Badge::Caution, true}, {NO_DIGITS, Badge::None, false},
    {NO_DIGITS, Badge::Good, false},
};
constexpr int AGENT_DRIVES = 7;

TEST(AgentEndToEnd, TheFixtureDrivesShowTheirStatesInTheTray)
{
    AgentProcess agent;
    ASSERT_EQ(agent.Ask().size(), 3264u);
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(agent.Port())}, {"TimeOut", "1"}, NO_ALERTS});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    ASSERT_TRUE(WaitForLook(AGENT_DRIVES - 1, COOL_DIGITS, [](const IconLook& l) { return l.colours > 2; }));
    Screenshot shot;
    ASSERT_TRUE(shot.Capture());
    for (int i = 0; i < AGENT_DRIVES; ++i) {
        SCOPED_TRACE("position " + std::to_string(i));
        const AgentIcon& d = AGENT_ICONS[i];
        IconLook look = LookAt(shot, i, d.digits);
        EXPECT_EQ(look.errorImage, d.digits == NO_DIGITS && d.badge == Badge::None);
        EXPECT_TRUE(d.digits == NO_DIGITS || look.digitPixels >= 8) << "digits in their colour";
        EXPECT_EQ(look.badge, d.badge);
        EXPECT_EQ(look.markPixels > 0, d.mark);
    }
    EXPECT_EQ(LookAt(shot, AGENT_DRIVES, COOL_DIGITS).colours, 1) << "no eighth icon";
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
