// kelpra.exe against kelpra-agent reading the fixture drives: each drive's
// State reaches the tray as its badge, mark or error image.
#include "agent_process.h"
#include "config/settings.h"
#include "e2e_support.h"

#include <gtest/gtest.h>

namespace {

struct AgentIcon {
    int position;
    COLORREF digits;
    bool twoDigits;
    Badge badge;
    bool mark;
    bool errorImage;
};
// sda, sdb, nvme0: good; sdc: failing at 52 degrees; sdd: reallocated
// sectors; sde: cannot be opened; sdf: asleep since the start.
const AgentIcon AGENT_ICONS[] = {
    {0, COOL_DIGITS, true, Badge::Good, false, false},    {1, COOL_DIGITS, true, Badge::Good, false, false},
    {2, COOL_DIGITS, true, Badge::Good, false, false},    {3, HOT_DIGITS, true, Badge::Danger, true, false},
    {4, COOL_DIGITS, true, Badge::Caution, true, false},  {5, COOL_DIGITS, false, Badge::None, false, true},
    {6, COOL_DIGITS, false, Badge::Good, false, false},
};
constexpr int AGENT_DRIVES = 7;

TEST(AgentEndToEnd, TheFixtureDrivesShowTheirStatesInTheTray)
{
    AgentProcess agent;
    ASSERT_EQ(agent.Ask().size(), 3264u);
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(agent.Port())}, {"TimeOut", "1"}, NO_ALERTS});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    IconLook seen;
    ASSERT_TRUE(WaitForLook(AGENT_DRIVES - 1, COOL_DIGITS, [](const IconLook& l) { return l.colours > 2; }, 20000,
                            &seen));
    Screenshot shot;
    ASSERT_TRUE(shot.Capture());
    for (const AgentIcon& d : AGENT_ICONS) {
        SCOPED_TRACE("position " + std::to_string(d.position));
        IconLook look = LookAt(shot, d.position, d.digits);
        EXPECT_EQ(look.errorImage, d.errorImage);
        if (d.errorImage)
            continue;
        if (d.twoDigits) {
            EXPECT_GE(look.digitPixels, 8) << "digits in their colour";
        }
        EXPECT_EQ(look.badge, d.badge);
        EXPECT_EQ(look.markPixels > 0, d.mark);
    }
    EXPECT_EQ(LookAt(shot, AGENT_DRIVES, COOL_DIGITS).colours, 1) << "no eighth icon";
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
