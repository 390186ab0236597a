// The Windows build of kelpra-agent under Wine, reading the fixture drives
// through the Windows build of the stand-in smartctl: its process runner
// (CreateProcess with a pipe), its Winsock endpoint, the standby check.
#include "agent_process.h"

#include "link/drive_record.h"

#include <gtest/gtest.h>

namespace {

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST(AgentUnderWine, ServesTheFixtureDrivesReadThroughTheStandIn)
{
    AgentProcess agent;
    std::vector<unsigned char> reply = agent.Ask();
    ASSERT_EQ(reply.size(), REPLY_SIZE);
    const int states[] = {0, 0, 0, 2, 1, 3, 0};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(RecordAt(reply.data(), i).State, states[i]) << i;
    EXPECT_EQ(RecordAt(reply.data(), 7).InUse, 0);
    EXPECT_STREQ(RecordAt(reply.data(), 4).Model, "KELPRA HD3000 Worn");
    EXPECT_EQ(RecordAt(reply.data(), 4).AC5, 2);
    EXPECT_STREQ(RecordAt(reply.data(), 0).DriveNumber, "Disk 0 (/dev/sda)");

    // The second pass, a second after the first, reads the sleeping drive
    // again with the standby check.
    WaitUntil([&] { return CountOf(agent.Calls(), "/dev/sdf") >= 2; }, 15000, 50);
    std::string log = agent.Calls();
    EXPECT_GE(CountOf(log, "/dev/sdf"), 2u) << log;
    EXPECT_EQ(CountOf(log, "--nocheck=standby,3 "), CountOf(log, "\n") - 1) << log;
    EXPECT_EQ(log.find("WOKEN"), std::string::npos) << log;
}

} // namespace
